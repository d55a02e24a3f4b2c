#include "core/StringList.h"

#include "core/ComponentStream.h"
#include "core/Streams.h"
#include "core/SysUtils.h"
#include "core/TypeInfo.h"

#include <algorithm>

namespace classlib {

CLASSLIB_DEFINE_ENUM(TDuplicates, "dupIgnore", "dupAccept", "dupError")

CLASSLIB_PUBLISH(TStrings) {}
CLASSLIB_PUBLISH(TStringList) {}

namespace {
bool IsBlankChar(char c)
{
    return c != 0 && static_cast<unsigned char>(c) <= ' ';
}
} // namespace

// ---- TStrings -------------------------------------------------------------------------------

void TStrings::Error(const char* message, int data) const
{
    throw EStringListError(Format(message, {data}));
}

void TStrings::Put(int index, const std::string& s)
{
    TObject* object = GetObject(index);
    Delete(index);
    InsertObject(index, s, object);
}

TObject* TStrings::GetObject(int) const
{
    return nullptr;
}
void TStrings::PutObject(int, TObject*) {}

int TStrings::Add(const std::string& s)
{
    const int index = GetCount();
    Insert(index, s);
    return index;
}

int TStrings::AddObject(const std::string& s, TObject* object)
{
    const int index = Add(s);
    PutObject(index, object);
    return index;
}

void TStrings::InsertObject(int index, const std::string& s, TObject* object)
{
    Insert(index, s);
    PutObject(index, object);
}

void TStrings::AddStrings(const TStrings& strings)
{
    UpdateBracket(*this, [&] {
        // Copy first: `strings` may be this list.
        const int n = strings.GetCount();
        std::vector<std::pair<std::string, TObject*>> lines;
        for (int i = 0; i < n; ++i)
            lines.emplace_back(strings.Get(i), strings.GetObject(i));
        for (auto& line : lines)
            AddObject(line.first, line.second);
    });
}

void TStrings::Assign(TPersistent* source)
{
    if (auto* strings = dynamic_cast<TStrings*>(source)) {
        if (strings == this)
            return;
        UpdateBracket(*this, [&] {
            Clear();
            AddStrings(*strings);
        });
        return;
    }
    TPersistent::Assign(source);
}

void TStrings::DefineProperties(TFiler& filer)
{
    filer.DefineProperty(
        "Strings",
        [this](TReader& reader) {
            reader.ReadListBegin();
            UpdateBracket(*this, [&] {
                Clear();
                while (!reader.EndOfList())
                    Add(reader.ReadString());
                reader.ReadListEnd();
            });
        },
        [this](TWriter& writer) {
            writer.WriteListBegin();
            for (int i = 0; i < GetCount(); ++i)
                writer.WriteString(Get(i));
            writer.WriteListEnd();
        },
        GetCount() > 0);
}

void TStrings::Exchange(int index1, int index2)
{
    UpdateBracket(*this, [&] {
        const std::string s = Get(index1);
        TObject* o = GetObject(index1);
        Put(index1, Get(index2));
        PutObject(index1, GetObject(index2));
        Put(index2, s);
        PutObject(index2, o);
    });
}

void TStrings::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex)
        return;
    UpdateBracket(*this, [&] {
        const std::string s = Get(curIndex);
        TObject* o = GetObject(curIndex);
        Delete(curIndex);
        InsertObject(newIndex, s, o);
    });
}

int TStrings::CompareStrings(std::string_view a, std::string_view b) const
{
    return CompareText(a, b);
}

int TStrings::IndexOf(std::string_view s) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (CompareStrings(Get(i), s) == 0)
            return i;
    return -1;
}

int TStrings::IndexOfName(std::string_view name) const
{
    for (int i = 0; i < GetCount(); ++i) {
        const std::string s = Get(i);
        const auto at = s.find(nameValueSeparator_);
        if (at != std::string::npos && CompareStrings(std::string_view(s).substr(0, at), name) == 0)
            return i;
    }
    return -1;
}

int TStrings::IndexOfObject(const TObject* object) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (GetObject(i) == object)
            return i;
    return -1;
}

bool TStrings::Equals(const TStrings& other) const
{
    if (GetCount() != other.GetCount())
        return false;
    for (int i = 0; i < GetCount(); ++i)
        if (Get(i) != other.Get(i))
            return false;
    return true;
}

void TStrings::BeginUpdate()
{
    if (updateCount_ == 0)
        SetUpdateState(true);
    ++updateCount_;
}

void TStrings::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0)
        SetUpdateState(false);
}

std::string TStrings::GetText() const
{
    std::string result;
    for (int i = 0; i < GetCount(); ++i) {
        result += Get(i);
        result += "\r\n";
    }
    return result;
}

