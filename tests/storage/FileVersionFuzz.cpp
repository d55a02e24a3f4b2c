// Feeds arbitrary bytes to the version-resource reader: either as a whole resource, or
// (first byte odd) as patches over a valid resource so that the walk reaches the string
// tables. Any input must end in a parsed object or EBcFileVersionInfoError, never in a read
// outside the buffer (AddressSanitizer).
#include "BcErrors.h"
#include "BcFileVersion.h"
#include "VersionResourceBuilder.h"

#include <cstddef>
#include <cstdint>

namespace {

std::string ValidResource()
{
    using vrb::Binary;
    using vrb::Table;
    using vrb::Text;
    return vrb::Resource({Table("040904B0", {Text("CompanyName", "Orvane"), Binary("B", "\x34\x12"),
                                             Text("ProductName", "Brenvik")}),
                          Table("040704B0", {Text("Comments", "x")})},
                         {0x04B00409});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string resource;
    if (size > 0 && (data[0] & 1)) {
        // Patches: pairs of (offset, byte) applied to a valid resource, then cut to a length.
        resource = ValidResource();
        size_t i = 1;
        for (; i + 1 < size; i += 2)
            resource[data[i] % resource.size()] = static_cast<char>(data[i + 1]);
        if (i < size)
            resource.resize(resource.size() - data[i] % 16);
    } else {
        resource.assign(reinterpret_cast<const char*>(data), size);
    }
    try {
        bcl::TBcFileVersionInfo info(resource);
        for (int key = 1; key <= 12; ++key)
            (void)info.KeyValue(key);
    } catch (const bcl::EBcFileVersionInfoError&) {
    }
    return 0;
}
