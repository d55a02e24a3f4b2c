#pragma once
// The application storage: a component that keeps typed values under backslash-separated
// paths ("frmDovrel\ShowCmd") and converts them to and from the text forms a back end keeps.
//
// Three layers: the public Load/Store operations resolve a path (sub-storages included) to a
// target storage and skip writes to a read-only target; the virtual Get.../Put...Value layer
// applies the options (defaults of missing values, booleans as words, enumerations and sets
// by name, floats and date-times as text, conversion-error policy); the raw layer is the back
// end's own storage of integers, floats, strings and bytes.
//
// Objects, string lists, collections and sub-storages are stored on top of the typed values:
// a list is a folder with "Count" and items "Item0", "Item1", ...
#include "OcTranslateString.h"
#include "core/Collection.h"
#include "core/Component.h"
#include "core/DateTime.h"
#include "core/Events.h"
#include "core/Exceptions.h"
#include "core/StringList.h"
#include "core/TypeInfo.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// <windows.h> maps LoadString to its resource routine LoadStringA. The storage keeps its own
// LoadString, and answers to LoadStringA too, whichever header a source includes first.
#ifdef LoadString
#undef LoadString
#endif

namespace storage {

using classlib::TComponent;
using classlib::TObject;
using classlib::TPersistent;
using classlib::TTypeInfo;

using classlib::Exception;
CLASSLIB_DECLARE_EXCEPTION(EOCLAppStorageError, Exception);

using classlib::TDateTime; // days since 1899-12-30, time as the fraction

// ---- paths ----------------------------------------------------------------------------------

// Joins path elements: an element starting with "\" restarts the path; empty and "."
// segments are dropped; ".." (n dots) removes the n-1 segments before it. The result has no
// leading or trailing "\".
std::string JoinStoragePaths(std::initializer_list<std::string_view> elements);
std::string JoinStoragePaths(const std::vector<std::string>& elements);

// ---- options --------------------------------------------------------------------------------

class TOcCustomAppStorageOptions : public TPersistent {
    CLASSLIB_CLASS(TOcCustomAppStorageOptions, TPersistent)
    TOcCustomAppStorageOptions();

    void Assign(TPersistent* source) override;

    bool BooleanAsString() const { return booleanAsString_; }
    virtual void SetBooleanAsString(bool value);
    const std::string& BooleanStringTrueValues() const { return trueValues_; }
    virtual void SetBooleanStringTrueValues(const std::string& value);
    const std::string& BooleanStringFalseValues() const { return falseValues_; }
    virtual void SetBooleanStringFalseValues(const std::string& value);
    bool EnumerationAsString() const { return enumerationAsString_; }
    virtual void SetEnumerationAsString(bool value) { enumerationAsString_ = value; }
    bool TypedIntegerAsString() const { return typedIntegerAsString_; }
    virtual void SetTypedIntegerAsString(bool value) { typedIntegerAsString_ = value; }
    bool SetAsString() const { return setAsString_; }
    virtual void SetSetAsString(bool value) { setAsString_ = value; }
    bool DateTimeAsString() const { return dateTimeAsString_; }
    virtual void SetDateTimeAsString(bool value) { dateTimeAsString_ = value; }
    bool FloatAsString() const { return floatAsString_; }
    virtual void SetFloatAsString(bool value) { floatAsString_ = value; }
    bool DefaultIfReadConvertError() const { return defaultIfReadConvertError_; }
    virtual void SetDefaultIfReadConvertError(bool value) { defaultIfReadConvertError_ = value; }
    bool DefaultIfValueNotExists() const { return defaultIfValueNotExists_; }
    virtual void SetDefaultIfValueNotExists(bool value) { defaultIfValueNotExists_ = value; }
    bool StringListAsSingleValue() const { return stringListAsSingleValue_; }
    virtual void SetStringListAsSingleValue(bool value) { stringListAsSingleValue_ = value; }
    bool UseOldItemNameFormat() const { return useOldItemNameFormat_; }
    virtual void SetUseOldItemNameFormat(bool value) { useOldItemNameFormat_ = value; }
    bool StoreDefaultValues() const { return storeDefaultValues_; }
    virtual void SetStoreDefaultValues(bool value) { storeDefaultValues_ = value; }
    // Date-times as text in the date and time formats of the placeholder translation.
    bool UseTranslateStringEngineDateTimeFormats() const
    {
        return useTranslateStringEngineDateTimeFormats_;
    }
    void SetUseTranslateStringEngineDateTimeFormats(bool value)
    {
        useTranslateStringEngineDateTimeFormats_ = value;
    }

