#pragma once
// INI-style stores: the abstract store with typed reads and writes on sections and keys, and
// TIniFile on a file through the system's profile functions. The registry form is
// TRegistryIniFile (Registry.h).
#include "core/Exceptions.h"
#include "core/Object.h"

#include <string>

namespace classlib {

class TStrings;

CLASSLIB_DECLARE_EXCEPTION(EIniFileException, Exception);

class TCustomIniFile : public TObject {
    CLASSLIB_CLASS(TCustomIniFile, TObject)
    explicit TCustomIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

    const std::string& FileName() const { return fileName_; }

    virtual std::string ReadString(const std::string& section, const std::string& ident,
                                   const std::string& defaultValue) = 0;
    // Raises EIniFileException when the value cannot be stored.
    virtual void WriteString(const std::string& section, const std::string& ident,
                             const std::string& value) = 0;
    // Decimal or hexadecimal ("0x1F", "$1F") text; the default for anything else.
    virtual int ReadInteger(const std::string& section, const std::string& ident, int defaultValue);
    virtual void WriteInteger(const std::string& section, const std::string& ident, int value);
    // Any integer other than 0 is true; written as "1" or "0".
    virtual bool ReadBool(const std::string& section, const std::string& ident, bool defaultValue);
    virtual void WriteBool(const std::string& section, const std::string& ident, bool value);

    // Key names of a section, section names, and "key=value" lines of a section.
    virtual void ReadSection(const std::string& section, TStrings* strings) = 0;
    virtual void ReadSections(TStrings* strings) = 0;
    virtual void ReadSectionValues(const std::string& section, TStrings* strings);
    virtual void EraseSection(const std::string& section) = 0;
    virtual void DeleteKey(const std::string& section, const std::string& ident) = 0;
    // Writes buffered changes out.
    virtual void UpdateFile() = 0;
    virtual bool SectionExists(const std::string& section);
    virtual bool ValueExists(const std::string& section, const std::string& ident);

private:
    std::string fileName_;
};

// An INI file through the system's profile functions. A name without a folder refers to the
// Windows folder, as those functions do; give a full path for a file beside the program.
class TIniFile : public TCustomIniFile {
    CLASSLIB_CLASS(TIniFile, TCustomIniFile)
    explicit TIniFile(std::string fileName) : TCustomIniFile(std::move(fileName)) {}
    ~TIniFile() override;

    std::string ReadString(const std::string& section, const std::string& ident,
                           const std::string& defaultValue) override;
    void WriteString(const std::string& section, const std::string& ident,
                     const std::string& value) override;
    void ReadSection(const std::string& section, TStrings* strings) override;
    void ReadSections(TStrings* strings) override;
    void EraseSection(const std::string& section) override;
    void DeleteKey(const std::string& section, const std::string& ident) override;
    void UpdateFile() override;
};

} // namespace classlib
