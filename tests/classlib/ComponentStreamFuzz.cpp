// Feeds arbitrary bytes to the component-stream reader (into a registered component family
// with every property kind) and to the binary-to-text converter. Any input must end in a
// result or a class-library exception, never in a crash or a leak.
#include "StreamFixture.h"
#include "../support/FuzzInput.h"

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
    const std::string bytes = FuzzStreamBytes(sample, data, size);
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
