// The SetupApi.dll exports the HID layer binds but never calls. They exist so that the fake's
// export table matches the binding; called anyway, each fails with ERROR_CALL_NOT_IMPLEMENTED
// and returns 0 (FALSE, or a null handle). This file does not include setupapi.h: the stubs'
// signatures would clash with its declarations.
#include <windows.h>

#include "SetupApiBoundEntryPoints.h"

#define FAKE_SETUPAPI_STUB(Name)                    \
    extern "C" __declspec(dllexport) int Name(void) \
    {                                               \
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);   \
        return 0;                                   \
    }
BRENVIK_SETUPAPI_BOUND_ENTRY_POINTS(FAKE_SETUPAPI_STUB)
