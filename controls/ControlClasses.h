#pragma once
// Makes the classes of this folder known to form layouts (created by name while loading).
namespace controls {

void RegisterControlClasses();

} // namespace controls
