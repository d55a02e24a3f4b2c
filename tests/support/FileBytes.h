#pragma once
// Whole files as bytes, for tests that write fixtures and compare what a program wrote byte
// for byte.
#include <fstream>
#include <sstream>
#include <string>

namespace testsupport {

// The file's bytes; empty when it cannot be read.
inline std::string ReadBytes(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteBytes(const std::string& name, const std::string& bytes)
{
    std::ofstream(name, std::ios::binary) << bytes;
}

} // namespace testsupport
