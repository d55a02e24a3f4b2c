#pragma once
// Tells whether components are still alive after code that may free them ran (a modal menu
// loop, a drop-down, an event handler): the watch asks for their free notifications.
#include "core/Component.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace toolbar {

class TComponentWatch : public classlib::TComponent {
public:
    explicit TComponentWatch(std::initializer_list<classlib::TComponent*> components)
        : classlib::TComponent(nullptr)
    {
        for (classlib::TComponent* c : components) {
            if (!c)
                continue;
            watched_.push_back(c);
            c->FreeNotification(this);
        }
    }
    ~TComponentWatch() override
    {
        for (classlib::TComponent* c : watched_)
            c->RemoveFreeNotification(this);
    }
    // False once the component went (or when it was never watched).
    bool Alive(const classlib::TComponent* c) const
    {
        return c && std::find(watched_.begin(), watched_.end(), c) != watched_.end();
    }

protected:
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override
    {
        classlib::TComponent::Notification(component, operation);
        if (operation == classlib::opRemove)
            watched_.erase(std::remove(watched_.begin(), watched_.end(), component),
                           watched_.end());
    }

private:
    std::vector<classlib::TComponent*> watched_;
};

} // namespace toolbar
