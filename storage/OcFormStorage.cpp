#include "OcFormStorage.h"

#include "BcStrings.h"
#include "OcAppIniFileStorage.h"
#include "OcBCLUtils.h"
#include "OcControlUtils.h"

#include "core/ComponentStream.h"
#include "core/DateTime.h"
#include "core/SysUtils.h"
#include "windows/Application.h"
#include "windows/Menus.h"

#include <windows.h>

namespace storage {

using namespace classlib;

CLASSLIB_DEFINE_ENUM(TOcFormPlacementVersionCheck, "fpvcNocheck", "fpvcCheckGreaterEqual",
                     "fpvcCheckEqual")

namespace {
constexpr const char* kFormNamePlaceholder = "%FORM_NAME%";
}

// ---- min/max information ----------------------------------------------------------------------

void TOcWinMinMaxInfo::Set(int index, int value)
{
    if (values_[index] == value)
        return;
    values_[index] = value;
    if (owner_)
        owner_->MinMaxChanged();
}

void TOcWinMinMaxInfo::Assign(TPersistent* source)
{
    if (auto* other = dynamic_cast<TOcWinMinMaxInfo*>(source)) {
        std::copy(std::begin(other->values_), std::end(other->values_), std::begin(values_));
        if (owner_)
            owner_->MinMaxChanged();
        return;
    }
    inherited::Assign(source);
}

bool TOcWinMinMaxInfo::DefaultMinMaxInfo() const
{
    for (int v : values_)
        if (v != 0)
            return false;
    return true;
}

CLASSLIB_PUBLISH(TOcWinMinMaxInfo)
{
    using C = TOcWinMinMaxInfo;
    c.Property("MaxPosLeft", &C::MaxPosLeft, &C::SetMaxPosLeft).SetDefault(0);
    c.Property("MaxPosTop", &C::MaxPosTop, &C::SetMaxPosTop).SetDefault(0);
    c.Property("MaxSizeHeight", &C::MaxSizeHeight, &C::SetMaxSizeHeight).SetDefault(0);
    c.Property("MaxSizeWidth", &C::MaxSizeWidth, &C::SetMaxSizeWidth).SetDefault(0);
    c.Property("MaxTrackHeight", &C::MaxTrackHeight, &C::SetMaxTrackHeight).SetDefault(0);
    c.Property("MaxTrackWidth", &C::MaxTrackWidth, &C::SetMaxTrackWidth).SetDefault(0);
    c.Property("MinTrackHeight", &C::MinTrackHeight, &C::SetMinTrackHeight).SetDefault(0);
    c.Property("MinTrackWidth", &C::MinTrackWidth, &C::SetMinTrackWidth).SetDefault(0);
}

// ---- form placement ---------------------------------------------------------------------------

TOcFormPlacement::TOcFormPlacement(TComponent* owner)
    : TComponent(owner),
      winHook_(new TOcWindowHook(nullptr)),
      minMaxInfo_(new TOcWinMinMaxInfo(this))
{
    if (dynamic_cast<TCustomForm*>(owner))
        options_ = {fpState, fpSize, fpLocation};
    winHook_->SetAfterMessage(TOcHookMessageEvent(this, &TOcFormPlacement::HandleHookedMessage));
}

TOcFormPlacement::~TOcFormPlacement()
{
    winHook_->SetControl(nullptr);
    winHook_->Free();
    if (hooked_)
        UnhookFormEvents();
    delete minMaxInfo_;
}

TCustomForm* TOcFormPlacement::Form() const
{
    return dynamic_cast<TCustomForm*>(Owner());
}

void TOcFormPlacement::SetAppStorage(TOcCustomAppStorage* value)
{
    TComponent* reference = appStorage_;
    if (RelinkComponent(this, value, reference))
        appStorage_ = value;
}

void TOcFormPlacement::SetAppStoragePath(const std::string& value)
{
    appStoragePath_ = value;
    if (!appStoragePath_.empty() && appStoragePath_.back() != '\\')
        appStoragePath_ += '\\';
    if (!ComponentState().Contains(csDesigning) && !ComponentState().Contains(csLoading))
        ResolveFormNamePath();
}

void TOcFormPlacement::ResolveFormNamePath()
{
    TCustomForm* form = Form();
    if (form && bcl::FindTextNoCase(kFormNamePlaceholder, appStoragePath_) > 0)
        bcl::ReplaceText(appStoragePath_, kFormNamePlaceholder, form->Name(), bcl::rtIgnoreCase);
}

void TOcFormPlacement::SetPreventResize(bool value)
{
    if (!Form() || value == preventResize_)
        return;
    preventResize_ = value;
    ReapplyPlacement();
    ApplyPreventResize();
}

void TOcFormPlacement::Loaded()
{
    const bool wasLoading = ComponentState().Contains(csLoading);
    inherited::Loaded();
    if (ComponentState().Contains(csDesigning))
        return;
    ResolveFormNamePath();
    if (wasLoading)
        HookFormEvents();
    UpdateWindowHook();
}

void TOcFormPlacement::Notification(TComponent* component, TOperation operation)
{
    inherited::Notification(component, operation);
    if (operation == opRemove && appStorage_ && static_cast<TComponent*>(appStorage_) == component)
        appStorage_ = nullptr;
}

void TOcFormPlacement::HookFormEvents()
{
    TCustomForm* form = Form();
    if (!form || hooked_)
        return;
    savedShow_ = form->OnShow;
    savedCloseQuery_ = form->OnCloseQuery;
    savedDestroy_ = form->OnDestroy;
    form->OnShow = TNotifyEvent(this, &TOcFormPlacement::FormShow);
    form->OnCloseQuery = TCloseQueryEvent(this, &TOcFormPlacement::FormCloseQuery);
    form->OnDestroy = TNotifyEvent(this, &TOcFormPlacement::FormDestroy);
    hooked_ = true;
    defMaximize_ = form->BorderIcons().Contains(biMaximize);
    if (preventResize_)
        ApplyPreventResize();
}

void TOcFormPlacement::UnhookFormEvents()
{
    TCustomForm* form = Form();
    if (!form || !hooked_)
        return;
    form->OnShow = savedShow_;
    form->OnCloseQuery = savedCloseQuery_;
    form->OnDestroy = savedDestroy_;
    hooked_ = false;
}

void TOcFormPlacement::ReportException()
{
    if (Application)
        Application->HandleException(this);
}

void TOcFormPlacement::FormShow(TObject* sender)
{
    if (CanUseStorage() && !restored_) {
        try {
            RestorePlacement();
        } catch (...) {
            ReportException();
        }
    }
    if (savedShow_)
        savedShow_(sender);
}

void TOcFormPlacement::FormCloseQuery(TObject* sender, bool& canClose)
{
    if (savedCloseQuery_)
        savedCloseQuery_(sender, canClose);
    TCustomForm* form = Form();
    if (canClose && CanUseStorage() && form && form->HandleAllocated()) {
        try {
            SavePlacement();
        } catch (...) {
            ReportException();
        }
    }
}

void TOcFormPlacement::FormDestroy(TObject* sender)
{
    if (CanUseStorage() && !saved_) {
        destroying_ = true;
        try {
            SavePlacement();
        } catch (...) {
            ReportException();
        }
        destroying_ = false;
    }
    if (savedDestroy_)
        savedDestroy_(sender);
}

std::string TOcFormPlacement::NamedPath(const std::string& name, bool reading)
{
    return JoinStoragePaths(
        {appStoragePath_, appStorage_->MapPropertyKeyName(this, name, reading)});
}

#define NAMED_LOAD(load)              \
    if (!appStorage_ || name.empty()) \
        return fallback;              \
    return appStorage_->load(NamedPath(name, true), fallback)
#define NAMED_STORE(store)            \
    if (appStorage_ && !name.empty()) \
    appStorage_->store(NamedPath(name, false), value)

std::string TOcFormPlacement::LoadNamedString(const std::string& name, const std::string& fallback)
{
    NAMED_LOAD(LoadString);
}
void TOcFormPlacement::StoreNamedString(const std::string& name, const std::string& value)
{
    NAMED_STORE(StoreString);
}
int TOcFormPlacement::LoadNamedInteger(const std::string& name, int fallback)
{
    NAMED_LOAD(LoadInteger);
}
void TOcFormPlacement::StoreNamedInteger(const std::string& name, int value)
{
    NAMED_STORE(StoreInteger);
}
bool TOcFormPlacement::LoadNamedBoolean(const std::string& name, bool fallback)
{
    NAMED_LOAD(LoadBoolean);
}
void TOcFormPlacement::StoreNamedBoolean(const std::string& name, bool value)
{
    NAMED_STORE(StoreBoolean);
}
double TOcFormPlacement::LoadNamedFloat(const std::string& name, double fallback)
{
    NAMED_LOAD(LoadFloat);
}
void TOcFormPlacement::StoreNamedFloat(const std::string& name, double value)
{
    NAMED_STORE(StoreFloat);
}
TDateTime TOcFormPlacement::LoadNamedDateTime(const std::string& name, TDateTime fallback)
{
    NAMED_LOAD(LoadDateTime);
}
void TOcFormPlacement::StoreNamedDateTime(const std::string& name, TDateTime value)
{
    NAMED_STORE(StoreDateTime);
}
#undef NAMED_LOAD
#undef NAMED_STORE

void TOcFormPlacement::FireSavePlacement()
{
    if (OnSavePlacement)
        OnSavePlacement(this);
}

void TOcFormPlacement::FireRestorePlacement()
{
    if (OnRestorePlacement)
        OnRestorePlacement(this);
}

void TOcFormPlacement::WritePlacementValues()
{
    TCustomForm* form = Form();
    if (!form || options_ == TPlacementOptions{fpActiveControl})
        return;
    StoreWindowPlacement(form, appStorage_, appStoragePath_, options_);
    if (options_.Contains(fpActiveControl) && form->ActiveControl())
        appStorage_->StoreString(JoinStoragePaths({appStoragePath_, "ActiveControl"}),
                                 form->ActiveControl()->Name());
    NotifyLinks(true);
}

void TOcFormPlacement::ReadPlacementValues()
{
    TCustomForm* form = Form();
    if (!form)
        return;
    LoadWindowPlacement(form, appStorage_, appStoragePath_, options_);
    NotifyLinks(false);
}

void TOcFormPlacement::NotifyLinks(bool saved)
{
    for (TOcFormPlacementLink* link : Links) {
        if (saved)
            link->PlacementSaved(*this);
        else
            link->PlacementRestored(*this);
    }
}

void TOcFormPlacement::SavePlacement()
{
    if (!appStorage_)
        return;
    ResolveFormNamePath();
    if (BeforeSavePlacement)
        BeforeSavePlacement(this);
    if (versionCheck_ != fpvcNocheck)
        StoreNamedInteger("FormVersion", version_);
    FireSavePlacement();
    WritePlacementValues();
    if (AfterSavePlacement)
        AfterSavePlacement(this);
    saved_ = true;
}

void TOcFormPlacement::RestorePlacement()
{
    ResolveFormNamePath();
    saved_ = false;
    if (appStorage_) {
        int stored = 0;
        try {
            stored = LoadNamedInteger("FormVersion", 0);
        } catch (const EConvertError&) {
            stored = 0; // a damaged version reads as none
        }
        const bool accepted = versionCheck_ == fpvcNocheck ||
                              (versionCheck_ == fpvcCheckGreaterEqual && stored >= version_) ||
                              (versionCheck_ == fpvcCheckEqual && stored == version_);
        if (accepted) {
            if (BeforeRestorePlacement)
                BeforeRestorePlacement(this);
            ReadPlacementValues();
            restored_ = true;
            FireRestorePlacement();
            TCustomForm* form = Form();
            if (options_.Contains(fpActiveControl) && form) {
                const std::string name = appStorage_->LoadString(
                    JoinStoragePaths({appStoragePath_, "ActiveControl"}), std::string());
                if (auto* control = dynamic_cast<TWinControl*>(form->FindComponent(name)))
                    if (control->CanFocus())
                        form->SetActiveControl(control);
            }
            if (AfterRestorePlacement)
                AfterRestorePlacement(this);
        }
        // A rejected file is not tried again; the next save overwrites it.
        restored_ = true;
    }
    ReapplyPlacement();
}

void TOcFormPlacement::ReapplyPlacement()
{
    TCustomForm* form = Form();
    if (!form || !form->HandleAllocated() || ComponentState().Contains(csLoading) ||
        preventResize_ || !minMaxInfo_->DefaultMinMaxInfo())
        return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(form->Handle(), &placement);
    if (!IsWindowVisible(form->Handle()))
        placement.showCmd = SW_HIDE;
    POINT frame{0, 0};
    switch (form->BorderStyle()) {
        case bsSingle:
        case bsToolWindow:
            frame = {GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER)};
            break;
        case bsSizeable:
        case bsSizeToolWin:
            frame = {GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)};
            break;
        case bsDialog:
            frame = {GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME)};
            break;
        default:
            break;
    }
    placement.ptMaxPosition = {-frame.x, -frame.y};
    SetWindowPlacement(form->Handle(), &placement);
}

