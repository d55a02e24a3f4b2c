// The toolbar's own state in its persistence store: read once after loading (it may float
// again where it floated) and written while the component tree is still whole.
#include "toolbar/AdvToolBar.h"

#include "toolbar/FloatingWindow.h"
#include "toolbar/ToolBarStateRecord.h"

namespace toolbar {

using namespace classlib;

namespace {
ToolBarStateValues CurrentState(const TAdvCustomToolBar& bar)
{
    ToolBarStateValues now;
    now.state = static_cast<int>(bar.State());
    now.floatingRows = bar.FloatingRows();
    now.left = bar.Left();
    now.top = bar.Top();
    if (bar.State() == tsFloating && bar.FloatingWindow()) {
        now.left = bar.FloatingWindow()->Left();
        now.top = bar.FloatingWindow()->Top();
    }
    now.width = bar.Width();
    now.height = bar.Height();
    now.visible = bar.Visible();
    for (int i = 0; i < bar.ControlOrderCount(); ++i) {
        TControl* c = bar.ControlOrder(i);
        if (!c->Name().empty())
            now.controls.emplace_back(c->Name(), c->Visible());
    }
    return now;
}
} // namespace

void TAdvCustomToolBar::LoadState()
{
    std::unique_ptr<TCustomIniFile> store = persistence_->OpenStore();
    if (!store)
        return;
    TIniLayoutValues values(*store, persistence_->Section());
    const ToolBarStateValues now = CurrentState(*this);
    const ToolBarStateRead read = ReadToolBarState(values, Name(), now);
    if (read.floatAgain) {
        MakeFloating(read.left, read.top, true);
        if (floatingRows_ < read.floatingRows)
            SetFloatingRows(read.floatingRows);
        if (read.visible != Visible())
            SetVisible(read.visible);
    }
    bool changed = false;
    size_t n = 0;
    for (int i = 0; i < ControlOrderCount() && n < read.controlsVisible.size(); ++i) {
        TControl* c = ControlOrder(i);
        if (c->Name().empty())
            continue;
        const bool visible = read.controlsVisible[n++];
        if (visible != c->Visible()) {
            c->SetVisible(visible);
            changed = true;
        }
    }
    if (changed)
        ArrangeControls(true);
}

void TAdvCustomToolBar::SaveState()
{
    std::unique_ptr<TCustomIniFile> store = persistence_->OpenStore();
    if (!store)
        return;
    TIniLayoutValues values(*store, persistence_->Section());
    WriteToolBarState(values, Name(), CurrentState(*this));
}

} // namespace toolbar
