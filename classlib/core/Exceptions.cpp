#include "core/Exceptions.h"

#include <typeinfo>
#if defined(__GNUC__) || defined(__clang__)
#include <cxxabi.h>
#include <cstdlib>
#endif

namespace classlib {

std::string Exception::ClassName() const
{
    std::string name = typeid(*this).name();
#if defined(__GNUC__) || defined(__clang__)
    int status = 0;
    if (char* demangled = abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status)) {
        name = demangled;
        std::free(demangled);
    }
#endif
    const auto scope = name.rfind("::");
    return scope == std::string::npos ? name : name.substr(scope + 2);
}

void Abort()
{
    throw EAbort("Operation aborted");
}

} // namespace classlib
