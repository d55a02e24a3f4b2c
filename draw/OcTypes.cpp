#include "draw/OcTypes.h"

#include "core/TypeInfo.h"

namespace draw {

CLASSLIB_PUBLISH(TOcComponent)
{
  c.Property("AboutOCL", &TOcComponent::AboutOCL, &TOcComponent::SetAboutOCL).Stored(false);
}

}  // namespace draw
