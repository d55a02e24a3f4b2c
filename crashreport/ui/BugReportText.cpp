#include "BugReportText.h"

#include <cstdlib>
#include <cstring>

namespace crashui {

namespace {

constexpr std::string_view ReportStart = "\r\ndate/time";

std::string Prefixed(std::string_view item)
{
    return "\r\n" + std::string(item);
}

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32)
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32)
        s.remove_suffix(1);
    return s;
}

} // namespace

std::string HeaderLineValue(std::string_view report, std::string_view item)
{
    const size_t found = report.find(Prefixed(item));
    if (found == std::string_view::npos)
        return {};
    size_t p = found + 2 + item.size();
    size_t end = report.find("\r\n", p);
    if (end == std::string_view::npos)
        end = report.size();
    while (p < end && report[p] == ' ')
        ++p;
    // Anything but the colon means the name was only the start of a longer item name.
    if (p >= end || report[p] != ':')
        return {};
    p += 2;
    return p >= end ? std::string() : std::string(report.substr(p, end - p));
}

bool SameHeaderValue(std::string_view report1, std::string_view report2, std::string_view item)
{
    return HeaderLineValue(report1, item) == HeaderLineValue(report2, item);
}

void InsertHeaderLine(std::string& report, std::string_view item, std::string_view anchor,
                      std::string_view value)
{
    const size_t found = report.find(Prefixed(anchor));
    if (found == std::string::npos)
        return;
    const size_t lineStart = found + 2;
    const size_t end = report.find("\r\n", lineStart);
    if (end == std::string::npos)
        return;
    const size_t colon = report.find(':', lineStart);
    if (colon == std::string::npos || colon > end)
        return;
    std::string line = "\r\n" + std::string(item);
    if (line.size() - 2 < colon - lineStart)
        line.append(colon - lineStart - (line.size() - 2), ' ');
    line += ": ";
    line += value;
    report.insert(end, line);
}

std::string ReportHeaderField(std::string_view report, std::string_view item)
{
    const size_t found = report.find(Prefixed(item) + " ");
    if (found == std::string_view::npos)
        return {};
    const size_t end = report.find("\r\n", found + 10);
    if (end == std::string_view::npos)
        return {};
    const std::string_view line = report.substr(found + 2, end - found - 2);
    const size_t colon = line.find(':');
    return colon == std::string_view::npos ? std::string()
                                           : std::string(Trimmed(line.substr(colon + 1)));
}

std::string DuplicateKey(std::string_view report, const TBugReportRules& rules)
{
    const std::string crc = HeaderLineValue(report, "callstack crc");
    if (crc.size() != 31)
        return {};
    const bool exception = !HeaderLineValue(report, "exception class").empty();
    if (!(exception ? rules.noDupExcepts : rules.noDupFreezes))
        return {};
    const int rule = exception ? rules.dupExceptDef : rules.dupFreezeDef;
    return crc.substr(0, rule == 0 ? 9 : rule == 1 ? 20 : 31);
}

bool OldContentNeedsWork(std::string_view report, uint64_t fileSize, const TBugReportRules& rules)
{
    if (!rules.append || fileSize == 0)
        return false;
    return !DuplicateKey(report, rules).empty() || (rules.maxSize != 0 && rules.maxSize < fileSize);
}

namespace {

// Whether the old report repeats the new one: the same program, module, exception class and
// version, and for an unversioned program the same file dates.
bool IsRepeat(std::string_view old, std::string_view report)
{
    for (const char* item : {"executable", "current module", "exception class", "version"})
        if (!SameHeaderValue(old, report, item))
            return false;
    if (!HeaderLineValue(old, "version").empty())
        return true;
    return SameHeaderValue(old, report, "exec. date/time") &&
           SameHeaderValue(old, report, "module date/time");
}

// Cuts the latest repeat of `report` out of the content; returns the new size.
size_t MergeRepeat(char* content, size_t size, std::string& report, const std::string& key)
{
    const std::string_view text(content, size);
    const std::string needle = ": " + key;
    size_t from = text.size();
    while (from > 0) {
        const size_t match = text.rfind(needle, from - 1);
        if (match == std::string_view::npos)
            break;
        from = match;
        size_t start;
        const size_t before =
            match == 0 ? std::string_view::npos : text.rfind(ReportStart, match - 1);
        if (before != std::string_view::npos)
            start = before + 2;
        else if (text.substr(0, ReportStart.size() - 2) == ReportStart.substr(2))
            start = 0;
        else
            continue;
        const size_t next = text.find(ReportStart, match);
        const size_t end = next == std::string_view::npos ? size : next + 2;
        const std::string_view old = text.substr(start, end - start);
        if (!IsRepeat(old, report))
            continue;
        const std::string count = HeaderLineValue(old, "count");
        const long previous = count.empty() ? 1 : std::strtol(count.c_str(), nullptr, 10);
        InsertHeaderLine(report, "count", "callstack crc",
                         std::to_string((previous > 0 ? previous : 1) + 1));
        std::memmove(content + start, content + end, size - end);
        return size - (end - start);
    }
    return size;
}

// Drops the oldest reports until the rest is below three quarters of the limit; returns the
// new size. A single report larger than that stays whole.
size_t Trim(char* content, size_t size, uint32_t maxSize)
{
    const std::string_view text(content, size);
    const uint64_t keep = maxSize - maxSize / 4;
    for (size_t at = text.find(ReportStart, 1); at != std::string_view::npos;
         at = text.find(ReportStart, at + 1)) {
        if (size - at < keep) {
            const size_t cut = at + 2;
            std::memmove(content, content + cut, size - cut);
            return size - cut;
        }
    }
    return size;
}

} // namespace

size_t MergeAndTrim(char* content, size_t size, std::string& report, const TBugReportRules& rules)
{
    if (!rules.append)
        return 0;
    const bool trimDue = rules.maxSize != 0 && rules.maxSize < size;
    if (size > 0) {
        const std::string key = DuplicateKey(report, rules);
        if (!key.empty())
            size = MergeRepeat(content, size, report, key);
    }
    if (trimDue)
        size = Trim(content, size, rules.maxSize);
    return size;
}

} // namespace crashui
