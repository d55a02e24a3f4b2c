#include "AdvPanel.h"

#include "AdvOfficeStatusBar.h"
#include "AdvTaskDialog.h"

using namespace classlib;

namespace panels {

CLASSLIB_PUBLISH(TAdvPanel) {}

CLASSLIB_PUBLISH(TAdvPanelStyler)
{
    c.Property("Style", &TAdvPanelStyler::Style, &TAdvPanelStyler::SetStyle).SetDefault(8);
}

void RegisterPanelClasses()
{
    RegisterClasses({&TAdvPanel::StaticClass(), &TAdvPanelStyler::StaticClass(),
                     &TAdvOfficeStatusBar::StaticClass(), &TAdvOfficeStatusBarOfficeStyler::StaticClass(),
                     &TAdvOfficeStatusPanel::StaticClass(), &TAdvTaskDialog::StaticClass()});
}

} // namespace panels
