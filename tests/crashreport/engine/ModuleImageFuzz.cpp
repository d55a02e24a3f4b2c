// The module-image readers over any bytes, as a file and as a loaded image: no read outside the
// view (the address sanitizer watches), whatever the headers and tables claim.
#include "QorModuleImage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qor::ByteViewMemory view(data, size, 0x400000);
    for (qor::PeLayout layout : {qor::PeLayout::File, qor::PeLayout::Loaded}) {
        qor::PeImageReader pe(view, 0x400000, layout);
        if (!pe.Valid())
            continue;
        for (uint32_t i = 0; i < pe.DataDirectoryCount(); ++i)
            pe.DataDirectory(i);
        for (const qor::PeExport& e : pe.Exports()) {
            uint32_t rva = 0;
            pe.ExportNameOfRva(e.rva);
            if (!e.name.empty())
                pe.ExportRvaByName(e.name, rva);
            pe.ExportRvaByOrdinal(e.ordinal, rva);
        }
        pe.Imports();
        pe.ExportNameOfRva(pe.EntryPointRva());
    }
    qor::ExportNameAt(view, 0x400000 + (size > 4 ? data[size - 1] * 4u : 0u));
    return 0;
}