    // True when the value equals (ignoring case) an item of the comma list.
    virtual bool ValueInList(std::string_view value, std::string_view list) const;
    // The first word of a list: the text before its first ",", trimmed.
    static std::string FirstWord(std::string_view list);
    std::string TrueWord() const { return FirstWord(trueValues_); }
    std::string FalseWord() const { return FirstWord(falseValues_); }

private:
    bool booleanAsString_ = true;
    std::string trueValues_ = "TRUE, YES, Y";
    std::string falseValues_ = "FALSE, NO, N";
    bool enumerationAsString_ = true;
    bool typedIntegerAsString_ = true;
    bool setAsString_ = false;
    bool dateTimeAsString_ = true;
    bool floatAsString_ = false;
    bool defaultIfReadConvertError_ = false;
    bool defaultIfValueNotExists_ = true;
    bool storeDefaultValues_ = true;
    bool stringListAsSingleValue_ = false;
    bool useOldItemNameFormat_ = true;
    bool useTranslateStringEngineDateTimeFormats_ = false;
};

class TOcAppStorageOptions : public TOcCustomAppStorageOptions {
    CLASSLIB_CLASS(TOcAppStorageOptions, TOcCustomAppStorageOptions)
};

class TOcCustomAppStorage;

// ---- sub-storages ---------------------------------------------------------------------------

// One storage mounted below a root path of its owning storage.
class TOcAppSubStorage : public classlib::TCollectionItem {
    CLASSLIB_CLASS(TOcAppSubStorage, classlib::TCollectionItem)
    explicit TOcAppSubStorage(classlib::TCollection* collection) : TCollectionItem(collection) {}

    const std::string& RootPath() const { return rootPath_; }
    // Normalised; raises EOCLAppStorageError when another item already matches it.
    void SetRootPath(const std::string& value);
    TOcCustomAppStorage* AppStorage() const { return appStorage_; }
    // Raises EOCLAppStorageError for a storage that would make the routes circular.
    void SetAppStorage(TOcCustomAppStorage* value);
    std::string DisplayName() const override;

private:
    friend class TOcAppSubStorages;
    TOcCustomAppStorage* OwnerStorage() const;
    std::string rootPath_;
    TOcCustomAppStorage* appStorage_ = nullptr;
};

class TOcAppSubStorages : public classlib::TOwnedCollection {
    CLASSLIB_CLASS(TOcAppSubStorages, classlib::TOwnedCollection)
    explicit TOcAppSubStorages(TOcCustomAppStorage* owner);

