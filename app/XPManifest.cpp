#include "XPManifest.h"

#include "core/TypeInfo.h"

namespace app {

CLASSLIB_PUBLISH(TXPManifest) {}

} // namespace app
