// The unit-version registry: its kernel objects by name (with the process id), seen from a
// second process; registration rules; shut-down.
#include "BcRTTI.h"
#include "BcStartup.h"
#include "BcUnitVersioning.h"
#include "OcBCLUtils.h"
#include "PeerProcess.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace bcl;

namespace {

const TUnitVersionInfo RecordA{"$URL: a $", "$Revision: 1 $", "$Date: d $", "BCL\\source\\common",
                               "",          nullptr};
const TUnitVersionInfo RecordB{"$URL: b $", "$Revision: 2 $", "$Date: d $", "BCL\\source\\windows",
                               "",          nullptr};

HMODULE Self()
{
    return GetModuleHandleA(nullptr);
}

const TUnitVersioningModule* EntryOf(HMODULE instance)
{
    for (const auto& module : UnitVersioningInstance()->ModuleEntries)
        if (module->ModuleInstance == instance)
            return module.get();
    return nullptr;
}

} // namespace

TEST(UnitVersioning, StartUpCreatesTheNamedObjectsAndASecondProcessReadsTheAddress)
{
    const DWORD pid = GetCurrentProcessId();
    StartUtilityModules(Self());

    HANDLE mutex =
        OpenMutexA(SYNCHRONIZE, FALSE, ("MutexNPA_UnitVersioning_" + std::to_string(pid)).c_str());
    EXPECT_NE(mutex, nullptr);
    if (mutex)
        CloseHandle(mutex);

    TUnitVersioning* registry = UnitVersioningInstance();
    ASSERT_NE(registry, nullptr);
    const auto read =
        peer::Run("bcl_peer.exe", "shm-read ShmNPA_UnitVersioning_" + std::to_string(pid) + " 4");
    EXPECT_EQ(read.output, "status=183 data=" + BytesToHexText(&registry, 4))
        << "the block holds the registry's address, little-endian";

    size_t records = 0;
    for (const auto& module : UtilityModules())
        records += module.versionInfo != nullptr;
    ASSERT_NE(EntryOf(Self()), nullptr);
    EXPECT_EQ(EntryOf(Self())->VersionEntries.size(), records);
    EXPECT_STREQ(EntryOf(Self())->VersionEntries[0]->InfoRecord->RevisionText, "$Revision: 3072 $");
}

TEST(UnitVersioning, SameRecordTwiceKeepsOneEntryTwoInstancesGiveTwoModules)
{
    const auto other = reinterpret_cast<HMODULE>(0x10000000);
    RegisterUnitVersionInfo(Self(), &RecordA);
    RegisterUnitVersionInfo(Self(), &RecordA);
    RegisterUnitVersionInfo(Self(), &RecordB);
    RegisterUnitVersionInfo(other, &RecordA);
    ASSERT_NE(EntryOf(Self()), nullptr);
    ASSERT_NE(EntryOf(other), nullptr);
    EXPECT_EQ(EntryOf(Self())->VersionEntries.size(), 2u);
    EXPECT_EQ(EntryOf(Self())->IndexOfInfo(&RecordB), 1);
    EXPECT_EQ(EntryOf(other)->VersionEntries.size(), 1u);

    UnregisterUnitVersionInfo(other);
    EXPECT_EQ(EntryOf(other), nullptr);
    EXPECT_NE(EntryOf(Self()), nullptr);
}

TEST(UnitVersioning, ShutDownClearsTheSlotAndLaterRegistrationsDoNothing)
{
    StartUtilityModules(Self());
    const std::string name = "ShmNPA_UnitVersioning_" + std::to_string(GetCurrentProcessId());
    // An independent handle keeps the block alive to look at it after the shut-down.
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    ASSERT_NE(mapping, nullptr);
    const void* slot = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4);
    uint32_t address = 0;
    std::memcpy(&address, slot, 4);
    EXPECT_NE(address, 0u);
    EXPECT_NE(TypeCache(), nullptr) << "the type-information module's start-up creates its cache";

    StopUtilityModules(Self());
    EXPECT_EQ(TypeCache(), nullptr);
    std::memcpy(&address, slot, 4);
    EXPECT_EQ(address, 0u);
    EXPECT_EQ(UnitVersioningInstance(), nullptr);
    RegisterUnitVersionInfo(Self(), &RecordA); // no registry: nothing happens
    UnregisterUnitVersionInfo(Self());
    EXPECT_EQ(UnitVersioningInstance(), nullptr);
    UnmapViewOfFile(slot);
    CloseHandle(mapping);
}

TEST(UnitVersioning, ASecondModuleJoinsTheRegistryOfTheProcess)
{
    StartUtilityModules(Self());
    TUnitVersioning* registry = UnitVersioningInstance();
    HMODULE second = LoadLibraryA((peer::TestFolder() + "bcl_second_module.dll").c_str());
    ASSERT_NE(second, nullptr);
    auto start = reinterpret_cast<void* (*)()>(
        reinterpret_cast<void*>(GetProcAddress(second, "SecondModuleStart")));
    auto stop = reinterpret_cast<void (*)()>(
        reinterpret_cast<void*>(GetProcAddress(second, "SecondModuleStop")));
    ASSERT_TRUE(start && stop);

    EXPECT_EQ(start(), registry) << "found through the shared block, not created anew";
    ASSERT_EQ(registry->ModuleEntries.size(), 2u);
    EXPECT_EQ(registry->ModuleEntries[1]->ModuleInstance, second);
    EXPECT_EQ(registry->ModuleEntries[1]->VersionEntries.size(),
              registry->ModuleEntries[0]->VersionEntries.size());

    stop();
    // The second module took out its own entry and left the registry it did not create.
    ASSERT_EQ(registry->ModuleEntries.size(), 1u);
    EXPECT_EQ(registry->ModuleEntries[0]->ModuleInstance, Self());
    FreeLibrary(second);
}