    TOcAppSubStorage* Items(int index) const
    {
        return static_cast<TOcAppSubStorage*>(TCollection::Items(index));
    }
    TOcCustomAppStorage* Storage() const { return storage_; }
    // The item whose RootPath `path` starts with (followed by "\"), the longest one winning.
    TOcAppSubStorage* MatchSubStorage(std::string_view path, int skipIndex = -1) const;
    bool IsUniqueRootPath(std::string_view path, int skipIndex = -1) const;
    // Deletes every item that mounts `storage`.
    void RemoveStorageItems(TComponent* storage);

private:
    TOcCustomAppStorage* storage_;
};

// ---- objects that store themselves ----------------------------------------------------------

class ISelfStoringObject : public classlib::IInterface {
public:
    static constexpr classlib::TGUID IID =
        classlib::TGUID::FromText("{E3754817-49A3-4612-A228-5D44A088681D}");
    virtual void ReadFromAppStorage(TOcCustomAppStorage& storage, const std::string& path) = 0;
    virtual void WriteToAppStorage(TOcCustomAppStorage& storage, const std::string& path) = 0;
};

// Marks a self-storing object whose published properties are stored as well.
class IStoreAlsoPublished : public classlib::IInterface {
public:
    static constexpr classlib::TGUID IID =
        classlib::TGUID::FromText("{0211AEF7-CCE9-4F13-B3CE-287251C89182}");
};

// ---- property engines -----------------------------------------------------------------------

// A plug-in that takes over class-typed properties it supports: before the storage handles
// such a property recursively, the first registered engine that supports it stores or loads it.
class TOcAppStoragePropertyEngine : public TObject {
    CLASSLIB_CLASS(TOcAppStoragePropertyEngine, TObject)
    TOcAppStoragePropertyEngine() = default;
    virtual bool Supports(TObject* instance, TObject* propertyObject) = 0;
    virtual void ReadProperty(TOcCustomAppStorage& storage, const std::string& path,
                              TObject* instance, bool clearFirst, bool recursive,
                              TObject* propertyObject) = 0;
    virtual void WriteProperty(TOcCustomAppStorage& storage, const std::string& path,
                               TObject* instance, bool recursive, TObject* propertyObject) = 0;
};

// The registered engines in registration order. Owned: freed last to first at shut-down.
class TOcAppStoragePropertyEngineList {
public:
    ~TOcAppStoragePropertyEngineList();
    void Add(TOcAppStoragePropertyEngine* engine) { engines_.push_back(engine); }
    int Count() const { return static_cast<int>(engines_.size()); }
    // The first engine that supports (instance, propertyObject), nullptr when none does.
    TOcAppStoragePropertyEngine* FindEngine(TObject* instance, TObject* propertyObject) const;

private:
    std::vector<TOcAppStoragePropertyEngine*> engines_;
};

// Created on first use; nullptr once the module has shut down.
TOcAppStoragePropertyEngineList* RegisteredAppStoragePropertyEngineList();

// ---- the storage ----------------------------------------------------------------------------

using TOcTranslatePropertyNameEvent = classlib::TEvent<void(
    TOcCustomAppStorage* sender, TObject* instance, std::string& name, bool reading)>;
using TOcCryptPropertyValueEvent = classlib::TEvent<void(std::string& value)>;
using TOcAppStorageErrorEvent = classlib::TEvent<void(TObject* sender, const std::string& message)>;

class TOcCustomAppStorage : public TComponent {
    CLASSLIB_CLASS(TOcCustomAppStorage, TComponent)
    explicit TOcCustomAppStorage(TComponent* owner);
    ~TOcCustomAppStorage() override;
    void BeforeDestruction() override;

    // ---- public operations (paths resolved through the sub-storages) -----------------------
    bool IsStoredFolder(const std::string& path, bool listIsFolder = false);
    bool HasStoredValue(const std::string& path);
    bool HasStoredList(const std::string& path);
    void EraseValue(const std::string& path);
    void EraseSubTree(const std::string& path);

    int LoadInteger(const std::string& path, int fallback);
    void StoreInteger(const std::string& path, int value);
    double LoadFloat(const std::string& path, double fallback);
    void StoreFloat(const std::string& path, double value);
    std::string LoadString(const std::string& path, const std::string& fallback);
#ifdef _WIN32
    std::string LoadStringA(const std::string& path, const std::string& fallback)
    {
        return LoadString(path, fallback);
    }
#endif
    void StoreString(const std::string& path, const std::string& value);
    TDateTime LoadDateTime(const std::string& path, TDateTime fallback);
    void StoreDateTime(const std::string& path, TDateTime value);
    bool LoadBoolean(const std::string& path, bool fallback);
    void StoreBoolean(const std::string& path, bool value);
    // Ordinal of an enumeration, integer or character type.
    void LoadEnumeration(const std::string& path, const TTypeInfo* typeInfo, int64_t& target,
                         int64_t fallback);
    void StoreEnumeration(const std::string& path, const TTypeInfo* typeInfo, int64_t value);
    // A set as its bits (element e is bit e).
    void LoadSet(const std::string& path, const TTypeInfo* setInfo, uint32_t& target,
                 uint32_t fallback);
    void StoreSet(const std::string& path, const TTypeInfo* setInfo, uint32_t value);
    classlib::WideString LoadWideString(const std::string& path,
                                        const classlib::WideString& fallback);
    void StoreWideString(const std::string& path, const classlib::WideString& value);

