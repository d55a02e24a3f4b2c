#pragma once
// The exception path's routines that ask the system (Windows): module paths, the engine's
// temporary folder, the computer name, registry values, the time in seconds, open security
// attributes, placeholder expansion with the system's values, and the clipboard.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace qor {

std::string ModuleFilePath(HMODULE module); // 0: the executable
std::string MakeAbsolute(std::string_view path);
// "<temp>\<exe name without extension>.qorExcept\", created when missing; empty when the
// system gives no temporary folder.
std::string LibraryTempFolder();
void ClearLibraryTempFolder();

std::string ComputerNameStr();
std::string ReadRegistryText(HKEY root, const std::string& path, const std::string& valueName);
bool WriteRegistryText(HKEY root, const std::string& path, const std::string& valueName,
                       const std::string& text);
bool DeleteRegistryValue(HKEY root, const std::string& path, const std::string& valueName);
// Whole seconds since 1601-01-01 (UTC).
int64_t SecondsNow();
// Not inheritable, every access for everyone (a present but null access list).
void EveryoneSecurityAttributes(SECURITY_ATTRIBUTES& attributes, SECURITY_DESCRIPTOR& descriptor);

// The placeholders of configurable texts expanded for `module` (see ExpandPlaceholderText).
std::string ExpandPlaceholders(HMODULE module, std::string_view text, std::string_view classText,
                               std::string_view messageText, std::string_view reportText);
// The module file's version number ("1.2.3.4"), empty when the file has none (or it is 0).
std::string FileVersionText(HMODULE module);

// Puts the text on the clipboard as CF_TEXT.
void CopyToClipboard(std::string_view text);

} // namespace qor
