#include "XPManifest.h"

namespace app {

CLASSLIB_PUBLISH(TXPManifest) {}

} // namespace app