    // ---- structured values ------------------------------------------------------------------
    void StoreObjectProperties(const std::string& path, TObject* object,
                               const classlib::TStrings* ignore, bool recursive = true);
    void LoadObjectProperties(const std::string& path, TObject* object,
                              const classlib::TStrings* ignore, bool clearFirst = true,
                              bool recursive = true);
    void StoreStringList(const std::string& path, classlib::TStrings* list,
                         const std::string& itemName = "Item");
    int LoadStringList(const std::string& path, classlib::TStrings* list,
                       const std::string& itemName = "Item", bool clearFirst = true);
    void StoreCollection(const std::string& path, classlib::TCollection* collection,
                         const std::string& itemName = "Item");
    int LoadCollection(const std::string& path, classlib::TCollection* collection,
                       const std::string& itemName = "Item", bool clearFirst = true);
    using TItemWriter =
        std::function<void(TOcCustomAppStorage& storage, const std::string& path, TObject* object,
                           int index, const std::string& itemName)>;
    using TItemReader = TItemWriter;
    using TItemDeleter =
        std::function<void(TOcCustomAppStorage& storage, const std::string& path, TObject* object,
                           int first, int last, const std::string& itemName)>;
    void WriteItemList(const std::string& path, TObject* object, const std::string& itemName,
                       int count, const TItemWriter& writeItem, const TItemDeleter& deleteItems);
    int ReadItemList(const std::string& path, TObject* object, const std::string& itemName,
                     const TItemReader& readItem);

    // One published property by its type information.
    void StorePropertyValue(const std::string& path, TObject* instance, bool recursive,
                            const std::string& name);
    void LoadPropertyValue(const std::string& path, TObject* instance, bool clearFirst,
                           bool recursive, const std::string& name);

    // ---- helpers ------------------------------------------------------------------------------
    // The target storage and its absolute path ("\" + joined path) of a storage path.
    std::pair<TOcCustomAppStorage*, std::string> ResolveStoragePath(const std::string& path);
    std::string EncryptValueText(const std::string& text);
    std::string DecryptValueText(const std::string& text);
    std::string MapPropertyKeyName(TObject* instance, const std::string& name, bool reading);
    void NotifyError(const std::string& message);
    void ReloadIfNeeded();
    void FlushIfNeeded();
    static int PublishedPropertyCount(const TObject* object);
    static std::string PublishedPropertyName(const TObject* object, int index);
    bool IsReadOnly() const; // the ReadOnly property or a read-only file
    // Folder and value name of an absolute path (Root and CurrentPath applied).
    virtual std::pair<std::string, std::string> SplitValuePath(const std::string& path) const;

    std::string ItemName(const std::string& prefix, int index) const;
    static std::string CharItemName(int code);
    static std::string IntItemName(int n);
    virtual int GetListCount(const std::string& path);
    virtual void PutListCount(const std::string& path, int count);

