#include "BcSynch.h"

#include "BcResourceTexts.h"
#include "core/SysUtils.h"

namespace bcl {

TBcWaitOutcome WaitOutcomeFromResult(DWORD waitResult)
{
    switch (waitResult) {
        case WAIT_ABANDONED:
            return woAbandoned;
        case WAIT_IO_COMPLETION:
            return woIOCompletion;
        case WAIT_OBJECT_0:
            return woSignaled;
        case WAIT_TIMEOUT:
            return woTimeout;
        default:
            return woError;
    }
}

std::string SysErrorMessage(DWORD errorCode)
{
    char* buffer = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                       nullptr, errorCode, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text(buffer ? buffer : "", length);
    if (buffer)
        LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

EBcWin32Error::EBcWin32Error(const std::string& text) : EBcWin32Error(GetLastError(), text) {}

EBcWin32Error::EBcWin32Error(DWORD code, const std::string& text)
    : EBcError(
          classlib::Format(texts::Win32ErrorPattern,
                           {SysErrorMessage(code), static_cast<unsigned>(code), "\r\n", text})),
      errorCode_(code),
      errorText_(SysErrorMessage(code))
{
}

TBcDispatcherObject::~TBcDispatcherObject()
{
    if (objectHandle_)
        CloseHandle(objectHandle_);
}

TBcWaitOutcome TBcDispatcherObject::WaitTimeout(DWORD timeoutMs) const
{
    return WaitOutcomeFromResult(WaitForSingleObject(objectHandle_, timeoutMs));
}

TBcWaitOutcome TBcDispatcherObject::WaitInfinite() const
{
    return WaitTimeout(INFINITE);
}

TBcMutex::TBcMutex(SECURITY_ATTRIBUTES* securityAttributes, bool initialOwner,
                   const std::string& name)
{
    objectName_ = name;
    objectHandle_ =
        CreateMutexA(securityAttributes, initialOwner, name.empty() ? nullptr : name.c_str());
    if (!objectHandle_)
        throw EBcMutexError(texts::FailedToCreateMutex);
    alreadyExisted_ = GetLastError() == ERROR_ALREADY_EXISTS;
}

bool TBcMutex::Unlock() const
{
    return ReleaseMutex(objectHandle_) != 0;
}

TBcCriticalSection::TBcCriticalSection()
{
    InitializeCriticalSection(&section_);
}

TBcCriticalSection::~TBcCriticalSection()
{
    DeleteCriticalSection(&section_);
}

} // namespace bcl
