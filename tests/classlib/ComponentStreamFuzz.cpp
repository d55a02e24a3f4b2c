// Feeds arbitrary bytes to the component-stream reader (into a registered component family
// with every property kind) and to the binary-to-text converter. Any input must end in a
// result or a class-library exception, never in a crash or a leak.
#include "StreamFixture.h"

#include "core/FormText.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace classlib;
using namespace streamfixture;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool registered = (RegisterFixtureClasses(), true);
    (void)registered;
    static const std::string sample = SampleStream();
    std::string bytes(reinterpret_cast<const char*>(data), size);
    // Inputs starting with 'P' patch the sample stream (offset from the next two bytes), so the
    // search reaches deep into valid streams without a seed corpus.
    if (size >= 3 && data[0] == 'P') {
        const size_t offset = (data[1] | (data[2] << 8)) % sample.size();
        std::string patched = sample;
        patched.replace(offset, std::min(size - 3, patched.size() - offset), bytes.substr(3));
        bytes = patched;
    }
    try {
        TStringStream in(bytes);
        TComponent* root = ReadComponentFromStream(in, nullptr);
        root->Free();
    } catch (const Exception&) {
    }
    try {
        auto* board = new TBoard(nullptr);
        TStringStream in(bytes);
        try {
            ReadComponentFromStream(in, board);
        } catch (const Exception&) {
        }
        board->Free();
    } catch (const Exception&) {
    }
    try {
        ObjectBinaryToText(bytes);
    } catch (const Exception&) {
    }
    try {
        ObjectTextToBinary(bytes);
    } catch (const Exception&) {
    }
    return 0;
}
