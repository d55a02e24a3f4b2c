#pragma once
// The area along one side of a form into which toolbars dock. It keeps its toolbars in rows
// (the row arithmetic of DockRowLayout, copied onto the toolbars' bounds), sizes itself to
// the rows, paints the dock colour of its styler, hands its styler and its store settings to
// its toolbars, and saves and restores the toolbar layout.
#include "toolbar/AdvToolBarStyler.h"
#include "toolbar/DockAlign.h"
#include "toolbar/DockRowLayout.h"
#include "toolbar/Persistence.h"

#include "windows/Controls.h"

#include <vector>

namespace toolbar {

class TAdvCustomToolBar;

class TAdvDockPanel : public classlib::TCustomControl, public IToolBarStylerClient {
    CLASSLIB_CLASS(TAdvDockPanel, classlib::TCustomControl)
    CLASSLIB_MESSAGES()
    explicit TAdvDockPanel(classlib::TComponent* owner);
    ~TAdvDockPanel() override;

    TDockAlign Align() const { return align_; }
    void SetAlign(TDockAlign value);
    int MinimumSize() const { return minimumSize_; }
    void SetMinimumSize(int value);
    bool LockHeight() const { return lockHeight_; }
    void SetLockHeight(bool value) { lockHeight_ = value; }
    bool UseRunTimeHeight() const { return useRunTimeHeight_; }
    void SetUseRunTimeHeight(bool value);
    TPersistence* Persistence() const { return persistence_; }
    void SetPersistence(TPersistence* value) { persistence_->Assign(value); }
    std::string Version() const { return "3.1.4.0"; }
    void SetVersion(const std::string&) {}
    // An office pop-up menu takes the current styler's menu styler.
    void SetPopupMenu(classlib::TPopupMenu* value);

    // IToolBarStylerClient
    TCustomAdvToolBarStyler* ToolBarStyler() const override { return styler_.External(); }
    void SetToolBarStyler(TCustomAdvToolBarStyler* styler) override;
    bool ReleasedByStyler() const override { return true; }
    void ToolBarStylerChanged(int kind) override;
    TCustomAdvToolBarStyler* CurrentStyler() const { return styler_.Current(); }
    TCustomAdvToolBarStyler* InternalStyler() const { return styler_.Internal(); }
    // A dock panel or a toolbar as parent raises Exception "Invalid Parent".
    void SetParent(classlib::TWinControl* parent) override;

    // ---- toolbars ----
    // Whether the toolbar may dock here now (a locked height needs an accepting row).
    bool Accepts(TAdvCustomToolBar* toolBar) const;
    // -1 (refused) or the toolbar's index in its row.
    int InsertToolBar(TAdvCustomToolBar* toolBar);
    void RemoveToolBar(TAdvCustomToolBar* toolBar);
    // Called by a toolbar's destructor (docked here, or floating with this as its last panel)
    // while it is still whole: the panel lets go of every reference to it.
    void ToolBarDestroyed(TAdvCustomToolBar* toolBar);
    // A docked toolbar asks for new bounds; the rows decide.
    void ArbitrateBounds(TAdvCustomToolBar* toolBar, int& left, int& top, int& width, int& height);
    void ToolBarVisibilityChanged(TAdvCustomToolBar* toolBar);
    // Re-reads the toolbars' sizes and lays the rows out again.
    void UpdateRows();
    int ToolBarCount() const { return static_cast<int>(docked_.size()); }
    TAdvCustomToolBar* ToolBars(int index) const { return docked_.at(static_cast<size_t>(index)); }
    int RowCount() const { return rows_.RowCount(); }
    // The toolbars of a row, in order along it.
    std::vector<TAdvCustomToolBar*> RowToolBars(int row) const;
    // The background as last painted (read by toolbars for their corner pixels).
    classlib::TBitmap* OffScreenBitmap() const { return bitmap_; }
    // The dock colour at a point of the panel.
    classlib::TColor BackgroundAt(int x, int y) const;

    void LoadLayout();
    void SaveLayout();

protected:
    void Loaded() override;
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;
    // Saves the layout while the form and all its toolbars still exist.
    void TreeDestroying() override;
    void Paint() override;
    void WMSize(classlib::TMessage& m);

private:
    bool RowsMayChange() const;
    bool Loading() const;
    int IdOf(TAdvCustomToolBar* toolBar);
    int FindId(TAdvCustomToolBar* toolBar) const;
    // Copies the toolbars' current bounds and constraints into the rows, and back.
    void PullToolBars();
    void PushToolBars(TAdvCustomToolBar* except = nullptr);
    void ApplyDockSize();
    void PersistenceChanged(classlib::TObject* sender);
    void SaveLayoutGuarded();
    void ApplyPopupMenu();

    TToolBarStylerLink styler_;
    TDockAlign align_ = daTop;
    DockRowLayout rows_;
    std::vector<TAdvCustomToolBar*> ids_; // toolbar of each row-layout id
    std::vector<TAdvCustomToolBar*> docked_;
    std::vector<TAdvCustomToolBar*> invisible_;
    classlib::TBitmap* bitmap_;
    TPersistence* persistence_;
    int minimumSize_ = 3;
    bool lockHeight_ = false;
    bool loaded_ = false;
    bool useRunTimeHeight_ = false;
    bool layoutSaved_ = false;
    bool pushing_ = false;
};

// Registers the dock panel, the toolbar and the floating window, so that form layouts can hold
// them.
void RegisterDockClasses();

} // namespace toolbar
