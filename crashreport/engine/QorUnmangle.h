#pragma once
// Compiler-generated routine names (@Unit@Class@Routine$signature) as Class.Routine and unit.
#include <string>

namespace qor {

// Turns `name` into its readable form and gives its unit (empty when it has none). False, with
// only "::" turned into ".", for names that do not start with "@".
bool UnmangleName(std::string& name, std::string& unit);

} // namespace qor
