// Shared bases of the control library's units: the exception base EOCLException and the plain
// component base TOcComponent.
#pragma once

#include <string>

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

// A plain component base: a component plus the published, never stored AboutOCL property.
class TOcComponent : public classlib::TComponent {
  CLASSLIB_CLASS(TOcComponent, classlib::TComponent)
  explicit TOcComponent(classlib::TComponent* owner) : classlib::TComponent(owner) {}

  TOCLAboutInfo AboutOCL() const { return {}; }
  void SetAboutOCL(const TOCLAboutInfo&) {}
};

}  // namespace draw
