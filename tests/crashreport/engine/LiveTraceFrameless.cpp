// Functions of the live-trace tests built without frame pointers (-fomit-frame-pointer): the
// tracer must find their frames from the stack words alone.
#include "LiveTrace.h"

namespace qor::live {

__attribute__((noinline)) int FramelessLevel(int depth, Level next)
{
    Record(__builtin_return_address(0));
    volatile int keep = depth;
    int result = next(keep + 1);
    return result + keep; // no tail call: the frame stays on the stack
}

} // namespace qor::live
