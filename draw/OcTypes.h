// Shared bases of the control library's units: the exception base EOCLException, the plain
// component base TOcComponent and the owned sub-objects TOcPersistent and TOcPersistentProperty.
#pragma once

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

using TPropertyChangeEvent = classlib::TEvent<void(classlib::TObject* Sender, const std::string& PropertyName)>;

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

}  // namespace draw
