#pragma once
// The text work of the placeholder translation: finding commands between delimiters and
// formatting dates with the platform's date-time tokens. The component that knows the
// commands' values (OcTranslateString.h) calls these.
#include <functional>
#include <string>
#include <string_view>

namespace storage {

// Decides one candidate command: returns true and sets `result` when the command is known.
using TCommandExpander = std::function<bool(const std::string& command, std::string& result)>;

// Replaces every command between `left` and `right` in `text`. Only the first character of
// a longer delimiter is consumed; an unknown command is copied without its opening delimiter
// and its closing delimiter opens the next candidate. An empty delimiter is never found, so
// an empty `left` leaves the text as it is and an empty `right` closes no command.
std::string ExpandDelimitedCommands(std::string_view text, std::string_view left,
                                    std::string_view right, const TCommandExpander& expand);

struct TDateTimeParts {
    int year, month, day, hour, minute, second;
};

// "dd", "mm" (minutes right after an hour token), "yyyy", "hh", "nn", "ss"; every other
// character is copied.
std::string FormatDateTimeText(std::string_view format, const TDateTimeParts& when);

} // namespace storage
