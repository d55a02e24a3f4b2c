// The TD32 reader from outside bytes; inputs starting with 'P' patch valid debug data.
#include "DebugFileWriter.h"
#include "DebugReadersFuzz.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string sample = [] {
        std::string globals(32, '\0');
        globals += Td32Symbol(0x0204, 44, 40, 28, 2, 0x300);
        globals += Td32Symbol(0x0201, 20, 16, 4, 3, 0x004);
        return Td32Data({Td32Names({"Main.pas", "@Main@TForm1@Click$qqrv", "Counter"}),
                         Td32Module(1, {{1, 1, 0x200, 0x400}, {2, 0, 0, 0x20}}),
                         Td32SourceLines(1, 1, {{7, 0x210}, {8, 0x220}}),
                         {0x129, globals}});
    }();
    qor::DebugTables tables(FuzzLayout);
    qor::ReadTd32Data(FuzzStreamBytes(sample, data, size), tables);
    CheckTables(tables);
    return 0;
}
