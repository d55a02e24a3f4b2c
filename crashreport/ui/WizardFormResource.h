#pragma once
// The crash-report wizard's page resources and layout rules, without windows: the reader of a
// page's component stream ("TPF0"), the property value texts, the spacing between items, the
// page and button geometry, and the colour shading of the page drawing. Portable (no
// <windows.h>); the pages and items themselves are in NVAssistant.*.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace crashui {

// What the reader hands on while it walks a page resource.
struct TWizardResourceSink {
    // An object starts: its class (first letter made "T") and name ("AbortBtn" read as
    // "CancelBtn"). Returns whether the object is an item (its properties go to the item).
    std::function<bool(const std::string& className, const std::string& objectName)> object;
    // A property of the current object, its value as text; `item` as answered for the object.
    std::function<void(bool item, const std::string& name, const std::string& value)> property;
};

struct TWizardResourceResult {
    bool read = false;         // the data began with "TPF0"
    int invalidValueType = -1; // the value type that stopped the reading, else -1
};

TWizardResourceResult ReadWizardResource(std::string_view data, const TWizardResourceSink& sink);

// "Internal error: Invalid assistant resource ($5)."
std::string InvalidResourceMessage(int valueType);

// Property values: "yes"/"true" in any case or exactly "1"; decimal with an optional minus;
// 1 when the text contains "ownSection" in any case, else 0.
bool WizardBoolean(std::string_view text);
int32_t WizardInteger(std::string_view text);
uint8_t WizardOutputType(std::string_view text);

// Colours are 0x00BBGGRR. Adds (lighter) or subtracts the difference per channel, clamping;
// when two or more channels clamp, the other direction is taken instead.
uint32_t ShadeColour(uint32_t colour, int difference, bool lighter);
// 128 + channel / 2 of the button face.
uint32_t LightFaceColour(uint32_t face);

// The item kinds as the spacing rule sees them.
enum class TWizardItemKind : uint8_t { button, label, edit, checkBox, image };
struct TWizardItemShape {
    TWizardItemKind kind = TWizardItemKind::button;
    bool headLabel = false; // a one-line label ending in ":" or "?"
    int32_t spacing = 0;    // the Spacing property; 0: automatic
};
// The space placed after item `index` of the page's list.
int32_t SpaceAfterItem(const std::vector<TWizardItemShape>& items, size_t index);

// Page geometry.
int32_t PageButtonWidth(int32_t captionWidth, bool noOwnerDraw, bool invisible);
int32_t PageClientWidth(const int32_t buttonWidths[3], int32_t minWidth, int32_t messageWidth,
                        int32_t stepCount);
// Left edges of the Continue, Skip and Cancel buttons.
struct TPageButtonLefts {
    int32_t continueLeft = 0;
    int32_t skipLeft = 0;
    int32_t cancelLeft = 0;
};
TPageButtonLefts PageButtonLefts(int32_t clientWidth, const int32_t buttonWidths[3],
                                 bool continueNoOwnerDraw, bool cancelNoOwnerDraw,
                                 bool skipInvisible);
int32_t StepMarkerLeft(int32_t clientWidth, int32_t stepCount, int32_t stepNumber);
int32_t StepNumberLeft(int32_t clientWidth, int32_t stepCount, int32_t number);

} // namespace crashui