void TOcFormPlacement::MinMaxChanged()
{
    ReapplyPlacement();
    if (!ComponentState().Contains(csLoading))
        UpdateWindowHook();
}

void TOcFormPlacement::UpdateWindowHook()
{
    if (ComponentState().Contains(csDesigning))
        return;
    TCustomForm* form = Form();
    winHook_->SetControl(form && (!minMaxInfo_->DefaultMinMaxInfo() || preventResize_) ? form
                                                                                       : nullptr);
}

void TOcFormPlacement::ApplyPreventResize()
{
    TCustomForm* form = Form();
    if (!form || ComponentState().Contains(csDesigning))
        return;
    if (preventResize_)
        defMaximize_ = form->BorderIcons().Contains(biMaximize);
    const bool wasActive = active_;
    active_ = false;
    TBorderIcons icons = form->BorderIcons();
    if (preventResize_ || !defMaximize_ || form->BorderStyle() == bsDialog)
        icons.Exclude(biMaximize);
    else
        icons.Include(biMaximize);
    form->SetBorderIcons(icons);
    active_ = wasActive;
    if (!ComponentState().Contains(csLoading))
        UpdateWindowHook();
}

void TOcFormPlacement::HandleHookedMessage(TObject*, TMessage& msg, bool&)
{
    TCustomForm* form = Form();
    if (!form)
        return;
    if (preventResize_) {
        switch (msg.Msg) {
            case WM_GETMINMAXINFO:
                if (form->Visible()) {
                    auto* info = reinterpret_cast<MINMAXINFO*>(msg.LParam);
                    info->ptMinTrackSize = {form->Width(), form->Height()};
                    info->ptMaxTrackSize = {form->Width(), form->Height()};
                }
                msg.Result = 1;
                break;
            case WM_NCHITTEST:
                if (msg.Result >= HTLEFT && msg.Result <= HTBOTTOMRIGHT)
                    msg.Result = HTNOWHERE;
                break;
            case WM_INITMENUPOPUP:
                if (HIWORD(msg.LParam)) {
                    // The form's own menu sees the pop-up first (its items may update themselves).
                    if (TMainMenu* own = form->Menu())
                        own->DispatchPopup(reinterpret_cast<HMENU>(msg.WParam));
                    HMENU menu = GetSystemMenu(form->Handle(), FALSE);
                    EnableMenuItem(menu, SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
                    EnableMenuItem(menu, SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
                    msg.Result = 1;
                }
                break;
            default:
                break;
        }
        return;
    }
    if (msg.Msg != WM_GETMINMAXINFO)
        return;
    auto* info = reinterpret_cast<MINMAXINFO*>(msg.LParam);
    const TOcWinMinMaxInfo& m = *minMaxInfo_;
    auto apply = [](LONG& field, int value) {
        if (value != 0)
            field = value;
    };
    apply(info->ptMinTrackSize.x, m.MinTrackWidth());
    apply(info->ptMinTrackSize.y, m.MinTrackHeight());
    apply(info->ptMaxTrackSize.x, m.MaxTrackWidth());
    apply(info->ptMaxTrackSize.y, m.MaxTrackHeight());
    apply(info->ptMaxSize.x, m.MaxSizeWidth());
    apply(info->ptMaxSize.y, m.MaxSizeHeight());
    apply(info->ptMaxPosition.x, m.MaxPosLeft());
    apply(info->ptMaxPosition.y, m.MaxPosTop());
    if (m.DefaultMinMaxInfo())
        info->ptMaxPosition = {0, 0};
    msg.Result = 1;
}

CLASSLIB_PUBLISH(TOcFormPlacement)
{
    using C = TOcFormPlacement;
    c.Property("Active", &C::Active, &C::SetActive).SetDefault(true);
    c.Property("AppStorage", &C::AppStorage, &C::SetAppStorage);
    c.Property("AppStoragePath", &C::AppStoragePath, &C::SetAppStoragePath);
    c.Property("Options", &C::Options, &C::SetOptions)
        .SetDefault(TPlacementOptions{fpState, fpSize, fpLocation});
    c.Property("Version", &C::Version, &C::SetVersion).SetDefault(0);
    c.Property("VersionCheck", &C::VersionCheck, &C::SetVersionCheck)
        .SetDefault(fpvcCheckGreaterEqual);
    c.Property("PreventResize", &C::PreventResize, &C::SetPreventResize).SetDefault(false);
    c.Property("MinMaxInfo", &C::MinMaxInfo, &C::SetMinMaxInfo);
    c.Property("OnSavePlacement", &C::OnSavePlacement);
    c.Property("OnRestorePlacement", &C::OnRestorePlacement);
    c.Property("BeforeSavePlacement", &C::BeforeSavePlacement);
    c.Property("AfterSavePlacement", &C::AfterSavePlacement);
    c.Property("BeforeRestorePlacement", &C::BeforeRestorePlacement);
    c.Property("AfterRestorePlacement", &C::AfterRestorePlacement);
}

// ---- stored values ----------------------------------------------------------------------------

TOcStoredValues::TOcStoredValues(TOcFormStorage* storage)
    : TOwnedCollection(storage, TOcStoredValue::StaticClass()), storage_(storage)
{
}

int TOcStoredValues::IndexOf(std::string_view name) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameText(Items(i)->Name(), name))
            return i;
    return -1;
}

