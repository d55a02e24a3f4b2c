#pragma once
// The folder of the running test program, with its trailing backslash (helper programs are built
// next to it).
#include <windows.h>

#include <string>

inline std::string Folder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}
