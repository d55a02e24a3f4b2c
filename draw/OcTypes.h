// Shared bases of the control library's units: the exception base EOCLException, the plain
// component base TOcComponent, the owned sub-objects TOcPersistent and TOcPersistentProperty,
// and the colour tables offered to colour pickers.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/Events.h"

#include "core/Component.h"
#include "core/Exceptions.h"

namespace draw {

// Base of the exceptions the control library's units raise.
class EOCLException : public classlib::Exception {
public:
    using Exception::Exception;
};

// Design-time information text of the library's components; never stored.
using TOCLAboutInfo = std::string;

// The published "Version" text of the library's components: the four bytes of a packed number,
// high byte first, joined by "." (0x01050006 gives "1.5.0.6").
std::string VersionText(uint32_t packed);

// A plain component base: a component plus the published, never stored AboutOCL property.
class TOcComponent : public classlib::TComponent {
    CLASSLIB_CLASS(TOcComponent, classlib::TComponent)
    explicit TOcComponent(classlib::TComponent* owner) : classlib::TComponent(owner) {}

    TOCLAboutInfo AboutOCL() const { return {}; }
    void SetAboutOCL(const TOCLAboutInfo&) {}
};

// An owned sub-object that streams under its owner's name: a sub-component whose owner may be
// any persistent object (only a component owner also owns it as a component).
class TOcPersistent : public classlib::TComponent {
    CLASSLIB_CLASS(TOcPersistent, classlib::TComponent)
    explicit TOcPersistent(classlib::TPersistent* owner);

    classlib::TPersistent* GetOwner() const override { return owner_; }
    // The owner's name path, ".", then the own one, when the owner is itself a sub-object or
    // owned and has a path; else the own component name path.
    std::string GetNamePath() const override;

private:
    classlib::TPersistent* owner_;
};

using TPropertyChangeEvent =
    classlib::TEvent<void(classlib::TObject* Sender, const std::string& PropertyName)>;

// A sub-object that counts nested updates: only the outermost BeginChanges/EndChanges pair
// reports before and after changes; the per-property notifications fire every time.
class TOcPersistentProperty : public TOcPersistent {
    CLASSLIB_CLASS(TOcPersistentProperty, TOcPersistent)
    using TOcPersistent::TOcPersistent;

    virtual void NotifyChanged();
    virtual void NotifyChanging();
    virtual void NotifyChangedProperty(const std::string& name);
    virtual void NotifyChangingProperty(const std::string& name);
    virtual void SetUpdating(bool updating);
    virtual void BeginChanges();
    virtual void EndChanges();
    int UpdateCount() const { return updateCount_; }

    classlib::TNotifyEvent OnBeforeChange;
    classlib::TNotifyEvent OnAfterChange;
    TPropertyChangeEvent OnBeforePropertyChange;
    TPropertyChangeEvent OnAfterPropertyChange;

private:
    int updateCount_ = 0;
};

// A named colour for colour pickers: value (0x00BBGGRR, or 0xFF000000 plus a system colour
// index), identifier as written in form layouts, and the text shown to the user.
struct TDefColorItem {
    uint32_t Value;
    const char* Identifier;
    const char* DisplayText;
};

// The 20 standard colours ("clBlack" ... "clMedGray").
extern const std::array<TDefColorItem, 20> StandardColors;
// The 40 colours of the office palette, row by row ("clBlack", "clBrown", ... "clWhite").
extern const std::array<TDefColorItem, 40> PaletteColors;
// The 30 system colours ("clScrollBar" ... "clMenuHighlight").
extern const std::array<TDefColorItem, 30> SystemColors;

} // namespace draw
