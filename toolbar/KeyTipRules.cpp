#include "toolbar/KeyTipRules.h"

#include <cstdlib>
#include <utility>

namespace toolbar {

bool IsKeyTipKey(int k)
{
    return (k >= 48 && k <= 57) || (k >= 65 && k <= 90) || (k >= 97 && k <= 122);
}

std::string UpperKeyTipText(const std::string& text)
{
    std::string u = text;
    for (char& c : u)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return u;
}

KeyTipMatch MatchKeyTipText(const std::string& tip, const std::string& typed)
{
    if (tip.empty())
        return KeyTipMatch::Differs;
    const std::string t = UpperKeyTipText(tip), u = UpperKeyTipText(typed);
    if (t == u)
        return KeyTipMatch::Exact;
    if (t.compare(0, u.size(), u) == 0 && u.size() < t.size())
        return KeyTipMatch::Prefix;
    return KeyTipMatch::Differs;
}

namespace {
bool Near(int a, int b)
{
    return std::abs(a - b) <= 4;
}
} // namespace

KeyTipRows ComputeRowTops(const std::vector<int>& tops)
{
    KeyTipRows r;
    int* row = r.top;
    const int none = KeyTipRows::kNoRow;
    for (int top : tops) {
        if (top < 0)
            continue;
        if (row[0] == none) {
            row[0] = top;
            continue;
        }
        if (Near(top, row[0]))
            continue;
        if (row[1] == none) {
            row[1] = top;
            continue;
        }
        if (Near(top, row[1]))
            continue;
        if (row[2] == none)
            row[2] = top;
    }
    if (row[1] < row[0] && row[1] > 0)
        std::swap(row[0], row[1]);
    if (row[2] < row[1] && row[2] > 0 && row[1] > 0)
        std::swap(row[1], row[2]);
    return r;
}

KeyTipPlace KeyTipPlaceFor(const KeyTipRows& rows, int top, int height, int toolBarHeight,
                           int captionHeight)
{
    if (height >= toolBarHeight - captionHeight - 15)
        return KeyTipPlace::Bottom;
    const bool third = rows.top[2] > 0;
    if (rows.top[0] > 0 && Near(top, rows.top[0]))
        return third ? KeyTipPlace::TopLeft : KeyTipPlace::AboveTopLeft;
    if (rows.top[1] > 0 && Near(top, rows.top[1]))
        return third ? KeyTipPlace::Left : KeyTipPlace::BelowBottomLeft;
    return KeyTipPlace::BottomLeft;
}

} // namespace toolbar
