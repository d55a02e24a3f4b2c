#pragma once
// The exception hierarchy of the class library. Every failure the library reports is a C++
// exception derived from `Exception`, which carries one message text.
#include <exception>
#include <string>

namespace classlib {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    ~Exception() override = default;

    const std::string& Message() const noexcept { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }
    const char* what() const noexcept override { return message_.c_str(); }

    // The class name of the most derived exception type without namespace ("EReadError"),
    // as error reports show it.
    std::string ClassName() const;

private:
    std::string message_;
};

// Declares `Name` derived from `Base` with the base's constructors.
#define CLASSLIB_DECLARE_EXCEPTION(Name, Base) \
    class Name : public Base {                 \
    public:                                    \
        using Base::Base;                      \
    }

// Silent exception: unwinds without being reported by the application's handler.
CLASSLIB_DECLARE_EXCEPTION(EAbort, Exception);
CLASSLIB_DECLARE_EXCEPTION(EListError, Exception);
CLASSLIB_DECLARE_EXCEPTION(EStringListError, Exception);
CLASSLIB_DECLARE_EXCEPTION(EConvertError, Exception);
CLASSLIB_DECLARE_EXCEPTION(EInvalidOperation, Exception);
CLASSLIB_DECLARE_EXCEPTION(EInvalidCast, Exception);
CLASSLIB_DECLARE_EXCEPTION(EInvalidPointer, Exception);
// An interface asked of an object that does not implement it (InterfaceCast).
CLASSLIB_DECLARE_EXCEPTION(EIntfCastError, Exception);
CLASSLIB_DECLARE_EXCEPTION(EAssignError, Exception);
CLASSLIB_DECLARE_EXCEPTION(EComponentError, Exception);
CLASSLIB_DECLARE_EXCEPTION(EPropertyError, Exception);
CLASSLIB_DECLARE_EXCEPTION(EOutOfResources, Exception);
CLASSLIB_DECLARE_EXCEPTION(EStreamError, Exception);
CLASSLIB_DECLARE_EXCEPTION(EFCreateError, EStreamError);
CLASSLIB_DECLARE_EXCEPTION(EFOpenError, EStreamError);
CLASSLIB_DECLARE_EXCEPTION(EFilerError, EStreamError);
CLASSLIB_DECLARE_EXCEPTION(EReadError, EFilerError);
CLASSLIB_DECLARE_EXCEPTION(EWriteError, EFilerError);
// Raised for unknown classes; a read error, since streams name the classes they need.
CLASSLIB_DECLARE_EXCEPTION(EClassNotFound, EReadError);
CLASSLIB_DECLARE_EXCEPTION(EMethodNotFound, EFilerError);
CLASSLIB_DECLARE_EXCEPTION(EInvalidImage, EFilerError);
// Malformed text of a form layout ("Line 3: Identifier expected").
CLASSLIB_DECLARE_EXCEPTION(EParserError, Exception);

// Raises EAbort.
[[noreturn]] void Abort();

// The platform's fixed message texts, shared by everything that raises them.
namespace messages {
inline constexpr const char* ListIndexError = "List index out of bounds (%d)";
inline constexpr const char* ListCapacityError = "List capacity out of bounds (%d)";
inline constexpr const char* ListCountError = "List count out of bounds (%d)";
inline constexpr const char* SortedListError = "Operation not allowed on sorted list";
inline constexpr const char* DuplicateString = "String list does not allow duplicates";
inline constexpr const char* InvalidInteger = "'%s' is not a valid integer value";
inline constexpr const char* InvalidFloat = "'%s' is not a valid floating point value";
inline constexpr const char* InvalidBoolean = "'%s' is not a valid boolean value";
inline constexpr const char* ReadError = "Stream read error";
inline constexpr const char* WriteError = "Stream write error";
inline constexpr const char* MemoryStreamError = "Out of memory while expanding memory stream";
inline constexpr const char* CreateFileError = "Cannot create file \"%s\". %s";
inline constexpr const char* OpenFileError = "Cannot open file \"%s\". %s";
inline constexpr const char* AssignError = "Cannot assign a %s to a %s";
inline constexpr const char* DuplicateName = "A component named %s already exists";
inline constexpr const char* InvalidName = "'%s' is not a valid component name";
inline constexpr const char* InvalidImage = "Invalid stream format";
inline constexpr const char* UnknownProperty = "Property %s does not exist";
inline constexpr const char* InvalidPropertyValue = "Invalid property value";
inline constexpr const char* InvalidPropertyType = "Invalid property type: %s";
inline constexpr const char* PropertyReadOnly = "Property %s is read-only";
inline constexpr const char* ClassNotFound = "Class %s not found";
inline constexpr const char* DuplicateClass = "A class named %s already exists";
inline constexpr const char* AbstractClass = "Cannot create an instance of abstract class %s";
inline constexpr const char* InvalidCast = "Invalid class typecast";
inline constexpr const char* IntfCastError = "Interface not supported";
inline constexpr const char* InvalidPointer = "Invalid pointer operation";
inline constexpr const char* MethodNotFound = "Method %s not found";
inline constexpr const char* UnknownIdentifier = "Unknown identifier '%s'.";
inline constexpr const char* AncestorNotFound = "Ancestor for '%s' not found";
inline constexpr const char* UnresolvedReference = "Unresolved reference to '%s'";
} // namespace messages

} // namespace classlib
