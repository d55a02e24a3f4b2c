// Any bytes: the JPEG decoder either returns a picture or raises EJpegError, never reading
// outside the bytes (AddressSanitizer watches).
#include "draw/JpegCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    try {
        draw::DecodeJpeg(data, size, size % 2 == 0);
    } catch (const draw::EJpegError&) {
    }
    return 0;
}
