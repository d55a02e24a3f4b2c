// Any bytes as a PNG stream: loading must end in the image or in the codec's exception, with
// no read outside the data and no unbounded allocation; a small loaded image is saved and
// loaded again.
#include "PngImage.h"

#include "core/Streams.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    png::TPNGImage image;
    classlib::TStringStream input(std::string(reinterpret_cast<const char*>(data), size));
    try {
        image.LoadFromStream(input);
    } catch (const classlib::Exception&) {
        return 0;
    }
    if (uint64_t(image.Width()) * uint64_t(image.Height()) > 256 * 256)
        return 0;
    try {
        classlib::TStringStream output;
        image.SaveToStream(output);
        png::TPNGImage again;
        output.SetPosition(0);
        again.LoadFromStream(output);
    } catch (const classlib::Exception&) {
    }
    return 0;
}
