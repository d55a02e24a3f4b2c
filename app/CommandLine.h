#pragma once
// The command line that prepares an automatic upload: argument 1 names the family by a
// keyword, argument 2 the HEX file.
#include "Families.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace app {

struct CommandLineRequest {
    FamilyCode mcuType = 0; // 0: no keyword found (or fewer than two arguments)
    std::string hexFile;    // set only when the automatic upload is armed
    bool autoRun = false;
};

// Family of the first keyword found in `argument` as a case-sensitive substring, tested in the
// fixed order "P16", "P18", "P24", "P33", "PIC32MZ", "PIC32", "ARM", "STELLARIS_M3",
// "STELLARIS_M4", "STELLARIS", "TIVA_C", "FT90"; 0 when none is found.
FamilyCode FamilyFromKeyword(std::string_view argument);

// True when the path's extension is ".hex" in any case.
bool HasHexExtension(std::string_view path);

// `arguments` are the arguments behind the program name. `fileExists` is asked only about a
// second argument with the ".hex" extension.
CommandLineRequest ParseCommandLine(std::span<const std::string> arguments,
                                    const std::function<bool(const std::string&)>& fileExists);

} // namespace app
