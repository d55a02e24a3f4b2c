// The security attributes of every named object of the engine: a security descriptor without
// access list, so that every module and process concerned may open the object.
#pragma once

#include <windows.h>

namespace qor {

struct OpenSecurityAttributes {
    SECURITY_DESCRIPTOR descriptor;
    SECURITY_ATTRIBUTES attributes;
    OpenSecurityAttributes()
    {
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
        attributes = {sizeof attributes, &descriptor, FALSE};
    }
    OpenSecurityAttributes(const OpenSecurityAttributes&) = delete;
    OpenSecurityAttributes& operator=(const OpenSecurityAttributes&) = delete;
};

} // namespace qor
