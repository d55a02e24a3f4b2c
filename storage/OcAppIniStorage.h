#pragma once
// INI storages: the whole document kept in memory (TOcIniDocument) and every value of the
// storage core served from it. A path's folder is the section ("a\b\c": section "a\b", key
// "c"); a value at the top level goes to DefaultSection. The file back end (reading the
// document when loaded, writing it when flushed) is TOcAppIniFileStorage.
#include "OcAppStorage.h"
#include "OcIniDocument.h"

#include <memory>

namespace storage {

enum TFileLocation { flCustom, flWindows, flTemp, flExeFile, flUserFolder };
CLASSLIB_ENUM(TFileLocation);

using TOcGetFileNameEvent =
    classlib::TEvent<void(TOcCustomAppStorage* sender, std::string& fileName)>;

// One file held in memory.
class TOcCustomAppMemoryFileStorage : public TOcCustomAppStorage {
    CLASSLIB_CLASS(TOcCustomAppMemoryFileStorage, TOcCustomAppStorage)
    explicit TOcCustomAppMemoryFileStorage(TComponent* owner);

    const std::string& FullFileName() const { return fullFileName_; }
    const std::string& FileName() const { return fileName_; }
    TFileLocation Location() const { return location_; }
    bool PhysicalReadOnly() const { return physicalReadOnly_; }
    bool FileLoaded() const { return fileLoaded_; }
    TOcGetFileNameEvent OnGetFileName;

    bool FileIsReadOnly() const override { return physicalReadOnly_; }
    void RereadStorage() override;
    bool NeedsReload() const override;

    virtual std::string GetAsText() const = 0;
    virtual void SetAsText(std::string_view text) = 0;
    virtual std::string StorageFileExtension() const { return {}; }
    // FileName, then OnGetFileName's last word on it.
    virtual std::string GetTranslatedFileName();

protected:
    // Whether the named file exists with the read-only attribute; in memory there is none.
    virtual bool FileHasReadOnlyAttribute(const std::string&) const { return false; }

    std::string fullFileName_;
    std::string fileName_;
    TFileLocation location_ = flExeFile;
    bool physicalReadOnly_ = false;
    bool fileLoaded_ = false;
};

class TOcAppIniStorageOptions : public TOcAppStorageOptions {
    CLASSLIB_CLASS(TOcAppIniStorageOptions, TOcAppStorageOptions)
    TOcAppIniStorageOptions() { SetFloatAsString(false); }
    void Assign(TPersistent* source) override;

    bool ReplaceCRLF() const { return replaceCRLF_; }
    virtual void SetReplaceCRLF(bool value) { replaceCRLF_ = value; }
    bool PreserveLeadingTrailingBlanks() const { return preserveBlanks_; }
    virtual void SetPreserveLeadingTrailingBlanks(bool value) { preserveBlanks_ = value; }

private:
    bool replaceCRLF_ = false;
    bool preserveBlanks_ = false;
};

class TOcCustomAppIniStorage : public TOcCustomAppMemoryFileStorage {
    CLASSLIB_CLASS(TOcCustomAppIniStorage, TOcCustomAppMemoryFileStorage)
    explicit TOcCustomAppIniStorage(TComponent* owner);
    ~TOcCustomAppIniStorage() override;

    TOcAppIniStorageOptions* StorageOptions() const
    {
        return static_cast<TOcAppIniStorageOptions*>(TOcCustomAppStorage::StorageOptions());
    }
    TOcIniDocument& IniFile() { return *iniFile_; }
    const std::string& DefaultSection() const { return defaultSection_; }
    void SetDefaultSection(const std::string& value) { defaultSection_ = value; }

    // Section and key of a storage path (an empty folder becomes DefaultSection).
    std::pair<std::string, std::string> SplitIniPath(const std::string& path) const;
    virtual std::string ReadValue(const std::string& section, const std::string& key);
    virtual void WriteValue(const std::string& section, const std::string& key,
                            const std::string& value);
    virtual void DeleteKeyOrSection(const std::string& section, const std::string& name);

    std::string GetAsText() const override { return iniFile_->GetText(); }
    void SetAsText(std::string_view text) override { iniFile_->SetText(text); }
    std::string StorageFileExtension() const override { return "ini"; }

    void ListSubFolders(const std::string& path, classlib::TStrings* list,
                        bool withoutListFolders) override;
    void ListValueNames(const std::string& path, classlib::TStrings* list,
                        bool withoutListItems) override;
    bool PathIsFolder(const std::string& path, bool listIsFolder) override;
    bool HasFolder(const std::string& path) override;
    bool HasValue(const std::string& path) override;
    void RemoveValue(const std::string& path) override;
    void RemoveFolder(const std::string& path) override;
    int RawReadInteger(const std::string& path, int fallback) override;
    void RawWriteInteger(const std::string& path, int value) override;
    double RawReadFloat(const std::string& path, double fallback) override;
    void RawWriteFloat(const std::string& path, double value) override;
    std::string RawReadString(const std::string& path, const std::string& fallback) override;
    void RawWriteString(const std::string& path, const std::string& value) override;
    int RawReadBinary(const std::string& path, void* buffer, int size) override;
    void RawWriteBinary(const std::string& path, const void* buffer, int size) override;

    // The value encodings of the options, exposed for their tests.
    static std::string EncodeValue(const std::string& value, bool replaceCRLF, bool preserveBlanks);
    static std::string DecodeValue(const std::string& value, bool replaceCRLF, bool preserveBlanks);

protected:
    TOcCustomAppStorageOptions* CreateOptions() const override
    {
        return new TOcAppIniStorageOptions();
    }

private:
    std::string NormalisedSection(const std::string& section) const;
    // The folder path of a storage path: Root and CurrentPath applied, no leading "\".
    std::string FolderPathOf(const std::string& path) const;
    bool IsListItemName(const std::string& name) const;
    bool SectionHoldsList(const std::string& section) const;

    std::unique_ptr<TOcIniDocument> iniFile_;
    std::string defaultSection_;
};

} // namespace storage
