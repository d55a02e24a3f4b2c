#pragma once
// TEMPORARY: stands in for the core object model until it lands; replaced by core headers.
#include <functional>
#include <stdexcept>
#include <string>
namespace classlib {
class TObject { public: virtual ~TObject() = default; };
using TNotifyEvent = std::function<void(TObject*)>;
class Exception : public std::runtime_error { public: explicit Exception(const std::string& m) : std::runtime_error(m) {} std::string Message() const { return what(); } };
class EOutOfResources : public Exception { using Exception::Exception; };
class EInvalidOperation : public Exception { using Exception::Exception; };
class EAbort : public Exception { using Exception::Exception; };
}
