#pragma once
// Tests and joins of Windows path texts ("\" as separator, 8-bit system code page). Pure
// text work; the routines that ask the file system live in the Windows part.
#include <string>
#include <string_view>

namespace bcl {

// Path with a "\" appended unless it already ends with one (the empty path gives "\").
std::string PathWithSeparator(std::string_view path);
std::string PathDropSeparator(std::string_view path);
// Path given `extension` (with or without its leading ".") unless it already has it,
// ignoring case; a trailing "." of the path is replaced.
std::string PathEnsureExtension(std::string_view path, std::string_view extension);
bool PathIsDeviceName(std::string_view path); // begins with \\.\ .
bool PathIsUNCName(std::string_view path);    // \\machine\share or \\?\UNC\share
bool PathIsAbsoluteName(std::string_view path);
bool IsAsciiLetter(char c);

} // namespace bcl
