#pragma once
// Exceptions of the utility modules. Every one derives from EBcError so that a caller can
// catch the whole family at once.
#include <stdexcept>
#include <string>

namespace bcl {

class EBcError : public std::runtime_error {
public:
    explicit EBcError(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

class EBcStringError : public EBcError { using EBcError::EBcError; };
class EBcInternalError : public EBcError { using EBcError::EBcError; };
class EBcRTTIError : public EBcError { using EBcError::EBcError; };
class ESharedMemError : public EBcError { using EBcError::EBcError; };
class EBcFileVersionInfoError : public EBcError { using EBcError::EBcError; };

// printf-style formatting of a message pattern with text arguments already converted.
std::string FormatText(const char* pattern, ...);

} // namespace bcl
