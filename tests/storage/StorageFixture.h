#pragma once
// An INI storage held only in memory: the document is set and read as file text, so tests
// see exactly the lines a file would hold.
#include "OcAppIniStorage.h"

#include <gtest/gtest.h>

namespace storagetest {

class MemoryIniStorage : public storage::TOcCustomAppIniStorage {
public:
    MemoryIniStorage() : TOcCustomAppIniStorage(nullptr) { SetFlushOnDestroy(false); }
};

struct IniStorageTest : ::testing::Test {
    IniStorageTest() : ini(new MemoryIniStorage()) {}
    ~IniStorageTest() override { ini->Free(); }
    MemoryIniStorage* ini;
    storage::TOcAppIniStorageOptions& options() { return *ini->StorageOptions(); }
    void Load(std::string_view text) { ini->SetAsText(text); }
    std::string Text() const { return ini->GetAsText(); }
};

} // namespace storagetest
