#include "SendJob.h"

#include <fstream>

namespace crashreport {

// The standard streams open files for shared reading and writing on every platform, as a
// report file that the engine still appends to must be readable.
bool ReadFileBytes(const std::string& path, std::string& bytes)
{
    bytes.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0)
        return false;
    in.seekg(0, std::ios::beg);
    bytes.resize(static_cast<size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    return in.gcount() == static_cast<std::streamsize>(size);
}

bool FileExists(const std::string& path)
{
    return static_cast<bool>(std::ifstream(path, std::ios::binary));
}

uint64_t FileSizeOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return 0;
    const std::streamoff size = in.tellg();
    return size < 0 ? 0 : static_cast<uint64_t>(size);
}

} // namespace crashreport
