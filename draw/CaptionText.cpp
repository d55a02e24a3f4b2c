#include "draw/CaptionText.h"

#include <algorithm>

namespace draw {

namespace {

std::string Prefix(const std::string& text, int count)
{
    return text.substr(0, static_cast<size_t>(std::clamp(count, 0, static_cast<int>(text.size()))));
}

} // namespace

void CutFirstPathComponent(std::string& dir)
{
    if (dir.empty())
        return;
    if (dir == "\\") {
        dir.clear();
        return;
    }
    const bool leading = dir[0] == '\\';
    if (leading)
        dir.erase(0, 1);
    if (!dir.empty() && dir[0] == '.')
        dir.erase(0, std::min<size_t>(4, dir.size())); // the "...\" of an earlier cut
    const size_t slash = dir.find('\\');
    dir = slash == std::string::npos ? std::string() : "...\\" + dir.substr(slash + 1);
    if (leading)
        dir.insert(0, "\\");
}

std::string ShortenPathToWidth(const std::string& path, const TTextWidth& width, int maxWidth)
{
    std::string result = path;
    const size_t split = path.find_last_of("\\:");
    std::string dir = split == std::string::npos ? std::string() : path.substr(0, split + 1);
    const std::string name = split == std::string::npos ? path : path.substr(split + 1);
    std::string drive;
    if (dir.size() >= 2 && dir[1] == ':') {
        drive = dir.substr(0, 2);
        dir.erase(0, 2);
    }
    while ((!dir.empty() || !drive.empty()) && width(result) > maxWidth) {
        if (dir == "\\...\\") {
            drive.clear();
            dir = "...\\";
        } else if (dir.empty()) {
            drive.clear();
        } else {
            CutFirstPathComponent(dir);
        }
        result = drive + dir + name;
    }
    return result;
}

std::string EllipsisText(bool pathMode, const std::string& text, const TTextWidth& width,
                         int averageCharWidth, int maxWidth)
{
    if (pathMode)
        return ShortenPathToWidth(text, width, maxWidth);
    std::string work = text;
    if (work.empty() || maxWidth >= width(work))
        return work;
    if (averageCharWidth <= 0)
        return {}; // no font metrics: nothing sensible fits
    if (3 * averageCharWidth >= maxWidth)
        return ".";
    int n = maxWidth / averageCharWidth - 1;
    work = Prefix(text, n);
    if (maxWidth < width(work + "...")) {
        do {
            --n;
            work = Prefix(work, n);
        } while (!(width(work + "...") < maxWidth || n < 1));
    } else {
        do {
            ++n;
            work = Prefix(text, n);
        } while (!(width(work + "...") > maxWidth || n >= static_cast<int>(text.size())));
        work = Prefix(work, n - 1);
    }
    return work + "...";
}

TAccelText SplitAccel(const std::string& caption)
{
    TAccelText result;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&') {
            result.Text += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
            result.Text += '&';
            ++i;
        } else if (i + 1 < caption.size()) {
            result.AccelPos = static_cast<int>(result.Text.size()) + 1;
        }
    }
    return result;
}

} // namespace draw