void TOcStoredValues::SaveValues()
{
    for (int i = 0; i < Count(); ++i)
        Items(i)->Save();
}

void TOcStoredValues::RestoreValues()
{
    for (int i = 0; i < Count(); ++i)
        Items(i)->Restore();
}

CLASSLIB_PUBLISH(TOcStoredValues) {}

TOcFormStorage* TOcStoredValue::Storage() const
{
    auto* values = dynamic_cast<TOcStoredValues*>(Collection());
    return values ? values->Storage() : nullptr;
}

void TOcStoredValue::SetName(const std::string& value)
{
    if (auto* values = dynamic_cast<TOcStoredValues*>(Collection())) {
        const int index = values->IndexOf(value);
        if (!value.empty() && index >= 0 && index != Index())
            throw EOCLException("String list does not allow duplicates");
    }
    name_ = value;
}

void TOcStoredValue::Assign(TPersistent* source)
{
    if (auto* other = dynamic_cast<TOcStoredValue*>(source)) {
        Value = other->Value;
        SetName(other->name_);
        KeyString = other->KeyString;
        return;
    }
    inherited::Assign(source);
}

namespace {

std::string ValueText(const TOcStoredValueData& value)
{
    struct {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(int v) const { return IntToStr(v); }
        std::string operator()(double v) const { return FloatToStr(v); }
        std::string operator()(bool v) const { return BoolToStr(v, true); }
        std::string operator()(const std::string& v) const { return v; }
        std::string operator()(TOcStoredDate v) const { return DateTimeToStr(v.Value); }
    } visitor;
    return std::visit(visitor, value);
}

} // namespace

