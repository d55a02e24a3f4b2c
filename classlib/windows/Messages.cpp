#include "windows/Messages.h"

#include <mutex>

namespace classlib {

namespace {

struct MessageMaps {
    std::mutex lock;
    std::unordered_map<const TMetaClass*, TMessageMap> maps;
};

MessageMaps& Maps()
{
    static MessageMaps maps;
    return maps;
}

} // namespace

void RegisterMessageMap(const TMetaClass& cls, void (*fill)(TMessageMap&))
{
    MessageMaps& all = Maps();
    std::lock_guard<std::mutex> guard(all.lock);
    fill(all.maps[&cls]);
}

bool DispatchMessageFrom(TObject* object, const TMetaClass* cls, TMessage& message)
{
    // The maps are complete once start-up is over; lookups do not change them.
    const auto& maps = Maps().maps;
    for (; cls; cls = cls->ClassParent()) {
        auto it = maps.find(cls);
        if (it == maps.end())
            continue;
        if (TMessageHandler handler = it->second.Find(message.Msg)) {
            (object->*handler)(message);
            return true;
        }
    }
    return false;
}

} // namespace classlib
