#pragma once
// The report's two thread-safe lists (portable): `TIQEFields`, ordered name/content pairs (the
// report header and sections, the additional upload fields of the settings and their copies),
// and `TIQEAttachments`, the additional files to send with the name each is sent under, the zip
// archive it goes into and the upload form field it fills. A list may belong to an owner: a
// fields list to an exception (every change marks the report changed, once per access) or to
// settings (every change is written back into the setting), an attachment list to settings.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace qor {

// What a fields list asks of the exception that owns it.
class FieldsOwnerException {
public:
    virtual void HoldChanges() = 0;
    virtual void ReleaseChanges() = 0;
    virtual void MarkReportChanged() = 0;

protected:
    ~FieldsOwnerException() = default;
};

// Writes a list's stored form back into its owning settings ("AddFields", "AddAttachs").
using StoredFormWriter = std::function<void(const std::string& storedForm)>;

class TIQEFields;
class TIQEAttachments;
using IQEFields = std::shared_ptr<TIQEFields>;
using IQEAttachments = std::shared_ptr<TIQEAttachments>;

class TIQEFields {
public:
    // Owners (the back-links are cut by the owner before it goes away).
    void AttachException(FieldsOwnerException* exception);
    void AttachSettings(StoredFormWriter writer);
    void DetachException();
    void DetachSettings();
    void SetInsertIndex(int32_t index);
    void EnableWriting();

    void BeginAccess();
    void EndAccess();
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    std::string ItemName(int32_t index);
    void SetItemName(int32_t index, std::string_view name);
    int32_t IndexOfName(std::string_view name);
    std::string Value(std::string_view name);
    void SetValue(std::string_view name, std::string_view content);
    void Append(std::string_view name, std::string_view content) { SetValue(name, content); }
    void InsertAt(int32_t index, std::string_view name, std::string_view content);
    void RemoveAt(int32_t index);
    void RemoveName(std::string_view name);
    // An independent copy without owners, writing enabled.
    IQEFields Duplicate();
    // "name=content|name=content".
    std::string StoredForm();

private:
    struct Item {
        std::string Name;
        std::string Content;
    };
    class Access;
    void Announce();
    int32_t FindName(std::string_view name) const;
    void Grow();

    FieldsOwnerException* exception_ = nullptr;
    StoredFormWriter settings_;
    std::vector<Item> items_;
    int32_t insertIndex_ = 0;
    bool writingEnabled_ = false;
    std::recursive_mutex lock_;
};

class TIQEAttachments {
public:
    void AttachSettings(StoredFormWriter writer);
    void DetachSettings();

    void BeginAccess() { lock_.lock(); }
    void EndAccess() { lock_.unlock(); }
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    bool ItemAt(int32_t index, std::string& file, std::string& sendAs, std::string& zipName,
                std::string& fieldName);
    void Append(std::string_view file, std::string_view sendAs, std::string_view zipName,
                std::string_view fieldName);
    bool RemoveFile(std::string_view file);
    void RemoveAll();
    // A copy without owner holding every item with its four texts unchanged.
    IQEAttachments Duplicate();
    // "file>send-as>zip>field|...".
    std::string StoredForm();

private:
    struct Item {
        std::string File, SendAs, ZipName, FieldName;
    };
    void Announce();

    StoredFormWriter settings_;
    std::vector<Item> items_;
    std::recursive_mutex lock_;
};

IQEFields CreateFields();
IQEAttachments CreateAttachments();

} // namespace qor
