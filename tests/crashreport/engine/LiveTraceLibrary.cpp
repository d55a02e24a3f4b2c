// A library without debug information between two levels of the live-trace tests: the test
// program calls its export through the import table, and the export calls back. The tracer
// finds the export's call by the export's own code, as for a system library.
#include "LiveTrace.h"

extern "C" __declspec(dllexport)
    __attribute__((noinline)) int LiveTraceCallBack(qor::live::Level next, int depth)
{
    // The addition keeps the call a call (no jump into the callback).
    return next(depth + 1) + 1;
}
