// Any bytes as a settings file: parsing never reads out of bounds, and what the document
// writes parses back to the same text.
#include "OcIniDocument.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    storage::TOcIniDocument doc;
    doc.SetText(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string text = doc.GetText();
    for (const auto& section : doc.Sections())
        for (const std::string& line : section.Lines) {
            const size_t eq = line.find('=');
            if (eq != std::string::npos)
                (void)doc.ReadString(section.Name, line.substr(0, eq), "");
        }
    storage::TOcIniDocument again;
    again.SetText(text);
    if (again.GetText() != text)
        std::abort();
    return 0;
}