void TStrings::SetText(std::string_view text)
{
    UpdateBracket(*this, [&] {
        Clear();
        size_t i = 0;
        while (i < text.size()) {
            size_t start = i;
            while (i < text.size() && text[i] != '\r' && text[i] != '\n')
                ++i;
            Add(std::string(text.substr(start, i - start)));
            if (i < text.size() && text[i] == '\r')
                ++i;
            if (i < text.size() && text[i] == '\n')
                ++i;
        }
    });
}

std::string TStrings::DelimitedText() const
{
    if (GetCount() == 1 && Get(0).empty())
        return std::string(2, quoteChar_);
    std::string result;
    for (int i = 0; i < GetCount(); ++i) {
        const std::string s = Get(i);
        const bool needsQuotes = std::any_of(s.begin(), s.end(), [&](char c) {
            return c == quoteChar_ || c == delimiter_ ||
                   (!strictDelimiter_ && static_cast<unsigned char>(c) <= ' ');
        });
        if (i > 0)
            result.push_back(delimiter_);
        result += needsQuotes ? AnsiQuotedStr(s, quoteChar_) : s;
    }
    return result;
}

void TStrings::SetDelimitedText(std::string_view text)
{
    UpdateBracket(*this, [&] {
        Clear();
        size_t p = 0;
        const size_t n = text.size();
        auto skipBlanks = [&] {
            while (p < n && IsBlankChar(text[p]))
                ++p;
        };
        if (!strictDelimiter_)
            skipBlanks();
        while (p < n) {
            std::string item;
            if (text[p] == quoteChar_) {
                item = AnsiExtractQuotedStr(text, p, quoteChar_);
            } else {
                const size_t start = p;
                while (p < n && text[p] != delimiter_ &&
                       (strictDelimiter_ || !IsBlankChar(text[p])))
                    ++p;
                item = std::string(text.substr(start, p - start));
            }
            Add(item);
            if (!strictDelimiter_)
                skipBlanks();
            if (p < n && text[p] == delimiter_) {
                if (p + 1 == n)
                    Add(std::string());
                ++p;
                if (!strictDelimiter_)
                    skipBlanks();
            }
        }
    });
}

std::string TStrings::CommaText() const
{
    auto* self = const_cast<TStrings*>(this);
    const char d = delimiter_, q = quoteChar_;
    const bool strict = strictDelimiter_;
    self->delimiter_ = ',';
    self->quoteChar_ = '"';
    self->strictDelimiter_ = false;
    std::string result = DelimitedText();
    self->delimiter_ = d;
    self->quoteChar_ = q;
    self->strictDelimiter_ = strict;
    return result;
}

void TStrings::SetCommaText(std::string_view text)
{
    const char d = delimiter_, q = quoteChar_;
    const bool strict = strictDelimiter_;
    delimiter_ = ',';
    quoteChar_ = '"';
    strictDelimiter_ = false;
    try {
        SetDelimitedText(text);
    } catch (...) {
        delimiter_ = d, quoteChar_ = q, strictDelimiter_ = strict;
        throw;
    }
    delimiter_ = d, quoteChar_ = q, strictDelimiter_ = strict;
}

std::string TStrings::Names(int index) const
{
    const std::string s = Get(index);
    const auto at = s.find(nameValueSeparator_);
    return at == std::string::npos ? std::string() : s.substr(0, at);
}

std::string TStrings::Values(std::string_view name) const
{
    const int index = IndexOfName(name);
    return index < 0 ? std::string() : ValueFromIndex(index);
}

void TStrings::SetValue(std::string_view name, std::string_view value)
{
    const int index = IndexOfName(name);
    if (!value.empty()) {
        const std::string line = std::string(name) + nameValueSeparator_ + std::string(value);
        if (index < 0)
            Add(line);
        else
            Put(index, line);
    } else if (index >= 0) {
        Delete(index);
    }
}

std::string TStrings::ValueFromIndex(int index) const
{
    const std::string s = Get(index);
    const auto at = s.find(nameValueSeparator_);
    return at == std::string::npos ? std::string() : s.substr(at + 1);
}

void TStrings::SetValueFromIndex(int index, std::string_view value)
{
    if (!value.empty()) {
        if (index < 0)
            index = Add(std::string());
        Put(index, Names(index) + nameValueSeparator_ + std::string(value));
    } else if (index >= 0) {
        Delete(index);
    }
}

