#pragma once
// The page handlers of the send, save and print assistants that the page resources name in
// "OnAction": the contact page (remembered name and e-mail address, the e-mail check, the
// sender of the mail) and the screenshot page (the preview, editing the screenshot in the
// system's image editor, the attach choice). The reported exception a page hands to them is an
// `IQEException*` (or null). Windows only.
#include "NVAssistantInterfaces.h"

#include <cstdint>
#include <string>

namespace crashui {

// Where the contact page remembers its input (current user).
constexpr char kContactFormKey[] = "Software\\Orvane\\ContactForm";

void HandleContactForm(INVForm& page, uint8_t action, INVItem* item, void* exception);
void HandleScreenshotForm(INVForm& page, uint8_t action, INVItem* item, void* exception);

// The handler an "OnAction" name selects: "qorExcept.HandleContactForm" and
// "qorExcept.HandleScreenshotForm" (letter case ignored), else the routine "unit.routine" (the
// unit's letter case ignored, the routine's exact) of this program's debug information; null
// when the name is empty or nothing is found.
TNVAction AssistantHandlerByName(const std::string& name);

// The last write of the first file the path matches, as a packed local date (high 16 bits) and
// time; 0 when nothing matches.
uint32_t FileWriteTime(const std::string& path);
// "screenShot.bmp" in the engine's temporary folder; false (and no path) without that folder.
bool ScreenshotTempFile(std::string& path);

} // namespace crashui
