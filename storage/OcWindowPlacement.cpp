#include "OcWindowPlacement.h"

#include "OcBCLUtils.h"

#include "core/SysUtils.h"
#include "windows/Application.h"
#include "windows/Screen.h"

#include <windows.h>

#include <optional>
#include <utility>

namespace storage {

using namespace classlib;

CLASSLIB_DEFINE_ENUM(TPlacementOption, "fpState", "fpSize", "fpLocation", "fpActiveControl")

namespace {

bool OnlyActiveControl(TPlacementOptions options)
{
    return options == TPlacementOptions{fpActiveControl};
}

// The window state a saved show command asks for; none for the commands that keep the state
// the form starts with (hide, show without activating, ...).
std::optional<TWindowState> WindowStateOfShowCommand(int showCmd)
{
    static const std::pair<int, TWindowState> states[] = {
        {SW_SHOWNORMAL, wsNormal},       {SW_SHOW, wsNormal},
        {SW_RESTORE, wsNormal},          {SW_SHOWMINIMIZED, wsMinimized},
        {SW_MINIMIZE, wsMinimized},      {SW_SHOWMINNOACTIVE, wsMinimized},
        {SW_SHOWMAXIMIZED, wsMaximized},
    };
    for (const auto& [command, state] : states)
        if (command == showCmd)
            return state;
    return std::nullopt;
}

bool IsMainForm(TCustomForm* form)
{
    return Application && (Application->MainForm() == nullptr || Application->MainForm() == form);
}

int CurrentPixelsPerInch()
{
    return Screen ? Screen->PixelsPerInch() : 96;
}

// A hand-edited file may hold anything: what does not read as a number keeps the default.
int LoadIntegerOr(TOcCustomAppStorage* storage, const std::string& path, int fallback)
{
    try {
        return storage->LoadInteger(path, fallback);
    } catch (const EConvertError&) {
        return fallback;
    }
}

int WordOr(const std::string& text, int n, int fallback)
{
    return StrToIntDef(bcl::ExtractWord(n, text, " ,"), fallback);
}

// True when the rectangle lies at least partly on some monitor and is no larger than the
// platform lets any window grow (the maximum tracking size spans all screens), so that it can
// have come from a real window.
bool FitsOnTheScreens(const RECT& r)
{
    return MonitorFromRect(&r, MONITOR_DEFAULTTONULL) != nullptr &&
           int64_t{r.right} - r.left <= GetSystemMetrics(SM_CXMAXTRACK) &&
           int64_t{r.bottom} - r.top <= GetSystemMetrics(SM_CYMAXTRACK);
}

} // namespace

std::string ScreenSizeSuffix()
{
    return Format("(%dx%d)", {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

void WritePositionText(TOcCustomAppStorage* storage, const std::string& keyPath,
                       const std::string& text)
{
    storage->StoreString(keyPath + ScreenSizeSuffix(), text);
    storage->StoreString(keyPath, text);
}

std::string ReadPositionText(TOcCustomAppStorage* storage, const std::string& keyPath)
{
    const std::string sized = keyPath + ScreenSizeSuffix();
    if (storage->HasStoredValue(sized))
        return storage->LoadString(sized, std::string());
    return storage->LoadString(keyPath, std::string());
}

bool IsApplicationMinimized()
{
    return Application && Application->Handle() && IsIconic(Application->Handle());
}

void ChangeFormPosition(TCustomForm* form, TPosition position)
{
    // The class library applies Position when the window is placed, so setting it does not
    // recreate the window.
    form->SetPosition(position);
}

void StoreWindowPlacement(TCustomForm* form, TOcCustomAppStorage* storage, const std::string& path,
                          TPlacementOptions options)
{
    if (OnlyActiveControl(options) || !form || !storage)
        return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(form->Handle(), &placement);
    if (IsMainForm(form) && IsApplicationMinimized())
        placement.showCmd = SW_SHOWMINIMIZED;
    if (form->FormStyle() == fsMDIChild && form->WindowState() == wsMinimized)
        placement.flags |= WPF_SETMINPOSITION;
    if (options.Contains(fpState))
        storage->StoreInteger(JoinStoragePaths({path, "ShowCmd"}),
                              static_cast<int>(placement.showCmd));
    if (!options.Contains(fpSize) && !options.Contains(fpLocation))
        return;
    storage->StoreInteger(JoinStoragePaths({path, "Flags"}), static_cast<int>(placement.flags));
    storage->StoreInteger(JoinStoragePaths({path, "PixelsPerInch"}), CurrentPixelsPerInch());
    WritePositionText(storage, JoinStoragePaths({path, "MinMaxPos"}),
                      Format("%d,%d,%d,%d", {static_cast<int>(placement.ptMinPosition.x),
                                             static_cast<int>(placement.ptMinPosition.y),
                                             static_cast<int>(placement.ptMaxPosition.x),
                                             static_cast<int>(placement.ptMaxPosition.y)}));
    WritePositionText(storage, JoinStoragePaths({path, "NormPos"}),
                      Format("%d,%d,%d,%d", {static_cast<int>(placement.rcNormalPosition.left),
                                             static_cast<int>(placement.rcNormalPosition.top),
                                             static_cast<int>(placement.rcNormalPosition.right),
                                             static_cast<int>(placement.rcNormalPosition.bottom)}));
}

void LoadWindowPlacement(TCustomForm* form, TOcCustomAppStorage* storage, const std::string& path,
                         TPlacementOptions options)
{
    if (OnlyActiveControl(options) || !form || !storage)
        return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(form->Handle(), &placement);
    if (!IsWindowVisible(form->Handle()))
        placement.showCmd = SW_HIDE;

    if (options.Contains(fpSize) || options.Contains(fpLocation)) {
        bool found = false;
        placement.flags = static_cast<UINT>(LoadIntegerOr(
            storage, JoinStoragePaths({path, "Flags"}), static_cast<int>(placement.flags)));
        std::string text = ReadPositionText(storage, JoinStoragePaths({path, "MinMaxPos"}));
        if (!text.empty()) {
            found = true;
            if (options.Contains(fpLocation)) {
                placement.ptMinPosition.x = WordOr(text, 1, 0);
                placement.ptMinPosition.y = WordOr(text, 2, 0);
            }
            if (options.Contains(fpSize)) {
                placement.ptMaxPosition.x = WordOr(text, 3, 0);
                placement.ptMaxPosition.y = WordOr(text, 4, 0);
            }
        }
        text = ReadPositionText(storage, JoinStoragePaths({path, "NormPos"}));
        RECT& r = placement.rcNormalPosition;
        if (!text.empty()) {
            found = true;
            const bool location = options.Contains(fpLocation);
            r.left = location ? WordOr(text, 1, form->Left()) : form->Left();
            r.top = location ? WordOr(text, 2, form->Top()) : form->Top();
            if (options.Contains(fpSize)) {
                // The stored width and height at the new left and top. A missing or unreadable
                // corner keeps the form's current size. In 64 bits, so that overflowing values
                // cannot wrap into a plausible rectangle.
                const int storedLeft = WordOr(text, 1, form->Left());
                const int storedTop = WordOr(text, 2, form->Top());
                const int64_t right =
                    int64_t{WordOr(text, 3, storedLeft + form->Width())} + r.left - storedLeft;
                const int64_t bottom =
                    int64_t{WordOr(text, 4, storedTop + form->Height())} + r.top - storedTop;
                if (right > INT32_MAX || right < INT32_MIN || bottom > INT32_MAX ||
                    bottom < INT32_MIN)
                    found = false;
                r.right = static_cast<LONG>(right);
                r.bottom = static_cast<LONG>(bottom);
            } else if (location) {
                r.right = r.left + form->Width();
                r.bottom = r.top + form->Height();
            }
        }
        if (found)
            found = LoadIntegerOr(storage, JoinStoragePaths({path, "PixelsPerInch"}),
                                  CurrentPixelsPerInch()) == CurrentPixelsPerInch();
        // A damaged file must not put the window where no screen shows it, nor make it larger than
        // the screens.
        if (found && r.left < r.right && r.top < r.bottom && FitsOnTheScreens(r)) {
            if (!form->ComponentState().Contains(csDesigning)) {
                const TPosition position = form->Position();
                if (options.Contains(fpSize) && options.Contains(fpLocation))
                    ChangeFormPosition(form, poDesigned);
                else if (options.Contains(fpSize)) {
                    if (position == poDefault)
                        ChangeFormPosition(form, poDefaultPosOnly);
                } else if (position == poDefault)
                    ChangeFormPosition(form, poDefaultSizeOnly);
                else if (position != poDesigned)
                    ChangeFormPosition(form, poDesigned);
            }
            SetWindowPlacement(form->Handle(), &placement);
        }
    }

    if (options.Contains(fpState)) {
        const bool mainForm = IsMainForm(form);
        const TFormStyle style = form->FormStyle();
        TWindowState state = wsNormal;
        if (mainForm &&
            (style == fsMDIForm || (style == fsNormal && form->Position() == poDefault)))
            state = wsMaximized;
        const int showCmd = LoadIntegerOr(storage, JoinStoragePaths({path, "ShowCmd"}), 0);
        if (const auto saved = WindowStateOfShowCommand(showCmd))
            state = *saved;
        if (state == wsMinimized && mainForm) {
            // The form shows normally; the application then minimizes as a whole.
            form->SetWindowStateField(wsNormal);
            if (Application && Application->Handle())
                PostMessageA(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
            return;
        }
        if (style == fsMDIChild || style == fsMDIForm)
            form->SetWindowStateField(state);
    }
    form->Update();
}

} // namespace storage
