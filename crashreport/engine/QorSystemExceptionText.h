// The texts of operating-system exceptions as the reports show them. Portable: the caller
// supplies what it found out about the faulting address.
#pragma once

#include <cstdint>
#include <string>

namespace qor {

// The text of an exception code: "Division by zero", "Stack overflow", ... and
// "External exception <code in hexadecimal>" for any other code. Access violations use
// AccessViolationText.
std::string SystemExceptionText(uint32_t code);

// "Access violation at address $.. in module '...'. Read of address $.." when the faulting
// address lies in committed memory of a module with a file name (`moduleFileName`, folder
// included or not), else "Access Violation".
std::string AccessViolationText(uint64_t exceptionAddress, const std::string& moduleFileName,
                                bool write, uint64_t accessedAddress);

} // namespace qor
