#include "QorReportText.h"

#include "QorStrings.h"

#include <algorithm>

namespace qor {

namespace {

// Every CR LF, CR and LF becomes a blank, then runs of blanks become one.
std::string OneLine(std::string_view text)
{
    std::string line;
    line.reserve(text.size());
    for (char c : text) {
        const char out = c == '\r' || c == '\n' ? ' ' : c;
        if (out == ' ' && !line.empty() && line.back() == ' ')
            continue;
        line += out;
    }
    return line;
}

// A section's lines: split at CR, LF or CR LF; trailing blanks and control characters cut; an
// empty line written as ".".
void AppendSectionLines(std::string& report, std::string_view content)
{
    size_t start = 0;
    for (;;) {
        size_t end = start;
        while (end < content.size() && content[end] != '\r' && content[end] != '\n')
            ++end;
        std::string line(content.substr(start, end - start));
        while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ')
            line.pop_back();
        report += "\r\n";
        report += line.empty() ? std::string(".") : line;
        if (end >= content.size())
            return;
        start = end + 1;
        if (content[end] == '\r' && start < content.size() && content[start] == '\n')
            ++start;
    }
}

} // namespace

std::string AssembleReportText(TIQEFields& header, TIQEFields& sections)
{
    std::string report;
    header.BeginAccess();
    size_t longest = 0;
    for (int32_t i = 0; i < header.Count(); ++i)
        longest = std::max(longest, header.ItemName(i).size());
    for (int32_t i = 0; i < header.Count(); ++i) {
        const std::string name = header.ItemName(i);
        if (i > 0)
            report += "\r\n";
        report += name;
        report.append(longest + 1 - name.size(), ' ');
        report += ": ";
        report += OneLine(header.Value(name));
    }
    header.EndAccess();

    sections.BeginAccess();
    for (int32_t i = 0; i < sections.Count(); ++i) {
        const std::string name = sections.ItemName(i);
        report += "\r\n\r\n";
        report += name;
        if (name.find(':') == std::string::npos)
            report += ':';
        AppendSectionLines(report, sections.Value(name));
    }
    sections.EndAccess();
    return report;
}

std::string CallstackCrcText(const std::array<uint32_t, 3>& checksums)
{
    std::string text;
    for (uint32_t checksum : checksums) {
        if (!text.empty())
            text += ", ";
        text += FormatHex(checksum, 8, '0');
    }
    return text;
}

std::string ReportDateTimeText(const LocalTime& time)
{
    return DateText(time) + ", " + TimeText(time);
}

std::string ModuleDateTimeText(const LocalTime& time)
{
    return DateText(time) + " " + FormatInt(time.Hour, 2, '0') + ":" +
           FormatInt(time.Minute, 2, '0');
}

std::string HeaderMessageText(std::string_view message)
{
    return OneLine(MessageSentence(message));
}

std::string CpuRegistersText(const std::array<uint32_t, 9>& registers)
{
    static const char* const names[9] = {"eax", "ebx", "ecx", "edx", "esi",
                                         "edi", "eip", "esp", "ebp"};
    std::string text;
    for (size_t i = 0; i < registers.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += std::string(names[i]) + " = " + FormatHex(registers[i], 8, '0').substr(1);
    }
    return text;
}

std::string ClassFilterGroup(std::string_view f1Classes, std::string_view f2Classes,
                             const std::function<bool(const std::string&)>& inherits)
{
    auto matches = [&](std::string_view list) {
        const int count = ListItemCount(list, ',');
        for (int i = 1; i <= count; ++i) {
            const std::string name = TrimmedCopy(ListItem(list, i, ','));
            if (!name.empty() && inherits(name))
                return true;
        }
        return false;
    };
    if (matches(f1Classes))
        return "F1";
    if (matches(f2Classes))
        return "F2";
    return "Gn";
}

} // namespace qor
