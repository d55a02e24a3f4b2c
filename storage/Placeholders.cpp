#include "Placeholders.h"

#include "core/StrUtils.h"

#include <cstdio>

namespace storage {

std::string ExpandDelimitedCommands(std::string_view text, std::string_view left,
                                    std::string_view right, const TCommandExpander& expand)
{
    std::string input(text);
    std::string result;
    while (!input.empty()) {
        // Pos gives 0 ("no match") for an empty delimiter: that ends the scan instead of
        // matching an empty command forever.
        const int i = classlib::Pos(left, input);
        if (i == 0) {
            result += input;
            break;
        }
        result.append(input, 0, static_cast<size_t>(i - 1));
        input.erase(0, static_cast<size_t>(i));
        const int j = classlib::Pos(right, input);
        if (j == 0) {
            result.append(left);
            result += input;
            break;
        }
        const std::string command = input.substr(0, static_cast<size_t>(j - 1));
        std::string replacement;
        if (expand(command, replacement)) {
            result += replacement;
            input.erase(0, static_cast<size_t>(j));
        } else {
            result += command;
            input.erase(0, static_cast<size_t>(j - 1));
        }
    }
    return result;
}

std::string FormatDateTimeText(std::string_view format, const TDateTimeParts& when)
{
    auto two = [](int v) {
        char text[16];
        std::snprintf(text, sizeof(text), "%02d", v);
        return std::string(text);
    };
    std::string result;
    bool afterHour = false;
    for (size_t i = 0; i < format.size();) {
        const std::string_view rest = format.substr(i);
        auto token = [&](std::string_view t) {
            return rest.size() >= t.size() && (rest.substr(0, t.size()) == t);
        };
        if (token("yyyy")) {
            char text[16];
            std::snprintf(text, sizeof(text), "%04d", when.year);
            result += text;
            i += 4;
            afterHour = false;
        } else if (token("dd")) {
            result += two(when.day);
            i += 2;
            afterHour = false;
        } else if (token("mm")) {
            result += two(afterHour ? when.minute : when.month);
            i += 2;
            afterHour = false;
        } else if (token("hh")) {
            result += two(when.hour);
            i += 2;
            afterHour = true;
        } else if (token("nn")) {
            result += two(when.minute);
            i += 2;
            afterHour = false;
        } else if (token("ss")) {
            result += two(when.second);
            i += 2;
            afterHour = false;
        } else {
            result += format[i++];
        }
    }
    return result;
}

} // namespace storage
