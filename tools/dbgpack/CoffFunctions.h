#pragma once
// The functions of a linked PE image from its COFF symbol table, with their names as the
// debug payload stores them, and the comparison of two link passes.
#include "PeFileView.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dbgpack {

struct Function {
    uint32_t address = 0; // virtual address
    std::string name;
};

// Function symbols (external and static) of the code sections, in address order, one per
// address (the first symbol of an address names it).
std::vector<Function> FunctionsOf(const qor::PeFileView& image);

// A symbol name as the payload stores it: the compiler's leading underscore removed (32-bit
// images), demangled, without parameter list, return type or calling-convention suffix, and
// every "::" written as ".".
std::string PayloadName(std::string symbol, bool leadingUnderscore);

// What differs between two link passes of one program: code bytes or symbol values. Empty
// when they agree.
std::string LinkPassDifference(const qor::PeFileView& first, const qor::PeFileView& second);

} // namespace dbgpack
