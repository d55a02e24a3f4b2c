// The map-text reader from outside text; inputs starting with 'P' patch a valid map.
#include "DebugReadersFuzz.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string sample =
        " Start         Length     Name                   Class\r\n"
        " 0001:00401000 0000A123H .text                   CODE\r\n"
        " 0002:0040C000 00000200H .data                   DATA\r\n"
        "\r\n"
        "Detailed map of segments\r\n"
        "\r\n"
        " 0001:00000000 00000800 C=CODE     S=.text    G=(none)   M=System   ACBP=A9\r\n"
        " 0002:00000000 00000010 C=DATA     S=.data    G=DGROUP   M=System   ACBP=A9\r\n"
        "\r\n"
        "  Address         Publics by Value\r\n"
        "\r\n"
        " 0001:00000010       @System@Halt0$qqrv\r\n"
        " 0001:00000900       TForm1.Button1Click (near)\r\n"
        "\r\n"
        "Line numbers for Main(Main.pas) segment .text\r\n"
        "\r\n"
        "    10 0001:00000900    11 0001:00000908\r\n"
        "\r\n"
        "Program entry point at 0001:00000123\r\n";
    qor::DebugTables tables(FuzzLayout);
    qor::ReadMapText(FuzzStreamBytes(sample, data, size), tables);
    CheckTables(tables);
    return 0;
}
