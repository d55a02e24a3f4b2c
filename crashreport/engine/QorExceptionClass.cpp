#include "QorExceptionClass.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace qor {

namespace {

// The dynamic type of the thrown object, read while it is rethrown.
const std::type_info* ThrownType(const std::exception_ptr& object)
{
    if (!object)
        return nullptr;
    try {
        std::rethrow_exception(object);
    } catch (...) {
        return abi::__cxa_current_exception_type();
    }
}

std::string Demangled(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> name(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    return status == 0 && name ? std::string(name.get()) : std::string(type.name());
}

bool NameMatches(const std::type_info& type, std::string_view className)
{
    const std::string name = Demangled(type);
    if (name == className)
        return true;
    const size_t colons = name.rfind("::");
    return colons != std::string::npos && std::string_view(name).substr(colons + 2) == className;
}

// Walks the base classes the run time's type records list.
bool TypeInheritsFrom(const std::type_info& type, std::string_view className, int depth)
{
    if (NameMatches(type, className))
        return true;
    if (depth > 64)
        return false;
    if (const auto* single = dynamic_cast<const abi::__si_class_type_info*>(&type))
        return TypeInheritsFrom(*single->__base_type, className, depth + 1);
    if (const auto* multiple = dynamic_cast<const abi::__vmi_class_type_info*>(&type)) {
        for (unsigned i = 0; i < multiple->__base_count; ++i)
            if (TypeInheritsFrom(*multiple->__base_info[i].__base_type, className, depth + 1))
                return true;
    }
    return false;
}

} // namespace

std::string ExceptionClassText(const std::exception_ptr& object)
{
    const std::type_info* type = ThrownType(object);
    if (!type)
        return "Unknown";
    std::string name = Demangled(*type);
    return name.empty() ? "Unknown" : name;
}

bool InheritsFromName(const std::exception_ptr& object, std::string_view className)
{
    const std::type_info* type = ThrownType(object);
    return type && !className.empty() && TypeInheritsFrom(*type, className, 0);
}

} // namespace qor
