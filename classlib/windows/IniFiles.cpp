#include "windows/IniFiles.h"

#include "core/StringList.h"
#include "core/SysUtils.h"
#include "core/TypeInfo.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace classlib {

CLASSLIB_PUBLISH(TCustomIniFile) {}
CLASSLIB_PUBLISH(TIniFile) {}

// ---- TCustomIniFile -------------------------------------------------------------------------

int TCustomIniFile::ReadInteger(const std::string& section, const std::string& ident,
                                int defaultValue)
{
    std::string text = ReadString(section, ident, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text = "$" + text.substr(2);
    return StrToIntDef(text, defaultValue);
}

void TCustomIniFile::WriteInteger(const std::string& section, const std::string& ident, int value)
{
    WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const std::string& section, const std::string& ident,
                              bool defaultValue)
{
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& section, const std::string& ident, bool value)
{
    WriteString(section, ident, value ? "1" : "0");
}

void TCustomIniFile::ReadSectionValues(const std::string& section, TStrings* strings)
{
    TStringList keys;
    ReadSection(section, &keys);
    strings->BeginUpdate();
    strings->Clear();
    for (int i = 0; i < keys.Count(); ++i)
        strings->Add(keys[i] + "=" + ReadString(section, keys[i], ""));
    strings->EndUpdate();
}

bool TCustomIniFile::SectionExists(const std::string& section)
{
    TStringList keys;
    ReadSection(section, &keys);
    return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const std::string& section, const std::string& ident)
{
    TStringList keys;
    ReadSection(section, &keys);
    return keys.IndexOf(ident) >= 0;
}

// ---- TIniFile -------------------------------------------------------------------------------

namespace {

// A NUL-separated list from a profile function that reports truncation by returning the
// buffer size minus 2: the buffer grows until the list fits.
template <class Fetch>
void ReadNameList(Fetch fetch, TStrings* strings)
{
    std::vector<char> buffer(2048);
    DWORD length;
    for (;;) {
        length = fetch(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length + 2 < buffer.size() || buffer.size() >= (1u << 24))
            break;
        buffer.resize(buffer.size() * 4);
    }
    strings->BeginUpdate();
    strings->Clear();
    for (const char* p = buffer.data(); p < buffer.data() + length && *p; p += std::strlen(p) + 1)
        strings->Add(p);
    strings->EndUpdate();
}

} // namespace

TIniFile::~TIniFile()
{
    // The system may cache profile writes; flushing here keeps the file current.
    UpdateFile();
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident,
                                 const std::string& defaultValue)
{
    std::vector<char> buffer(2048);
    for (;;) {
        const DWORD length = GetPrivateProfileStringA(
            section.c_str(), ident.c_str(), defaultValue.c_str(), buffer.data(),
            static_cast<DWORD>(buffer.size()), FileName().c_str());
        if (length + 1 < buffer.size() || buffer.size() >= (1u << 24))
            return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 4);
    }
}

void TIniFile::WriteString(const std::string& section, const std::string& ident,
                           const std::string& value)
{
    if (!WritePrivateProfileStringA(section.c_str(), ident.c_str(), value.c_str(),
                                    FileName().c_str()))
        throw EIniFileException("Unable to write to " + FileName());
}

void TIniFile::ReadSection(const std::string& section, TStrings* strings)
{
    ReadNameList(
        [&](char* buffer, DWORD size) {
            return GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer, size,
                                            FileName().c_str());
        },
        strings);
}

void TIniFile::ReadSections(TStrings* strings)
{
    ReadNameList(
        [&](char* buffer, DWORD size) {
            return GetPrivateProfileSectionNamesA(buffer, size, FileName().c_str());
        },
        strings);
}

void TIniFile::EraseSection(const std::string& section)
{
    if (!WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, FileName().c_str()))
        throw EIniFileException("Unable to write to " + FileName());
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident)
{
    WritePrivateProfileStringA(section.c_str(), ident.c_str(), nullptr, FileName().c_str());
}

void TIniFile::UpdateFile()
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, FileName().c_str());
}

} // namespace classlib
