// The framework module's start-up: its classes go to the class registry so that streams can
// create them by name. The row view is left out on purpose: it is never streamed.
#include "dataprovider/OcDataFacets.h"
#include "dataprovider/OcDataConsumer.h"
#include "dataprovider/OcDataContexts.h"

#include <mutex>

namespace dataprovider {

namespace {
std::mutex startUpLock;
int startUpCount = 0;
} // namespace

void RegisterDataProviderClasses()
{
    std::lock_guard<std::mutex> guard(startUpLock);
    if (startUpCount++ > 0)
        return;
    classlib::RegisterClass(TOcDataItemsList::StaticClass());
    RegisterDataProviderPaintingClasses();
    classlib::RegisterClasses(
        {&TOcBaseDataItemsListManagement::StaticClass(), &TOcBaseDataItem::StaticClass(),
         &TOcDataItemTextImpl::StaticClass(), &TOcDataItemImageImpl::StaticClass(),
         &TOcDataItemContextTextImpl::StaticClass(), &TOcDataItemBlockableTextImpl::StaticClass(),
         &TOcDataConsumer::StaticClass(), &TOcDataConsumerItemSelect::StaticClass(),
         &TOcDataContexts::StaticClass(), &TOcDataContext::StaticClass(),
         &TOcManagedDataContext::StaticClass(), &TOcFixedDataContext::StaticClass()});
}

void DataProviderShutDown()
{
    std::lock_guard<std::mutex> guard(startUpLock);
    if (startUpCount > 0)
        --startUpCount;
}

} // namespace dataprovider