    // ---- properties ---------------------------------------------------------------------------
    // Created on first use from CreateOptions, so that back ends get their options class.
    TOcCustomAppStorageOptions* StorageOptions() const
    {
        if (!options_)
            options_ = CreateOptions();
        return options_;
    }
    void SetStorageOptions(TOcCustomAppStorageOptions* value);
    TOcAppSubStorages* SubStorages() const
    {
        return subStorages_;
    }
    const std::string& Root() const
    {
        return root_;
    }
    void SetRoot(const std::string& value)
    {
        root_ = value;
    }
    const std::string& CurrentPath() const
    {
        return currentPath_;
    }
    void SetCurrentPath(const std::string& value)
    {
        currentPath_ = value;
    }
    bool ReadOnly() const
    {
        return readOnly_;
    }
    void SetReadOnly(bool value)
    {
        readOnly_ = value;
    }
    bool AutoFlush() const
    {
        return autoFlush_;
    }
    void SetAutoFlush(bool value)
    {
        autoFlush_ = value;
    }
    bool AutoReload() const
    {
        return autoReload_;
    }
    void SetAutoReload(bool value)
    {
        autoReload_ = value;
    }
    bool FlushOnDestroy() const
    {
        return flushOnDestroy_;
    }
    virtual void SetFlushOnDestroy(bool value)
    {
        flushOnDestroy_ = value;
    }
    bool SynchronizeFlushReload() const
    {
        return synchronizeFlushReload_;
    }
    void SetSynchronizeFlushReload(bool value)
    {
        synchronizeFlushReload_ = value;
    }
    // The placeholder translation of file names and of date-time formats: the assigned
    // component, else the storage's own.
    TOcTranslateString* TranslateStringEngine() const
    {
        return engine_;
    }
    void SetTranslateStringEngine(TOcTranslateString* value);
    TOcTranslateString* ActiveTranslateStringEngine() const
    {
        return engine_ ? engine_ : ownEngine_;
    }
    // The system default locale's formats with the active translation's date format as both
    // date formats and its time format as both time formats (where they are not empty); kept
    // in CachedFormatSettings, renewed on every call outside an update.
    const classlib::TFormatSettings& DateTimeFormatSettings();
    const classlib::TFormatSettings& CachedFormatSettings() const
    {
        return cachedFormatSettings_;
    }
    int CryptEnabledStatus() const
    {
        return cryptEnabledStatus_;
    }
    void EnableCrypt()
    {
        ++cryptEnabledStatus_;
    }
    void DisableCrypt()
    {
        --cryptEnabledStatus_;
    }
    unsigned UpdateCount() const
    {
        return updateCount_;
    }

    TOcTranslatePropertyNameEvent OnTranslatePropertyName;
    TOcCryptPropertyValueEvent OnEncryptPropertyValue;
    TOcCryptPropertyValueEvent OnDecryptPropertyValue;
    TOcAppStorageErrorEvent OnError;

    // ---- virtual layers (public so that sub-storage routing can call the target's) -----------
    virtual void ListSubFolders(const std::string& path, classlib::TStrings* list,
                                bool withoutListFolders) = 0;
    virtual void ListValueNames(const std::string& path, classlib::TStrings* list,
                                bool withoutListItems) = 0;
    virtual bool PathIsFolder(const std::string& path, bool listIsFolder) = 0;
    virtual bool HasFolder(const std::string& path) = 0;
    virtual bool HasValue(const std::string& path) = 0;
    virtual bool HasList(const std::string& path);
    virtual void RemoveValue(const std::string& path) = 0;
    virtual void RemoveFolder(const std::string& path) = 0;

    virtual int RawReadInteger(const std::string& path, int fallback) = 0;
    virtual void RawWriteInteger(const std::string& path, int value) = 0;
    virtual double RawReadFloat(const std::string& path, double fallback) = 0;
    virtual void RawWriteFloat(const std::string& path, double value) = 0;
    virtual std::string RawReadString(const std::string& path, const std::string& fallback) = 0;
    virtual void RawWriteString(const std::string& path, const std::string& value) = 0;
    virtual classlib::WideString RawReadWideString(const std::string& path,
                                                   const classlib::WideString& fallback);
    virtual void RawWriteWideString(const std::string& path, const classlib::WideString& value);
    virtual int RawReadBinary(const std::string& path, void* buffer, int size) = 0;
    virtual void RawWriteBinary(const std::string& path, const void* buffer, int size) = 0;
    virtual TDateTime RawReadDateTime(const std::string& path, TDateTime fallback);
    virtual void RawWriteDateTime(const std::string& path, TDateTime value);
    virtual bool RawReadBoolean(const std::string& path, bool fallback);
    virtual void RawWriteBoolean(const std::string& path, bool value);

