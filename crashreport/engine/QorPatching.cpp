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

struct ImportView {
    IMAGE_DATA_DIRECTORY directory{};
    uintptr_t imageEnd = 0;
};

// The import directory of a loaded module and the end of its image: the whole image is mapped,
// so reads inside it need no guard.
bool FindImports(HMODULE module, ImportView& view)
{
    const auto base = reinterpret_cast<uintptr_t>(module);
    IMAGE_DOS_HEADER dos{};
    if (!GuardedRead(base, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE)
        return false;
    IMAGE_NT_HEADERS headers{};
    if (!GuardedRead(base + static_cast<uintptr_t>(dos.e_lfanew), &headers, sizeof headers) ||
        headers.Signature != IMAGE_NT_SIGNATURE ||
        headers.OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IMPORT)
        return false;
    view.directory = headers.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    view.imageEnd = base + headers.OptionalHeader.SizeOfImage;
    return view.directory.VirtualAddress != 0;
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
    ImportView view;
    if (!FindImports(module, view))
        return 0;
    const auto base = reinterpret_cast<uintptr_t>(module);
    const uintptr_t directoryEnd = base + view.directory.VirtualAddress + view.directory.Size;
    auto inside = [&](uintptr_t address, size_t size) {
        return address >= base && address + size <= view.imageEnd;
    };
    ProcessPatchMemory memory;
    int rewritten = 0;
    for (uintptr_t at = base + view.directory.VirtualAddress;
         inside(at, sizeof(IMAGE_IMPORT_DESCRIPTOR)); at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* descriptor = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at);
        if (descriptor->Name == 0)
            break;
        const uintptr_t table = base + descriptor->FirstThunk;
        if (table > directoryEnd) {
            ReportInvalidImportTable(module);
            break;
        }
        // Slots are as wide as an address (IMAGE_THUNK_DATA).
        for (uintptr_t slot = table; inside(slot, sizeof(uintptr_t)); slot += sizeof(uintptr_t)) {
            const uintptr_t value = *reinterpret_cast<const uintptr_t*>(slot);
            if (value == 0)
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
    if (!previous) {
        const HMODULE system = GetModuleHandleA(library);
        if (system)
            previous = reinterpret_cast<uintptr_t>(GetProcAddress(system, function));
    }
    if (!previous)
        return;
    RewriteAllImportSlots(ModulesToRewrite(), previous, replacement);
}

void UnpatchSystemFunction(uintptr_t& previous, uintptr_t replacement)
{
    if (!previous)
        return;
    RewriteAllImportSlots(ModulesToRewrite(), replacement, previous);
}

} // namespace qor
