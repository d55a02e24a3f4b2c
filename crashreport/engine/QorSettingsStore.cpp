#include "QorSettingsStore.h"

#include "ExceptionPathSystem.h"
#include "QorCrypt.h"
#include "UnscramblePassword.h"

#include <string>

namespace qor {

namespace {

SettingsBuffer* ownView = nullptr;
// This copy's acquisitions not yet released: its view is unmapped when they end, so that a copy
// never keeps a view of a buffer whose critical section the last releaser deleted.
int32_t ownAcquisitions = 0;

void ShowEngineError(const std::string& text)
{
    MessageBoxA(nullptr, text.c_str(), "qorExcept", MB_OK);
}

std::string RecordText(const ModuleSettingsRecord& record, const char* key)
{
    const int32_t i = IndexOfProperty(record.Count, record.Table, key);
    return i >= 0 && record.Table[i].Text != nullptr ? record.Table[i].Text : "";
}

} // namespace

HRSRC FindSettingsResource(HMODULE module)
{
    return FindResourceA(module, "TQOREXCEPT", MAKEINTRESOURCEA(10));
}

SettingsProperty* ParseSettingsResource(HMODULE module, int32_t& capacity, int32_t& count)
{
    capacity = 0;
    count = 0;
    const HRSRC resource = FindSettingsResource(module);
    if (resource == nullptr)
        return nullptr;
    const HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr)
        return nullptr;
    // Bounded by the resource's size: the parser never reads past its end.
    const SettingsParseResult parsed =
        ParseSettingsStream(static_cast<const uint8_t*>(data), SizeofResource(module, resource));
    if (parsed.Status == SettingsParseStatus::BadValueType)
        ShowEngineError(InvalidSettingsResourceMessage(parsed.BadValueType));
    capacity = parsed.Capacity;
    count = parsed.Count;
    return parsed.Table;
}

HANDLE LockSettingsMutex()
{
    SECURITY_ATTRIBUTES attributes;
    SECURITY_DESCRIPTOR descriptor;
    EveryoneSecurityAttributes(attributes, descriptor);
    const std::string name = ProcessObjectName("qorExceptSettingsMtx", GetCurrentProcessId());
    const HANDLE mutex = CreateMutexA(&attributes, FALSE, name.c_str());
    if (mutex != nullptr)
        WaitForSingleObject(mutex, INFINITE);
    return mutex;
}

void UnlockSettingsMutex(HANDLE mutex)
{
    if (mutex == nullptr)
        return;
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

bool AcquireSettingsBuffer()
{
    const HANDLE mutex = LockSettingsMutex();
    if (ownView == nullptr) {
        SECURITY_ATTRIBUTES attributes;
        SECURITY_DESCRIPTOR descriptor;
        EveryoneSecurityAttributes(attributes, descriptor);
        const std::string name = ProcessObjectName("qorExceptSettingsBuf", GetCurrentProcessId());
        HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0,
                                            sizeof(SettingsBuffer), name.c_str());
        const bool created = mapping != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
        if (mapping == nullptr)
            mapping = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name.c_str());
        if (mapping == nullptr) {
            ShowEngineError("internal error (opening settings buffer)");
        } else {
            auto* view = static_cast<SettingsBuffer*>(
                MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SettingsBuffer)));
            if (created && view != nullptr) {
                view->ReferenceCount = 0;
                view->Mapping = mapping;
                InitializeCriticalSection(&view->Lock);
                view->First = nullptr;
                view->Reserved = 0;
            } else if (!created || view == nullptr) {
                CloseHandle(mapping);
            }
            ownView = view;
        }
    }
    const bool acquired = ownView != nullptr;
    if (acquired) {
        ++ownView->ReferenceCount;
        ++ownAcquisitions;
    }
    UnlockSettingsMutex(mutex);
    return acquired;
}

