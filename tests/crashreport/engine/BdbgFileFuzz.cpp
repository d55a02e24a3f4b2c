// The ".bdbg" reader from outside bytes; inputs starting with 'P' patch a valid file (whose
// checksum then usually fails: the patch may clear the checksum flag at offset 33 too).
#include "DebugFileWriter.h"
#include "DebugReadersFuzz.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string sample = [] {
        BdbgContent content;
        content.files = {{0, XorPoolEntry("C:\\src\\System.pas")},
                         {0x400, PackedPoolEntry("Main")}};
        content.symbols = {{0x10, PackedPoolEntry("Halt0"), ""},
                           {0x420, PackedPoolEntry("Click"), XorPoolEntry("TForm1")}};
        content.lines = {{5, 0x400}, {6, 0x410}};
        content.checksumValid = false;
        return BdbgFile(content);
    }();
    qor::DebugTables tables(FuzzLayout);
    qor::ReadBdbgFile(FuzzStreamBytes(sample, data, size), tables);
    CheckTables(tables);
    return 0;
}
