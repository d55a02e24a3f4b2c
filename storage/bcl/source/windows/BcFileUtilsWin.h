#pragma once
// File-system side of the path routines: presence tests, module file names, the standard
// folders, and reading a file's version resource.
#include "BcFileVersion.h"

#include <windows.h>

#include <string>

namespace bcl {

bool FileExistsNotFolder(const std::string& fileName);
std::string ModuleFileName(HMODULE module);
std::string TempFolderWithSeparator();
std::string WindowsTempFolder();
std::string WindowsFolder();
std::string SpecialFolderPath(int folderId); // CSIDL number; empty when unknown
std::string AppDataFolder();

// Reads and parses the version resource of a file. Raises EBcFileVersionInfoError when the
// file has none (or an invalid one), EBcWin32Error when reading it fails.
TBcFileVersionInfo ReadFileVersionInfo(const std::string& fileName);
// The fixed part of a file's version resource; false when it has none of 52 bytes.
bool ReadFixedFileInfo(const std::string& fileName, VsFixedFileInfo& fixedInfo);

} // namespace bcl
