#pragma once
// Thin wrappers around the platform's waitable kernel objects and critical sections, and
// the exception that carries the calling thread's last platform error.
#include "BcErrors.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace bcl {

// Outcome of a wait; callers compare the values numerically.
enum TBcWaitOutcome : uint8_t { woAbandoned, woError, woIOCompletion, woSignaled, woTimeout };

TBcWaitOutcome WaitOutcomeFromResult(DWORD waitResult);

// The platform's message text for an error code, without the trailing line break.
std::string SysErrorMessage(DWORD errorCode);

// Message: "Win32 error: <platform text> (<code>)" CR LF <text>.
class EBcWin32Error : public EBcError {
public:
    // Reads the calling thread's last error now.
    explicit EBcWin32Error(const std::string& text);
    uint32_t ErrorCode() const { return errorCode_; }
    const std::string& ErrorText() const { return errorText_; }

private:
    EBcWin32Error(DWORD code, const std::string& text);
    uint32_t errorCode_;
    std::string errorText_;
};

class EBcMutexError : public EBcWin32Error {
public:
    using EBcWin32Error::EBcWin32Error;
};

// Base of the waitable wrappers: owns the kernel handle and closes it.
class TBcDispatcherObject {
public:
    TBcDispatcherObject(const TBcDispatcherObject&) = delete;
    TBcDispatcherObject& operator=(const TBcDispatcherObject&) = delete;
    virtual ~TBcDispatcherObject();

    bool AlreadyExisted() const { return alreadyExisted_; }
    HANDLE ObjectHandle() const { return objectHandle_; }
    const std::string& ObjectName() const { return objectName_; }

    TBcWaitOutcome WaitTimeout(DWORD timeoutMs) const;
    TBcWaitOutcome WaitInfinite() const;

protected:
    TBcDispatcherObject() = default;
    bool alreadyExisted_ = false;
    HANDLE objectHandle_ = nullptr;
    std::string objectName_;
};

// Named or unnamed mutex. Creating a name that exists opens the existing object and sets
// AlreadyExisted. The platform mutex is recursive for its owning thread.
class TBcMutex : public TBcDispatcherObject {
public:
    // Raises EBcMutexError when the mutex cannot be created.
    TBcMutex(SECURITY_ATTRIBUTES* securityAttributes, bool initialOwner, const std::string& name);
    // False when the calling thread does not own the mutex.
    bool Unlock() const;
};

class TBcCriticalSection {
public:
    TBcCriticalSection();
    TBcCriticalSection(const TBcCriticalSection&) = delete;
    TBcCriticalSection& operator=(const TBcCriticalSection&) = delete;
    virtual ~TBcCriticalSection();

protected:
    CRITICAL_SECTION section_;
};

} // namespace bcl
