#include "QorSettingsTable.h"

#include "QorStrings.h"

#include <cstring>

namespace qor {

namespace {

// "TPF0", then the root's class and name as short strings.
constexpr char SettingsStreamHeader[] = "TPF0\x0aTQorExcept\x09qorExcept";
constexpr size_t SettingsStreamHeaderSize = sizeof(SettingsStreamHeader) - 1;
static_assert(SettingsStreamHeaderSize == 25);

const char* CopyText(std::string_view text)
{
    auto* copy = static_cast<char*>(SettingsAlloc(text.size() + 1));
    if (!text.empty())
        std::memcpy(copy, text.data(), text.size());
    return copy;
}

// Bounded little-endian reads over the resource's bytes.
class StreamCursor {
public:
    StreamCursor(const uint8_t* data, size_t size, size_t position)
        : data_(data), size_(size), position_(position)
    {
    }

    bool AtEnd() const { return position_ >= size_; }
    bool Byte(uint8_t& value)
    {
        if (size_ - position_ < 1)
            return false;
        value = data_[position_++];
        return true;
    }
    bool Unsigned(uint32_t& value, int width)
    {
        if (size_ - position_ < static_cast<size_t>(width))
            return false;
        value = 0;
        for (int i = 0; i < width; ++i)
            value |= static_cast<uint32_t>(data_[position_ + static_cast<size_t>(i)]) << (8 * i);
        position_ += static_cast<size_t>(width);
        return true;
    }
    bool Bytes(uint64_t count, std::string_view& bytes)
    {
        if (size_ - position_ < count)
            return false;
        bytes = std::string_view(reinterpret_cast<const char*>(data_ + position_),
                                 static_cast<size_t>(count));
        position_ += static_cast<size_t>(count);
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_;
};

std::u16string Utf16FromUtf8(std::string_view bytes)
{
    std::u16string units;
    size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<uint8_t>(bytes[i]);
        const int extra = lead < 0x80                   ? 0
                          : lead >= 0xF0 && lead < 0xF5 ? 3
                          : lead >= 0xE0                ? 2
                          : lead >= 0xC2 && lead < 0xE0 ? 1
                                                        : -1;
        uint32_t code = extra == 3 ? lead & 0x07u : extra == 2 ? lead & 0x0Fu : lead & 0x1Fu;
        bool valid = extra >= 0 && i + static_cast<size_t>(extra) < bytes.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<uint8_t>(bytes[i + static_cast<size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (extra == 0)
            code = lead;
        valid = valid && !(extra == 2 && (code < 0x800 || (code >= 0xD800 && code < 0xE000))) &&
                !(extra == 3 && (code < 0x10000 || code > 0x10FFFF));
        if (!valid) {
            units.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(code));
        }
        i += static_cast<size_t>(extra) + 1;
    }
    return units;
}

struct ParsedValue {
    uint8_t Kind = SettingsText;
    bool Boolean = false;
    int32_t Integer = 0;
    std::string Text;
};

enum class ValueRead { Read, Truncated, BadType };

// Reads one value by its type (the subset the settings resource uses).

ValueRead ReadValue(StreamCursor& in, uint8_t type, ParsedValue& value)
{
    uint32_t number = 0;
    std::string_view bytes;
    switch (type) {
        case 2:
        case 3:
        case 4: {
            const int width = type == 2 ? 1 : type == 3 ? 2 : 4;
            if (!in.Unsigned(number, width))
                return ValueRead::Truncated;
            const int shift = 32 - 8 * width;
            value.Kind = SettingsInteger;
            value.Integer = static_cast<int32_t>(number << shift) >> shift;
            return ValueRead::Read;
        }
        case 6:
        case 12:
        case 20:
            if (!in.Unsigned(number, type == 6 ? 1 : 4) || !in.Bytes(number, bytes))
                return ValueRead::Truncated;
            value.Kind = SettingsText;
            value.Text =
                type == 20 ? SettingsTextFromUtf16(Utf16FromUtf8(bytes)) : std::string(bytes);
            return ValueRead::Read;
        case 18: {
            if (!in.Unsigned(number, 4) || !in.Bytes(uint64_t{number} * 2, bytes))
                return ValueRead::Truncated;
            std::u16string units(number, u'\0');
            for (size_t i = 0; i < units.size(); ++i)
                units[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                                 static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
            value.Kind = SettingsText;
            value.Text = SettingsTextFromUtf16(units);
            return ValueRead::Read;
        }
        case 8:
        case 9:
            value.Kind = SettingsBoolean;
            value.Boolean = type == 9;
            return ValueRead::Read;
        default:
            return ValueRead::BadType;
    }
}

} // namespace

int32_t AppendProperty(int32_t& capacity, int32_t& count, SettingsProperty*& table,
                       std::string_view key, uint8_t kind, bool boolean, int32_t integer,
                       std::string_view text)
{
    if (count >= capacity || table == nullptr) {
        const int32_t grown = count >= capacity ? capacity + SettingsTableGrowth : capacity;
        auto* larger = static_cast<SettingsProperty*>(
            SettingsAlloc(static_cast<size_t>(grown) * sizeof(SettingsProperty)));
        if (count > 0)
            std::memcpy(larger, table, static_cast<size_t>(count) * sizeof(SettingsProperty));
        SettingsFree(table);
        table = larger;
        capacity = grown;
    }
    SettingsProperty& entry = table[count];
    entry.Key = CopyText(key);
    entry.Kind = kind;
    entry.Boolean = boolean ? 1 : 0;
    entry.Integer = integer;
    entry.Text = text.empty() ? nullptr : CopyText(text);
    return count++;
}

int32_t IndexOfProperty(int32_t count, const SettingsProperty* table, std::string_view key)
{
    for (int32_t i = 0; i < count; ++i)
        if (table[i].Key != nullptr && key == table[i].Key)
            return i;
    return -1;
}

void FreePropertyTable(int32_t count, SettingsProperty* table)
{
    if (table == nullptr)
        return;
    for (int32_t i = 0; i < count; ++i) {
        SettingsFree(table[i].Key);
        SettingsFree(table[i].Text);
    }
    SettingsFree(table);
}

void FreeProperties(ModuleSettingsRecord& record)
{
    FreePropertyTable(record.Count, record.Table);
    record.Table = nullptr;
}

SettingsParseResult ParseSettingsStream(const uint8_t* data, size_t size)
{
    SettingsParseResult result;
    if (data == nullptr || size < SettingsStreamHeaderSize ||
        std::memcmp(data, SettingsStreamHeader, SettingsStreamHeaderSize) != 0)
        return result;
    result.Capacity = SettingsTableCapacity;
    result.Table = static_cast<SettingsProperty*>(
        SettingsAlloc(static_cast<size_t>(SettingsTableCapacity) * sizeof(SettingsProperty)));
    StreamCursor in(data, size, SettingsStreamHeaderSize);
    for (;;) {
        uint8_t keyLength = 0;
        std::string_view key;
        uint8_t type = 0;
        if (!in.Byte(keyLength)) {
            result.Status = SettingsParseStatus::Truncated;
            return result;
        }
        if (keyLength == 0) {
            result.Status = SettingsParseStatus::Complete;
            return result;
        }
        ParsedValue value;
        const ValueRead read = in.Bytes(keyLength, key) && in.Byte(type)
                                   ? ReadValue(in, type, value)
                                   : ValueRead::Truncated;
        if (read != ValueRead::Read) {
            result.Status = read == ValueRead::BadType ? SettingsParseStatus::BadValueType
                                                       : SettingsParseStatus::Truncated;
            result.BadValueType = type;
            return result;
        }
        AppendProperty(result.Capacity, result.Count, result.Table, key, value.Kind, value.Boolean,
                       value.Integer, value.Text);
    }
}

std::string InvalidSettingsResourceMessage(uint8_t valueType)
{
    return "Internal error: Invalid settings resource (" + FormatHex(valueType, 1, '0') + ").";
}

std::string ProcessObjectName(std::string_view baseName, uint32_t processId)
{
    return std::string(baseName) + FormatHex(processId, 1, '0');
}

// Enumerated keys have kind 2 and keep their default in the integer field.
const SettingsProperty DefaultSettings[DefaultSettingsCount] = {
    {"Enabled", SettingsBoolean, 0, 0, nullptr},
    {"NoSettings", SettingsBoolean, 1, 0, nullptr},
    {"CheckFreeze", SettingsBoolean, 0, 0, nullptr},
    {"FreezeTimeout", SettingsInteger, 0, 60, nullptr},
    {"AutoSave", SettingsBoolean, 1, 0, nullptr},
    {"AutoSaveIfNotSent", SettingsBoolean, 1, 0, nullptr},
    {"AutoSend", SettingsBoolean, 0, 0, nullptr},
    {"AutoSendBox", SettingsBoolean, 0, 0, nullptr},
    {"AutoClip", SettingsBoolean, 1, 0, nullptr},
    {"PauseThreads", SettingsBoolean, 0, 0, nullptr},
    {"PlWaitBox", SettingsBoolean, 1, 0, nullptr},
    {"AutoContinue", SettingsBoolean, 0, 0, nullptr},
    {"AutoRestart", SettingsInteger, 0, 0, nullptr},
    {"AutoClose", SettingsInteger, 0, 0, nullptr},
    {"AutoDelay", SettingsInteger, 0, 60, nullptr},
    {"SendBtnVis", SettingsBoolean, 1, 0, nullptr},
    {"SaveBtnVis", SettingsBoolean, 0, 0, nullptr},
    {"PrintBtnVis", SettingsBoolean, 0, 0, nullptr},
    {"ShowBtnVis", SettingsBoolean, 1, 0, nullptr},
    {"ContinueBtnVis", SettingsBoolean, 1, 0, nullptr},
    {"RestartBtnVis", SettingsBoolean, 1, 0, nullptr},
    {"CloseBtnVis", SettingsBoolean, 1, 0, nullptr},
    {"FocusedBtn", SettingsBoolean, 0, 0, nullptr},
    {"SendAssis", SettingsText, 0, 0, nullptr},
    {"SaveAssis", SettingsText, 0, 0, nullptr},
    {"PrintAssis", SettingsText, 0, 0, nullptr},
    {"AutoShowBugRep", SettingsBoolean, 0, 0, nullptr},
    {"UglyBtns", SettingsBoolean, 0, 0, nullptr},
    {"MailAddr", SettingsText, 0, 0, nullptr},
    {"SendInBackgr", SettingsBoolean, 1, 0, nullptr},
    {"MailAsSmtpServer", SettingsBoolean, 0, 0, nullptr},
    {"MailAsSmtpClient", SettingsBoolean, 0, 0, nullptr},
    {"UploadViaHttp", SettingsBoolean, 0, 0, nullptr},
    {"MailViaMapi", SettingsBoolean, 1, 0, nullptr},
    {"MailViaMailto", SettingsBoolean, 1, 0, nullptr},
    {"SmtpServer", SettingsText, 0, 0, nullptr},
    {"SmtpPort", SettingsInteger, 0, 25, nullptr},
    {"SmtpAccount", SettingsText, 0, 0, nullptr},
    {"SmtpPassword", SettingsText, 0, 0, nullptr},
    {"HttpServer", SettingsText, 0, 0, nullptr},
    {"HttpPort", SettingsInteger, 0, 80, nullptr},
    {"HttpAccount", SettingsText, 0, 0, nullptr},
    {"HttpPassword", SettingsText, 0, 0, nullptr},
    {"AttachBugRep", SettingsBoolean, 1, 0, nullptr},
    {"AttachBugRepFile", SettingsBoolean, 1, 0, nullptr},
    {"DelBugRepFile", SettingsBoolean, 1, 0, nullptr},
    {"BugRepSendAs", SettingsText, 0, 0, "bugreport.txt"},
    {"BugRepZip", SettingsText, 0, 0, nullptr},
    {"ScrShotDepth", SettingsInteger, 0, 0, nullptr},
    {"ScrShotAppOnly", SettingsBoolean, 1, 0, nullptr},
    {"ScrShotSendAs", SettingsText, 0, 0, "screenshot.png"},
    {"ScrShotZip", SettingsText, 0, 0, nullptr},
    {"AddAttachs", SettingsText, 0, 0, nullptr},
    {"MailFrom", SettingsText, 0, 0, nullptr},
    {"AddFields", SettingsText, 0, 0, nullptr},
    {"BugRepFile", SettingsText, 0, 0, "bugreport.txt"},
    {"AppendBugReps", SettingsBoolean, 1, 0, nullptr},
    {"BugRepFileSize", SettingsInteger, 0, 100000, nullptr},
    {"NoDupExcepts", SettingsBoolean, 1, 0, nullptr},
    {"NoDupFreezes", SettingsBoolean, 1, 0, nullptr},
    {"DupExceptDef", SettingsBoolean, 0, 1, nullptr},
    {"DupFreezeDef", SettingsBoolean, 0, 2, nullptr},
    {"ListThreads", SettingsBoolean, 1, 0, nullptr},
    {"CpuRegs", SettingsBoolean, 1, 0, nullptr},
    {"StackDump", SettingsBoolean, 1, 0, nullptr},
    {"ShowDisAsm", SettingsBoolean, 1, 0, nullptr},
    {"HideUglyItems", SettingsBoolean, 0, 0, nullptr},
    {"ShowRelAddrs", SettingsBoolean, 1, 0, nullptr},
    {"ShowRelLines", SettingsBoolean, 1, 0, nullptr},
    {"FormatDisAsm", SettingsBoolean, 0, 0, nullptr},
    {"LimitDisAsm", SettingsInteger, 0, 5, nullptr},
    {"Plugins", SettingsText, 0, 0, "modules|processes|hardware"},
    {"F1Classes", SettingsText, 0, 0, nullptr},
    {"F1NoBugRep", SettingsBoolean, 0, 0, nullptr},
    {"F1NoScrShot", SettingsBoolean, 0, 0, nullptr},
    {"F1NoHandlers", SettingsBoolean, 0, 0, nullptr},
    {"F1NoSuspend", SettingsBoolean, 0, 0, nullptr},
    {"F1ShowCfg", SettingsBoolean, 0, 0, nullptr},
    {"F1Assis", SettingsText, 0, 0, nullptr},
    {"F2Classes", SettingsText, 0, 0, nullptr},
    {"F2NoBugRep", SettingsBoolean, 0, 0, nullptr},
    {"F2NoScrShot", SettingsBoolean, 0, 0, nullptr},
    {"F2NoHandlers", SettingsBoolean, 0, 0, nullptr},
    {"F2NoSuspend", SettingsBoolean, 0, 0, nullptr},
    {"F2ShowCfg", SettingsBoolean, 0, 0, nullptr},
    {"F2Assis", SettingsText, 0, 0, nullptr},
    {"GnNoBugRep", SettingsBoolean, 0, 0, nullptr},
    {"GnNoScrShot", SettingsBoolean, 0, 0, nullptr},
    {"GnNoHandlers", SettingsBoolean, 0, 0, nullptr},
    {"GnNoSuspend", SettingsBoolean, 0, 0, nullptr},
    {"GnShowCfg", SettingsBoolean, 0, 0, nullptr},
    {"GnAssis", SettingsText, 0, 0, nullptr},
    {"TitleBar", SettingsText, 0, 0, "%appname%"},
    {"ExceptMsg", SettingsText, 0, 0, "An error occurred in the application."},
    {"FrozenMsg", SettingsText, 0, 0, "The application seems to be frozen."},
    {"SendBtnTxt", SettingsText, 0, 0, "send bug report"},
    {"SaveBtnTxt", SettingsText, 0, 0, "save bug report"},
    {"PrintBtnTxt", SettingsText, 0, 0, "print bug report"},
    {"ShowBtnTxt", SettingsText, 0, 0, "show bug report"},
    {"ContinueBtnTxt", SettingsText, 0, 0, "continue bug report"},
    {"RestartBtnTxt", SettingsText, 0, 0, "restart bug report"},
    {"CloseBtnTxt", SettingsText, 0, 0, "close bug report"},
    {"OkBtnTxt", SettingsText, 0, 0, "&OK"},
    {"DetailsBtnTxt", SettingsText, 0, 0, "&Details"},
    {"PlWaitTitle", SettingsText, 0, 0, "Information"},
    {"PlWaitText", SettingsText, 0, 0, "Please wait a moment..."},
    {"MailSubj", SettingsText, 0, 0, "bug report"},
    {"MailBody", SettingsText, 0, 0, "please find the bug report attached"},
    {"SendBoxTitle", SettingsText, 0, 0, "Sending bug report..."},
    {"PrepAttMsg", SettingsText, 0, 0, "Prepare attachments..."},
    {"MxLookMsg", SettingsText, 0, 0, "Searching for mail server..."},
    {"ConnMsg", SettingsText, 0, 0, "Connecting to server..."},
    {"AuthMsg", SettingsText, 0, 0, "Authentication..."},
    {"SendMailMsg", SettingsText, 0, 0, "Sending mail..."},
    {"FieldMsg", SettingsText, 0, 0, "Setting fields..."},
    {"SendAttMsg", SettingsText, 0, 0, "Sending attachments..."},
    {"SendFinalMsg", SettingsText, 0, 0, "Finalizing..."},
    {"SendFailMsg", SettingsText, 0, 0, "Sorry, sending the bug report didn't work."},
    {"VersionVar", SettingsInteger, 0, 0, nullptr},
};

const SettingsProperty* DefaultSetting(std::string_view key)
{
    const int32_t i = IndexOfProperty(DefaultSettingsCount, DefaultSettings, key);
    return i < 0 ? nullptr : &DefaultSettings[i];
}

} // namespace qor
