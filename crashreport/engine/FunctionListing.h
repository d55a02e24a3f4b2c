// The text of instructions and the listing of one function for the bug report's
// "disassembling" section.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "CodeMemory.h"
#include "FunctionAnalyser.h"
#include "X86Decoder.h"

namespace qor {

// What the debug information and the platform add to a listing; each may be empty. Export
// names come from the module images themselves.
struct ListingHooks {
    std::function<std::string(uint32_t address)> routineName; // "" when no routine starts there
    std::function<uint32_t(uint32_t address)> lineNumber;     // 0 when unknown
    // The file name (without path) of the module at an allocation base, for routines of other
    // modules than the listed one; "" when unknown.
    std::function<std::string(uint32_t base)> moduleName;
};

// One instruction as text ("00401000   mov     eax, $10"), invalid ones as one "db" line per
// byte joined with CR LF. `registers` (may be null) is used and updated when `useRegisters`.
std::string DisassembleInstruction(const CodeMemory& memory, uint32_t address,
                                   TRegisterState* registers, bool useRegisters,
                                   TDecodedInstruction& decoded, const ListingHooks& hooks = {});

// The listing of the function at `address`, with the line at `exceptionAddress` marked; at most
// `maxLines` lines around it (0: the whole function). The function's analysis goes to `info`.
std::string ParseFunction(const CodeMemory& memory, uint32_t address, uint32_t exceptionAddress,
                          uint32_t maxLines, bool automaticDelimiters, TFunctionInfo& info,
                          const AnalyserAnchors& anchors = {}, const ListingHooks& hooks = {});

} // namespace qor
