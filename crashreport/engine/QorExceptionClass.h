#pragma once
// The class of a C++ exception object as the report names it (portable): the dynamic type's
// demangled name, and whether that type or one of its base classes has a given name.
#include <exception>
#include <string>
#include <string_view>

namespace qor {

// The object's class name ("std::runtime_error"); "Unknown" without an object or name.
std::string ExceptionClassText(const std::exception_ptr& object);
// True when the object's class or one of its base classes is named `className`, either in full
// ("classlib::EAbort") or without its namespaces ("EAbort"); false without an object.
bool InheritsFromName(const std::exception_ptr& object, std::string_view className);

} // namespace qor
