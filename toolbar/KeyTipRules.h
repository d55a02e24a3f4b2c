#pragma once
// The rules of key tips as plain arithmetic (portable): which keys type into a key tip, how a
// typed text compares with a tip, the rows of small buttons on a page's toolbar and where a
// button's tip goes by its row.
#include <string>
#include <vector>

namespace toolbar {

// Letters and digits type into key tips: the virtual keys 48..57, 65..90 and 97..122.
bool IsKeyTipKey(int virtualKey);

enum class KeyTipMatch {
    Differs, // the tip does not begin with the typed text: it is hidden
    Prefix,  // the tip begins with the typed text and is longer: it stays
    Exact,   // the tip is the typed text: its command runs
};
// Compares a tip with the typed text, both upper-cased (ASCII). An empty tip never matches.
KeyTipMatch MatchKeyTipText(const std::string& tip, const std::string& typed);
std::string UpperKeyTipText(const std::string& text);

// The tops of up to three rows of buttons; kNoRow where a row does not exist.
struct KeyTipRows {
    static constexpr int kNoRow = -100;
    int top[3] = {kNoRow, kNoRow, kNoRow};
};
// The rows from the tops of the visible controls in control order (negative tops are left out):
// a top within 4 pixels of a known row belongs to it, a new one opens the next row (at most
// three), then the rows are put in order.
KeyTipRows ComputeRowTops(const std::vector<int>& tops);

// The tip placements a toolbar on a page chooses (values of the glow button's placement type).
enum class KeyTipPlace { Left, Bottom, TopLeft, AboveTopLeft, BottomLeft, BelowBottomLeft };
// Where the automatic tip of a control goes: large buttons (at least as tall as the toolbar
// without its caption and 15 pixels) below, small ones by their row.
KeyTipPlace KeyTipPlaceFor(const KeyTipRows& rows, int controlTop, int controlHeight,
                           int toolBarHeight, int captionHeight);

} // namespace toolbar
