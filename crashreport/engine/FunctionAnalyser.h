// The function analyser: follows the code of one function from its entry through every
// reachable branch and records its extent as code areas, the branches that leave it, the
// branches whose targets cannot be known, its case-jump tables, and whether a 5-byte jump may be
// written over its entry.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "CodeMemory.h"
#include "X86Decoder.h"

namespace qor {

struct TCodeArea {
    uint32_t start = 0;
    uint32_t end = 0; // inclusive last byte; 0 while the area has not been parsed
    bool caseTable = false;
    bool exceptionTable = false;
    uint32_t reference = 0; // the first branch found that jumps here (0: fall-through, entry)
    TRegisterState registers{};
};

struct TOutsideBranch {
    bool call = false;
    uint32_t start = 0;
    uint32_t next = 0;
    uint32_t target = 0;
    bool relative = false;
    uint32_t targetLocation = 0;
    uint32_t pointerLocation = 0;
};

struct TUnknownBranch {
    bool call = false;
    uint32_t start = 0;
    uint32_t next = 0;
};

struct TFunctionInfo {
    bool valid = false;
    uint32_t entry = 0;
    uint32_t codeStart = 0;
    uint32_t codeLength = 0;
    uint32_t errorAddress = 0;
    uint32_t errorCode = 0;
    std::string errorText;
    std::vector<TCodeArea> areas;
    std::vector<TOutsideBranch> outsideBranches;
    std::vector<TUnknownBranch> unknownBranches;
    bool interceptable = false;
    // Relocation data.
    bool copyAllowed = false;
    uint32_t relocatedSize = 0;
    uint32_t relocationValue1 = 0;
    uint32_t relocationValue2 = 0;
    std::string relocationText;
};

// Error of an analysis that met code it cannot decode.
constexpr uint32_t kInvalidCodeError = 0x770001;
// Error of an entry that does not lie in committed memory (the platform's "invalid parameter").
constexpr uint32_t kInvalidParameterError = 87;

// What the analyser knows of the run time. The Part's run-time anchors do not exist in this
// program and stay 0; routines that never return (our throw wrapper, __cxa_rethrow,
// std::terminate, abort, exit, ExitProcess, the std::__throw_* family) end the code after a call
// to them, and the landing pads of a function (from the unwinder's frame descriptions) are code
// of that function.
struct AnalyserAnchors {
    uint32_t handleAnyException = 0;
    uint32_t handleOnException = 0;
    uint32_t handleAutoException = 0;
    uint32_t handleFinally = 0;
    uint32_t halt = 0;
    std::vector<uint32_t> noReturnRoutines; // sorted
    std::function<std::vector<uint32_t>(uint32_t entry)> landingPads;
};

// Whether a routine of this (undecorated) name never returns: __cxa_throw,
// __cxa_rethrow, std::terminate, abort, exit, ExitProcess, the std::__throw_* family, and
// _Unwind_Resume, which ends every cleanup landing pad.
bool IsNoReturnRoutine(const std::string& name);

TFunctionInfo AnalyseCode(const CodeMemory& memory, uint32_t address,
                          const AnalyserAnchors& anchors);

} // namespace qor
