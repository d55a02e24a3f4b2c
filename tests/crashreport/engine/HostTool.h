#pragma once
// Runs an outside program of the host (native build only) with bytes on its standard input
// and returns what it writes to its standard output. A program that cannot be started or
// fails raises, so that a missing tool fails the test.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <unistd.h>

inline std::string RunHostTool(const std::string& command, const std::string& input)
{
    const std::filesystem::path inputFile =
        std::filesystem::temp_directory_path() /
        ("crashreport-tool-" + std::to_string(getpid()) + ".in");
    {
        std::ofstream file(inputFile, std::ios::binary);
        file.write(input.data(), static_cast<std::streamsize>(input.size()));
    }
    FILE* pipe = popen((command + " < '" + inputFile.string() + "'").c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot start: " + command);
    std::string output;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int status = pclose(pipe);
    std::filesystem::remove(inputFile);
    if (status != 0)
        throw std::runtime_error("failed (" + std::to_string(status) + "): " + command);
    return output;
}
