// Stands in for the system's image editor in the screenshot page's tests: started through the
// "edit" verb with (file, picture, log), it notes its start in the log, saves the picture over
// the file with a write time a minute later (as an editor saving after a while would) and stays
// open until the test ends it.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    if (FILE* log = std::fopen(argv[3], "a")) {
        std::fputs("started\n", log);
        std::fclose(log);
    }
    if (!CopyFileA(argv[2], argv[1], FALSE))
        return 1;
    HANDLE file = CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER later{};
        later.LowPart = now.dwLowDateTime;
        later.HighPart = now.dwHighDateTime;
        later.QuadPart += 60ull * 10000000ull;
        FILETIME written{later.LowPart, later.HighPart};
        SetFileTime(file, nullptr, nullptr, &written);
        CloseHandle(file);
    }
    HANDLE quit = OpenEventA(SYNCHRONIZE, FALSE, "BrenvikScreenshotEditorQuit");
    WaitForSingleObject(quit ? quit : GetCurrentProcess(), 30000);
    return 0;
}
