// Fuzz target of the zip writer's inputs: the bytes are split into members (a name length, a
// name, a content length, a content); the archive is then read back with zlib and must give
// every member's name and bytes.
#include "ZipCompression.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace crashui;

namespace {

class TStringZipWriter : public TZipWriter {
public:
    std::string bytes;

protected:
    bool Write(const void* data, size_t size) override
    {
        bytes.append(static_cast<const char*>(data), size);
        return true;
    }
};

uint32_t Le(const std::string& s, size_t at, int size)
{
    uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(s[at + i]);
    return v;
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    struct TInput {
        std::string name, content;
    };
    std::vector<TInput> inputs;
    size_t at = 0;
    while (at + 3 <= size && inputs.size() < 8) {
        const size_t nameLength = std::min<size_t>(data[at], size - at - 3);
        const size_t contentLength =
            std::min<size_t>(data[at + 1] * 64 + data[at + 2], size - at - 3 - nameLength);
        at += 3;
        TInput in;
        in.name.assign(reinterpret_cast<const char*>(data + at), nameLength);
        at += nameLength;
        in.content.assign(reinterpret_cast<const char*>(data + at), contentLength);
        at += contentLength;
        inputs.push_back(std::move(in));
    }
    TStringZipWriter writer;
    for (const TInput& in : inputs) {
        TZipMember member;
        member.name = in.name;
        Check(writer.AddMember(member, reinterpret_cast<const uint8_t*>(in.content.data()),
                               static_cast<uint32_t>(in.content.size())));
    }
    if (!writer.Finish()) {
        Check(inputs.empty());
        return 0;
    }
    const std::string& zip = writer.bytes;
    // End record, then each central entry and the local entry it points to.
    Check(zip.size() >= 22 && Le(zip, zip.size() - 22, 4) == 0x06054B50);
    Check(Le(zip, zip.size() - 10, 4) + Le(zip, zip.size() - 6, 4) + 22 == zip.size());
    size_t central = Le(zip, zip.size() - 6, 4);
    Check(Le(zip, zip.size() - 12, 2) == inputs.size());
    for (const TInput& in : inputs) {
        Check(Le(zip, central, 4) == 0x02014B50);
        const size_t nameLength = Le(zip, central + 28, 2);
        Check(zip.compare(central + 46, nameLength, in.name) == 0);
        const size_t local = Le(zip, central + 42, 4);
        Check(zip.compare(local + 4, 26, zip, central + 6, 26) == 0);
        const uint32_t packed = Le(zip, local + 18, 4), length = Le(zip, local + 22, 4);
        Check(length == in.content.size());
        std::string out(length, '\0');
        z_stream z{};
        inflateInit2(&z, -15);
        z.next_in =
            reinterpret_cast<Bytef*>(const_cast<char*>(zip.data() + local + 30 + nameLength));
        z.avail_in = packed;
        char none = 0;
        z.next_out =
            length ? reinterpret_cast<Bytef*>(out.data()) : reinterpret_cast<Bytef*>(&none);
        z.avail_out = length;
        Check(inflate(&z, Z_FINISH) == Z_STREAM_END && z.avail_in == 0);
        inflateEnd(&z);
        Check(out == in.content);
        Check(Le(zip, local + 14, 4) == crc32(0, reinterpret_cast<const Bytef*>(in.content.data()),
                                              static_cast<uInt>(in.content.size())));
        central += 46 + nameLength;
    }
    return 0;
}