std::string TOcStoredValue::Path() const
{
    auto* values = dynamic_cast<TOcStoredValues*>(Collection());
    return JoinStoragePaths({values ? values->Path : std::string(), name_});
}

void TOcStoredValue::DefineProperties(TFiler& filer)
{
    inherited::DefineProperties(filer);
    auto read = [this](TReader& reader) {
        switch (reader.NextValue()) {
            case vaString:
            case vaLString:
            case vaWString:
            case vaUTF8String:
                Value = reader.ReadString();
                break;
            case vaFalse:
            case vaTrue:
                Value = reader.ReadBoolean();
                break;
            case vaInt8:
            case vaInt16:
            case vaInt32:
                Value = reader.ReadInteger();
                break;
            case vaDate:
                Value = TOcStoredDate{reader.ReadFloat()};
                break;
            default:
                Value = reader.ReadFloat();
                break;
        }
    };
    auto write = [this](TWriter& writer) {
        struct {
            TWriter& w;
            void operator()(std::monostate) const {}
            void operator()(int v) const { w.WriteInteger(v); }
            void operator()(double v) const { w.WriteDouble(v); }
            void operator()(bool v) const { w.WriteBoolean(v); }
            void operator()(const std::string& v) const { w.WriteString(v); }
            void operator()(TOcStoredDate v) const { w.WriteDate(v.Value); }
        } visitor{writer};
        std::visit(visitor, Value);
    };
    filer.DefineProperty("Value", read, write, !std::holds_alternative<std::monostate>(Value));
}

