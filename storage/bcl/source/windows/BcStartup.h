#pragma once
// Start-up and shut-down of the utility modules, in their dependency order: each module
// registers its version record with the unit-version registry and does its own start-up
// work (system data, character tables, ...); shut-down runs in reverse order.
#include "BcUnitVersioning.h"

#include <windows.h>

#include <span>
#include <string_view>

namespace bcl {

struct UtilityModule {
    std::string_view name;
    const TUnitVersionInfo* versionInfo; // null for the modules without a record
    void (*startUp)();                   // null: nothing besides registering
    void (*shutDown)();                  // null: nothing besides unregistering
    bool replacesUnregistering;          // the registry module shuts the registry down
};

// The modules in start-up order.
std::span<const UtilityModule> UtilityModules();

// Run once by the program before its main window exists, and once after it is gone.
void StartUtilityModules(HMODULE instance);
void StopUtilityModules(HMODULE instance);

// Start-up facts kept by the modules.
char StartupAnsiReplacementChar();

} // namespace bcl
