#pragma once
// TStrings (the abstract list of texts with attached objects) and TStringList (the stored,
// optionally sorted implementation): Text, CommaText, DelimitedText, Names and Values,
// OnChange/OnChanging, duplicates policy, case sensitivity. Indexes are 0-based; a bad index
// raises EStringListError "List index out of bounds (%d)".
#include "core/Events.h"
#include "core/Object.h"

#include <functional>
#include <string>
#include <vector>

namespace classlib {

class TStream;

class TStrings : public TPersistent {
    CLASSLIB_CLASS(TStrings, TPersistent)
    TStrings() = default;

    // Accessors of the list.
    virtual std::string Get(int index) const = 0;
    virtual void Put(int index, const std::string& s);
    virtual TObject* GetObject(int index) const;
    virtual void PutObject(int index, TObject* object);
    virtual int GetCount() const = 0;
    virtual void Insert(int index, const std::string& s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual int GetCapacity() const { return GetCount(); }
    virtual void SetCapacity(int) {}

    int Count() const { return GetCount(); }
    std::string Strings(int index) const { return Get(index); }
    TObject* Objects(int index) const { return GetObject(index); }
    std::string operator[](int index) const { return Get(index); }

    virtual int Add(const std::string& s);
    virtual int AddObject(const std::string& s, TObject* object);
    void Append(const std::string& s) { Add(s); }
    virtual void AddStrings(const TStrings& strings);
    void InsertObject(int index, const std::string& s, TObject* object);
    virtual void Exchange(int index1, int index2);
    virtual void Move(int curIndex, int newIndex);
    virtual int IndexOf(std::string_view s) const;
    int IndexOfName(std::string_view name) const;
    int IndexOfObject(const TObject* object) const;
    bool Equals(const TStrings& other) const;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    // Each line followed by "\r\n"; setting splits at CR LF, LF or CR.
    virtual std::string GetText() const;
    virtual void SetText(std::string_view text);
    std::string Text() const { return GetText(); }

    // Delimited form: items separated by Delimiter, quoted with QuoteChar when they hold
    // blanks, the delimiter or the quote (with StrictDelimiter only the latter two).
    std::string DelimitedText() const;
    void SetDelimitedText(std::string_view text);
    // DelimitedText with "," and '"' whatever Delimiter and QuoteChar are.
    std::string CommaText() const;
    void SetCommaText(std::string_view text);
    char Delimiter() const { return delimiter_; }
    void SetDelimiter(char c) { delimiter_ = c; }
    char QuoteChar() const { return quoteChar_; }
    void SetQuoteChar(char c) { quoteChar_ = c; }
    bool StrictDelimiter() const { return strictDelimiter_; }
    void SetStrictDelimiter(bool value) { strictDelimiter_ = value; }

    // Name=Value lines.
    char NameValueSeparator() const { return nameValueSeparator_; }
    void SetNameValueSeparator(char c) { nameValueSeparator_ = c; }
    // Text before the first separator; "" for a line without one.
    std::string Names(int index) const;
    // Text after the first separator of the line named `name`; "" when there is none.
    std::string Values(std::string_view name) const;
    // Replaces the line's value, adds a line, or deletes the line when `value` is empty.
    void SetValue(std::string_view name, std::string_view value);
    // Text after the first separator of line `index`; "" for a line without one.
    std::string ValueFromIndex(int index) const;
    void SetValueFromIndex(int index, std::string_view value);

    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

    // A TStrings source copies its lines and objects.
    void Assign(TPersistent* source) override;
    // The lines are stored as the list property "Strings".
    void DefineProperties(TFiler& filer) override;

protected:
    // Called with true when the first BeginUpdate starts and false when the last ends.
    virtual void SetUpdateState(bool) {}
    // Compares two texts as the list's IndexOf does (ignoring case here).
    virtual int CompareStrings(std::string_view a, std::string_view b) const;
    [[noreturn]] void Error(const char* message, int data) const;

private:
    int updateCount_ = 0;
    char delimiter_ = ',';
    char quoteChar_ = '"';
    char nameValueSeparator_ = '=';
    bool strictDelimiter_ = false;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };
CLASSLIB_ENUM(TDuplicates);

class TStringList;
using TStringListSortCompare = std::function<int(TStringList& list, int index1, int index2)>;

class TStringList : public TStrings {
    CLASSLIB_CLASS(TStringList, TStrings)
    TStringList() = default;
    explicit TStringList(bool ownsObjects) : ownsObjects_(ownsObjects) {}
    ~TStringList() override;

    std::string Get(int index) const override;
    void Put(int index, const std::string& s) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* object) override;
    int GetCount() const override { return static_cast<int>(items_.size()); }
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;
    int GetCapacity() const override { return static_cast<int>(items_.capacity()); }
    void SetCapacity(int capacity) override;

    // In a sorted list Add finds the place and applies the duplicates policy; Insert and Put
    // raise EStringListError "Operation not allowed on sorted list".
    int Add(const std::string& s) override;
    int AddObject(const std::string& s, TObject* object) override;
    void Exchange(int index1, int index2) override;
    int IndexOf(std::string_view s) const override;
    // Binary search of a sorted list: true when found; `index` is where it is or would go.
    virtual bool Find(std::string_view s, int& index) const;
    virtual void Sort();
    virtual void CustomSort(const TStringListSortCompare& compare);

    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates value) { duplicates_ = value; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool value);
    // An owning list frees the objects of deleted lines.
    bool OwnsObjects() const { return ownsObjects_; }
    void SetOwnsObjects(bool value) { ownsObjects_ = value; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void Changed();
    virtual void Changing();
    void SetUpdateState(bool updating) override;
    int CompareStrings(std::string_view a, std::string_view b) const override;
    // Every way an item enters the list (Insert, Add, AddObject, sorted or not) ends here.
    virtual void InsertItem(int index, const std::string& s, TObject* object);

private:
    struct Item {
        std::string text;
        TObject* object = nullptr;
    };
    void CheckIndex(int index) const;
    void QuickSort(const TStringListSortCompare& compare);

    std::vector<Item> items_;
    bool sorted_ = false;
    TDuplicates duplicates_ = dupIgnore;
    bool caseSensitive_ = false;
    bool ownsObjects_ = false;
};

} // namespace classlib