void TOcStoredValue::Save()
{
    TOcFormStorage* storage = Storage();
    if (!storage || !storage->AppStorage())
        return;
    const std::string path = Path();
    TOcStoredValueData value = Value;
    if (OnSave)
        OnSave(this, value);
    if (!KeyString.empty())
        storage->StoreNamedString(path, bcl::XorToHexText(KeyString, ValueText(value)));
    else if (auto* i = std::get_if<int>(&value))
        storage->StoreNamedInteger(path, *i);
    else if (auto* d = std::get_if<double>(&value))
        storage->StoreNamedFloat(path, *d);
    else if (auto* b = std::get_if<bool>(&value))
        storage->StoreNamedBoolean(path, *b);
    else if (auto* t = std::get_if<TOcStoredDate>(&value))
        storage->StoreNamedDateTime(path, t->Value);
    else
        storage->StoreNamedString(path, ValueText(value));
}

void TOcStoredValue::Restore()
{
    TOcFormStorage* storage = Storage();
    if (!storage || !storage->AppStorage())
        return;
    const std::string path = Path();
    TOcStoredValueData value = Value;
    if (!KeyString.empty())
        value = bcl::XorFromHexText(
            KeyString,
            storage->LoadNamedString(path, bcl::XorToHexText(KeyString, ValueText(Value))));
    else if (auto* i = std::get_if<int>(&Value))
        value = storage->LoadNamedInteger(path, *i);
    else if (auto* d = std::get_if<double>(&Value))
        value = storage->LoadNamedFloat(path, *d);
    else if (auto* b = std::get_if<bool>(&Value))
        value = storage->LoadNamedBoolean(path, *b);
    else if (auto* t = std::get_if<TOcStoredDate>(&Value))
        value = TOcStoredDate{storage->LoadNamedDateTime(path, t->Value)};
    else
        value = storage->LoadNamedString(path, ValueText(Value));
    if (OnRestore)
        OnRestore(this, value);
    Value = value;
}

