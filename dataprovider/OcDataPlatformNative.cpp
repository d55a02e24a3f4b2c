// The framework's platform seam in the native build: there are no controls to repaint and no
// canvas to paint items on, so both do nothing here (OcDataPainting.cpp is the Windows side).
#include "dataprovider/OcDataConsumer.h"

namespace dataprovider {

void InvalidateConsumerOwner(classlib::TComponent*) {}

void RegisterDataProviderPaintingClasses() {}

} // namespace dataprovider
