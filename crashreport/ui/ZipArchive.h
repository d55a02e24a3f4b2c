#pragma once
// Zip archives of files (the delivery's attachments): each file deflated whole into memory,
// names stored as UTF-8, no Zip64.
#include "core/SysUtils.h"

#include <vector>

namespace crashui {

// Writes the files into a new archive; each is stored under the archive name of its index when
// the list has one, else under its name part. Files that cannot be opened, held in memory or
// read completely are left out. False, with the archive deleted, when a write fails or no file
// was stored.
bool WriteZipArchive(const classlib::WideString& archivePath,
                     const std::vector<classlib::WideString>& filePaths,
                     const std::vector<classlib::WideString>& archiveNames);

} // namespace crashui
