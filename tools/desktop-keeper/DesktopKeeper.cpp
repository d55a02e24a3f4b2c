// Test-run helper: holds the Wine desktop of the virtual display for as long as it runs.
//
// Wine starts the desktop process (explorer.exe /desktop) from the first program that needs a
// desktop and ends it when no program uses the desktop any more; the desktop process keeps that
// program's standard error open. Under ctest that is the output pipe of whichever test started
// it, and ctest waits for the pipe to close: the test runs into its timeout although it passed
// and ended. Started before the tests with its output going nowhere, this program starts the
// desktop itself and stays one of its users until it is ended.
#include <windows.h>

// Argument: a file created once the desktop is there (the tests may start then).
int main(int argc, char** argv)
{
    GetDesktopWindow();
    if (argc > 1)
        CloseHandle(CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    // A window that is never shown: it takes no focus and covers nothing.
    CreateWindowExA(0, "STATIC", "desktop keeper", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                    nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
