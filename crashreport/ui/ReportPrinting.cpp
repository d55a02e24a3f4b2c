#include "ReportPrinting.h"

#include "QorLoaderLock.h"
#include "MailClientChannels.h"

#include <commdlg.h>

namespace crashreport {

namespace {

constexpr UINT kLineFormat = DT_WORDBREAK | DT_EXTERNALLEADING | DT_NOPREFIX | DT_LEFT | DT_TOP;

} // namespace

HFONT CreateReportFont(HDC dc)
{
    LOGFONTA font{};
    font.lfHeight = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
    font.lfWeight = FW_NORMAL;
    lstrcpynA(font.lfFaceName, "Courier New", LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

LaidOutReport LayOutReport(HDC dc, const std::string& report)
{
    LaidOutReport layout;
    PrintDevice device;
    device.horzRes = GetDeviceCaps(dc, HORZRES);
    device.vertRes = GetDeviceCaps(dc, VERTRES);
    device.horzSizeMm = GetDeviceCaps(dc, HORZSIZE);
    device.vertSizeMm = GetDeviceCaps(dc, VERTSIZE);
    device.offsetX = GetDeviceCaps(dc, PHYSICALOFFSETX);
    device.offsetY = GetDeviceCaps(dc, PHYSICALOFFSETY);
    layout.geometry = ComputePrintGeometry(device);
    layout.lines = ReportPrintLines(report);
    std::vector<int32_t> heights;
    for (const std::string& line : layout.lines) {
        RECT box{0, 0, layout.geometry.textWidth, 0};
        DrawTextA(dc, line.c_str(), static_cast<int>(line.size()), &box, kLineFormat | DT_CALCRECT);
        heights.push_back(box.bottom - box.top);
    }
    layout.placed = PlaceReportLines(heights, layout.geometry);
    return layout;
}

void DrawReportPage(HDC dc, const LaidOutReport& layout, int32_t page)
{
    for (size_t i = 0; i < layout.lines.size(); ++i) {
        const PlacedLine& place = layout.placed[i];
        if (place.page != page)
            continue;
        RECT box{layout.geometry.leftMargin, place.top,
                 layout.geometry.leftMargin + layout.geometry.textWidth, place.top + place.height};
        DrawTextA(dc, layout.lines[i].c_str(), static_cast<int>(layout.lines[i].size()), &box,
                  kLineFormat);
    }
}

bool PrintReportOnDc(HDC dc, const std::string& report, const std::string& documentName)
{
    SetMapMode(dc, MM_TEXT);
    HFONT font = CreateReportFont(dc);
    HGDIOBJ previous = SelectObject(dc, font);
    DOCINFOA document{};
    document.cbSize = sizeof document;
    document.lpszDocName = documentName.c_str();
    bool printed = StartDocA(dc, &document) > 0;
    if (printed) {
        const LaidOutReport layout = LayOutReport(dc, report);
        const int32_t pages = layout.placed.empty() ? 1 : layout.placed.back().page + 1;
        for (int32_t page = 0; page < pages && printed; ++page) {
            printed = StartPage(dc) > 0;
            if (printed) {
                // Some printer drivers reset the context's objects at each page.
                SelectObject(dc, font);
                DrawReportPage(dc, layout, page);
                printed = EndPage(dc) > 0;
            }
        }
        if (printed)
            EndDoc(dc);
        else
            AbortDoc(dc);
    }
    SelectObject(dc, previous);
    DeleteObject(font);
    return printed;
}

bool PrintReportText(const std::string& report, HWND parent, const std::string& documentName)
{
    if (qor::LoaderLockHeld(250)) {
        MessageBeep(0);
        return false;
    }
    PRINTDLGA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = parent;
    dialog.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_DISABLEPRINTTOFILE |
                   PD_HIDEPRINTTOFILE | PD_NONETWORKBUTTON | PD_USEDEVMODECOPIESANDCOLLATE;
    if (!PrintDlgA(&dialog))
        return false;
    if (dialog.hDC) {
        PrintReportOnDc(dialog.hDC, report, documentName);
        DeleteDC(dialog.hDC);
    }
    if (dialog.hDevMode)
        GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames)
        GlobalFree(dialog.hDevNames);
    return false;
}

} // namespace crashreport
