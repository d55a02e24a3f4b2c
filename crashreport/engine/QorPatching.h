// Patching of this process's code and import tables, with undo (the engine's list of changes).
// The relative jump and call encodings reach 2 GB either way: in the 64-bit build a patch
// whose destination lies further away fails (returns false) instead of writing a wrong jump.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "QorPatchList.h"

namespace qor {

// This process's memory with the protection handling of every code write.
class ProcessPatchMemory final : public PatchMemory {
public:
    bool Read(uintptr_t address, void* destination, size_t count) const override;
    bool Write(uintptr_t address, const void* source, size_t count) override;
};

// The engine's patch list (one per module that carries the engine).
PatchList& EnginePatches();

// The routine behind an import stub (FF 25: jump through a pointer), else `routine` itself.
uintptr_t FollowImportStub(uintptr_t routine);

// An entry jump at `routine` (through an import stub to the routine behind it).
bool PatchJump(uintptr_t routine, uintptr_t destination);
bool PatchCallAt(uintptr_t address, uintptr_t destination);
bool PatchValue(uintptr_t address, uint32_t value);
// Puts back every recorded patch still in place, then forgets them (unless a write failed).
void UndoAllPatches();

struct LoadedModule {
    HMODULE handle;
    std::string fileName; // without folder
};
// Every module mapped into the process, in address order.
std::vector<LoadedModule> ListModules();

// Every import slot of `module` that holds `oldFunction` now holds `newFunction`. Returns the
// number of slots rewritten.
int RewriteImportSlots(HMODULE module, uintptr_t oldFunction, uintptr_t newFunction);
int RewriteAllImportSlots(const std::vector<LoadedModule>& modules, uintptr_t oldFunction,
                          uintptr_t newFunction);

// Redirects `library`'s `function` to `replacement` in the import tables (of every loaded
// module when the engine lives in the main module, else of the engine's module only).
// `previous` receives the real function (once: it is kept after an unpatch, because a hook
// that is still running on another thread calls through it).
void PatchSystemFunction(const char* library, const char* function, uintptr_t replacement,
                         uintptr_t& previous);
// Turns the import slots back from `replacement` to `previous`.
void UnpatchSystemFunction(uintptr_t& previous, uintptr_t replacement);

// The module that holds the engine's code (defined with the settings objects, QorSettings).
HMODULE EngineModule();

} // namespace qor
