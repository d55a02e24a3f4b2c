// The packed debug payload from outside bytes. Inputs starting with 'P' patch a valid file;
// inputs starting with 'T' are packed and enciphered as tables, so that the table reader is
// reached with arbitrary decoded bytes.
#include "DebugFileWriter.h"
#include "DebugReadersFuzz.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string sample = [] {
        SyntheticDebugInfo info;
        info.segments = {{0, 0x100, "System"}, {0x100, 0x300, "Main"}};
        info.publics = {{"@System@Halt0$qqrv", 0x10}, {"TForm1.Click", 0x180}};
        info.lines = {{1, 0x100}, {2, 0x108}};
        return PackedDebugFile(PackedTables(info, false));
    }();
    qor::DebugTables tables(FuzzLayout);
    if (size >= 2 && data[0] == 'T') {
        PackedHeaderFields fields;
        fields.flags = data[1] & 1;
        qor::ReadPackedDebugInfo(
            PackedDebugFile(std::string(reinterpret_cast<const char*>(data) + 2, size - 2), fields),
            tables);
    } else {
        qor::ReadPackedDebugInfo(FuzzStreamBytes(sample, data, size), tables);
    }
    CheckTables(tables);
    return 0;
}
