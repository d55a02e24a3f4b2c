#pragma once
// Registry access: TRegistry on one open key, and TRegistryIniFile, the INI-style store whose
// sections are sub-keys of a registry key.
#include "windows/IniFiles.h"

#include <windows.h>

#include <string>

namespace classlib {

class TStrings;

CLASSLIB_DECLARE_EXCEPTION(ERegistryException, Exception);

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

class TRegistry : public TObject {
    CLASSLIB_CLASS(TRegistry, TObject)
    explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
    ~TRegistry() override;

    HKEY RootKey() const { return rootKey_; }
    // Closes the open key; HKEY_CURRENT_USER until set.
    void SetRootKey(HKEY key);
    HKEY CurrentKey() const { return currentKey_; }
    // Path of the open key below the root (without a leading backslash).
    const std::string& CurrentPath() const { return currentPath_; }
    REGSAM Access() const { return access_; }
    void SetAccess(REGSAM access) { access_ = access; }

    // Opens `key`: relative to the open key, or to the root when it starts with a backslash;
    // creates it when `canCreate`. False when it does not exist or cannot be opened.
    bool OpenKey(const std::string& key, bool canCreate);
    bool OpenKeyReadOnly(const std::string& key);
    void CloseKey();
    bool CreateKey(const std::string& key);
    // Deletes the key with everything below it.
    bool DeleteKey(const std::string& key);
    bool KeyExists(const std::string& key);
    bool ValueExists(const std::string& name);
    bool DeleteValue(const std::string& name);
    TRegDataType GetDataType(const std::string& name);
    void GetKeyNames(TStrings* strings);
    void GetValueNames(TStrings* strings);

    // An absent value reads as an empty string; a value of another type raises
    // ERegistryException "Invalid data type for 'name'".
    std::string ReadString(const std::string& name);
    void WriteString(const std::string& name, const std::string& value);
    void WriteExpandString(const std::string& name, const std::string& value);
    // An absent value raises ERegistryException "Failed to get data for 'name'".
    int ReadInteger(const std::string& name);
    void WriteInteger(const std::string& name, int value);
    bool ReadBool(const std::string& name) { return ReadInteger(name) != 0; }
    void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

private:
    HKEY BaseKeyFor(const std::string& key, std::string& relative) const;
    void WriteData(const std::string& name, DWORD type, const void* data, DWORD size);

    HKEY rootKey_ = HKEY_CURRENT_USER;
    HKEY currentKey_ = nullptr;
    std::string currentPath_;
    REGSAM access_;
};

// INI-style store on the registry: the file name is a key below HKEY_CURRENT_USER, sections
// are its sub-keys, idents their values. Integers are stored as DWORD values unless the
// value already holds text; text that holds a number reads as that integer.
class TRegistryIniFile : public TCustomIniFile {
    CLASSLIB_CLASS(TRegistryIniFile, TCustomIniFile)
    explicit TRegistryIniFile(const std::string& fileName, REGSAM access = KEY_ALL_ACCESS);
    ~TRegistryIniFile() override;

    TRegistry* RegIniFile() { return &registry_; }

    std::string ReadString(const std::string& section, const std::string& ident,
                           const std::string& defaultValue) override;
    void WriteString(const std::string& section, const std::string& ident,
                     const std::string& value) override;
    int ReadInteger(const std::string& section, const std::string& ident,
                    int defaultValue) override;
    void WriteInteger(const std::string& section, const std::string& ident, int value) override;
    void ReadSection(const std::string& section, TStrings* strings) override;
    void ReadSections(TStrings* strings) override;
    void EraseSection(const std::string& section) override;
    void DeleteKey(const std::string& section, const std::string& ident) override;
    void UpdateFile() override {}

private:
    // Opens the section's key below the store's key; false when absent and not `create`.
    bool OpenSection(const std::string& section, bool create);

    TRegistry registry_;
};

} // namespace classlib
