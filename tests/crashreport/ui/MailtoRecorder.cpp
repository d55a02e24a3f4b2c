// The mail program registered for "mailto" in the tests: writes its whole command line to the
// file named by its first argument (through a temporary name, so a reader never sees half).
#include <windows.h>

#include <string>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 1;
    const std::string record = argv[1];
    const std::string partial = record + ".partial";
    const char* line = GetCommandLineA();
    HANDLE file =
        CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
    CloseHandle(file);
    return MoveFileExA(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
