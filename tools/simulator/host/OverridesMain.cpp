// GoogleTest main for test programs that use the simulated devices. Wine picks a program's DLL
// overrides when the process starts, so a program whose overrides are not yet registered
// registers them (HKCU\Software\Wine\AppDefaults\<exe>\DllOverrides: hid and setupapi =
// native,builtin) and runs itself again as a child with the same command line and streams.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace {

constexpr wchar_t kNativeFirst[] = L"native,builtin";

std::wstring OverridesKey()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring exe = path;
    exe = exe.substr(exe.find_last_of(L"\\/") + 1);
    return L"Software\\Wine\\AppDefaults\\" + exe + L"\\DllOverrides";
}

bool OverridesRegistered()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, OverridesKey().c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    bool ok = true;
    for (const wchar_t* name : {L"hid", L"setupapi"}) {
        wchar_t value[64] = {};
        DWORD size = sizeof value - sizeof(wchar_t), type = 0;
        ok = ok &&
             RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
                 ERROR_SUCCESS &&
             type == REG_SZ && std::wstring(value) == kNativeFirst;
    }
    RegCloseKey(key);
    return ok;
}

void RegisterOverrides()
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, OverridesKey().c_str(), 0, nullptr, 0, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    for (const wchar_t* name : {L"hid", L"setupapi"}) {
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(kNativeFirst),
                       sizeof kNativeFirst);
    }
    RegCloseKey(key);
}

int RunAgain()
{
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, GetCommandLineW(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &si, &pi))
        return 1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return int(code);
}

} // namespace

int main(int argc, char** argv)
{
    if (!OverridesRegistered()) {
        RegisterOverrides();
        if (OverridesRegistered())
            return RunAgain();
    }
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
