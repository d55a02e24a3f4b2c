#include "OcAppIniStorage.h"

#include "OcBCLUtils.h"

#include "core/SysUtils.h"

namespace storage {

using namespace classlib;

CLASSLIB_DEFINE_ENUM(TFileLocation, "flCustom", "flWindows", "flTemp", "flExeFile", "flUserFolder")

// ---- memory file ------------------------------------------------------------------------------

TOcCustomAppMemoryFileStorage::TOcCustomAppMemoryFileStorage(TComponent* owner)
    : TOcCustomAppStorage(owner)
{
}

void TOcCustomAppMemoryFileStorage::RereadStorage()
{
    fileLoaded_ = true;
    physicalReadOnly_ = !fullFileName_.empty() && FileHasReadOnlyAttribute(fullFileName_);
    inherited::RereadStorage();
}

bool TOcCustomAppMemoryFileStorage::NeedsReload() const
{
    // A storage reads its file on first use even without AutoReload.
    return (!fileLoaded_ || AutoReload()) && UpdateCount() == 0;
}

std::string TOcCustomAppMemoryFileStorage::GetTranslatedFileName()
{
    std::string name = fileName_;
    if (OnGetFileName)
        OnGetFileName(this, name);
    return name;
}

CLASSLIB_PUBLISH(TOcCustomAppMemoryFileStorage)
{
    c.Property("ReadOnly", &TOcCustomAppMemoryFileStorage::ReadOnly,
               &TOcCustomAppMemoryFileStorage::SetReadOnly)
        .SetDefault(false);
}

// ---- INI options ------------------------------------------------------------------------------

void TOcAppIniStorageOptions::Assign(TPersistent* source)
{
    if (auto* other = dynamic_cast<TOcAppIniStorageOptions*>(source)) {
        SetReplaceCRLF(other->replaceCRLF_);
        SetPreserveLeadingTrailingBlanks(other->preserveBlanks_);
    }
    inherited::Assign(source);
}

CLASSLIB_PUBLISH(TOcAppIniStorageOptions)
{
    using C = TOcAppIniStorageOptions;
    c.Property("ReplaceCRLF", &C::ReplaceCRLF, &C::SetReplaceCRLF).SetDefault(false);
    c.Property("PreserveLeadingTrailingBlanks", &C::PreserveLeadingTrailingBlanks,
               &C::SetPreserveLeadingTrailingBlanks)
        .SetDefault(false);
}

// ---- INI storage ------------------------------------------------------------------------------

TOcCustomAppIniStorage::TOcCustomAppIniStorage(TComponent* owner)
    : TOcCustomAppMemoryFileStorage(owner), iniFile_(std::make_unique<TOcIniDocument>())
{
}

TOcCustomAppIniStorage::~TOcCustomAppIniStorage() = default;

CLASSLIB_PUBLISH(TOcCustomAppIniStorage) {}

std::string TOcCustomAppIniStorage::EncodeValue(const std::string& value, bool replaceCRLF,
                                                bool preserveBlanks)
{
    std::string text = value;
    if (replaceCRLF) {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '\\')
                out += "\\\\";
            else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                out += "\\n";
                ++i;
            } else if (c == '\r' || c == '\n')
                out += "\\n";
            else
                out += c;
        }
        text = std::move(out);
    }
    if (preserveBlanks && !text.empty() &&
        (text.front() == ' ' || text.back() == ' ' ||
         (text.size() >= 2 && text.front() == '"' && text.back() == '"')))
        text = "\"" + text + "\"";
    return text;
}

std::string TOcCustomAppIniStorage::DecodeValue(const std::string& value, bool replaceCRLF,
                                                bool preserveBlanks)
{
    std::string text = value;
    if (replaceCRLF) {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\\' && i + 1 < text.size() &&
                (text[i + 1] == '\\' || text[i + 1] == 'n')) {
                out += text[i + 1] == 'n' ? "\r\n" : "\\";
                ++i;
            } else
                out += text[i];
        }
        text = std::move(out);
    }
    if (preserveBlanks && text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return text;
}

std::string TOcCustomAppIniStorage::NormalisedSection(const std::string& section) const
{
    std::string result = section;
    if (result.empty() || result[0] == '.')
        result = defaultSection_ + result;
    if (result.empty() || result[0] == '.')
        throw EOCLAppStorageError("TOcAppIniFileStorage.ReadValue: Section undefined");
    return result;
}

