#pragma once
// Streaming checks of components: every stored property below an object as text (changed
// first on request), and a copy of a component through the text form layout the form files
// use. Windows build (pictures are left out by class).
#include "core/ComponentStream.h"
#include "core/FormText.h"
#include "core/Streams.h"
#include "core/TypeInfo.h"
#include "windows/Images.h"

#include <map>
#include <string>

namespace testsupport {

using PropertySnapshot = std::map<std::string, std::string>;

inline bool IsPictureData(const classlib::TObject* object)
{
    return object->InheritsFrom(classlib::TGraphic::StaticClass()) ||
           object->InheritsFrom(classlib::TPicture::StaticClass());
}

// Every stored, writable property below `object` (pictures and bitmaps excepted, component
// references not followed) as text by its dotted path, changed first when `mutate` is set:
// ordinals move by 3, enumerations to a neighbour that is not their streamed default, sets
// toggle their first member, strings grow.
inline void WalkProperties(classlib::TObject* object, const std::string& path,
                           PropertySnapshot& out, bool mutate)
{
    using namespace classlib;
    for (const TPropInfo* p : object->ClassType().Properties()) {
        const std::string name = path + p->Name;
        switch (p->PropType->Kind) {
            case tkClass:
                if (TObject* child = GetObjectProp(object, *p))
                    if (!IsPictureData(child) && !child->InheritsFrom(TComponent::StaticClass()))
                        WalkProperties(child, name + ".", out, mutate);
                break;
            case tkInteger:
            case tkEnumeration:
            case tkSet:
            case tkInt64:
                if (!IsStoredProp(object, *p) || !p->HasWriter())
                    break;
                if (mutate) {
                    const int64_t v = GetOrdProp(object, *p);
                    int64_t changed = p->PropType->Kind == tkSet ? (v ^ 1) : v + 3;
                    if (p->PropType->Kind == tkEnumeration) {
                        // A neighbour that is not the streamed default (a default is not written).
                        for (int64_t candidate : {v - 1, v + 1})
                            if (candidate >= p->PropType->MinValue &&
                                candidate <= p->PropType->MaxValue && candidate != p->Default) {
                                changed = candidate;
                                break;
                            }
                    }
                    SetOrdProp(object, *p, changed);
                }
                out[name] = std::to_string(GetOrdProp(object, *p));
                break;
            case tkString:
            case tkLString:
                if (!IsStoredProp(object, *p) || !p->HasWriter())
                    break;
                if (mutate)
                    SetStrProp(object, *p, GetStrProp(object, *p) + "x");
                out[name] = GetStrProp(object, *p);
                break;
            default:
                break;
        }
    }
}

// Writes `source` as a binary component stream, turns it into the text layout and back, and
// reads the result into `target`.
inline void CopyThroughFormLayout(classlib::TComponent* source, classlib::TComponent* target)
{
    using namespace classlib;
    TMemoryStream binary;
    WriteComponentToStream(binary, source);
    binary.SetPosition(0);
    TMemoryStream text;
    ObjectBinaryToText(binary, text);
    text.SetPosition(0);
    TMemoryStream again;
    ObjectTextToBinary(text, again);
    again.SetPosition(0);
    ReadComponentFromStream(again, target);
}

// Reads a text form layout into `target`.
inline void ReadFormLayout(const char* layout, classlib::TComponent* target)
{
    using namespace classlib;
    TStringStream source(layout);
    TMemoryStream binary;
    ObjectTextToBinary(source, binary);
    binary.SetPosition(0);
    ReadComponentFromStream(binary, target);
}

} // namespace testsupport