CLASSLIB_PUBLISH(TOcStoredValue)
{
    c.Property("Name", &TOcStoredValue::Name, &TOcStoredValue::SetName);
    c.Property("KeyString", &TOcStoredValue::KeyString);
    c.Property("OnSave", &TOcStoredValue::OnSave);
    c.Property("OnRestore", &TOcStoredValue::OnRestore);
}

// ---- form storage -----------------------------------------------------------------------------

void TOcFormStorageStringList::Assign(TPersistent* source)
{
    inherited::Assign(source);
    if (storage_ && !storage_->ComponentState().Contains(csLoading))
        BindToOwner();
}

void TOcFormStorageStringList::BindToOwner()
{
    if (!storage_)
        return;
    SyncStoredList(storage_->Owner(), this, true);
    for (int i = 0; i < Count(); ++i)
        if (auto* component = dynamic_cast<TComponent*>(Objects(i)))
            component->FreeNotification(storage_);
}

CLASSLIB_PUBLISH(TOcFormStorageStringList) {}

TOcFormStorage::TOcFormStorage(TComponent* owner)
    : TOcFormPlacement(owner),
      storedProps_(new TOcFormStorageStringList(this)),
      storedValues_(new TOcStoredValues(this))
{
}

TOcFormStorage::~TOcFormStorage()
{
    delete storedValues_;
    delete storedProps_;
}

