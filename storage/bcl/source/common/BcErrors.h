#pragma once
// Exceptions of the utility modules. Every one derives from EBcError so that a caller can
// catch the whole family at once.
#include "core/Exceptions.h"

#include <string>

namespace bcl {

class EBcError : public classlib::Exception {
public:
    using classlib::Exception::Exception;
};

class EBcStringError : public EBcError {
    using EBcError::EBcError;
};
class EBcInternalError : public EBcError {
    using EBcError::EBcError;
};
class EBcRTTIError : public EBcError {
    using EBcError::EBcError;
};
class ESharedMemError : public EBcError {
    using EBcError::EBcError;
};
class EBcFileVersionInfoError : public EBcError {
    using EBcError::EBcError;
};

} // namespace bcl
