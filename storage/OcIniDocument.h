#pragma once
// The in-memory INI document behind the INI storages: an ordered list of sections, each an
// ordered list of "name=value" lines. Section and key names match without regard to case.
// Portable: it reads and writes texts; the file storage moves those texts to and from disk.
#include <string>
#include <string_view>
#include <vector>

namespace storage {

class TOcIniDocument {
public:
    struct Section {
        std::string Name;
        std::vector<std::string> Lines;
    };

    const std::vector<Section>& Sections() const { return sections_; }
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    // The text after the first "=" of the first line named `key`; `fallback` when absent.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    // Replaces the key's line, or appends one at the end of the section (added when missing).
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void DeleteKey(std::string_view section, std::string_view key);
    void EraseSection(std::string_view section);
    void Clear() { sections_.clear(); }
    // The names of the lines of `section` in order ("" for lines without "=").
    std::vector<std::string> ValueNames(std::string_view section) const;

    // The file form: "[name]", the lines, an empty line per section; CR LF after each line.
    std::string GetText() const;
    // Parses a file's text: lines trimmed, empty and ";" lines skipped, "[...]" opens (or
    // reopens) a section, lines before the first section dropped, "name = value" stored
    // trimmed as "name=value", other lines kept as they are.
    void SetText(std::string_view text);

    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string name) { fileName_ = std::move(name); }

private:
    const Section* Find(std::string_view section) const;
    Section* Find(std::string_view section);

    std::vector<Section> sections_;
    std::string fileName_;
};

} // namespace storage
