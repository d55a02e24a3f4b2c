#include "draw/OcTypes.h"

#include "core/TypeInfo.h"

namespace draw {

CLASSLIB_PUBLISH(TOcComponent)
{
  c.Property("AboutOCL", &TOcComponent::AboutOCL, &TOcComponent::SetAboutOCL).Stored(false);
}

std::string VersionText(uint32_t packed)
{
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    if (!text.empty())
      text += '.';
    text += std::to_string((packed >> shift) & 0xFF);
  }
  return text;
}

CLASSLIB_PUBLISH(TOcPersistent) {}
CLASSLIB_PUBLISH(TOcPersistentProperty) {}

TOcPersistent::TOcPersistent(classlib::TPersistent* owner)
    : classlib::TComponent(dynamic_cast<classlib::TComponent*>(owner)), owner_(owner)
{
  SetSubComponent(true);
}

std::string TOcPersistent::GetNamePath() const
{
  std::string result = classlib::TComponent::GetNamePath();
  if (!owner_)
    return result;
  const auto* ownerComponent = dynamic_cast<const classlib::TComponent*>(owner_);
  const bool ownerIsSubObject =
      ownerComponent && ownerComponent->ComponentStyle().Contains(classlib::csSubComponent);
  if (ownerIsSubObject || owner_->GetOwner()) {
    const std::string ownerPath = owner_->GetNamePath();
    if (!ownerPath.empty())
      result = ownerPath + "." + result;
  }
  return result;
}

void TOcPersistentProperty::NotifyChanged()
{
  if (updateCount_ == 0 && OnAfterChange)
    OnAfterChange(this);
}

void TOcPersistentProperty::NotifyChanging()
{
  if (updateCount_ == 0 && OnBeforeChange)
    OnBeforeChange(this);
}

void TOcPersistentProperty::NotifyChangedProperty(const std::string& name)
{
  if (OnAfterPropertyChange)
    OnAfterPropertyChange(this, name);
}

void TOcPersistentProperty::NotifyChangingProperty(const std::string& name)
{
  if (OnBeforePropertyChange)
    OnBeforePropertyChange(this, name);
}

void TOcPersistentProperty::SetUpdating(bool updating)
{
  if (updating)
    NotifyChanging();
  else
    NotifyChanged();
}

void TOcPersistentProperty::BeginChanges()
{
  if (updateCount_ == 0)
    SetUpdating(true);
  ++updateCount_;
}

void TOcPersistentProperty::EndChanges()
{
  // An unmatched EndChanges would leave the count below zero and silence every later change.
  if (updateCount_ == 0)
    return;
  --updateCount_;
  if (updateCount_ == 0)
    SetUpdating(false);
}

}  // namespace draw
