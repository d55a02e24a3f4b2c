// The settings resource's parser on outside bytes: whatever they hold, it ends with a table
// (or none) and never reads past the data. Inputs starting with 'P' patch a valid resource
// (FuzzInput.h).
#include "QorSettingsTable.h"

#include "FuzzInput.h"
#include "SettingsStreamBytes.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace std::string_literals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string sample =
        SettingsHeader() + SettingsEntry("Enabled", 9) + SettingsEntry("NoSettings", 8) +
        SettingsEntry("FreezeTimeout", 4, LittleEndian(60000, 4)) +
        SettingsEntry("Small", 2, "\x05") + SettingsEntry("Mid", 3, LittleEndian(300, 2)) +
        SettingsEntry("Short", 6,
                      "\x03"
                      "abc") +
        SettingsEntry("MailSubj", 12, LongText("bug report")) +
        SettingsEntry("Wide", 18, LittleEndian(2, 4) + "\xE9\x00\xAC\x20"s) +
        SettingsEntry("Utf8", 20, LongText("\xC3\xA9\xE2\x82\xAC")) + std::string(1, '\0');
    const std::string bytes = FuzzStreamBytes(sample, data, size);
    const qor::SettingsParseResult parsed =
        qor::ParseSettingsStream(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (parsed.Count > parsed.Capacity || (parsed.Table == nullptr && parsed.Count != 0))
        __builtin_trap();
    for (int32_t i = 0; i < parsed.Count; ++i)
        if (parsed.Table[i].Key == nullptr || parsed.Table[i].Kind > qor::SettingsBoolean)
            __builtin_trap();
    qor::FreePropertyTable(parsed.Count, parsed.Table);
    return 0;
}
