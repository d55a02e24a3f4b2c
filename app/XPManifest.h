#pragma once
// TXPManifest: the layout's marker that the window uses the platform's visual styles. The
// Common Controls 6 manifest that does it is a resource of every program of this project
// (resources/Brenvik.manifest), so the component itself holds nothing and does nothing.
#include "core/Component.h"

namespace app {

class TXPManifest : public classlib::TComponent {
    CLASSLIB_CLASS(TXPManifest, classlib::TComponent)
    explicit TXPManifest(classlib::TComponent* owner) : TComponent(owner) {}
};

} // namespace app
