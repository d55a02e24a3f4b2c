#include "WizardFormResource.h"

#include "QorStrings.h"

#include <algorithm>

namespace crashui {

namespace {

// A bounded cursor over the resource bytes; reading past the end fails instead of reading on.
class TResourceCursor {
public:
    explicit TResourceCursor(std::string_view data) : data_(data) {}

    bool Byte(uint8_t& value)
    {
        if (pos_ >= data_.size())
            return false;
        value = static_cast<uint8_t>(data_[pos_++]);
        return true;
    }
    bool Bytes(size_t count, std::string& value)
    {
        if (count > data_.size() - pos_)
            return false;
        value.assign(data_.substr(pos_, count));
        pos_ += count;
        return true;
    }
    bool ShortString(std::string& value)
    {
        uint8_t length;
        return Byte(length) && Bytes(length, value);
    }
    bool Integer(size_t size, int32_t& value)
    {
        std::string bytes;
        if (!Bytes(size, bytes))
            return false;
        uint32_t raw = 0;
        for (size_t k = 0; k < size; ++k)
            raw |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[k])) << (8 * k);
        const uint32_t sign = 1u << (8 * size - 1);
        if (size < 4 && (raw & sign))
            raw |= ~((sign << 1) - 1);
        value = static_cast<int32_t>(raw);
        return true;
    }

private:
    std::string_view data_;
    size_t pos_ = 4;
};

// Reads one value as text; false at the end of the data or for a value type it does not know
// (then `badType` holds the type).
bool ReadValueText(TResourceCursor& in, std::string& text, int& badType)
{
    uint8_t type;
    if (!in.Byte(type))
        return false;
    int32_t number = 0;
    uint32_t longLength = 0;
    switch (type) {
        case 2:
            if (!in.Integer(1, number))
                return false;
            text = std::to_string(number);
            return true;
        case 3:
            if (!in.Integer(2, number))
                return false;
            text = std::to_string(number);
            return true;
        case 4:
            if (!in.Integer(4, number))
                return false;
            text = std::to_string(number);
            return true;
        case 6:
        case 7:
            return in.ShortString(text);
        case 8:
            text = "0";
            return true;
        case 9:
            text = "1";
            return true;
        case 12:
            if (!in.Integer(4, number))
                return false;
            longLength = static_cast<uint32_t>(number);
            return in.Bytes(longLength, text);
        default:
            badType = type;
            return false;
    }
}

// Reads an object whose class and object names have been read: its properties and children.
bool ReadObjectBody(TResourceCursor& in, const TWizardResourceSink& sink, int& badType, int depth,
                    std::string className, std::string objectName)
{
    if (depth > 32)
        return false;
    if (objectName == "AbortBtn")
        objectName = "CancelBtn";
    if (!className.empty())
        className[0] = 'T';
    const bool item = sink.object ? sink.object(className, objectName) : false;
    while (true) {
        std::string name;
        if (!in.ShortString(name))
            return false;
        if (name.empty())
            break;
        std::string value;
        if (!ReadValueText(in, value, badType))
            return false;
        if (sink.property)
            sink.property(item, name, value);
    }
    while (true) {
        std::string childClass;
        std::string childName;
        if (!in.ShortString(childClass))
            return false;
        if (childClass.empty())
            return true;
        if (!in.ShortString(childName) ||
            !ReadObjectBody(in, sink, badType, depth + 1, childClass, childName))
            return false;
    }
}

} // namespace

TWizardResourceResult ReadWizardResource(std::string_view data, const TWizardResourceSink& sink)
{
    TWizardResourceResult result;
    if (data.substr(0, 4) != "TPF0")
        return result;
    result.read = true;
    TResourceCursor in(data);
    std::string className;
    std::string objectName;
    if (in.ShortString(className) && in.ShortString(objectName))
        ReadObjectBody(in, sink, result.invalidValueType, 0, className, objectName);
    return result;
}

std::string InvalidResourceMessage(int valueType)
{
    return "Internal error: Invalid assistant resource (" +
           qor::FormatHex(static_cast<uint32_t>(valueType), 0, '0') + ").";
}

