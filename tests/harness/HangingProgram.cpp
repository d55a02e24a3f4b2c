// Never ends on its own: the harness must kill it at the test's time limit.
#include <windows.h>

int main()
{
    Sleep(INFINITE);
    return 0;
}