void TStrings::LoadFromStream(TStream& stream)
{
    UpdateBracket(*this, [&] {
        const int64_t size = stream.Size() - stream.Position();
        std::string buffer(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
        if (!buffer.empty())
            stream.ReadBuffer(buffer.data(), static_cast<int64_t>(buffer.size()));
        SetText(buffer);
    });
}

void TStrings::SaveToStream(TStream& stream) const
{
    const std::string text = GetText();
    stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

void TStrings::LoadFromFile(const std::string& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TStrings::SaveToFile(const std::string& fileName) const
{
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

// ---- TStringList ----------------------------------------------------------------------------

TStringList::~TStringList()
{
    OnChange = nullptr;
    OnChanging = nullptr;
    if (ownsObjects_)
        for (Item& item : items_)
            if (item.object)
                item.object->Free();
}

void TStringList::CheckIndex(int index) const
{
    if (index < 0 || index >= GetCount())
        Error(messages::ListIndexError, index);
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange)
        OnChange(this);
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging)
        OnChanging(this);
}

void TStringList::SetUpdateState(bool updating)
{
    if (updating)
        Changing();
    else
        Changed();
}

std::string TStringList::Get(int index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].text;
}

void TStringList::Put(int index, const std::string& s)
{
    if (sorted_)
        Error(messages::SortedListError, 0);
    CheckIndex(index);
    Changing();
    items_[static_cast<size_t>(index)].text = s;
    Changed();
}

TObject* TStringList::GetObject(int index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].object;
}

void TStringList::PutObject(int index, TObject* object)
{
    CheckIndex(index);
    Changing();
    TObject*& slot = items_[static_cast<size_t>(index)].object;
    if (ownsObjects_ && slot && slot != object)
        slot->Free();
    slot = object;
    Changed();
}

void TStringList::InsertItem(int index, const std::string& s, TObject* object)
{
    Changing();
    items_.insert(items_.begin() + index, Item{s, object});
    Changed();
}

void TStringList::Insert(int index, const std::string& s)
{
    if (sorted_)
        Error(messages::SortedListError, 0);
    if (index < 0 || index > GetCount())
        Error(messages::ListIndexError, index);
    InsertItem(index, s, nullptr);
}

int TStringList::Add(const std::string& s)
{
    return AddObject(s, nullptr);
}

int TStringList::AddObject(const std::string& s, TObject* object)
{
    int index;
    if (!sorted_) {
        index = GetCount();
    } else if (Find(s, index)) {
        if (duplicates_ == dupIgnore)
            return index;
        if (duplicates_ == dupError)
            Error(messages::DuplicateString, 0);
    }
    InsertItem(index, s, object);
    return index;
}

void TStringList::Delete(int index)
{
    CheckIndex(index);
    Changing();
    TObject* object = items_[static_cast<size_t>(index)].object;
    items_.erase(items_.begin() + index);
    if (ownsObjects_ && object)
        object->Free();
    Changed();
}

void TStringList::Clear()
{
    if (items_.empty())
        return;
    Changing();
    std::vector<Item> old;
    old.swap(items_);
    if (ownsObjects_)
        for (Item& item : old)
            if (item.object)
                item.object->Free();
    Changed();
}

void TStringList::SetCapacity(int capacity)
{
    if (capacity < GetCount())
        Error(messages::ListCapacityError, capacity);
    items_.reserve(static_cast<size_t>(capacity));
}

void TStringList::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
    Changed();
}

int TStringList::CompareStrings(std::string_view a, std::string_view b) const
{
    return caseSensitive_ ? CompareStr(a, b) : CompareText(a, b);
}

bool TStringList::Find(std::string_view s, int& index) const
{
    bool found = false;
    int low = 0;
    int high = GetCount() - 1;
    while (low <= high) {
        const int mid = low + (high - low) / 2;
        const int c = CompareStrings(items_[static_cast<size_t>(mid)].text, s);
        if (c < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
            if (c == 0) {
                found = true;
                if (duplicates_ != dupAccept)
                    low = mid;
            }
        }
    }
    index = low;
    return found;
}

int TStringList::IndexOf(std::string_view s) const
{
    if (!sorted_)
        return TStrings::IndexOf(s);
    int index;
    return Find(s, index) ? index : -1;
}

void TStringList::QuickSort(const TStringListSortCompare& compare)
{
    // Sorts an index permutation with the caller's comparison of list positions, then
    // reorders the items once.
    std::vector<int> order(items_.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return compare(*this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (int i : order)
        sorted.push_back(std::move(items_[static_cast<size_t>(i)]));
    items_.swap(sorted);
}

void TStringList::CustomSort(const TStringListSortCompare& compare)
{
    if (GetCount() < 2)
        return;
    Changing();
    QuickSort(compare);
    Changed();
}

void TStringList::Sort()
{
    CustomSort([](TStringList& list, int a, int b) {
        return list.CompareStrings(list.items_[static_cast<size_t>(a)].text,
                                   list.items_[static_cast<size_t>(b)].text);
    });
}

void TStringList::SetSorted(bool value)
{
    if (sorted_ == value)
        return;
    if (value)
        Sort();
    sorted_ = value;
}

void TStringList::SetCaseSensitive(bool value)
{
    if (caseSensitive_ == value)
        return;
    caseSensitive_ = value;
    if (sorted_)
        Sort();
}

} // namespace classlib