void TOcFormStorage::SetStoredProps(TStrings* value)
{
    storedProps_->Assign(value);
}

void TOcFormStorage::WriteState(TWriter& writer)
{
    // Lines follow renamed components before they go into the form stream.
    SyncStoredList(Owner(), storedProps_, false);
    inherited::WriteState(writer);
}

void TOcFormStorage::Loaded()
{
    const bool designing = ComponentState().Contains(csDesigning);
    inherited::Loaded();
    if (designing)
        return;
    storedProps_->BindToOwner();
}

void TOcFormStorage::Notification(TComponent* component, TOperation operation)
{
    inherited::Notification(component, operation);
    if (operation != opRemove || ComponentState().Contains(csDestroying) || !storedProps_)
        return;
    for (int i = storedProps_->Count() - 1; i >= 0; --i)
        if (storedProps_->Objects(i) &&
            static_cast<TObject*>(component) == storedProps_->Objects(i))
            storedProps_->Delete(i);
}

void TOcFormStorage::WritePlacementValues()
{
    // A form closed before it was ever shown keeps what the file holds.
    if (!restored_)
        return;
    inherited::WritePlacementValues();
    void* self = nullptr;
    if (TCustomForm* form = Form())
        if (form->GetInterface(ISelfStoringObject::IID, &self))
            static_cast<ISelfStoringObject*>(self)->WriteToAppStorage(*AppStorage(),
                                                                      AppStoragePath());
    SaveStoredProps();
    storedValues_->SaveValues();
}

void TOcFormStorage::ReadPlacementValues()
{
    inherited::ReadPlacementValues();
    restored_ = true;
    void* self = nullptr;
    if (TCustomForm* form = Form())
        if (form->GetInterface(ISelfStoringObject::IID, &self))
            static_cast<ISelfStoringObject*>(self)->ReadFromAppStorage(*AppStorage(),
                                                                       AppStoragePath());
    LoadStoredProps();
    storedValues_->RestoreValues();
}

void TOcFormStorage::SaveStoredProps()
{
    TOcPropertyStorage props;
    props.AppStorage = AppStorage();
    props.AppStoragePath = JoinStoragePaths({AppStoragePath(), storedPropsPath_});
    props.StoreComponentProperties(Owner(), storedProps_);
}

void TOcFormStorage::LoadStoredProps()
{
    TOcPropertyStorage props;
    props.AppStorage = AppStorage();
    props.AppStoragePath = JoinStoragePaths({AppStoragePath(), storedPropsPath_});
    try {
        props.LoadComponentProperties(Owner(), storedProps_);
    } catch (const std::exception&) {
        // Loading never stops the form: single properties keep their values.
    }
}

CLASSLIB_PUBLISH(TOcFormStorage)
{
    using C = TOcFormStorage;
    c.Property("StoredProps", &C::StoredProps, &C::SetStoredProps);
    c.Property("StoredValues", &C::StoredValues);
    c.Property("StoredPropsPath", &C::StoredPropsPath, &C::SetStoredPropsPath);
    c.Property("StoredValuesPath", &C::StoredValuesPath, &C::SetStoredValuesPath);
}

void RegisterStorageClasses()
{
    RegisterClasses({&TOcAppIniFileStorage::StaticClass(), &TOcFormPlacement::StaticClass(),
                     &TOcFormStorage::StaticClass(), &TOcWindowHook::StaticClass()});
}

} // namespace storage
