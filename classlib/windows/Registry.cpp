#include "windows/Registry.h"

#include "core/StringList.h"
#include "core/SysUtils.h"
#include "core/TypeInfo.h"

#include <algorithm>
#include <vector>

namespace classlib {

CLASSLIB_PUBLISH(TRegistry) {}
CLASSLIB_PUBLISH(TRegistryIniFile) {}

namespace {

[[noreturn]] void RaiseGetFailed(const std::string& name)
{
    throw ERegistryException("Failed to get data for '" + name + "'");
}

[[noreturn]] void RaiseSetFailed(const std::string& name)
{
    throw ERegistryException("Failed to set data for '" + name + "'");
}

[[noreturn]] void RaiseInvalidType(const std::string& name)
{
    throw ERegistryException("Invalid data type for '" + name + "'");
}

std::string JoinPath(const std::string& base, const std::string& key)
{
    if (base.empty())
        return key;
    if (key.empty())
        return base;
    return base + "\\" + key;
}

std::string WithoutTrailingBackslash(std::string key)
{
    while (!key.empty() && key.back() == '\\')
        key.pop_back();
    return key;
}

} // namespace

// ---- TRegistry ------------------------------------------------------------------------------

TRegistry::TRegistry(REGSAM access) : access_(access) {}

TRegistry::~TRegistry()
{
    CloseKey();
}

void TRegistry::SetRootKey(HKEY key)
{
    if (key == rootKey_)
        return;
    CloseKey();
    rootKey_ = key;
}

HKEY TRegistry::BaseKeyFor(const std::string& key, std::string& relative) const
{
    if (!key.empty() && key[0] == '\\') {
        relative = WithoutTrailingBackslash(key.substr(1));
        return rootKey_;
    }
    relative = WithoutTrailingBackslash(key);
    return currentKey_ ? currentKey_ : rootKey_;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate)
{
    std::string relative;
    HKEY base = BaseKeyFor(key, relative);
    HKEY opened = nullptr;
    LONG result;
    if (canCreate)
        result = RegCreateKeyExA(base, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 access_, nullptr, &opened, nullptr);
    else
        result = RegOpenKeyExA(base, relative.c_str(), 0, access_, &opened);
    if (result != ERROR_SUCCESS)
        return false;
    const bool absolute = !key.empty() && key[0] == '\\';
    const std::string path = absolute || !currentKey_ ? relative : JoinPath(currentPath_, relative);
    CloseKey();
    currentKey_ = opened;
    currentPath_ = path;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key)
{
    const REGSAM saved = access_;
    access_ = KEY_READ;
    const bool opened = OpenKey(key, false);
    access_ = saved;
    return opened;
}

void TRegistry::CloseKey()
{
    if (currentKey_)
        RegCloseKey(currentKey_);
    currentKey_ = nullptr;
    currentPath_.clear();
}

bool TRegistry::CreateKey(const std::string& key)
{
    std::string relative;
    HKEY base = BaseKeyFor(key, relative);
    HKEY created = nullptr;
    if (RegCreateKeyExA(base, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_,
                        nullptr, &created, nullptr) != ERROR_SUCCESS)
        throw ERegistryException("Failed to create key " + key);
    RegCloseKey(created);
    return true;
}

bool TRegistry::DeleteKey(const std::string& key)
{
    std::string relative;
    HKEY base = BaseKeyFor(key, relative);
    if (relative.empty())
        return false;
    // Sub-keys first: RegDeleteKey removes only empty keys.
    HKEY opened = nullptr;
    if (RegOpenKeyExA(base, relative.c_str(), 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS)
        return false;
    std::vector<std::string> children;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        children.emplace_back(name, length);
    }
    RegCloseKey(opened);
    for (const auto& child : children) {
        TRegistry sub(KEY_ALL_ACCESS);
        sub.SetRootKey(base);
        sub.DeleteKey("\\" + relative + "\\" + child);
    }
    return RegDeleteKeyA(base, relative.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const std::string& key)
{
    std::string relative;
    HKEY base = BaseKeyFor(key, relative);
    HKEY opened = nullptr;
    if (RegOpenKeyExA(base, relative.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

bool TRegistry::ValueExists(const std::string& name)
{
    return RegQueryValueExA(currentKey_ ? currentKey_ : rootKey_, name.c_str(), nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const std::string& name)
{
    return RegDeleteValueA(currentKey_ ? currentKey_ : rootKey_, name.c_str()) == ERROR_SUCCESS;
}

TRegDataType TRegistry::GetDataType(const std::string& name)
{
    DWORD type = 0;
    if (RegQueryValueExA(currentKey_ ? currentKey_ : rootKey_, name.c_str(), nullptr, &type,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return rdUnknown;
    switch (type) {
        case REG_SZ:
            return rdString;
        case REG_EXPAND_SZ:
            return rdExpandString;
        case REG_DWORD:
            return rdInteger;
        case REG_BINARY:
            return rdBinary;
        default:
            return rdUnknown;
    }
}

void TRegistry::GetKeyNames(TStrings* strings)
{
    strings->BeginUpdate();
    strings->Clear();
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(currentKey_ ? currentKey_ : rootKey_, i, name, &length, nullptr, nullptr,
                          nullptr, nullptr) != ERROR_SUCCESS)
            break;
        strings->Add(std::string(name, length));
    }
    strings->EndUpdate();
}

void TRegistry::GetValueNames(TStrings* strings)
{
    strings->BeginUpdate();
    strings->Clear();
    std::vector<char> name(16384);
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumValueA(currentKey_ ? currentKey_ : rootKey_, i, name.data(), &length, nullptr,
                          nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        strings->Add(std::string(name.data(), length));
    }
    strings->EndUpdate();
}

std::string TRegistry::ReadString(const std::string& name)
{
    HKEY key = currentKey_ ? currentKey_ : rootKey_;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        RaiseInvalidType(name);
    std::vector<char> buffer(size + 1, '\0');
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) != ERROR_SUCCESS)
        RaiseGetFailed(name);
    buffer[std::min<size_t>(size, buffer.size() - 1)] = '\0';
    return std::string(buffer.data()); // the stored terminator (if any) ends it
}

void TRegistry::WriteData(const std::string& name, DWORD type, const void* data, DWORD size)
{
    if (RegSetValueExA(currentKey_ ? currentKey_ : rootKey_, name.c_str(), 0, type,
                       static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
        RaiseSetFailed(name);
}

void TRegistry::WriteString(const std::string& name, const std::string& value)
{
    WriteData(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value)
{
    WriteData(name, REG_EXPAND_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

int TRegistry::ReadInteger(const std::string& name)
{
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG result = RegQueryValueExA(currentKey_ ? currentKey_ : rootKey_, name.c_str(),
                                         nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (result == ERROR_MORE_DATA)
        RaiseInvalidType(name);
    if (result != ERROR_SUCCESS)
        RaiseGetFailed(name);
    if (type != REG_DWORD)
        RaiseInvalidType(name);
    return static_cast<int>(value);
}

void TRegistry::WriteInteger(const std::string& name, int value)
{
    const DWORD data = static_cast<DWORD>(value);
    WriteData(name, REG_DWORD, &data, sizeof data);
}

// ---- TRegistryIniFile -----------------------------------------------------------------------

TRegistryIniFile::TRegistryIniFile(const std::string& fileName, REGSAM access)
    : TCustomIniFile(fileName), registry_(access)
{
    registry_.OpenKey(fileName, true);
}

TRegistryIniFile::~TRegistryIniFile() = default;

bool TRegistryIniFile::OpenSection(const std::string& section, bool create)
{
    return registry_.OpenKey("\\" + JoinPath(WithoutTrailingBackslash(FileName()), section),
                             create);
}

std::string TRegistryIniFile::ReadString(const std::string& section, const std::string& ident,
                                         const std::string& defaultValue)
{
    if (!OpenSection(section, false) || !registry_.ValueExists(ident))
        return defaultValue;
    if (registry_.GetDataType(ident) == rdInteger)
        return IntToStr(registry_.ReadInteger(ident));
    return registry_.ReadString(ident);
}

void TRegistryIniFile::WriteString(const std::string& section, const std::string& ident,
                                   const std::string& value)
{
    if (!OpenSection(section, true))
        throw EIniFileException("Unable to write to " + FileName());
    registry_.WriteString(ident, value);
}

int TRegistryIniFile::ReadInteger(const std::string& section, const std::string& ident,
                                  int defaultValue)
{
    if (!OpenSection(section, false) || !registry_.ValueExists(ident))
        return defaultValue;
    if (registry_.GetDataType(ident) == rdInteger)
        return registry_.ReadInteger(ident);
    return TCustomIniFile::ReadInteger(section, ident, defaultValue);
}

void TRegistryIniFile::WriteInteger(const std::string& section, const std::string& ident, int value)
{
    if (!OpenSection(section, true))
        throw EIniFileException("Unable to write to " + FileName());
    const TRegDataType type = registry_.GetDataType(ident);
    if (type == rdString || type == rdExpandString)
        registry_.WriteString(ident, IntToStr(value));
    else
        registry_.WriteInteger(ident, value);
}

void TRegistryIniFile::ReadSection(const std::string& section, TStrings* strings)
{
    if (OpenSection(section, false))
        registry_.GetValueNames(strings);
    else
        strings->Clear();
}

void TRegistryIniFile::ReadSections(TStrings* strings)
{
    if (registry_.OpenKey("\\" + WithoutTrailingBackslash(FileName()), false))
        registry_.GetKeyNames(strings);
    else
        strings->Clear();
}

void TRegistryIniFile::EraseSection(const std::string& section)
{
    registry_.DeleteKey("\\" + JoinPath(WithoutTrailingBackslash(FileName()), section));
}

void TRegistryIniFile::DeleteKey(const std::string& section, const std::string& ident)
{
    if (OpenSection(section, false))
        registry_.DeleteValue(ident);
}

} // namespace classlib
