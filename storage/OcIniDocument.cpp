#include "OcIniDocument.h"

#include "core/SysUtils.h"

namespace storage {

using classlib::SameText;
using classlib::Trim;

namespace {

// The name part of a line: the text before its first "=", or "" when it has none.
std::string_view LineName(std::string_view line)
{
    const size_t eq = line.find('=');
    return eq == std::string_view::npos ? std::string_view() : line.substr(0, eq);
}

bool LineHasName(std::string_view line, std::string_view key)
{
    return line.find('=') != std::string_view::npos && SameText(LineName(line), key);
}

} // namespace

const TOcIniDocument::Section* TOcIniDocument::Find(std::string_view section) const
{
    for (const Section& s : sections_)
        if (SameText(s.Name, section))
            return &s;
    return nullptr;
}

TOcIniDocument::Section* TOcIniDocument::Find(std::string_view section)
{
    return const_cast<Section*>(static_cast<const TOcIniDocument*>(this)->Find(section));
}

bool TOcIniDocument::SectionExists(std::string_view section) const
{
    return Find(section) != nullptr;
}

bool TOcIniDocument::ValueExists(std::string_view section, std::string_view key) const
{
    if (const Section* s = Find(section))
        for (const std::string& line : s->Lines)
            if (LineHasName(line, key))
                return true;
    return false;
}

std::string TOcIniDocument::ReadString(std::string_view section, std::string_view key,
                                       std::string_view fallback) const
{
    if (const Section* s = Find(section))
        for (const std::string& line : s->Lines)
            if (LineHasName(line, key))
                return line.substr(line.find('=') + 1);
    return std::string(fallback);
}

void TOcIniDocument::WriteString(std::string_view section, std::string_view key,
                                 std::string_view value)
{
    Section* s = Find(section);
    if (!s) {
        sections_.push_back(Section{std::string(section), {}});
        s = &sections_.back();
    }
    std::string line = std::string(key) + "=" + std::string(value);
    for (std::string& existing : s->Lines)
        if (LineHasName(existing, key)) {
            existing = std::move(line);
            return;
        }
    s->Lines.push_back(std::move(line));
}

void TOcIniDocument::DeleteKey(std::string_view section, std::string_view key)
{
    if (Section* s = Find(section))
        for (auto it = s->Lines.begin(); it != s->Lines.end(); ++it)
            if (LineHasName(*it, key)) {
                s->Lines.erase(it);
                return;
            }
}

void TOcIniDocument::EraseSection(std::string_view section)
{
    for (auto it = sections_.begin(); it != sections_.end(); ++it)
        if (SameText(it->Name, section)) {
            sections_.erase(it);
            return;
        }
}

std::vector<std::string> TOcIniDocument::ValueNames(std::string_view section) const
{
    std::vector<std::string> names;
    if (const Section* s = Find(section))
        for (const std::string& line : s->Lines)
            names.emplace_back(LineName(line));
    return names;
}

std::string TOcIniDocument::GetText() const
{
    std::string text;
    for (const Section& s : sections_) {
        text += "[" + s.Name + "]\r\n";
        for (const std::string& line : s.Lines)
            text += line + "\r\n";
        text += "\r\n";
    }
    return text;
}

void TOcIniDocument::SetText(std::string_view text)
{
    sections_.clear();
    Section* current = nullptr;
    size_t pos = 0;
    while (pos < text.size()) {
        // Lines end at CR LF, LF or CR, as the platform's string lists split them.
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string line = Trim(text.substr(pos, end - pos));
        pos = end;
        if (pos < text.size())
            pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;

        if (line.empty() || line[0] == ';')
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            const std::string name = Trim(std::string_view(line).substr(1, line.size() - 2));
            current = Find(name);
            if (!current) {
                sections_.push_back(Section{name, {}});
                current = &sections_.back();
            }
            continue;
        }
        if (!current)
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            current->Lines.push_back(line);
        else
            current->Lines.push_back(Trim(std::string_view(line).substr(0, eq)) + "=" +
                                     Trim(std::string_view(line).substr(eq + 1)));
    }
}

} // namespace storage