std::pair<std::string, std::string> TOcCustomAppIniStorage::SplitIniPath(
    const std::string& path) const
{
    auto [folder, name] = SplitValuePath(path);
    if (folder.empty())
        folder = defaultSection_;
    return {folder, name};
}

std::string TOcCustomAppIniStorage::FolderPathOf(const std::string& path) const
{
    std::string full = Root() + "\\" + JoinStoragePaths({CurrentPath(), path});
    const size_t start = full.find_first_not_of('\\');
    return start == std::string::npos ? std::string() : full.substr(start);
}

std::string TOcCustomAppIniStorage::ReadValue(const std::string& section, const std::string& key)
{
    ReloadIfNeeded();
    const std::string value = iniFile_->ReadString(NormalisedSection(section), key, "");
    return DecodeValue(value, StorageOptions()->ReplaceCRLF(),
                       StorageOptions()->PreserveLeadingTrailingBlanks());
}

void TOcCustomAppIniStorage::WriteValue(const std::string& section, const std::string& key,
                                        const std::string& value)
{
    ReloadIfNeeded();
    iniFile_->WriteString(NormalisedSection(section), key,
                          EncodeValue(value, StorageOptions()->ReplaceCRLF(),
                                      StorageOptions()->PreserveLeadingTrailingBlanks()));
    FlushIfNeeded();
}

void TOcCustomAppIniStorage::DeleteKeyOrSection(const std::string& section, const std::string& name)
{
    ReloadIfNeeded();
    const std::string s = NormalisedSection(section);
    if (iniFile_->ValueExists(s, name)) {
        iniFile_->DeleteKey(s, name);
        FlushIfNeeded();
    } else if (iniFile_->SectionExists(s + "\\" + name)) {
        iniFile_->EraseSection(s + "\\" + name);
        FlushIfNeeded();
    }
}

bool TOcCustomAppIniStorage::HasValue(const std::string& path)
{
    ReloadIfNeeded();
    auto [section, key] = SplitIniPath(path);
    return iniFile_->ValueExists(NormalisedSection(section), key);
}

void TOcCustomAppIniStorage::RemoveValue(const std::string& path)
{
    auto [section, key] = SplitIniPath(path);
    DeleteKeyOrSection(section, key);
}

int TOcCustomAppIniStorage::RawReadInteger(const std::string& path, int fallback)
{
    ReloadIfNeeded();
    auto [section, key] = SplitIniPath(path);
    if (!iniFile_->ValueExists(NormalisedSection(section), key))
        return fallback;
    const std::string text = ReadValue(section, key);
    return StrToInt(text.empty() ? "0" : text);
}

void TOcCustomAppIniStorage::RawWriteInteger(const std::string& path, int value)
{
    auto [section, key] = SplitIniPath(path);
    WriteValue(section, key, IntToStr(value));
}

double TOcCustomAppIniStorage::RawReadFloat(const std::string& path, double fallback)
{
    ReloadIfNeeded();
    auto [section, key] = SplitIniPath(path);
    if (!iniFile_->ValueExists(NormalisedSection(section), key))
        return fallback;
    uint8_t bytes[10] = {};
    if (bcl::HexTextToBytes(ReadValue(section, key), bytes, 10) != 10)
        return fallback;
    return ExtendedBytesToDouble(bytes);
}

void TOcCustomAppIniStorage::RawWriteFloat(const std::string& path, double value)
{
    auto [section, key] = SplitIniPath(path);
    uint8_t bytes[10];
    DoubleToExtendedBytes(value, bytes);
    WriteValue(section, key, bcl::BytesToHexText(bytes, 10));
}

std::string TOcCustomAppIniStorage::RawReadString(const std::string& path,
                                                  const std::string& fallback)
{
    ReloadIfNeeded();
    auto [section, key] = SplitIniPath(path);
    if (!iniFile_->ValueExists(NormalisedSection(section), key))
        return fallback;
    return ReadValue(section, key);
}

void TOcCustomAppIniStorage::RawWriteString(const std::string& path, const std::string& value)
{
    auto [section, key] = SplitIniPath(path);
    WriteValue(section, key, value);
}

