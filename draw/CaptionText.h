// Text shortening and accelerator handling of the caption and panel text painters, without a
// device: text widths come from the caller.
#pragma once

#include <functional>
#include <string>

namespace draw {

// Pixel width of a text in the font the caller draws with.
using TTextWidth = std::function<int(const std::string&)>;

// Removes the first directory of a directory part: \a\b\ becomes \...\b\, then \...\, then \.
// Without any backslash the text becomes empty.
void CutFirstPathComponent(std::string& dir);

// The path with directories replaced by "..." from the front until it fits `maxWidth` (or only
// the file name is left): C:\a\b\file.txt, C:\...\b\file.txt, C:\...\file.txt, ...\file.txt,
// file.txt.
std::string ShortenPathToWidth(const std::string& path, const TTextWidth& width, int maxWidth);

// The text shortened to `maxWidth`: a path as above, anything else with "..." at its end
// (just "." when three average characters do not fit). Empty when no width can be had.
std::string EllipsisText(bool pathMode, const std::string& text, const TTextWidth& width,
                         int averageCharWidth, int maxWidth);

// A caption without its accelerator marks ("&&" shows one "&") and the displayed position of
// its accelerator character (1-based, -1 for none).
struct TAccelText {
    std::string Text;
    int AccelPos = -1;
};
TAccelText SplitAccel(const std::string& caption);

} // namespace draw
