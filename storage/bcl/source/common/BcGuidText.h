#pragma once
// Braced text form of a GUID, upper-case digits: {7DAD5224-46EA-11D5-B0C0-4854E825F345}.
#include <cstdint>
#include <string>

namespace bcl {

// Same layout as the platform's GUID.
struct BcGuid {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};

std::string GUIDToBraceText(const BcGuid& guid);

} // namespace bcl
