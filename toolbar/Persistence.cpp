#include "Persistence.h"

#include "core/TypeInfo.h"
#include "windows/Registry.h"

namespace toolbar {

using namespace classlib;

CLASSLIB_DEFINE_ENUM(TPersistenceLocation, "plRegistry", "plIniFile")

CLASSLIB_PUBLISH(TPersistence)
{
    using P = TPersistence;
    c.Property("Key", &P::Key, &P::SetKey);
    c.Property("Section", &P::Section, &P::SetSection);
    c.Property("Location", &P::Location, &P::SetLocation).SetDefault(plRegistry);
    c.Property("Enabled", &P::Enabled, &P::SetEnabled).SetDefault(false);
    c.Property("OnChange", &P::OnChange);
}

void TPersistence::SetKey(const std::string& value)
{
    Store(key_, value);
}

void TPersistence::SetSection(const std::string& value)
{
    Store(section_, value);
}

void TPersistence::SetLocation(TPersistenceLocation value)
{
    Store(location_, value);
}

void TPersistence::SetEnabled(bool value)
{
    Store(enabled_, value);
}

void TPersistence::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TPersistence*>(source);
    if (!other)
        return;
    location_ = other->location_;
    key_ = other->key_;
    section_ = other->section_;
    enabled_ = other->enabled_;
}

std::unique_ptr<TCustomIniFile> TPersistence::OpenStore() const
{
    if (!enabled_ || key_.empty() || section_.empty())
        return nullptr;
    if (owner_ && owner_->ComponentState().Contains(csDesigning))
        return nullptr;
    if (location_ == plIniFile)
        return std::make_unique<TIniFile>(key_);
    return std::make_unique<TRegistryIniFile>(key_);
}

} // namespace toolbar
