#pragma once
// Fixtures of the drawing tests: image files written by outside tools, and COM streams over
// bytes for the GDI+ loaders.
#include <windows.h>
#include <objidl.h>

#include <memory>
#include <string>

#include "FileBytes.h"

namespace drawtest {

// The bytes of a file in tests/draw/data.
inline std::string FixtureBytes(const std::string& name)
{
    return testsupport::ReadBytes(std::string(BRENVIK_TEST_DATA) + name);
}

struct ReleaseStream {
    void operator()(IStream* stream) const { stream->Release(); }
};
using StreamPtr = std::unique_ptr<IStream, ReleaseStream>;

// A COM stream on a copy of `bytes`, positioned at its start.
inline StreamPtr ComStream(const std::string& bytes)
{
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    ULONG written = 0;
    stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return StreamPtr(stream);
}

} // namespace drawtest
