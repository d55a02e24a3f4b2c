#include "BcSharedMemory.h"

#include "BcErrors.h"
#include "BcResourceTexts.h"
#include "BcSynch.h"
#include "BcSysInfoWin.h"
#include "core/SysUtils.h"

#include <atomic>

namespace bcl {

namespace {

struct TMMFHandleListItem {
    TMMFHandleListItem* NextItem;
    void* View;
    HANDLE MappingHandle;
    std::string MappingName;
    int32_t UseCount;
};

TMMFHandleListItem* ListHead = nullptr;

// The list's lock: one critical section, created lock-free on first use.
struct ListCriticalSection {
    ListCriticalSection() { InitializeCriticalSection(&section); }
    ~ListCriticalSection() { DeleteCriticalSection(&section); }
    CRITICAL_SECTION section;
};
std::atomic<ListCriticalSection*> ListLock{nullptr};
std::atomic<bool> ListLockShutDown{false};

bool SameNameIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

HandleListLock::HandleListLock(CRITICAL_SECTION* section) : section_(section)
{
    if (section_)
        EnterCriticalSection(section_);
}

HandleListLock::~HandleListLock()
{
    if (section_)
        LeaveCriticalSection(section_);
}

HandleListLock LockHandleList()
{
    if (!ListLock.load() && !ListLockShutDown.load()) {
        auto* fresh = new ListCriticalSection;
        ListCriticalSection* expected = nullptr;
        if (!ListLock.compare_exchange_strong(expected, fresh))
            delete fresh; // another thread installed its own first
    }
    ListCriticalSection* lock = ListLock.load();
    return HandleListLock(lock ? &lock->section : nullptr);
}

int32_t AcquireSharedMemory(void*& memory, const std::string& name, uint32_t size,
                            uint32_t desiredAccess)
{
    memory = nullptr;
    int32_t status = 0;
    // Releases before Windows 2000 cannot use an empty name or the "Global\" / "Local\"
    // namespaces. Later releases can, including those this module does not know by name.
    const TWindowsRelease release = WindowsRelease();
    if (IsReleaseBefore2000(release) && (name.empty() || name.find('\\') != std::string::npos))
        throw ESharedMemError(classlib::Format(texts::InvalidMmfName, {name}));

    const HandleListLock lock = LockHandleList();
    for (auto* item = ListHead; item; item = item->NextItem) {
        if (SameNameIgnoringAsciiCase(item->MappingName, name)) {
            ++item->UseCount;
            memory = item->View;
            return ERROR_ALREADY_EXISTS;
        }
    }

    HANDLE mapping = OpenFileMappingA(desiredAccess, FALSE, name.c_str());
    if (mapping) {
        status = ERROR_ALREADY_EXISTS;
    } else {
        if (size == 0)
            throw ESharedMemError(classlib::Format(texts::MmfCannotBeCreatedEmpty, {name}));
        const bool family95 = !SystemInfo().PlatformIsNT;
        const DWORD protection =
            (family95 && desiredAccess == FILE_MAP_COPY) ? PAGE_WRITECOPY : PAGE_READWRITE;
        SetLastError(ERROR_SUCCESS);
        mapping =
            CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, protection, 0, size, name.c_str());
        if (GetLastError() == ERROR_ALREADY_EXISTS)
            status = ERROR_ALREADY_EXISTS; // another process created it first
        else if (!mapping)
            throw EBcWin32Error("CreateFileMapping \"" + name + "\"");
    }

    void* view = MapViewOfFile(mapping, desiredAccess, 0, 0, size);
    if (!view) {
        EBcWin32Error error("MapViewOfFile \"" + name + "\"");
        CloseHandle(mapping);
        throw error;
    }
    ListHead = new TMMFHandleListItem{ListHead, view, mapping, name, 1};
    memory = view;
    return status;
}

bool ReleaseSharedMemory(void*& memory)
{
    if (!memory)
        return true;
    const HandleListLock lock = LockHandleList();
    TMMFHandleListItem* previous = nullptr;
    for (auto* item = ListHead; item; previous = item, item = item->NextItem) {
        if (item->View != memory)
            continue;
        if (item->UseCount < 2) {
            UnmapViewOfFile(item->View);
            CloseHandle(item->MappingHandle);
            (previous ? previous->NextItem : ListHead) = item->NextItem;
            delete item;
        } else {
            --item->UseCount;
        }
        memory = nullptr;
        return true;
    }
    return false;
}

bool CloseSharedMemory(void*& memory)
{
    return ReleaseSharedMemory(memory);
}

void FreeModuleHandle(HMODULE& module)
{
    if (module)
        FreeLibrary(module);
    module = nullptr;
}

std::string GUIDToBraceText(const classlib::TGUID& guid)
{
    return classlib::GUIDToString(guid);
}

void ShutDownSharedMemory()
{
    ListLockShutDown = true;
    delete ListLock.exchange(nullptr);
}

} // namespace bcl
