#include "QorReportLists.h"

#include "ExceptionPathUtils.h"
#include "QorStrings.h"

#include <algorithm>
#include <cstddef>

namespace qor {

namespace {

// The array's growth: 16 on the first, then half as much again.
template <typename Item>
void GrowWhenFull(std::vector<Item>& items)
{
    if (items.size() < items.capacity())
        return;
    items.reserve(items.empty() ? 16 : items.size() * 3 / 2);
}

std::string Trimmed(std::string_view text)
{
    return TrimmedCopy(text);
}

} // namespace

// One access: the owning exception's change batch around the list's lock.
class TIQEFields::Access {
public:
    explicit Access(TIQEFields& fields) : fields_(fields) { fields_.BeginAccess(); }
    ~Access() { fields_.EndAccess(); }
    Access(const Access&) = delete;
    Access& operator=(const Access&) = delete;

private:
    TIQEFields& fields_;
};

void TIQEFields::AttachException(FieldsOwnerException* exception)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    exception_ = exception;
}

void TIQEFields::AttachSettings(StoredFormWriter writer)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    settings_ = std::move(writer);
}

void TIQEFields::DetachException()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    exception_ = nullptr;
}

void TIQEFields::DetachSettings()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    settings_ = nullptr;
}

void TIQEFields::SetInsertIndex(int32_t index)
{
    Access access(*this);
    insertIndex_ = index;
}

void TIQEFields::EnableWriting()
{
    Access access(*this);
    writingEnabled_ = true;
}

void TIQEFields::BeginAccess()
{
    if (FieldsOwnerException* exception = exception_)
        exception->HoldChanges();
    lock_.lock();
}

void TIQEFields::EndAccess()
{
    FieldsOwnerException* exception = exception_;
    lock_.unlock();
    if (exception != nullptr)
        exception->ReleaseChanges();
}

void TIQEFields::Announce()
{
    if (settings_)
        settings_(StoredForm());
    if (exception_ != nullptr)
        exception_->MarkReportChanged();
}

int32_t TIQEFields::FindName(std::string_view name) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (TextMatches(items_[i].Name, name))
            return static_cast<int32_t>(i);
    return -1;
}

void TIQEFields::Grow()
{
    GrowWhenFull(items_);
}

std::string TIQEFields::ItemName(int32_t index)
{
    Access access(*this);
    return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)].Name : "";
}

void TIQEFields::SetItemName(int32_t index, std::string_view name)
{
    Access access(*this);
    if (index < 0 || index >= Count() || items_[static_cast<size_t>(index)].Name == name)
        return;
    items_[static_cast<size_t>(index)].Name = name;
    Announce();
}

int32_t TIQEFields::IndexOfName(std::string_view name)
{
    Access access(*this);
    return FindName(name);
}

std::string TIQEFields::Value(std::string_view name)
{
    Access access(*this);
    const int32_t i = FindName(name);
    return i < 0 ? "" : items_[static_cast<size_t>(i)].Content;
}

void TIQEFields::SetValue(std::string_view name, std::string_view content)
{
    Access access(*this);
    if (!writingEnabled_)
        return;
    const std::string trimmed = Trimmed(content);
    if (trimmed.empty()) {
        RemoveName(name);
        return;
    }
    const int32_t i = FindName(name);
    if (i >= 0) {
        Item& item = items_[static_cast<size_t>(i)];
        if (item.Content == trimmed && item.Name == name)
            return;
        item.Name = name;
        item.Content = trimmed;
        Announce();
        return;
    }
    InsertAt(insertIndex_ > 0 ? insertIndex_ : Count(), name, trimmed);
}

void TIQEFields::InsertAt(int32_t index, std::string_view name, std::string_view content)
{
    Access access(*this);
    const std::string trimmed = Trimmed(content);
    if (trimmed.empty() || !writingEnabled_)
        return;
    index = std::max(0, std::min(index, Count()));
    const int32_t existing = FindName(name);
    if (existing >= 0) {
        if (existing == index && items_[static_cast<size_t>(existing)].Content == trimmed)
            return;
        RemoveAt(existing);
        if (existing < index)
            --index;
    }
    Grow();
    items_.insert(items_.begin() + index, Item{std::string(name), trimmed});
    if (insertIndex_ > 0 && insertIndex_ >= index)
        ++insertIndex_;
    Announce();
}

void TIQEFields::RemoveAt(int32_t index)
{
    Access access(*this);
    if (index < 0 || index >= Count())
        return;
    items_.erase(items_.begin() + index);
    if (insertIndex_ > 0 && index < insertIndex_)
        --insertIndex_;
    Announce();
}

void TIQEFields::RemoveName(std::string_view name)
{
    Access access(*this);
    const int32_t i = FindName(name);
    if (i >= 0)
        RemoveAt(i);
}

IQEFields TIQEFields::Duplicate()
{
    Access access(*this);
    IQEFields copy = CreateFields();
    copy->EnableWriting();
    for (const Item& item : items_)
        copy->Append(item.Name, item.Content);
    return copy;
}

std::string TIQEFields::StoredForm()
{
    Access access(*this);
    std::string text;
    for (const Item& item : items_)
        text += (text.empty() ? "" : "|") + item.Name + "=" + item.Content;
    return text;
}

void TIQEAttachments::AttachSettings(StoredFormWriter writer)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    settings_ = std::move(writer);
}

void TIQEAttachments::DetachSettings()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    settings_ = nullptr;
}

void TIQEAttachments::Announce()
{
    if (settings_)
        settings_(StoredForm());
}

bool TIQEAttachments::ItemAt(int32_t index, std::string& file, std::string& sendAs,
                             std::string& zipName, std::string& fieldName)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (index < 0 || index >= Count())
        return false;
    const Item& item = items_[static_cast<size_t>(index)];
    file = item.File;
    sendAs = item.SendAs;
    zipName = item.ZipName;
    fieldName = item.FieldName;
    return true;
}

void TIQEAttachments::Append(std::string_view file, std::string_view sendAs,
                             std::string_view zipName, std::string_view fieldName)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (file.empty())
        return;
    Item item{std::string(file), std::string(sendAs), std::string(zipName), std::string(fieldName)};
    if (item.SendAs.empty())
        item.SendAs = StripPath(file);
    if (item.FieldName.empty())
        item.FieldName = StripExt(item.SendAs);
    GrowWhenFull(items_);
    items_.push_back(std::move(item));
    Announce();
}

bool TIQEAttachments::RemoveFile(std::string_view file)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (size_t i = 0; i < items_.size(); ++i) {
        if (TextMatches(items_[i].File, file)) {
            items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
            Announce();
            return true;
        }
    }
    return false;
}

void TIQEAttachments::RemoveAll()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (items_.empty())
        return;
    items_.clear();
    Announce();
}

IQEAttachments TIQEAttachments::Duplicate()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    IQEAttachments copy = CreateAttachments();
    // Each value to its own slot (the file, send-as, zip and field names unchanged).
    copy->items_ = items_;
    return copy;
}

std::string TIQEAttachments::StoredForm()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    std::string text;
    for (const Item& item : items_)
        text += (text.empty() ? "" : "|") + item.File + ">" + item.SendAs + ">" + item.ZipName +
                ">" + item.FieldName;
    return text;
}

IQEFields CreateFields()
{
    return std::make_shared<TIQEFields>();
}

IQEAttachments CreateAttachments()
{
    return std::make_shared<TIQEAttachments>();
}

} // namespace qor
