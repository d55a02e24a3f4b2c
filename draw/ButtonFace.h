// The toolbar family's button face painter: a lower and an upper half with radial or linear
// GDI+ gradients, an anti-aliased border, a focus frame, a picture or image-list image placed
// beside, above or below the caption, the caption, and an optional drop-down part. It draws
// into the caller's canvas and keeps no state.
#pragma once

#include <windows.h>

#include <string>

#include "draw/GDIPicture.h"
#include "draw/ToolbarDrawing.h"
#include "windows/ImageLists.h"

namespace draw {

// Layout: the picture 0 left of the caption, 1 above, 2 right, 3 below. AntiAlias: 0 GDI
// text, 1 ClearType, 2 anti-aliased. Rounded: a border with corner 3.
void DrawButtonContent(classlib::TCanvas* canvas, const RECT& r, classlib::TColor color,
                       classlib::TColor colorTo, classlib::TColor colorMirror,
                       classlib::TColor colorMirrorTo, classlib::TColor borderColor,
                       TGDIPGradient gradient, TGDIPGradient gradientMirror,
                       const std::string& caption, classlib::TFont* font,
                       classlib::TCustomImageList* images, int imageIndex, bool imageEnabled,
                       int layout, bool dropDown, bool dropDownSeparator, bool enabled,
                       bool focused, bool dropDownBottom, TGDIPPicture* picture, int antiAlias,
                       bool rounded);

// The same without picture, image list or drop-down part.
void DrawButtonContentSimple(classlib::TCanvas* canvas, const RECT& r, classlib::TColor color,
                             classlib::TColor colorTo, classlib::TColor colorMirror,
                             classlib::TColor colorMirrorTo, classlib::TColor borderColor,
                             TGDIPGradient gradient, TGDIPGradient gradientMirror,
                             const std::string& caption, classlib::TFont* font, bool enabled,
                             bool focused, int antiAlias, bool rounded);

} // namespace draw
