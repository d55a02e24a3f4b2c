#pragma once
// Saving and restoring a form's window placement in a storage folder: show command, flags,
// pixels per inch, minimized/maximized positions and the normal rectangle. Positions are
// written twice, under a key suffixed with the primary screen's size ("NormPos(1920x1080)")
// and a plain one; the suffixed key of the current screen size wins on reading.
#include "OcAppStorage.h"

#include "windows/Forms.h"

namespace storage {

enum TPlacementOption { fpState, fpSize, fpLocation, fpActiveControl };
CLASSLIB_ENUM(TPlacementOption);
using TPlacementOptions = classlib::TSet<TPlacementOption>;

// "(%dx%d)" of the primary screen's width and height.
std::string ScreenSizeSuffix();
void StoreWindowPlacement(classlib::TCustomForm* form, TOcCustomAppStorage* storage,
                          const std::string& path, TPlacementOptions options);
void LoadWindowPlacement(classlib::TCustomForm* form, TOcCustomAppStorage* storage,
                         const std::string& path, TPlacementOptions options);
void WritePositionText(TOcCustomAppStorage* storage, const std::string& keyPath,
                       const std::string& text);
std::string ReadPositionText(TOcCustomAppStorage* storage, const std::string& keyPath);
bool IsApplicationMinimized();
void ChangeFormPosition(classlib::TCustomForm* form, classlib::TPosition position);

} // namespace storage
