#include "QorPatching.h"

#include <cstring>

#include "GuardedRead.h"

namespace qor {

bool ProcessPatchMemory::Read(uintptr_t address, void* destination, size_t count) const
{
    return GuardedRead(address, destination, count);
}

bool ProcessPatchMemory::Write(uintptr_t address, const void* source, size_t count)
{
    void* target = reinterpret_cast<void*>(address);
    DWORD previous = 0;
    if (!VirtualProtect(target, count, PAGE_EXECUTE_READWRITE, &previous))
        return false;
    std::memcpy(target, source, count);
    DWORD unused = 0;
    VirtualProtect(target, count, previous, &unused);
    FlushInstructionCache(GetCurrentProcess(), target, count);
    return true;
}

PatchList& EnginePatches()
{
    static PatchList list;
    return list;
}

uintptr_t FollowImportStub(uintptr_t routine)
{
    uint8_t head[6];
    if (!GuardedRead(routine, head, sizeof head) || head[0] != 0xFF || head[1] != 0x25)
        return routine;
    int32_t operand = 0;
    std::memcpy(&operand, head + 2, sizeof operand);
    // The pointer's address: absolute in 32-bit code, relative to the next instruction in
    // 64-bit code.
    const uintptr_t slot =
        sizeof(uintptr_t) == 4
            ? static_cast<uintptr_t>(static_cast<uint32_t>(operand))
            : routine + 6 + static_cast<uintptr_t>(static_cast<intptr_t>(operand));
    uintptr_t target = 0;
    return GuardedRead(slot, &target, sizeof target) && target ? target : routine;
}

bool PatchJump(uintptr_t routine, uintptr_t destination)
{
    ProcessPatchMemory memory;
    return PatchJumpAt(EnginePatches(), memory, FollowImportStub(routine), destination);
}

bool PatchCallAt(uintptr_t address, uintptr_t destination)
{
    ProcessPatchMemory memory;
    return PatchCallAt(EnginePatches(), memory, address, destination);
}

bool PatchValue(uintptr_t address, uint32_t value)
{
    ProcessPatchMemory memory;
    return PatchValue(EnginePatches(), memory, address, value);
}

void UndoAllPatches()
{
    ProcessPatchMemory memory;
    if (EnginePatches().UndoAll(memory))
        EnginePatches().Clear();
}

std::vector<LoadedModule> ListModules()
{
    std::vector<LoadedModule> modules;
    modules.reserve(10);
    uintptr_t address = 0;
    uintptr_t previousBase = 0;
    MEMORY_BASIC_INFORMATION info{};
    while (VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof info) == sizeof info) {
        const auto base = reinterpret_cast<uintptr_t>(info.BaseAddress);
        const auto allocation = reinterpret_cast<uintptr_t>(info.AllocationBase);
        if (info.State == MEM_COMMIT && allocation == base && allocation != previousBase) {
            char path[MAX_PATH];
            const DWORD length =
                GetModuleFileNameA(static_cast<HMODULE>(info.AllocationBase), path, sizeof path);
            if (length > 0 && length < sizeof path) {
                const char* name = path;
                for (const char* p = path; *p; ++p)
                    if (*p == '\\' || *p == '/')
                        name = p + 1;
                modules.push_back({static_cast<HMODULE>(info.AllocationBase), name});
            }
        }
        if (info.State != MEM_FREE)
            previousBase = allocation;
        const uintptr_t next = base + info.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return modules;
}

namespace {

const IMAGE_DATA_DIRECTORY* ImportDirectory(HMODULE module)
{
    const auto base = reinterpret_cast<const uint8_t*>(module);
    IMAGE_DOS_HEADER dos{};
    if (!GuardedRead(reinterpret_cast<uintptr_t>(base), &dos, sizeof dos) ||
        dos.e_magic != IMAGE_DOS_SIGNATURE)
        return nullptr;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos.e_lfanew);
    IMAGE_NT_HEADERS headers{};
    if (!GuardedRead(reinterpret_cast<uintptr_t>(nt), &headers, sizeof headers) ||
        headers.Signature != IMAGE_NT_SIGNATURE ||
        headers.OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IMPORT)
        return nullptr;
    return &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
}

void ReportInvalidImportTable(HMODULE module)
{
    if (module != EngineModule() || !IsDebuggerPresent())
        return;
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, sizeof path);
    const char* name = strrchr(path, '\\') ? strrchr(path, '\\') + 1 : path;
    MessageBoxA(
        nullptr,
        "The import table is invalid.\r\n\r\nThis way qorExcept can't install the thread hooks.",
        name, MB_OK);
}

} // namespace

int RewriteImportSlots(HMODULE module, uintptr_t oldFunction, uintptr_t newFunction)
{
    const IMAGE_DATA_DIRECTORY* directory = ImportDirectory(module);
    if (!directory || directory->VirtualAddress == 0)
        return 0;
    const auto base = reinterpret_cast<uintptr_t>(module);
    const uintptr_t directoryEnd = base + directory->VirtualAddress + directory->Size;
    ProcessPatchMemory memory;
    int rewritten = 0;
    for (uintptr_t at = base + directory->VirtualAddress;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        IMAGE_IMPORT_DESCRIPTOR descriptor{};
        if (!GuardedRead(at, &descriptor, sizeof descriptor) || descriptor.Name == 0)
            break;
        const uintptr_t table = base + descriptor.FirstThunk;
        if (table > directoryEnd) {
            ReportInvalidImportTable(module);
            break;
        }
        // Slots are as wide as an address (IMAGE_THUNK_DATA).
        for (uintptr_t slot = table;; slot += sizeof(uintptr_t)) {
            uintptr_t value = 0;
            if (!GuardedRead(slot, &value, sizeof value) || value == 0)
                break;
            if (value == oldFunction && memory.Write(slot, &newFunction, sizeof newFunction))
                ++rewritten;
        }
    }
    return rewritten;
}

int RewriteAllImportSlots(const std::vector<LoadedModule>& modules, uintptr_t oldFunction,
                          uintptr_t newFunction)
{
    int rewritten = 0;
    for (const LoadedModule& module : modules)
        rewritten += RewriteImportSlots(module.handle, oldFunction, newFunction);
    return rewritten;
}

HMODULE EngineModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&EngineModule), &module);
    return module;
}

namespace {

std::vector<LoadedModule> ModulesToRewrite()
{
    if (EngineModule() == GetModuleHandleA(nullptr))
        return ListModules();
    return {{EngineModule(), {}}};
}

} // namespace

void PatchSystemFunction(const char* library, const char* function, uintptr_t replacement,
                         uintptr_t& previous)
{
    if (previous)
        return;
    const HMODULE system = GetModuleHandleA(library);
    if (!system)
        return;
    previous = reinterpret_cast<uintptr_t>(GetProcAddress(system, function));
    if (!previous)
        return;
    RewriteAllImportSlots(ModulesToRewrite(), previous, replacement);
}

void UnpatchSystemFunction(uintptr_t& previous, uintptr_t replacement)
{
    if (!previous)
        return;
    RewriteAllImportSlots(ModulesToRewrite(), replacement, previous);
    previous = 0;
}

} // namespace qor