int TOcCustomAppIniStorage::RawReadBinary(const std::string& path, void* buffer, int size)
{
    ReloadIfNeeded();
    auto [section, key] = SplitIniPath(path);
    if (!iniFile_->ValueExists(NormalisedSection(section), key))
        return 0;
    return bcl::HexTextToBytes(ReadValue(section, key), buffer, size);
}

void TOcCustomAppIniStorage::RawWriteBinary(const std::string& path, const void* buffer, int size)
{
    auto [section, key] = SplitIniPath(path);
    WriteValue(section, key, bcl::BytesToHexText(buffer, size));
}

bool TOcCustomAppIniStorage::HasFolder(const std::string& path)
{
    ReloadIfNeeded();
    std::string name = path;
    if (!name.empty() && name[0] == '\\')
        name.erase(0, 1);
    return iniFile_->SectionExists(name);
}

bool TOcCustomAppIniStorage::IsListItemName(const std::string& name) const
{
    const size_t slash = name.rfind('\\');
    const std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
    return last.size() > 4 && SameText(std::string_view(last).substr(0, 4), "Item") &&
           last[4] >= '0' && last[4] <= '9';
}

bool TOcCustomAppIniStorage::SectionHoldsList(const std::string& section) const
{
    return iniFile_->ValueExists(section, "Count");
}

void TOcCustomAppIniStorage::ListSubFolders(const std::string& path, TStrings* list,
                                            bool withoutListFolders)
{
    ReloadIfNeeded();
    const std::string p = FolderPathOf(path);
    for (const TOcIniDocument::Section& section : iniFile_->Sections()) {
        std::string part = section.Name;
        if (!p.empty()) {
            if (part.size() <= p.size() || part[p.size()] != '\\' ||
                !SameText(part.substr(0, p.size()), p))
                continue;
            part = part.substr(p.size() + 1);
        } else if (SameText(part, defaultSection_)) {
            continue;
        }
        if (withoutListFolders && SectionHoldsList(section.Name))
            continue;
        const size_t slash = part.find('\\');
        if (slash != std::string::npos)
            part.resize(slash);
        if (list->IndexOf(part) < 0)
            list->Add(part);
    }
}

void TOcCustomAppIniStorage::ListValueNames(const std::string& path, TStrings* list,
                                            bool withoutListItems)
{
    ReloadIfNeeded();
    std::string p = FolderPathOf(path);
    if (p.empty())
        p = defaultSection_;
    list->Clear();
    const bool isList = withoutListItems && SectionHoldsList(p);
    for (const std::string& name : iniFile_->ValueNames(p)) {
        if (isList && (SameText(name, "Count") || IsListItemName(name)))
            continue;
        list->Add(name);
    }
}

bool TOcCustomAppIniStorage::PathIsFolder(const std::string& path, bool listIsFolder)
{
    ReloadIfNeeded();
    std::string p = FolderPathOf(path);
    if (p.empty())
        p = defaultSection_;
    if (!iniFile_->SectionExists(p)) {
        for (const TOcIniDocument::Section& section : iniFile_->Sections())
            if (section.Name.size() > p.size() && section.Name[p.size()] == '\\' &&
                SameText(section.Name.substr(0, p.size()), p))
                return true;
        return false;
    }
    if (!listIsFolder || !SectionHoldsList(p))
        return true;
    int remaining = 0;
    for (const std::string& name : iniFile_->ValueNames(p))
        if (!SameText(name, "Count") && !IsListItemName(name))
            ++remaining;
    return remaining >= 2;
}

void TOcCustomAppIniStorage::RemoveFolder(const std::string& path)
{
    if (AutoReload() && UpdateCount() == 0)
        RereadStorage();
    const std::string p = FolderPathOf(path);
    std::vector<std::string> doomed;
    for (const TOcIniDocument::Section& section : iniFile_->Sections())
        if (p.empty() || SameText(section.Name, p) ||
            (section.Name.size() > p.size() && section.Name[p.size()] == '\\' &&
             SameText(section.Name.substr(0, p.size()), p)))
            doomed.push_back(section.Name);
    for (const std::string& name : doomed)
        iniFile_->EraseSection(name);
    FlushIfNeeded();
}

} // namespace storage
