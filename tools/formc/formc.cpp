// formc: compiles a text form layout into the binary component stream ("TPF0") at build time.
//
//   formc [--full-width-values] <layout.form> <output.bin> [<output.rc>]
//
// --full-width-values writes every integer as a 32-bit value and every 8-bit text with a 32-bit
// length (for readers that accept only those value types).
// With a third argument it also writes a resource script line that embeds the binary as an
// RCDATA resource named after the root object's class in upper case (as forms find it).
#include "core/ComponentStream.h"
#include "core/FormText.h"
#include "core/SysUtils.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

using namespace classlib;

namespace {

bool ReadFile(const std::string& name, std::string& content)
{
    std::ifstream in(name, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    content = buffer.str();
    return true;
}

bool WriteFile(const std::string& name, const std::string& content)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out);
}

// The class name of the stream's root object.
std::string RootClassName(const std::string& binary)
{
    TStringStream in(binary);
    TReader reader(in);
    reader.ReadSignature();
    uint8_t flags;
    int childPos;
    reader.ReadPrefix(flags, childPos);
    return reader.ReadStr();
}

std::string RcPath(std::string path)
{
    // windres reads C-style string literals.
    std::string r;
    for (char c : path)
        r += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    TValueWidth valueWidth = TValueWidth::Smallest;
    if (argc > 1 && std::string(argv[1]) == "--full-width-values") {
        valueWidth = TValueWidth::Full;
        --argc;
        ++argv;
    }
    if (argc != 3 && argc != 4) {
        std::cerr
            << "usage: formc [--full-width-values] <layout.form> <output.bin> [<output.rc>]\n";
        return 2;
    }
    const std::string layoutName = argv[1];
    std::string layout;
    if (!ReadFile(layoutName, layout)) {
        std::cerr << layoutName << ": cannot read the layout\n";
        return 1;
    }
    std::string binary;
    try {
        binary = ObjectTextToBinary(layout, valueWidth);
    } catch (const Exception& e) {
        // "Line 3: ..." becomes "file:3: ..." for editors and build logs.
        std::string message = e.Message();
        if (message.rfind("Line ", 0) == 0)
            message = message.substr(5);
        std::cerr << layoutName << ":" << message << "\n";
        return 1;
    }
    if (!WriteFile(argv[2], binary)) {
        std::cerr << argv[2] << ": cannot write\n";
        return 1;
    }
    if (argc == 4) {
        const std::string script =
            UpperCase(RootClassName(binary)) + " RCDATA \"" + RcPath(argv[2]) + "\"\n";
        if (!WriteFile(argv[3], script)) {
            std::cerr << argv[3] << ": cannot write\n";
            return 1;
        }
    }
    return 0;
}