void ReleaseSettingsBuffer()
{
    const HANDLE mutex = LockSettingsMutex();
    if (ownView != nullptr && ownAcquisitions > 0) {
        HANDLE mapping = nullptr;
        if (--ownView->ReferenceCount == 0) {
            mapping = ownView->Mapping;
            DeleteCriticalSection(&ownView->Lock);
        }
        if (--ownAcquisitions == 0) {
            UnmapViewOfFile(ownView);
            ownView = nullptr;
        }
        if (mapping != nullptr)
            CloseHandle(mapping);
    }
    UnlockSettingsMutex(mutex);
}

void LoadModuleProperties(HMODULE module, ModuleSettingsRecord& record)
{
    record.Table = ParseSettingsResource(module, record.Capacity, record.Count);
    // The stored passwords are scrambled and Base64-encoded by the tool that writes the resource;
    // they are turned into usable ones here.
    static const char* const passwords[][3] = {{"SmtpPassword", "SmtpAccount", "SmtpServer"},
                                               {"HttpPassword", "HttpAccount", "HttpServer"}};
    for (const auto& names : passwords) {
        const int32_t i = IndexOfProperty(record.Count, record.Table, names[0]);
        if (i < 0 || record.Table[i].Text == nullptr || record.Table[i].Text[0] == 0)
            continue;
        const std::string password =
            UnscramblePassword(DecodeBase64(record.Table[i].Text), RecordText(record, names[1]),
                               RecordText(record, names[2]));
        SettingsFree(record.Table[i].Text);
        record.Table[i].Text = nullptr;
        if (!password.empty()) {
            auto* copy = static_cast<char*>(SettingsAlloc(password.size() + 1));
            password.copy(copy, password.size());
            record.Table[i].Text = copy;
        }
    }
}

ModuleSettingsRecord* AcquireModuleSettings(HMODULE module)
{
    if (FindSettingsResource(module) == nullptr || !AcquireSettingsBuffer())
        return nullptr;
    EnterCriticalSection(&ownView->Lock);
    ModuleSettingsRecord** link = &ownView->First;
    while (*link != nullptr && (*link)->Module != module)
        link = &(*link)->Next;
    ModuleSettingsRecord* record = *link;
    if (record == nullptr) {
        record = static_cast<ModuleSettingsRecord*>(SettingsAlloc(sizeof(ModuleSettingsRecord)));
        *link = record;
        record->Module = module;
        LoadModuleProperties(module, *record);
    }
    ++record->ReferenceCount;
    LeaveCriticalSection(&ownView->Lock);
    return record;
}

void ReleaseModuleSettings(ModuleSettingsRecord* record)
{
    if (record == nullptr || ownView == nullptr)
        return;
    EnterCriticalSection(&ownView->Lock);
    if (record->ReferenceCount == 1) {
        UnlinkModuleSettings(static_cast<HMODULE>(record->Module));
        FreeProperties(*record);
        SettingsFree(record);
    } else {
        --record->ReferenceCount;
    }
    LeaveCriticalSection(&ownView->Lock);
    ReleaseSettingsBuffer();
}

void ReloadModuleProperties(HMODULE module, ModuleSettingsRecord& record)
{
    SettingsLock lock;
    FreeProperties(record);
    LoadModuleProperties(module, record);
}

void UnlinkModuleSettings(HMODULE module)
{
    SettingsLock lock;
    if (ownView == nullptr)
        return;
    for (ModuleSettingsRecord** link = &ownView->First; *link != nullptr; link = &(*link)->Next) {
        if ((*link)->Module == module) {
            *link = (*link)->Next;
            return;
        }
    }
}

SettingsBuffer* SharedSettingsBuffer()
{
    return ownView;
}

SettingsLock::SettingsLock() : buffer_(ownView)
{
    if (buffer_ != nullptr)
        EnterCriticalSection(&buffer_->Lock);
}

SettingsLock::~SettingsLock()
{
    if (buffer_ != nullptr)
        LeaveCriticalSection(&buffer_->Lock);
}

} // namespace qor
