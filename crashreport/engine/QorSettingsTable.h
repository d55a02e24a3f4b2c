#pragma once
// The crash-report settings as the engine stores them: the "TQOREXCEPT" resource (a component
// stream of one `TQorExcept` object named `qorExcept` whose properties are the settings keys),
// the property table it is parsed into, the per-module record that all copies of the engine in
// one process share, and the built-in defaults. Portable: the shared store around it is
// QorSettingsStore (Windows).
//
// The layouts below are a binary interface between the copies of the engine in one process
// (the executable and libraries that link the engine), which free what another copy allocated:
// tables, keys and texts come from SettingsAlloc and go back through SettingsFree.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qor {

enum SettingsKind : uint8_t { SettingsText = 0, SettingsInteger = 1, SettingsBoolean = 2 };

// One entry of a property table. Natural alignment (16 bytes in the 32-bit program): every copy
// of the engine is built with this layout, and no pointer is read unaligned.
struct SettingsProperty {
    const char* Key;  // zero-terminated copy of the key
    uint8_t Kind;     // SettingsKind
    uint8_t Boolean;  // 0 or 1
    int32_t Integer;  //
    const char* Text; // zero-terminated copy, or null for the empty text
};

// The parsed settings of one module, shared by every copy of the engine in the process.
struct ModuleSettingsRecord {
    int32_t ReferenceCount;
    void* Module; // module handle (base address) whose resource the record holds
    int32_t Capacity;
    int32_t Count;
    SettingsProperty* Table;
    ModuleSettingsRecord* Next;
};

// Zero-filled memory that any copy of the engine in the process can release (the process-wide
// local heap on Windows); one implementation per platform.
void* SettingsAlloc(size_t size);
void SettingsFree(const void* block);
// A text of UTF-16 code units in the system code page (Windows-1252 where there is none).
std::string SettingsTextFromUtf16(std::u16string_view units);

// The first table capacity and the step by which a full table grows.
constexpr int32_t SettingsTableCapacity = 131;
constexpr int32_t SettingsTableGrowth = 20;

// Adds an entry (copies of the key and of a non-empty text), growing the table when it is full;
// returns the new entry's index.
int32_t AppendProperty(int32_t& capacity, int32_t& count, SettingsProperty*& table,
                       std::string_view key, uint8_t kind, bool boolean, int32_t integer,
                       std::string_view text);
// Index of the first entry whose key equals `key` exactly (case-sensitive), or -1.
int32_t IndexOfProperty(int32_t count, const SettingsProperty* table, std::string_view key);
// Releases every key and text of the table and the table itself.
void FreePropertyTable(int32_t count, SettingsProperty* table);
// The same for a record's table; the record's table pointer becomes null (capacity and count
// stay as they are).
void FreeProperties(ModuleSettingsRecord& record);

enum class SettingsParseStatus {
    Complete,      // the list ended with its zero byte
    ForeignHeader, // not a stream of `qorExcept: TQorExcept`: no table
    BadValueType,  // a value type outside the accepted subset: the entries before it stay
    Truncated,     // the data ended inside the list: the entries before it stay
};

struct SettingsParseResult {
    SettingsProperty* Table = nullptr;
    int32_t Capacity = 0;
    int32_t Count = 0;
    SettingsParseStatus Status = SettingsParseStatus::ForeignHeader;
    uint8_t BadValueType = 0;
};

// Parses the resource's bytes; reads nothing outside [data, data + size).
SettingsParseResult ParseSettingsStream(const uint8_t* data, size_t size);

// The message shown for a value type the parser does not accept.
std::string InvalidSettingsResourceMessage(uint8_t valueType);

// A per-process object name: the base name, then the process id as "$" and lower-case hex.
std::string ProcessObjectName(std::string_view baseName, uint32_t processId);

// The built-in defaults, in the order of the settings keys.
constexpr int32_t DefaultSettingsCount = 119;
extern const SettingsProperty DefaultSettings[DefaultSettingsCount];
// The default entry of a key, or null.
const SettingsProperty* DefaultSetting(std::string_view key);

} // namespace qor