bool WizardBoolean(std::string_view text)
{
    return qor::TextMatches(text, "yes") || qor::TextMatches(text, "true") || text == "1";
}

int32_t WizardInteger(std::string_view text)
{
    return qor::ParseIntBuf(false, text.data(), static_cast<int>(text.size()));
}

uint8_t WizardOutputType(std::string_view text)
{
    return qor::FindText("ownSection", text, 1, static_cast<int>(text.size())) ? 1 : 0;
}

uint32_t ShadeColour(uint32_t colour, int difference, bool lighter)
{
    auto shade = [&](bool up, int& clamped) {
        uint32_t result = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            int channel =
                static_cast<int>((colour >> shift) & 0xFF) + (up ? difference : -difference);
            if (channel > 255 || channel < 0) {
                ++clamped;
                channel = std::clamp(channel, 0, 255);
            }
            result |= static_cast<uint32_t>(channel) << shift;
        }
        return result;
    };
    int clamped = 0;
    const uint32_t shaded = shade(lighter, clamped);
    if (clamped < 2)
        return shaded;
    int ignored = 0;
    return shade(!lighter, ignored);
}

uint32_t LightFaceColour(uint32_t face)
{
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8)
        result |= (128 + ((face >> shift) & 0xFF) / 2) << shift;
    return result;
}

int32_t SpaceAfterItem(const std::vector<TWizardItemShape>& items, size_t index)
{
    const TWizardItemShape& item = items[index];
    if (item.spacing != 0)
        return item.spacing;
    if (index + 1 >= items.size())
        return 0;
    if (item.kind == TWizardItemKind::label && item.headLabel)
        return 4;
    const TWizardItemShape& next = items[index + 1];
    if (next.kind == item.kind) {
        switch (item.kind) {
            case TWizardItemKind::button:
                return 4;
            case TWizardItemKind::edit:
                return 6;
            default:
                return 8;
        }
    }
    const bool nextHead = next.kind == TWizardItemKind::label && next.headLabel;
    const TWizardItemShape& previous = items[index == 0 ? items.size() - 1 : index - 1];
    const bool previousHead = previous.kind == TWizardItemKind::label && previous.headLabel;
    if (nextHead && previousHead && index + 2 < items.size() && items[index + 2].kind == item.kind)
        return 8;
    return 12;
}

int32_t PageButtonWidth(int32_t captionWidth, bool noOwnerDraw, bool invisible)
{
    if (invisible)
        return -8;
    return std::max(captionWidth + 20, noOwnerDraw ? 75 : 85);
}

int32_t PageClientWidth(const int32_t buttonWidths[3], int32_t minWidth, int32_t messageWidth,
                        int32_t stepCount)
{
    const int32_t buttons = buttonWidths[0] + buttonWidths[1] + buttonWidths[2] + 32;
    return std::max({buttons, 315, minWidth, messageWidth + stepCount * 19 + 36});
}

TPageButtonLefts PageButtonLefts(int32_t clientWidth, const int32_t buttonWidths[3],
                                 bool continueNoOwnerDraw, bool cancelNoOwnerDraw,
                                 bool skipInvisible)
{
    TPageButtonLefts lefts;
    lefts.cancelLeft = clientWidth - buttonWidths[2] - 8;
    if (continueNoOwnerDraw && cancelNoOwnerDraw && skipInvisible) {
        lefts.continueLeft = lefts.cancelLeft - buttonWidths[0] - 8;
        lefts.skipLeft = 8;
    } else {
        lefts.continueLeft = 8;
        lefts.skipLeft = 8 + buttonWidths[0] + 8;
    }
    return lefts;
}

int32_t StepMarkerLeft(int32_t clientWidth, int32_t stepCount, int32_t stepNumber)
{
    return clientWidth - 29 - (stepCount - stepNumber) * 19;
}

int32_t StepNumberLeft(int32_t clientWidth, int32_t stepCount, int32_t number)
{
    return clientWidth - 3 - stepCount * 19 + (number - 1) * 19;
}

} // namespace crashui
