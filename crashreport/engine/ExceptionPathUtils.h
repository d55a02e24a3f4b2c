#pragma once
// Small routines that the exception path and the bug-report dialogs share: path pieces,
// identifier and range tests, message sentences and the expansion of placeholders in
// configurable texts. Portable; the parts that ask the system are in ExceptionPathSystem.h.
#include <cstdint>
#include <string>
#include <string_view>

namespace qor {

// Paths use "\" as the folder separator.
std::string StripPath(std::string_view path); // after the last "\"
std::string PathOnly(std::string_view path);  // up to and including the last "\"
std::string DriveOf(std::string_view path);   // "C:\", "\\server\share\" or the text itself
std::string StripExt(std::string_view path);  // before the last "."
// `path` made absolute against the executable's full file name, with "\.\" and
// "\folder\..\" pieces resolved.
std::string MakeAbsolutePath(std::string_view path, std::string_view executablePath);

bool IsIdentifier(std::string_view text);
bool ZeroOrInRange(uint32_t value, uint32_t low, uint32_t high);
// The text without trailing ".", "!" and NUL characters, with one "." appended.
std::string MessageSentence(std::string_view text);
// An exception message without control characters (line breaks stay), trimmed; "Unknown"
// when nothing is left.
std::string CleanMessageText(std::string_view message);

// The contact page's plausibility test of an e-mail address: one at sign, not first, a dot
// somewhere after it but not right after it, no leading or trailing dot or blank, and only
// letters, digits, "'", "+", "-", "_" and "." besides.
bool EmailAddressIsValid(std::string_view text);

struct LocalTime {
    int Year, Month, Day, Hour, Minute, Second, Milliseconds;
};
std::string DateText(const LocalTime& time); // 2026-12-11
std::string TimeText(const LocalTime& time); // 09:05:03, 7ms

// The values that placeholders stand for.
struct PlaceholderValues {
    std::string AppName, ModName, AppVersion, ModVersion;
    std::string ExceptClass, ExceptMsg, BugReport;
    LocalTime Now{};
    std::string ComputerName;
    std::string UserAppData, CommonAppData;
};

// Replaces every placeholder (names ignore case) in one pass from left to right: what a
// replacement inserts is never scanned again, so a value that holds a placeholder name (a
// message quoting "%bugReport%", say) stays as it is.
std::string ExpandPlaceholderText(std::string_view text, const PlaceholderValues& values);

} // namespace qor