    virtual int GetIntegerValue(const std::string& path, int fallback);
    virtual void PutIntegerValue(const std::string& path, int value);
    virtual double GetFloatValue(const std::string& path, double fallback);
    virtual void PutFloatValue(const std::string& path, double value);
    virtual std::string GetStringValue(const std::string& path, const std::string& fallback);
    virtual void PutStringValue(const std::string& path, const std::string& value);
    virtual int GetBinaryValue(const std::string& path, void* buffer, int size);
    virtual void PutBinaryValue(const std::string& path, const void* buffer, int size);
    virtual TDateTime GetDateTimeValue(const std::string& path, TDateTime fallback);
    virtual void PutDateTimeValue(const std::string& path, TDateTime value);
    virtual bool GetBooleanValue(const std::string& path, bool fallback);
    virtual void PutBooleanValue(const std::string& path, bool value);
    virtual void GetEnumValue(const std::string& path, const TTypeInfo* typeInfo, int64_t& target,
                              int64_t fallback);
    virtual void PutEnumValue(const std::string& path, const TTypeInfo* typeInfo, int64_t value);
    virtual void GetSetValue(const std::string& path, const TTypeInfo* setInfo, uint32_t& target,
                             uint32_t fallback);
    virtual void PutSetValue(const std::string& path, const TTypeInfo* setInfo, uint32_t value);
    // The stored text at `path` for an identifier lookup, read with DefaultIfReadConvertError on.
    std::string TextOfIdentifierRead(const std::string& path);

    virtual bool FileIsReadOnly() const
    {
        return false;
    }
    // The platform's general form (short date, then long time, no time at midnight) in the
    // program's formats, or in DateTimeFormatSettings with UseTranslateStringEngineDateTimeFormats;
    // reading falls back to the program's formats when those of the translation do not fit.
    virtual std::string DateTimeToText(TDateTime value);
    virtual TDateTime TextToDateTime(const std::string& text);
    virtual void Flush() {}
    virtual void RereadStorage() {}
    virtual bool NeedsReload() const
    {
        return autoReload_ && updateCount_ == 0;
    }
    virtual bool NeedsFlush() const
    {
        return autoFlush_ && updateCount_ == 0;
    }

protected:
    virtual TOcCustomAppStorageOptions* CreateOptions() const;
    void Loaded() override;
    void Notification(TComponent* component, classlib::TOperation operation) override;

    // Reads through `read`; a conversion error gives `fallback` when the options say so.
    template <class T, class F>
    T ReadWithPolicy(const std::string& path, T fallback, F read);
    // Values kept either as text or in the back end's raw form (floats, date-times): the form
    // the options choose is read first, the other one when it does not convert, so a file
    // written with the other option still reads.
    template <class T, class FromText, class ReadRaw>
    T ReadTextOrRaw(const std::string& path, T fallback, bool asText,
                    const std::string& fallbackText, FromText fromText, ReadRaw readRaw);
    // The object walk shared by storing and loading: the object's own storing when it has one,
    // then each published property not ignored (unless the object stores itself alone).
    template <class SelfStoring, class Property>
    void WalkObjectProperties(const std::string& path, classlib::TObject* object,
                              const classlib::TStrings* ignore, bool reading,
                              SelfStoring selfStoring, Property property);

private:
    mutable TOcCustomAppStorageOptions* options_ = nullptr;
    TOcAppSubStorages* subStorages_ = nullptr;
    std::string root_;
    std::string currentPath_;
    bool readOnly_ = false;
    bool autoFlush_ = false;
    bool autoReload_ = false;
    bool flushOnDestroy_ = true;
    bool synchronizeFlushReload_ = false;
    int cryptEnabledStatus_ = 0;
    unsigned updateCount_ = 0;
    bool flushedOnDestroy_ = false;
    TOcTranslateString* ownEngine_;
    TOcTranslateString* engine_ = nullptr;
    classlib::TFormatSettings cachedFormatSettings_;
};

// ---- text forms shared by the back ends --------------------------------------------------------

// The 10 bytes of the 80-bit extended value nearest to `value`, in memory order.
void DoubleToExtendedBytes(double value, uint8_t (&bytes)[10]);
double ExtendedBytesToDouble(const uint8_t (&bytes)[10]);

} // namespace storage
