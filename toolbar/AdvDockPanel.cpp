#include "AdvDockPanel.h"

#include "toolbar/AdvToolBar.h"
#include "toolbar/FloatingWindow.h"

#include "draw/ToolbarDrawing.h"

#include "menus/AdvMenus.h"

#include "core/SysUtils.h"
#include "core/TypeInfo.h"
#include "windows/Forms.h"
#include "windows/Images.h"

#include <algorithm>

namespace toolbar {

using namespace classlib;

CLASSLIB_DEFINE_ENUM(TDockAlign, "daLeft", "daTop", "daRight", "daBottom")

CLASSLIB_PUBLISH(TAdvDockPanel)
{
    using P = TAdvDockPanel;
    c.Property("Align", &P::Align, &P::SetAlign).SetDefault(daTop);
    c.Property("MinimumSize", &P::MinimumSize, &P::SetMinimumSize).SetDefault(3);
    c.Property("LockHeight", &P::LockHeight, &P::SetLockHeight).SetDefault(false);
    c.Property("Persistence", &P::Persistence, &P::SetPersistence);
    c.Property("PopupMenu", &P::PopupMenu, &P::SetPopupMenu);
    c.Property("ToolBarStyler", &P::ToolBarStyler, &P::SetToolBarStyler);
    c.Property("UseRunTimeHeight", &P::UseRunTimeHeight, &P::SetUseRunTimeHeight).SetDefault(false);
    c.Property("Version", &P::Version, &P::SetVersion);
}

CLASSLIB_MESSAGE_MAP(TAdvDockPanel)
{
    m.On(WM_SIZE, &TAdvDockPanel::WMSize);
}

TAdvDockPanel::TAdvDockPanel(TComponent* owner)
    : TCustomControl(owner), styler_(this, new TCustomAdvToolBarStyler(this))
{
    controlStyle_ = controlStyle_ + TControlStyle{csAcceptsControls} -
                    TControlStyle{csCaptureMouse, csClickEvents, csOpaque};
    TControl::SetAlign(alTop);
    bitmap_ = new TBitmap();
    persistence_ = new TPersistence(this);
    persistence_->OnChange = TNotifyEvent(this, &TAdvDockPanel::PersistenceChanged);
    SetDoubleBuffered(true);
    SetBounds(0, 0, 200, minimumSize_);
    ToolBarStylerChanged(0);
}

TAdvDockPanel::~TAdvDockPanel()
{
    SaveLayoutGuarded();
    if (TCustomAdvToolBarStyler* external = styler_.External())
        external->RemoveControl(this);
    for (TAdvCustomToolBar* t : docked_)
        if (t->dockPanel_ == this)
            t->dockPanel_ = nullptr;
    for (TAdvCustomToolBar* t : std::vector<TAdvCustomToolBar*>(docked_))
        if (t->lastDockPanel_ == this)
            t->lastDockPanel_ = nullptr;
    delete persistence_;
    delete bitmap_;
}

bool TAdvDockPanel::Loading() const
{
    return ComponentState().Contains(csLoading);
}

bool TAdvDockPanel::RowsMayChange() const
{
    return !lockHeight_ || ComponentState().Contains(csDesigning) || !loaded_;
}

void TAdvDockPanel::TreeDestroying()
{
    SaveLayoutGuarded();
}

void TAdvDockPanel::SaveLayoutGuarded()
{
    if (layoutSaved_ || !persistence_->Enabled() || ComponentState().Contains(csDesigning))
        return;
    layoutSaved_ = true;
    try {
        SaveLayout();
    } catch (...) {
        // A store that cannot be written loses this layout; tearing down goes on.
    }
}

void TAdvDockPanel::SetParent(TWinControl* parent)
{
    if (dynamic_cast<TAdvDockPanel*>(parent) || dynamic_cast<TAdvCustomToolBar*>(parent))
        throw Exception("Invalid Parent");
    TCustomControl::SetParent(parent);
}

void TAdvDockPanel::SetAlign(TDockAlign value)
{
    if (value == align_)
        return;
    align_ = value;
    static const TAlign platform[] = {alLeft, alTop, alRight, alBottom};
    TControl::SetAlign(platform[value]);
    rows_.vertical_ = !IsHorizontal(value);
    for (TAdvCustomToolBar* t : docked_)
        t->SetPosition(value);
    UpdateRows();
}

void TAdvDockPanel::SetMinimumSize(int value)
{
    if (value <= 0 || value == minimumSize_)
        return;
    minimumSize_ = value;
    rows_.minimumSize = value;
    if (!ComponentState().Contains(csDesigning))
        ApplyDockSize();
}

void TAdvDockPanel::SetUseRunTimeHeight(bool value)
{
    useRunTimeHeight_ = value;
    UpdateRows();
}

void TAdvDockPanel::SetToolBarStyler(TCustomAdvToolBarStyler* styler)
{
    styler_.SetExternal(styler);
    if (!ComponentState().Contains(csDestroying) && !Loading())
        for (TAdvCustomToolBar* t : docked_)
            t->RebindStyler();
    ApplyPopupMenu();
    ToolBarStylerChanged(0);
}

void TAdvDockPanel::ToolBarStylerChanged(int kind)
{
    SetColor(CurrentStyler()->DockColor()->Color());
    if (kind == ckMenuStyler)
        ApplyPopupMenu();
    Invalidate();
}

void TAdvDockPanel::SetPopupMenu(TPopupMenu* value)
{
    TCustomControl::SetPopupMenu(value);
    ApplyPopupMenu();
}

void TAdvDockPanel::ApplyPopupMenu()
{
    auto* menu = dynamic_cast<menus::TAdvPopupMenu*>(PopupMenu());
    if (menu && CurrentStyler())
        menu->SetMenuStyler(CurrentStyler()->CurrentMenuStyler());
}

void TAdvDockPanel::Notification(TComponent* component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    if (operation != opRemove)
        return;
    // Also while the panel goes with its tree: its destructor still talks to the styler.
    const bool stylerGone = styler_.StylerRemoved(component, operation);
    if (ComponentState().Contains(csDestroying))
        return;
    if (stylerGone) {
        for (TAdvCustomToolBar* t : docked_)
            t->RebindStyler();
        ToolBarStylerChanged(0);
    }
    // A toolbar tells the panel from its own destructor; by the time this notification comes
    // it is gone, so it is only compared, never read.
    auto same = [component](TAdvCustomToolBar* t) { return t == component; };
    docked_.erase(std::remove_if(docked_.begin(), docked_.end(), same), docked_.end());
    invisible_.erase(std::remove_if(invisible_.begin(), invisible_.end(), same), invisible_.end());
    for (TAdvCustomToolBar*& t : ids_)
        if (same(t))
            t = nullptr;
}

void TAdvDockPanel::ToolBarDestroyed(TAdvCustomToolBar* toolBar)
{
    if (toolBar->dockPanel_ == this)
        RemoveToolBar(toolBar);
    docked_.erase(std::remove(docked_.begin(), docked_.end(), toolBar), docked_.end());
    invisible_.erase(std::remove(invisible_.begin(), invisible_.end(), toolBar), invisible_.end());
    const int id = FindId(toolBar);
    if (id >= 0) {
        const int row = rows_.ToolBar(id).row;
        if (row >= 0)
            rows_.RemoveFromRow(row, id, true);
        ids_[static_cast<size_t>(id)] = nullptr;
    }
    toolBar->RemoveFreeNotification(this);
}

int TAdvDockPanel::FindId(TAdvCustomToolBar* toolBar) const
{
    auto it = std::find(ids_.begin(), ids_.end(), toolBar);
    return it == ids_.end() ? -1 : static_cast<int>(it - ids_.begin());
}

int TAdvDockPanel::IdOf(TAdvCustomToolBar* toolBar)
{
    const int id = FindId(toolBar);
    if (id >= 0)
        return id;
    ids_.push_back(toolBar);
    toolBar->FreeNotification(this);
    return rows_.AddToolBarRecord(RowToolBar{});
}

void TAdvDockPanel::PullToolBars()
{
    const bool horizontal = IsHorizontal(align_);
    rows_.panelLength = horizontal ? Width() : Height();
    rows_.rowsMayChange = RowsMayChange();
    rows_.loading = Loading();
    rows_.designing = ComponentState().Contains(csDesigning);
    rows_.minimumSize = minimumSize_;
    for (size_t id = 0; id < ids_.size(); ++id) {
        TAdvCustomToolBar* t = ids_[id];
        if (!t || t->dockPanel_ != this)
            continue;
        RowToolBar& b = rows_.ToolBar(static_cast<int>(id));
        b.along = horizontal ? t->Left() : t->Top();
        b.length = horizontal ? t->Width() : t->Height();
        b.across = horizontal ? t->Top() : t->Left();
        b.thickness = horizontal ? t->Height() : t->Width();
        TSizeConstraints* c = t->Constraints();
        b.minLength = horizontal ? c->MinWidth() : c->MinHeight();
        b.maxLength = horizontal ? c->MaxWidth() : c->MaxHeight();
        b.menuBar = t->MenuBar();
    }
}

void TAdvDockPanel::PushToolBars(TAdvCustomToolBar* except)
{
    const bool horizontal = IsHorizontal(align_);
    const bool wasPushing = pushing_;
    pushing_ = true;
    for (size_t id = 0; id < ids_.size(); ++id) {
        TAdvCustomToolBar* t = ids_[id];
        if (!t || t->dockPanel_ != this)
            continue;
        const RowToolBar& b = rows_.ToolBar(static_cast<int>(id));
        t->SetRowIndex(b.row);
        if (b.row < 0 || t == except)
            continue;
        const bool wasSizing = t->SizingByRow();
        t->SetSizingByRow(true);
        if (b.menuBar) {
            TSizeConstraints* c = t->Constraints();
            if (horizontal) {
                c->SetMinWidth(0);
                c->SetMaxWidth(b.maxLength);
                c->SetMinWidth(b.minLength);
            } else {
                c->SetMinHeight(0);
                c->SetMaxHeight(b.maxLength);
                c->SetMinHeight(b.minLength);
            }
        }
        if (horizontal)
            t->SetBounds(b.along, b.across, b.length, t->Height());
        else
            t->SetBounds(b.across, b.along, t->Width(), b.length);
        t->SetSizingByRow(wasSizing);
    }
    pushing_ = wasPushing;
    ApplyDockSize();
}

void TAdvDockPanel::ApplyDockSize()
{
    if (!RowsMayChange())
        return;
    const int b = rows_.DockSize(ComponentState().Contains(csDesigning), useRunTimeHeight_);
    switch (align_) {
        case daTop:
            SetHeight(b);
            break;
        case daLeft:
            SetWidth(b);
            break;
        case daBottom:
            if (b > Height())
                SetBounds(Left(), Top() - (b - Height()), Width(), b);
            else
                SetHeight(b);
            break;
        case daRight:
            if (b > Width())
                SetBounds(Left() - (b - Width()), Top(), b, Height());
            else
                SetWidth(b);
            break;
    }
}

void TAdvDockPanel::UpdateRows()
{
    if (pushing_)
        return;
    PullToolBars();
    rows_.UpdateRows();
    PushToolBars();
}

bool TAdvDockPanel::Accepts(TAdvCustomToolBar* toolBar) const
{
    if (RowsMayChange())
        return true;
    auto* self = const_cast<TAdvDockPanel*>(this);
    const int id = self->IdOf(toolBar);
    self->PullToolBars();
    return rows_.FindAcceptingRow(id, align_ == daLeft || align_ == daTop) >= 0;
}

int TAdvDockPanel::InsertToolBar(TAdvCustomToolBar* toolBar)
{
    if (!Accepts(toolBar))
        return -1;
    toolBar->dockPanel_ = nullptr;
    toolBar->SetPosition(align_);
    toolBar->dockPanel_ = this;
    if (std::find(docked_.begin(), docked_.end(), toolBar) == docked_.end())
        docked_.push_back(toolBar);
    TPersistence* p = toolBar->Persistence();
    p->SetEnabled(persistence_->Enabled());
    p->SetKey(persistence_->Key());
    p->SetLocation(persistence_->Location());
    const int id = IdOf(toolBar);
    if (Loading())
        return 0;
    PullToolBars();
    const int row = RowsMayChange()
                        ? rows_.AddRow()
                        : rows_.FindAcceptingRow(id, align_ == daLeft || align_ == daTop);
    const int index = rows_.AddToolBar(row, id);
    PushToolBars();
    return index;
}

void TAdvDockPanel::RemoveToolBar(TAdvCustomToolBar* toolBar)
{
    const int id = FindId(toolBar);
    if (!Loading() && id >= 0) {
        PullToolBars();
        const int row = rows_.ToolBar(id).row;
        if (row >= 0)
            rows_.RemoveFromRow(row, id, true);
        toolBar->SetRowIndex(-1);
        PushToolBars(toolBar);
    }
    docked_.erase(std::remove(docked_.begin(), docked_.end(), toolBar), docked_.end());
    invisible_.erase(std::remove(invisible_.begin(), invisible_.end(), toolBar), invisible_.end());
}

void TAdvDockPanel::ArbitrateBounds(TAdvCustomToolBar* toolBar, int& left, int& top, int& width,
                                    int& height)
{
    if (Loading() || pushing_ || !toolBar->Visible())
        return;
    const int id = FindId(toolBar);
    if (id < 0 || rows_.ToolBar(id).row < 0)
        return;
    PullToolBars();
    if (IsHorizontal(align_)) {
        rows_.MoveAcrossRows(id, top, height);
        rows_.MoveInRow(rows_.ToolBar(id).row, id, left, width);
    } else {
        rows_.MoveAcrossRows(id, left, width);
        rows_.MoveInRow(rows_.ToolBar(id).row, id, top, height);
    }
    PushToolBars(toolBar);
}

void TAdvDockPanel::ToolBarVisibilityChanged(TAdvCustomToolBar* toolBar)
{
    invisible_.erase(std::remove(invisible_.begin(), invisible_.end(), toolBar), invisible_.end());
    if (!toolBar->Visible())
        invisible_.push_back(toolBar);
    if (Loading() || pushing_)
        return;
    PullToolBars();
    rows_.VisibilityChanged(IdOf(toolBar), toolBar->Visible());
    PushToolBars();
}

std::vector<TAdvCustomToolBar*> TAdvDockPanel::RowToolBars(int row) const
{
    std::vector<TAdvCustomToolBar*> result;
    for (int id : rows_.Row(row).toolBars)
        result.push_back(ids_[static_cast<size_t>(id)]);
    return result;
}

void TAdvDockPanel::Loaded()
{
    TCustomControl::Loaded();
    const bool horizontal = IsHorizontal(align_);
    std::vector<TAdvCustomToolBar*> sorted;
    for (TAdvCustomToolBar* t : docked_) {
        auto precedes = [&](TAdvCustomToolBar* a, TAdvCustomToolBar* b) {
            const int aAcross = horizontal ? a->Top() : a->Left();
            const int bAcross = horizontal ? b->Top() : b->Left();
            const int aAlong = horizontal ? a->Left() : a->Top();
            const int bAlong = horizontal ? b->Left() : b->Top();
            return aAcross < bAcross || (aAcross == bAcross && aAlong < bAlong);
        };
        auto it = std::find_if(sorted.begin(), sorted.end(),
                               [&](TAdvCustomToolBar* e) { return precedes(t, e); });
        sorted.insert(it, t);
    }
    for (TAdvCustomToolBar* t : sorted) {
        if (rows_.RowOf(IdOf(t)) >= 0)
            continue;
        const int left = t->Left(), top = t->Top();
        PullToolBars();
        rows_.AddToolBar(rows_.AddRow(), IdOf(t));
        PushToolBars();
        t->SetBounds(left, top, t->Width(), t->Height());
    }
    if (persistence_->Enabled() && !ComponentState().Contains(csDesigning))
        LoadLayout();
    loaded_ = true;
}

void TAdvDockPanel::PersistenceChanged(TObject*)
{
    for (TAdvCustomToolBar* t : docked_) {
        TPersistence* p = t->Persistence();
        p->SetEnabled(persistence_->Enabled());
        p->SetKey(persistence_->Key());
        p->SetLocation(persistence_->Location());
    }
}

void TAdvDockPanel::WMSize(TMessage& m)
{
    Inherited(StaticClass(), m);
    UpdateRows();
}

void TAdvDockPanel::Paint()
{
    bitmap_->SetSize(Width(), Height());
    TCanvas* c = bitmap_->Canvas();
    TGradientBackground* dock = CurrentStyler()->DockColor();
    const RECT r{0, 0, Width(), Height()};
    if (dock->ColorTo() == clNone) {
        c->Brush()->SetColor(dock->Color());
        c->FillRect(r);
    } else {
        draw::DrawStepGradientInner(c, dock->Color(), dock->ColorTo(), dock->Steps(), r,
                                    dock->Direction() == gdHorizontal);
    }
    DrawBackGroundPicture(c, CurrentStyler()->BackGround(), CurrentStyler()->BackGroundDisplay(),
                          Width(), Height(), 1, 2, RECT{2, 2, Width() - 2, Height() - 2});
    Canvas()->Draw(0, 0, bitmap_);
}

TColor TAdvDockPanel::BackgroundAt(int x, int y) const
{
    if (bitmap_->Width() > x && bitmap_->Height() > y && x >= 0 && y >= 0)
        return bitmap_->Canvas()->Pixel(x, y);
    return CurrentStyler()->DockColor()->Color();
}

// ---- layout store -----------------------------------------------------------------------

void TAdvDockPanel::SaveLayout()
{
    std::unique_ptr<TCustomIniFile> store = persistence_->OpenStore();
    if (!store)
        return;
    TIniLayoutValues values(*store, persistence_->Section());
    int count = static_cast<int>(invisible_.size());
    for (int r = 0; r < rows_.RowCount(); ++r)
        count += static_cast<int>(rows_.Row(r).toolBars.size());
    WriteStoredCounts(values, count, rows_.RowCount());
    int n = 1;
    auto write = [&](TAdvCustomToolBar* t) {
        WriteStoredToolBar(values, n++, t->Name(),
                           StoredToolBar{t->RowIndex(), t->Left(), t->Top(), t->Width(),
                                         t->Height(), t->Visible()});
    };
    for (int r = 0; r < rows_.RowCount(); ++r)
        for (TAdvCustomToolBar* t : RowToolBars(r))
            write(t);
    for (TAdvCustomToolBar* t : invisible_)
        write(t);
    store->UpdateFile();
}

namespace {
void CollectDockPanels(TWinControl* root, TAdvDockPanel* except, std::vector<TAdvDockPanel*>& out)
{
    for (int i = 0; i < root->ControlCount(); ++i) {
        auto* w = dynamic_cast<TWinControl*>(root->Controls(i));
        if (!w || w == except)
            continue;
        if (auto* panel = dynamic_cast<TAdvDockPanel*>(w))
            out.push_back(panel);
        CollectDockPanels(w, except, out);
    }
}
} // namespace

void TAdvDockPanel::LoadLayout()
{
    std::unique_ptr<TCustomIniFile> store = persistence_->OpenStore();
    if (!store)
        return;
    TIniLayoutValues values(*store, persistence_->Section());
    std::vector<TAdvCustomToolBar*> named; // the name map, in row order
    for (int r = 0; r < rows_.RowCount(); ++r)
        for (TAdvCustomToolBar* t : RowToolBars(r))
            named.push_back(t);
    const int count = ReadStoredToolBarCount(values);
    if (count <= 0)
        return;
    const int rowCount = ReadStoredRowCount(values, rows_.RowCount(), count);
    PullToolBars();
    rows_.ClearRows();
    for (int r = 0; r < rowCount; ++r)
        rows_.AddRow();
    std::vector<TAdvDockPanel*> others;
    if (TCustomForm* form = GetParentForm())
        CollectDockPanels(form, this, others);
    std::vector<TAdvCustomToolBar*> unplaced;
    for (int n = 1; n <= count; ++n) {
        const std::string name = ReadStoredName(values, n, Name());
        auto it = std::find_if(named.begin(), named.end(),
                               [&](TAdvCustomToolBar* t) { return SameText(t->Name(), name); });
        TAdvCustomToolBar* t = nullptr;
        if (it != named.end()) {
            t = *it;
            named.erase(it);
        } else {
            for (TAdvDockPanel* other : others)
                for (TAdvCustomToolBar* candidate : other->docked_)
                    if (!t && SameText(candidate->Name(), name))
                        t = candidate;
            if (!t)
                continue;
            t->SetParent(this);
            if (t->DockPanel() != this)
                continue;
            PullToolBars();
            const int id = IdOf(t);
            if (rows_.ToolBar(id).row >= 0)
                rows_.RemoveFromRow(rows_.ToolBar(id).row, id, false);
        }
        const int id = IdOf(t);
        const StoredToolBar current{-1, t->Left(), t->Top(), t->Width(), t->Height(), t->Visible()};
        const StoredToolBar stored = ReadStoredToolBar(values, t->Name(), current, rowCount);
        t->SetSizingByRow(true);
        if (stored.width != t->Width())
            t->SetWidth(stored.width);
        if (stored.left != t->Left())
            t->SetLeft(stored.left);
        if (stored.top != t->Top())
            t->SetTop(stored.top);
        if (stored.height != t->Height())
            t->SetHeight(stored.height);
        t->SetSizingByRow(false);
        const bool rowFits = stored.row >= 0 && rows_.Accepts(stored.row, id);
        if (stored.visible && rowFits)
            rows_.AppendToRow(stored.row, id);
        if (stored.visible != t->Visible()) {
            pushing_ = true; // the visibility change must not touch the rows being rebuilt
            t->SetVisible(stored.visible);
            pushing_ = false;
        }
        if (stored.visible && !rowFits)
            unplaced.push_back(t);
    }
    for (int r = rows_.RowCount() - 1; r >= 0; --r)
        rows_.DeleteIfEmpty(r);
    // Toolbars the store does not name, and visible ones whose stored row does not exist, get
    // rows of their own after the stored ones.
    named.insert(named.end(), unplaced.begin(), unplaced.end());
    PullToolBars();
    for (TAdvCustomToolBar* t : named)
        if (t->Visible())
            rows_.AddToolBar(rows_.AddRow(), IdOf(t));
    PullToolBars();
    rows_.UpdateRows();
    PushToolBars();
    for (TAdvCustomToolBar* t : docked_)
        if (t->Visible())
            t->ArrangeControls(true);
}

void RegisterDockClasses()
{
    RegisterClasses({&TAdvDockPanel::StaticClass(), &TAdvCustomToolBar::StaticClass(),
                     &TFloatingWindow::StaticClass()});
}

} // namespace toolbar
