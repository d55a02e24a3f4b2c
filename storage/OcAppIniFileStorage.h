#pragma once
// The INI file storage: reads its file into memory when loaded, serves every value from
// memory and writes the whole file back when flushed (by default when it is destroyed). The
// file is replaced in one step: the new text goes to a temporary file in the same folder,
// which then takes the old file's place, so a failed or interrupted write leaves the previous
// settings intact.
#include "OcAppIniStorage.h"

#include <functional>

namespace storage {

class TOcAppIniFileStorage : public TOcCustomAppIniStorage {
    CLASSLIB_CLASS(TOcAppIniFileStorage, TOcCustomAppIniStorage)
    explicit TOcAppIniFileStorage(TComponent* owner);
    ~TOcAppIniFileStorage() override;

    // FileName ("%EXENAME%.ini") expanded by the active placeholder translation.
    std::string GetTranslatedFileName() override;

    // Setting a different name or location writes the current document to the old file and
    // reads the new one (outside loading); a name without extension gets ".ini".
    void SetFileName(const std::string& value);
    void SetLocation(TFileLocation value);
    void SetOnGetFileName(const TOcGetFileNameEvent& value);
    void ComputeFullFileName();

    void Flush() override;
    void RereadStorage() override;

    // Runs `routine` while holding the named mutex of the file, shared by every process.
    void RunUnderFileMutex(const std::string& fileName, const std::function<void()>& routine);
    static std::string FileMutexName(const std::string& fileName);

protected:
    bool FileHasReadOnlyAttribute(const std::string& fileName) const override;

private:
    void WriteDocument();
    void ReadDocument();
};

} // namespace storage
