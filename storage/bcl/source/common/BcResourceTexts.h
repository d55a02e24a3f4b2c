#pragma once
// The translatable texts of the utility modules, kept in one place so that a translation
// replaces them without touching the code that formats them.

namespace bcl::texts {

inline constexpr const char* Win32ErrorPattern = "Win32 error: %s (%u)%s%s";
inline constexpr const char* FailedToCreateMutex = "Failed to create mutex";
inline constexpr const char* InvalidMmfName = "Invalid MMF name \"%s\"";
inline constexpr const char* MmfCannotBeCreatedEmpty =
    "The MMF named \"%s\" cannot be created empty";
inline constexpr const char* NoVersionInformation = "File contains no version information";
inline constexpr const char* SearchStringBlank = "Search string cannot be blank";
inline constexpr const char* NoAnsiReplacementChar = "Failed to get ANSI replacement character";
inline constexpr const char* UnknownIdentifier = "Unknown identifier '%s'.";
inline constexpr const char* ValueOutOfRange = "Value out of range (%s).";
inline constexpr const char* OrdinalEquals = "ordinal=";
// Words of the class dumps.
inline constexpr const char* Index = "index";
inline constexpr const char* Default = "default";
inline constexpr const char* Read = "read";
inline constexpr const char* Write = "write";
inline constexpr const char* Stored = "stored";
inline constexpr const char* StaticMethod = "static method";
inline constexpr const char* VirtualMethod = "virtual method";
inline constexpr const char* Field = "field";
inline constexpr const char* True = "True";
inline constexpr const char* False = "False";
inline constexpr const char* Unknown = "???";

} // namespace bcl::texts
