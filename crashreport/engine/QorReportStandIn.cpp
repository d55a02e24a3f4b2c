#include "QorReportStandIn.h"

#include <map>
#include <mutex>

namespace qor {

namespace {

std::mutex recordLock;
std::map<uint32_t, uintptr_t> creators;

} // namespace

EngineSettingsStandIn& LibrarySettings(int)
{
    static EngineSettingsStandIn settings;
    return settings;
}

void SetThreadRecord(uint32_t threadId, const char* name, uintptr_t creatorAddress)
{
    std::lock_guard<std::mutex> guard(recordLock);
    if (name)
        creators[threadId] = creatorAddress;
    else
        creators.erase(threadId);
}

uintptr_t ThreadCreatorAddress(uint32_t threadId)
{
    std::lock_guard<std::mutex> guard(recordLock);
    const auto found = creators.find(threadId);
    return found == creators.end() ? 0 : found->second;
}

} // namespace qor
