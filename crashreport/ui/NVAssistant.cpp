#include "NVAssistant.h"

#include "AssistantHandlers.h"
#include "NVBitmap.h"
#include "QorStrings.h"
#include "WizardFormResource.h"

#include <algorithm>

namespace crashui {

namespace {

using classlib::TGUID;
using classlib::TInterfacePtr;

constexpr char kPageProperty[] = "qorNVAssistantPage";
constexpr UINT_PTR kPageTimer = 777;

class TNVForm;

COLORREF Sys(int index)
{
    return GetSysColor(index);
}

HFONT WizardFont(const char* name, int size, bool bold)
{
    HFONT font =
        CreateFontA(-size, 0, 0, 0, bold ? 700 : 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, name);
    return font ? font
                : CreateFontA(-size, 0, 0, 0, bold ? 700 : 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                              0, "MS Sans Serif");
}

SIZE TextSize(HDC dc, const std::string& text, int width, int height)
{
    SIZE size{};
    if (!GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size))
        return {width, height};
    return size;
}

void FillCorners(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour)
{
    RECT r{x1, y1, x2 + 1, y2 + 1};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void FillBox(HDC dc, RECT r, int inflation, COLORREF colour)
{
    InflateRect(&r, inflation, inflation);
    FillCorners(dc, r.left, r.top, r.right - 1, r.bottom - 1, colour);
}

void FrameBox(HDC dc, int x1, int y1, int x2, int y2, COLORREF pen, COLORREF background,
              int penStyle, int thickness)
{
    HPEN line = CreatePen(penStyle, 1, pen);
    HGDIOBJ previous = SelectObject(dc, line);
    SetBkColor(dc, background);
    SetBkMode(dc, OPAQUE);
    for (int k = 0; k < thickness; ++k) {
        MoveToEx(dc, x1, y1 + k, nullptr);
        LineTo(dc, x2 + 1, y1 + k);
        MoveToEx(dc, x1 + k, y1, nullptr);
        LineTo(dc, x1 + k, y2 + 1);
        MoveToEx(dc, x2, y2 - k, nullptr);
        LineTo(dc, x1 - 1, y2 - k);
        MoveToEx(dc, x2 - k, y2, nullptr);
        LineTo(dc, x2 - k, y1 - 1);
    }
    SelectObject(dc, previous);
    DeleteObject(line);
}

void DrawWizardText(HDC dc, int x, int y, const std::string& text, const char* fontName, int size,
                    bool bold, bool halo, COLORREF colour, int boxWidth, int boxHeight)
{
    HFONT font = WizardFont(fontName, size, bold);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE extent{};
    if (boxWidth != 0 &&
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent)) {
        x += (boxWidth - extent.cx) / 2;
        y += (boxHeight - extent.cy) / 2;
    }
    SetBkMode(dc, TRANSPARENT);
    const int length = static_cast<int>(text.size());
    if (halo) {
        SetTextColor(dc, RGB(255, 255, 255));
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (dx || dy)
                    TextOutA(dc, x + dx, y + dy, text.c_str(), length);
    }
    SetTextColor(dc, colour);
    TextOutA(dc, x, y, text.c_str(), length);
    SelectObject(dc, previous);
    DeleteObject(font);
}

// ---- items ------------------------------------------------------------------------------------

class TNVItem : public classlib::TInterfacedObject {
public:
    TNVForm* form = nullptr;
    std::string name;
    HWND handle = nullptr;
    bool tabStop = false;
    bool enabled = true;
    bool forcedDisabled = false;
    int32_t spacing = 0;
    TNVItem* previous = nullptr;
    TNVItem* next = nullptr;
    int32_t index = 0;
    RECT rect{};
    uint8_t outputType = 0;
    std::string outputName;

    virtual TWizardItemKind Kind() const = 0;
    virtual INVItem* AsItem() = 0;
    virtual void ApplyProperty(const std::string& property, const std::string& value)
    {
        if (property == "Spacing")
            spacing = WizardInteger(value);
        else if (property == "Enabled")
            enabled = WizardBoolean(value);
        else if (property == "OutputType")
            outputType = WizardOutputType(value);
        else if (property == "OutputName")
            outputName = value;
    }
    virtual void Place(int& x, int& y, HDC dc, int pageWidth) = 0;
    virtual void PaintOnForm(HDC) {}
    virtual void DrawOwner(HDC, UINT, const RECT&) {}
    virtual bool AllowsContinue() { return true; }
    virtual bool IsHeadLabel() const { return false; }

    void SetItemEnabled(bool value)
    {
        enabled = value;
        if (handle)
            EnableWindow(handle, enabled && !forcedDisabled);
    }
    void TakeItemFocus();

protected:
    void CreateItemWindow(const char* windowClass, DWORD style, const std::string& text, int x,
                          int y);
    void PlaceBase(int& x, int& y);
};

template <class TKind>
class TNVItemOf : public TNVItem, public TKind {
public:
    CLASSLIB_IINTERFACE_OF(TNVItem)
    bool GetInterface(const TGUID& iid, void** obj) override
    {
        if (iid == TKind::IID || iid == INVItem::IID) {
            *obj = static_cast<TKind*>(this);
            return true;
        }
        return TNVItem::GetInterface(iid, obj);
    }
    INVItem* AsItem() override { return static_cast<TKind*>(this); }
    std::string Name() const override { return name; }
    uintptr_t Handle() const override { return reinterpret_cast<uintptr_t>(handle); }
    bool TabStop() const override { return tabStop; }
    int32_t Spacing() const override { return spacing; }
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool value) override { SetItemEnabled(value); }
    void TakeFocus() override { TakeItemFocus(); }
};

class TNVButton : public TNVItemOf<INVButton> {
public:
    int32_t minWidth = 0;
    std::string caption;
    bool noOwnerDraw = false;
    bool invisible = false;

    TNVButton() { tabStop = true; }
    TWizardItemKind Kind() const override { return TWizardItemKind::button; }
    std::string Caption() const override { return caption.empty() ? name : caption; }
    void SetCaption(const std::string& value) override { caption = value; }
    int32_t MinWidth() const override { return minWidth; }
    void ApplyProperty(const std::string& property, const std::string& value) override
    {
        if (property == "MinWidth")
            minWidth = WizardInteger(value);
        else if (property == "Caption")
            caption = value;
        else if (property == "NoOwnerDraw")
            noOwnerDraw = WizardBoolean(value);
        else if (property == "Visible")
            invisible = !WizardBoolean(value);
        else
            TNVItem::ApplyProperty(property, value);
    }
    void Place(int& x, int& y, HDC dc, int) override
    {
        const SIZE size = TextSize(dc, Caption(), 0, 13);
        rect = {0, 0, std::max({size.cx + 32, 70L, static_cast<LONG>(minWidth)}), size.cy + 10};
        CreateItemWindow("Button", BS_NOTIFY | WS_TABSTOP, Caption(), x, y);
        PlaceBase(x, y);
    }
    void DrawOwner(HDC dc, UINT state, const RECT& r) override;
};

class TNVLabel : public TNVItemOf<INVLabel> {
public:
    std::string caption;
    int oneLineHeight = 0;

    TWizardItemKind Kind() const override { return TWizardItemKind::label; }
    std::string Caption() const override { return caption.empty() ? name : caption; }
    void SetCaption(const std::string& value) override { caption = value; }
    void ApplyProperty(const std::string& property, const std::string& value) override
    {
        if (property == "Caption")
            caption = value;
        else
            TNVItem::ApplyProperty(property, value);
    }
    void Place(int& x, int& y, HDC dc, int pageWidth) override
    {
        y -= 2;
        RECT measured{0, 0, pageWidth - 46, 0};
        const std::string text = Caption();
        DrawTextA(dc, text.c_str(), -1, &measured, DT_CALCRECT | DT_WORDBREAK);
        rect = {0, 0, measured.right, measured.bottom};
        oneLineHeight = TextSize(dc, text, 0, 0).cy;
        CreateItemWindow("Static", SS_LEFT, text, x, y);
        PlaceBase(x, y);
    }
    bool IsHeadLabel() const override
    {
        const std::string text = Caption();
        return !text.empty() && (text.back() == ':' || text.back() == '?') &&
               rect.bottom - rect.top == oneLineHeight;
    }
};

class TNVEdit : public TNVItemOf<INVEdit> {
public:
    int32_t lines = 0;
    bool optional = false;
    std::string text;
    bool notColoured = false;
    bool notValid = false;

    TNVEdit() { tabStop = true; }
    TWizardItemKind Kind() const override { return TWizardItemKind::edit; }
    int32_t Lines() const override { return lines; }
    bool Optional() const override { return optional; }
    std::string Text() override
    {
        if (handle) {
            std::string current(
                static_cast<size_t>(SendMessageA(handle, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
            current.resize(static_cast<size_t>(SendMessageA(
                handle, WM_GETTEXT, current.size(), reinterpret_cast<LPARAM>(current.data()))));
            text = current;
        }
        return text;
    }
    void SetText(const std::string& value) override;
    bool Colored() const override { return !notColoured; }
    void SetColored(bool value) override
    {
        notColoured = !value;
        if (handle)
            InvalidateRect(handle, nullptr, TRUE);
    }
    bool Valid() const override { return !notValid; }
    void SetValid(bool value) override;
    uint8_t OutputType() const override { return outputType; }
    void SetOutputType(uint8_t type) override
    {
        if (type == 0 || (type == 1 && lines > 1))
            outputType = type;
    }
    std::string OutputName() const override { return outputName; }
    void SetOutputName(const std::string& value) override { outputName = value; }
    void ApplyProperty(const std::string& property, const std::string& value) override
    {
        if (property == "Text") {
            text = value;
            qor::SubstText(text, "%lf%", "\r\n", false);
        } else if (property == "Lines") {
            lines = WizardInteger(value);
        } else if (property == "Optional") {
            optional = WizardBoolean(value);
        } else if (property == "Colored") {
            notColoured = !WizardBoolean(value);
        } else if (property == "Valid") {
            notValid = !WizardBoolean(value);
        } else {
            TNVItem::ApplyProperty(property, value);
        }
    }
    void Place(int& x, int& y, HDC dc, int pageWidth) override
    {
        const int lineHeight = TextSize(dc, "Gg", 0, 13).cy;
        rect = {0, 0, pageWidth - 46, (lines > 1 ? lineHeight * lines : lineHeight) + 2};
        DWORD style = WS_TABSTOP | ES_AUTOHSCROLL;
        if (lines > 1)
            style = WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL;
        CreateItemWindow("Edit", style, text, x + 2, y + 2);
        InflateRect(&rect, 2, 2); // room for the frame painted around the edit
        PlaceBase(x, y);
    }
    void PaintOnForm(HDC dc) override
    {
        const COLORREF light = LightFaceColour(Sys(COLOR_BTNFACE));
        if (handle && GetFocus() == handle) {
            FillBox(dc, rect, 1, Sys(COLOR_BTNSHADOW));
            FillCorners(dc, rect.left - 1, rect.bottom, rect.right, rect.bottom, Sys(COLOR_WINDOW));
            FillCorners(dc, rect.right, rect.top - 1, rect.right, rect.bottom, Sys(COLOR_WINDOW));
            FillBox(dc, rect, 0, Sys(COLOR_BTNFACE));
            FillBox(dc, rect, -1, Sys(COLOR_WINDOW));
        } else {
            FillBox(dc, rect, 0, light);
        }
    }
    bool AllowsContinue() override { return optional || (!notValid && !Text().empty()); }
};

class TNVCheckBox : public TNVItemOf<INVCheckBox> {
public:
    std::string caption;
    bool checked = false;

    TNVCheckBox() { tabStop = true; }
    TWizardItemKind Kind() const override { return TWizardItemKind::checkBox; }
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& value) override { caption = value; }
    bool Checked() const override { return checked; }
    void SetChecked(bool value) override
    {
        checked = value;
        if (handle)
            InvalidateRect(handle, nullptr, TRUE);
    }
    std::string OutputName() const override { return outputName; }
    void SetOutputName(const std::string& value) override { outputName = value; }
    void ApplyProperty(const std::string& property, const std::string& value) override
    {
        if (property == "Caption" || property == "Text")
            caption = value;
        else if (property == "Checked")
            checked = WizardBoolean(value);
        else
            TNVItem::ApplyProperty(property, value);
    }
    void Place(int& x, int& y, HDC dc, int) override
    {
        const SIZE size = TextSize(dc, caption, 0, 13);
        rect = {0, 0, size.cx + GetSystemMetrics(SM_CXMENUCHECK) + 8,
                std::max(static_cast<int>(size.cy), GetSystemMetrics(SM_CYMENUCHECK))};
        CreateItemWindow("Button", BS_OWNERDRAW | BS_NOTIFY | WS_TABSTOP, caption, x, y);
        if (checked && handle)
            SendMessageA(handle, BM_SETCHECK, 1, 0);
        PlaceBase(x, y);
    }
    void DrawOwner(HDC dc, UINT state, const RECT& r) override
    {
        FillBox(dc, r, 0, Sys(COLOR_BTNFACE));
        const int side = r.bottom - r.top;
        const RECT box{r.left, r.top, r.left + side, r.bottom};
        const bool disabled = (state & ODS_DISABLED) != 0;
        if ((state & ODS_SELECTED) || disabled) {
            FillBox(dc, box, 0, LightFaceColour(Sys(COLOR_BTNFACE)));
            FillBox(dc, box, -2, Sys(COLOR_BTNFACE));
        } else {
            FillBox(dc, box, 0, Sys(COLOR_WINDOW));
        }
        const COLORREF mark = disabled ? Sys(COLOR_BTNSHADOW) : Sys(COLOR_WINDOWTEXT);
        if (checked)
            DrawWizardText(dc, box.left, box.top - 1, "a", "Marlett", 13, false, false, mark, side,
                           side);
        const int textLeft = r.left + side + 4;
        if (disabled)
            DrawWizardText(dc, textLeft + 2, r.top + 1, caption, "Tahoma", 11, false, false,
                           Sys(COLOR_WINDOW), 0, 0);
        DrawWizardText(dc, textLeft + 1, r.top, caption, "Tahoma", 11, false, false, mark, 0, 0);
        if (state & ODS_FOCUS) {
            RECT focus{textLeft, r.top, r.right - 2, r.bottom};
            DrawFocusRect(dc, &focus);
        }
    }
};

class TNVImage : public TNVItemOf<INVImage> {
public:
    std::string file;
    TInterfacePtr<INVBitmap> bitmap;
    bool clickable = false;
    bool border = false;

    TWizardItemKind Kind() const override { return TWizardItemKind::image; }
    std::string File() const override { return file; }
    TInterfacePtr<INVBitmap> Bitmap() const override { return bitmap; }
    void SetBitmap(TInterfacePtr<INVBitmap> value) override;
    bool Clickable() const override { return clickable; }
    bool Border() const override { return border; }
    int32_t Width() const override { return rect.right - rect.left; }
    int32_t Height() const override { return rect.bottom - rect.top; }
    int Allowance() const { return (clickable ? 6 : 0) + (border ? 2 : 0); }
    void ApplyProperty(const std::string& property, const std::string& value) override
    {
        if (property == "Width")
            rect.right = WizardInteger(value);
        else if (property == "Height")
            rect.bottom = WizardInteger(value);
        else if (property == "File")
            file = value;
        else if (property == "Clickable")
            clickable = WizardBoolean(value);
        else if (property == "Border")
            border = WizardBoolean(value);
        else
            TNVItem::ApplyProperty(property, value);
    }
    void Place(int& x, int& y, HDC, int pageWidth) override
    {
        const int a = Allowance();
        if (!bitmap && !file.empty())
            bitmap = BitmapFromFile(file);
        int width = rect.right ? rect.right : bitmap ? bitmap->Width() : 32;
        int height = rect.bottom ? rect.bottom : bitmap ? bitmap->Height() : 32;
        width = std::min(width, pageWidth - a - 42);
        height = std::min(height, GetSystemMetrics(SM_CYSCREEN) / 3);
        if (bitmap && (bitmap->Width() != width || bitmap->Height() != height)) {
            if (TInterfacePtr<INVBitmap> fitted = bitmap->FitInto(width, height)) {
                bitmap = fitted;
                width = bitmap->Width();
                height = bitmap->Height();
            }
        }
        rect = {x, y, x + width + a, y + height + a};
        PlaceBase(x, y);
    }
    void PaintOnForm(HDC dc) override
    {
        RECT rest = rect;
        if (clickable) {
            FrameBox(dc, rest.left, rest.top, rest.right - 1, rest.bottom - 1,
                     LightFaceColour(Sys(COLOR_BTNFACE)), Sys(COLOR_BTNFACE), PS_SOLID, 2);
            InflateRect(&rest, -3, -3);
        }
        if (!bitmap) {
            FillBox(dc, rest, 0, Sys(COLOR_BTNFACE));
            return;
        }
        if (border) {
            FrameBox(dc, rest.left, rest.top, rest.right - 1, rest.bottom - 1,
                     Sys(COLOR_WINDOWTEXT), Sys(COLOR_BTNFACE), PS_SOLID, 1);
            InflateRect(&rest, -1, -1);
        }
        const int right = rest.left + bitmap->Width();
        const int bottom = rest.top + bitmap->Height();
        if (right < rest.right)
            FillCorners(dc, right, rest.top, rest.right - 1, rest.bottom - 1, Sys(COLOR_BTNFACE));
        if (bottom < rest.bottom)
            FillCorners(dc, rest.left, bottom, rest.right - 1, rest.bottom - 1, Sys(COLOR_BTNFACE));
        bitmap->PaintTo(dc, rest.left, rest.top);
    }
};

// ---- pages ------------------------------------------------------------------------------------

class TNVAssistant;

class TNVForm : public classlib::TInterfacedObject, public INVForm {
public:
    CLASSLIB_IINTERFACE_OF(TInterfacedObject)
    bool GetInterface(const TGUID& iid, void** obj) override
    {
        return classlib::GetInterfaceOf<INVForm>(this, iid, obj) ||
               TInterfacedObject::GetInterface(iid, obj);
    }

    TNVForm(TNVAssistant* assistant, int32_t stepCount, int32_t stepNumber, void* exception,
            const std::string& resource, const std::string& title);
    ~TNVForm() override
    {
        if (font_)
            DeleteObject(font_);
    }

    INVWizard* Assistant() const override;
    std::string Name() const override { return name_; }
    std::string Title() const override { return title_; }
    void SetTitle(const std::string& title) override { title_ = title; }
    std::string Message() const override { return message_; }
    void SetMessage(const std::string& message) override { message_ = message; }
    int32_t ItemCount() const override { return static_cast<int32_t>(items_.size()); }
    TInterfacePtr<INVItem> Item(int32_t index) const override
    {
        if (index < 0 || index >= ItemCount())
            return nullptr;
        return items_[static_cast<size_t>(index)]->AsItem();
    }
    TInterfacePtr<INVButton> ContinueBtn() const override { return ButtonAt(0); }
    TInterfacePtr<INVButton> SkipBtn() const override { return ButtonAt(1); }
    TInterfacePtr<INVButton> CancelBtn() const override { return ButtonAt(2); }
    std::string ActiveControl() const override { return activeControl_; }
    void SetActiveControl(const std::string& name) override { activeControl_ = name; }
    int32_t Timer() const override { return timer_; }
    uintptr_t Handle() const override { return reinterpret_cast<uintptr_t>(window_); }
    uint8_t ModalResult() const override { return modalResult_; }
    TNVAction OnAction() const override { return onAction_; }
    void SetOnAction(TNVAction action) override { onAction_ = action; }
    TInterfacePtr<INVEdit> EditByName(const std::string& name) const override
    {
        return ByName<INVEdit>(name);
    }
    TInterfacePtr<INVLabel> LabelByName(const std::string& name) const override
    {
        return ByName<INVLabel>(name);
    }
    TInterfacePtr<INVButton> ButtonByName(const std::string& name) const override
    {
        return ByName<INVButton>(name);
    }
    TInterfacePtr<INVCheckBox> CheckBoxByName(const std::string& name) const override
    {
        return ByName<INVCheckBox>(name);
    }
    TInterfacePtr<INVImage> ImageByName(const std::string& name) const override
    {
        return ByName<INVImage>(name);
    }
    void Suppress() override { suppressed_ = true; }
    uint8_t RunModal(uintptr_t parent) override;
    void* ReportedException() const override { return exception_; }
    void SetReportedException(void* exception) override { exception_ = exception; }
    uint32_t UserData() const override { return userData_; }
    void SetUserData(uint32_t data) override { userData_ = data; }

    void FireAction(uint8_t action, TNVItem* item);
    void CheckContinue();
    HFONT PageFont() const { return font_; }
    HWND Window() const { return window_; }

private:
    template <class I>
    TInterfacePtr<I> ByName(const std::string& name) const
    {
        for (const auto& item : items_) {
            if (item->name != name)
                continue;
            TInterfacePtr<I> found = TInterfacePtr<INVItem>(item->AsItem()).Query<I>();
            if (found)
                return found;
        }
        return nullptr;
    }
    TInterfacePtr<INVButton> ButtonAt(size_t index) const
    {
        return static_cast<TNVButton*>(items_[index].Get());
    }
    TNVButton* PageButton(size_t index) const
    {
        return static_cast<TNVButton*>(items_[index].Get());
    }
    void Append(TNVItem* item);
    void ApplyPageProperty(const std::string& property, const std::string& value);
    TNVItem* ItemOfWindow(HWND window) const;
    TNVItem* ImageAt(int x, int y) const;
    void MoveFocus(TNVItem* from, bool forward);
    void PaintBackground(HDC dc);
    void ClosePage(uint8_t result, bool keepTexts);
    static LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    TNVAssistant* assistant_;
    std::string name_;
    std::string title_;
    std::string message_;
    int32_t stepNumber_;
    int32_t stepCount_;
    std::vector<TInterfacePtr<TNVItem>> items_;
    TNVAction onAction_ = nullptr;
    HWND window_ = nullptr;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    HFONT font_ = nullptr;
    int32_t minWidth_ = 0;
    HWND lastFocus_ = nullptr;
    std::string activeControl_;
    int32_t timer_ = 0;
    TNVItem* capturedImage_ = nullptr;
    uint8_t modalResult_ = 0;
    void* exception_;
    uint32_t userData_ = 0;
    bool suppressed_ = false;
};

class TNVAssistant : public classlib::TInterfacedObject, public INVWizard {
public:
    CLASSLIB_IINTERFACE_OF(TInterfacedObject)
    bool GetInterface(const TGUID& iid, void** obj) override
    {
        return classlib::GetInterfaceOf<INVWizard>(this, iid, obj) ||
               TInterfacedObject::GetInterface(iid, obj);
    }
    TNVAssistant(const std::string& title, const std::vector<std::string>& resources,
                 void* exception)
        : title_(title), exception_(exception)
    {
        const auto count = static_cast<int32_t>(resources.size());
        for (int32_t k = 0; k < count; ++k) {
            pages_.push_back(new TNVForm(this, count, k + 1, exception,
                                         resources[static_cast<size_t>(k)], title));
            // Held by the wizard now, so that the callbacks may take and drop references.
            pages_.back()->FireAction(kActionCreated, nullptr);
        }
    }
    std::string Title() const override { return title_; }
    void SetTitle(const std::string& title) override
    {
        title_ = title;
        for (const auto& page : pages_)
            page->SetTitle(title);
    }
    int32_t FormCount() const override { return static_cast<int32_t>(pages_.size()); }
    TInterfacePtr<INVForm> Form(int32_t index) const override
    {
        if (index < 0 || index >= FormCount())
            return nullptr;
        return pages_[static_cast<size_t>(index)].Get();
    }
    TInterfacePtr<INVForm> FormByName(const std::string& name) const override
    {
        TInterfacePtr<INVForm> found;
        for (const auto& page : pages_)
            if (qor::TextMatches(page->Name(), name))
                found = page.Get();
        return found;
    }
    uint8_t ModalResult() const override { return modalResult_; }
    TNVAction OnAction() const override { return onAction_; }
    void SetOnAction(TNVAction action) override { onAction_ = action; }
    uint8_t RunModal(uintptr_t parent) override
    {
        HWND parentWindow = reinterpret_cast<HWND>(parent);
        if (parentWindow)
            EnableWindow(parentWindow, FALSE);
        bool cancelled = false;
        for (const auto& page : pages_) {
            if (page->RunModal(0) == kResultCancelled) {
                cancelled = true;
                break;
            }
        }
        if (parentWindow)
            EnableWindow(parentWindow, TRUE);
        modalResult_ = cancelled ? kResultCancelled : kResultContinued;
        return modalResult_;
    }
    void* ReportedException() const override { return exception_; }
    void SetReportedException(void* exception) override { exception_ = exception; }
    uint32_t UserData() const override { return userData_; }
    void SetUserData(uint32_t data) override { userData_ = data; }

private:
    std::string title_;
    std::vector<TInterfacePtr<TNVForm>> pages_;
    uint8_t modalResult_ = 0;
    TNVAction onAction_ = nullptr;
    void* exception_;
    uint32_t userData_ = 0;
};

// ---- item operations that need the page -------------------------------------------------------

void TNVItem::TakeItemFocus()
{
    if (!handle)
        return;
    SetFocus(handle);
    if (Kind() == TWizardItemKind::edit)
        SendMessageA(handle, EM_SETSEL, 0, -1);
}

void TNVItem::CreateItemWindow(const char* windowClass, DWORD style, const std::string& text, int x,
                               int y)
{
    OffsetRect(&rect, x - rect.left, y - rect.top);
    handle = CreateWindowExA(0, windowClass, text.c_str(), WS_CHILD | style, rect.left, rect.top,
                             rect.right - rect.left, rect.bottom - rect.top, form->Window(),
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    if (handle && !enabled)
        EnableWindow(handle, FALSE);
}

void TNVItem::PlaceBase(int&, int& y)
{
    y = rect.bottom;
    if (handle) {
        SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(form->PageFont()), 0);
        ShowWindow(handle, SW_SHOW);
    }
}

void TNVEdit::SetText(const std::string& value)
{
    text = value;
    const std::string shown = Text();
    if (handle && shown != value) {
        text = value;
        SendMessageA(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
    }
    form->FireAction(kActionItem, this);
}

void TNVEdit::SetValid(bool value)
{
    notValid = !value;
    if (handle)
        InvalidateRect(handle, nullptr, FALSE);
    form->CheckContinue();
}

void TNVImage::SetBitmap(TInterfacePtr<INVBitmap> value)
{
    if (rect.left < 1 || !value) {
        bitmap = value;
    } else {
        const int a = Allowance();
        const int width = rect.right - rect.left - a;
        const int height = rect.bottom - rect.top - a;
        bitmap = value->Width() <= width && value->Height() <= height
                     ? value
                     : value->FitInto(width, height);
    }
    if (form->Window())
        InvalidateRect(form->Window(), &rect, FALSE);
}

void TNVButton::DrawOwner(HDC dc, UINT state, const RECT& r)
{
    // The tint by button: Continue green, Skip blue, any other red.
    COLORREF frame = RGB(0xA0, 0x80, 0x80);
    COLORREF step = 0x020201;
    if (index == 0) {
        frame = RGB(0x80, 0xA0, 0x80);
        step = 0x020102;
    } else if (index == 1) {
        frame = RGB(0x80, 0x80, 0xA0);
        step = 0x010202;
    }
    const std::string text = Caption();
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (state & ODS_DISABLED) {
        FillBox(dc, r, 0, Sys(COLOR_BTNFACE));
        FillBox(dc, r, -2, ShadeColour(Sys(COLOR_BTNFACE), 16, true));
        DrawWizardText(dc, r.left, r.top, text, "Arial", 15, false, false,
                       ShadeColour(Sys(COLOR_BTNFACE), 20, false), width, height);
    } else if (state & ODS_FOCUS) {
        FillBox(dc, r, 0, Sys(COLOR_WINDOWTEXT));
        COLORREF colour = 0;
        for (int y = r.bottom - 3; y >= r.top + 2; y -= 2) {
            FillCorners(dc, r.left + 2, y - 1, r.right - 3, y, colour);
            colour += 3 * (0x020202 - step);
        }
        FrameBox(dc, r.left + 3, r.top + 3, r.right - 4, r.bottom - 4, frame, colour, PS_DOT, 1);
        DrawWizardText(dc, r.left, r.top, text, "Arial", 15, false, false, Sys(COLOR_WINDOW), width,
                       height);
    } else {
        FillBox(dc, r, 0, Sys(COLOR_BTNSHADOW));
        FillBox(dc, r, -2, Sys(COLOR_BTNFACE));
        COLORREF colour = RGB(255, 255, 255);
        for (int y = r.top + 3, row = 0; y <= r.bottom - 4; ++y, ++row) {
            FillCorners(dc, r.left + 3, y, r.right - 4, y, colour);
            if (row % 2 == 1)
                colour -= step;
        }
        DrawWizardText(dc, r.left, r.top, text, "Arial", 15, false, true, Sys(COLOR_WINDOWTEXT),
                       width, height);
    }
}

// ---- the page ---------------------------------------------------------------------------------

TNVForm::TNVForm(TNVAssistant* assistant, int32_t stepCount, int32_t stepNumber, void* exception,
                 const std::string& resource, const std::string& title)
    : assistant_(assistant),
      title_(title),
      stepNumber_(stepNumber),
      stepCount_(stepCount),
      exception_(exception)
{
    const char* buttons[3][2] = {
        {"ContinueBtn", "Next >"}, {"SkipBtn", "Skip"}, {"CancelBtn", "Cancel"}};
    for (const auto& [name, caption] : buttons) {
        auto* button = new TNVButton;
        button->name = name;
        button->caption = caption;
        Append(button);
    }
    TNVItem* current = nullptr;
    TWizardResourceSink sink;
    sink.object = [&](const std::string& cls, const std::string& object) {
        current = nullptr;
        if (cls == "TNVButton") {
            for (size_t k = 0; k < 3 && !current; ++k)
                if (items_[k]->name == object)
                    current = items_[k].Get();
            if (!current) {
                current = new TNVButton;
                current->name = object;
                Append(current);
            }
        } else if (cls == "TNVLabel" || cls == "TNVEdit" || cls == "TNVCheckBox" ||
                   cls == "TNVImage") {
            current = cls == "TNVLabel"      ? static_cast<TNVItem*>(new TNVLabel)
                      : cls == "TNVEdit"     ? static_cast<TNVItem*>(new TNVEdit)
                      : cls == "TNVCheckBox" ? static_cast<TNVItem*>(new TNVCheckBox)
                                             : static_cast<TNVItem*>(new TNVImage);
            current->name = object;
            Append(current);
        }
        if (name_.empty() && !current)
            name_ = object;
        return current != nullptr;
    };
    sink.property = [&](bool item, const std::string& property, const std::string& value) {
        if (item && current)
            current->ApplyProperty(property, value);
        else
            ApplyPageProperty(property, value);
    };
    const TWizardResourceResult result = ReadWizardResource(resource, sink);
    if (result.invalidValueType >= 0)
        MessageBoxA(nullptr, InvalidResourceMessage(result.invalidValueType).c_str(), "qorExcept",
                    MB_OK);
}

INVWizard* TNVForm::Assistant() const
{
    return assistant_;
}

void TNVForm::Append(TNVItem* item)
{
    item->form = this;
    item->index = static_cast<int32_t>(items_.size());
    if (!items_.empty()) {
        TNVItem* last = items_.back().Get();
        TNVItem* first = items_.front().Get();
        last->next = item;
        item->previous = last;
        item->next = first;
        first->previous = item;
    } else {
        item->previous = item->next = item;
    }
    items_.emplace_back(item);
}

void TNVForm::ApplyPageProperty(const std::string& property, const std::string& value)
{
    if (property == "MinWidth")
        minWidth_ = WizardInteger(value);
    else if (property == "Message")
        message_ = value;
    else if (property == "ActiveControl")
        activeControl_ = value;
    else if (property == "Timer")
        timer_ = WizardInteger(value);
    // "OnAction": the contact and screenshot handlers by their names, other routines from the
    // program's debug information; an unresolved name leaves the page without a callback.
    else if (property == "OnAction")
        onAction_ = AssistantHandlerByName(value);
}

void TNVForm::FireAction(uint8_t action, TNVItem* item)
{
    INVItem* itemInterface = item ? item->AsItem() : nullptr;
    if (onAction_)
        onAction_(*this, action, itemInterface, exception_);
    if (assistant_ && assistant_->OnAction())
        assistant_->OnAction()(*this, action, itemInterface, assistant_->ReportedException());
}

void TNVForm::CheckContinue()
{
    TNVButton* continueButton = PageButton(0);
    bool allowed = true;
    for (size_t k = 3; k < items_.size(); ++k)
        allowed = allowed && items_[k]->AllowsContinue();
    continueButton->forcedDisabled = !allowed;
    continueButton->SetItemEnabled(continueButton->enabled);
}

TNVItem* TNVForm::ItemOfWindow(HWND window) const
{
    for (const auto& item : items_)
        if (item->handle && item->handle == window)
            return item.Get();
    return nullptr;
}

TNVItem* TNVForm::ImageAt(int x, int y) const
{
    for (const auto& item : items_) {
        auto* image = dynamic_cast<TNVImage*>(item.Get());
        if (image && image->clickable && image->rect.left < x && x <= image->rect.right &&
            image->rect.top < y && y <= image->rect.bottom)
            return image;
    }
    return nullptr;
}

void TNVForm::MoveFocus(TNVItem* from, bool forward)
{
    if (!from)
        return;
    for (TNVItem* item = forward ? from->next : from->previous; item && item != from;
         item = forward ? item->next : item->previous) {
        if (item->enabled && item->tabStop && item->handle && IsWindowEnabled(item->handle)) {
            item->TakeItemFocus();
            return;
        }
    }
}

uint8_t TNVForm::RunModal(uintptr_t parent)
{
    if (suppressed_)
        return kResultSkipped;
    HWND parentWindow = reinterpret_cast<HWND>(parent);
    const bool disabledParent = parentWindow && IsWindowEnabled(parentWindow);
    if (disabledParent)
        EnableWindow(parentWindow, FALSE);
    auto releaseParent = [&] {
        if (disabledParent) {
            EnableWindow(parentWindow, TRUE);
            SetActiveWindow(parentWindow);
        }
    };

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.style = CS_PARENTDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kAssistantWindowClass;
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(WS_EX_DLGMODALFRAME, kAssistantWindowClass, title_.c_str(),
                              WS_CAPTION | WS_SYSMENU, 0, 0, 200, 200, parentWindow, nullptr,
                              instance, nullptr);
    if (!window_) {
        releaseParent();
        return modalResult_;
    }
    SetPropA(window_, kPageProperty, this);
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PageProc));
    HMENU menu = GetSystemMenu(window_, FALSE);
    for (UINT command : {SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE, SC_SIZE})
        DeleteMenu(menu, command, MF_BYCOMMAND);

    HDC measure = CreateCompatibleDC(nullptr);
    int32_t widths[3];
    int heights[3];
    for (size_t k = 0; k < 3; ++k) {
        TNVButton* button = PageButton(k);
        HFONT font =
            button->noOwnerDraw ? WizardFont("Tahoma", 11, false) : WizardFont("Arial", 15, false);
        HGDIOBJ previous = SelectObject(measure, font);
        widths[k] = PageButtonWidth(TextSize(measure, button->Caption(), 0, 13).cx,
                                    button->noOwnerDraw, button->invisible);
        heights[k] = button->noOwnerDraw ? 23 : 32;
        SelectObject(measure, previous);
        DeleteObject(font);
    }
    HFONT messageFont = WizardFont("Arial", 15, true);
    HGDIOBJ previousFont = SelectObject(measure, messageFont);
    const int messageWidth = TextSize(measure, message_, 0, 0).cx;
    SelectObject(measure, previousFont);
    DeleteObject(messageFont);
    clientWidth_ = PageClientWidth(widths, minWidth_, messageWidth, stepCount_);

    if (font_)
        DeleteObject(font_);
    font_ = WizardFont("Tahoma", 11, false);
    previousFont = SelectObject(measure, font_);
    int x = 21;
    int y = 40;
    std::vector<TWizardItemShape> shapes;
    for (const auto& item : items_) {
        if (item->index >= 3)
            item->Place(x, y, measure, clientWidth_);
        shapes.push_back({item->Kind(), item->IsHeadLabel(), item->spacing});
    }
    // The space after an item depends on the items around it (a head label is known only once
    // it is measured): the items move down to their places now that every one is measured.
    y = 40;
    for (size_t k = 3; k < items_.size(); ++k) {
        TNVItem* item = items_[k].Get();
        const int height = item->rect.bottom - item->rect.top;
        if (item->Kind() == TWizardItemKind::label)
            y -= 2;
        OffsetRect(&item->rect, 0, y - item->rect.top);
        if (item->handle)
            SetWindowPos(item->handle, nullptr,
                         item->rect.left + (item->Kind() == TWizardItemKind::edit ? 2 : 0),
                         item->rect.top + (item->Kind() == TWizardItemKind::edit ? 2 : 0), 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        y = item->rect.top + height + SpaceAfterItem(shapes, k);
    }
    SelectObject(measure, previousFont);
    DeleteDC(measure);
    const int continueHeight = heights[0];
    clientHeight_ = continueHeight + y + 33;

    const TPageButtonLefts lefts =
        PageButtonLefts(clientWidth_, widths, PageButton(0)->noOwnerDraw,
                        PageButton(2)->noOwnerDraw, PageButton(1)->invisible);
    const int buttonLefts[3] = {lefts.continueLeft, lefts.skipLeft, lefts.cancelLeft};
    for (size_t k = 0; k < 3; ++k) {
        TNVButton* button = PageButton(k);
        DWORD style = WS_CHILD | WS_TABSTOP | BS_NOTIFY;
        if (!button->noOwnerDraw)
            style |= BS_OWNERDRAW;
        if (!button->invisible)
            style |= WS_VISIBLE;
        button->rect = {buttonLefts[k], clientHeight_ - heights[k] - 9,
                        buttonLefts[k] + std::max(widths[k], 0), clientHeight_ - 9};
        button->handle = CreateWindowExA(
            0, "Button", button->Caption().c_str(), style, button->rect.left, button->rect.top,
            button->rect.right - button->rect.left, heights[k], window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + k)), instance, nullptr);
        SendMessageA(button->handle, WM_SETFONT, reinterpret_cast<WPARAM>(font_), 0);
        if (!button->enabled)
            EnableWindow(button->handle, FALSE);
    }
    CheckContinue();

    TNVItem* active = nullptr;
    for (const auto& item : items_)
        if (!active && !activeControl_.empty() && item->name == activeControl_)
            active = item.Get();
    if (active)
        active->TakeItemFocus();
    else
        MoveFocus(PageButton(2), true);

    RECT frame{0, 0, clientWidth_, clientHeight_};
    AdjustWindowRectEx(&frame, WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
    const int windowWidth = frame.right - frame.left;
    const int windowHeight = frame.bottom - frame.top;
    SetWindowPos(window_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - windowWidth) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - windowHeight) / 2, windowWidth, windowHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    FireAction(kActionShowing, nullptr);
    if (suppressed_) {
        // A page suppressed by its handler is never shown: its window goes, and a parent
        // disabled above is enabled again (it stayed disabled before).
        RemovePropA(window_, kPageProperty);
        DestroyWindow(window_);
        window_ = nullptr;
        releaseParent();
        return kResultSkipped;
    }

    ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOWNORMAL);
    BringWindowToTop(window_);
    SetForegroundWindow(window_);
    if (timer_ > 0)
        SetTimer(window_, kPageTimer, static_cast<UINT>(timer_), nullptr);

    MSG message;
    while (window_ && IsWindow(window_)) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1)
            break;
        if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
            if (PageButton(2)->handle && IsWindowEnabled(PageButton(2)->handle)) {
                modalResult_ = kResultCancelled;
                message.hwnd = window_;
                message.message = WM_CLOSE;
                message.wParam = 0;
                message.lParam = 0;
            }
        } else if (message.message == WM_CHAR && message.wParam == 9) {
            MoveFocus(ItemOfWindow(message.hwnd), (GetKeyState(VK_SHIFT) & 0x8000) == 0);
            continue;
        } else if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
            TNVItem* item = ItemOfWindow(message.hwnd);
            const bool multiLine = item && item->Kind() == TWizardItemKind::edit &&
                                   static_cast<TNVEdit*>(item)->lines > 1;
            if (item && item->Kind() != TWizardItemKind::button && !multiLine) {
                MoveFocus(item, true);
                continue;
            }
        }
        if (!IsDialogMessageA(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    window_ = nullptr;
    releaseParent();
    return modalResult_;
}

void TNVForm::ClosePage(uint8_t result, bool keepTexts)
{
    if (timer_) {
        KillTimer(window_, kPageTimer);
        timer_ = 0;
    }
    modalResult_ = result;
    if (keepTexts) {
        for (const auto& item : items_) {
            if (item->Kind() != TWizardItemKind::edit)
                continue;
            static_cast<TNVEdit*>(item.Get())->Text();
            item->handle = nullptr;
        }
    }
    FireAction(kActionClosed, nullptr);
    DestroyWindow(window_);
}

void TNVForm::PaintBackground(HDC dc)
{
    const COLORREF face = Sys(COLOR_BTNFACE);
    const int w = clientWidth_;
    const int top = PageButton(0)->rect.top;
    FillCorners(dc, 0, 0, w, clientHeight_, ShadeColour(face, 8, true));
    FillCorners(dc, 8, 25, w - 9, top - 10, face);
    FrameBox(dc, 8, 25, w - 9, top - 10, ShadeColour(face, 16, false), face, PS_DOT, 2);
    DrawWizardText(dc, 11, 6, message_, "Arial", 15, true, true, Sys(COLOR_3DDKSHADOW), 0, 0);
    const int x0 = StepMarkerLeft(w, stepCount_, stepNumber_);
    FillCorners(dc, x0, 2, x0 + 20, 22, Sys(COLOR_BTNSHADOW));
    FillCorners(dc, x0 + 2, 4, x0 + 18, 7, Sys(COLOR_WINDOW));
    for (int y = 7; y <= 19; ++y)
        FillCorners(dc, x0 + 2, y, x0 + 18, y + 1,
                    Sys(COLOR_WINDOW) - static_cast<COLORREF>(y - 7) * 0x020202);
    for (int i = 1; i <= stepCount_; ++i) {
        const bool current = i == stepNumber_;
        DrawWizardText(dc, StepNumberLeft(w, stepCount_, i), 4, std::to_string(i), "Arial", 15,
                       true, current, current ? Sys(COLOR_WINDOWTEXT) : Sys(COLOR_BTNSHADOW), 0, 0);
    }
}

LRESULT CALLBACK TNVForm::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* page = static_cast<TNVForm*>(GetPropA(window, kPageProperty));
    if (!page)
        return DefWindowProcA(window, message, wParam, lParam);
    return page->WindowProc(message, wParam, lParam);
}

LRESULT TNVForm::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND window = window_;
    auto defaultProc = [&] {
        return IsWindowUnicode(window) ? DefWindowProcW(window, message, wParam, lParam)
                                       : DefWindowProcA(window, message, wParam, lParam);
    };
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) {
                if (lastFocus_ && IsWindow(lastFocus_))
                    SetFocus(lastFocus_);
            } else {
                lastFocus_ = GetFocus();
            }
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            for (const auto& item : items_)
                item->PaintOnForm(dc);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            PaintBackground(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_CLOSE:
            if (timer_) {
                KillTimer(window, kPageTimer);
                timer_ = 0;
            }
            modalResult_ = kResultCancelled;
            FireAction(kActionClosed, nullptr);
            return defaultProc();
        case WM_SETCURSOR: {
            POINT point;
            GetCursorPos(&point);
            ScreenToClient(window, &point);
            if (IsWindowEnabled(window) && ImageAt(point.x, point.y)) {
                SetCursor(LoadCursor(nullptr, IDC_HAND));
                return 1;
            }
            return defaultProc();
        }
        case WM_DRAWITEM: {
            const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (TNVItem* item = ItemOfWindow(draw.hwndItem)) {
                RECT client;
                GetClientRect(draw.hwndItem, &client);
                item->DrawOwner(draw.hDC, draw.itemState, client);
            }
            return 1;
        }
        case WM_COMMAND: {
            const LRESULT result = defaultProc();
            HWND control = reinterpret_cast<HWND>(lParam);
            const UINT code = HIWORD(wParam);
            TNVItem* item = ItemOfWindow(control);
            if (code == EN_SETFOCUS || code == EN_KILLFOCUS) {
                if (item) {
                    RECT r = item->rect;
                    InflateRect(&r, 1, 1);
                    InvalidateRect(window, &r, TRUE);
                }
            } else if (code == BN_SETFOCUS && control) {
                PostMessageA(
                    control, BM_SETSTYLE,
                    static_cast<WPARAM>(GetWindowLongPtrA(control, GWL_STYLE) | BS_DEFPUSHBUTTON),
                    TRUE);
            } else if (code == EN_CHANGE && item) {
                FireAction(kActionItem, item);
                CheckContinue();
            } else if ((code == BN_CLICKED && control) || (!control && LOWORD(wParam) == IDOK)) {
                if (!control) {
                    item = ItemOfWindow(GetFocus());
                    if (!item || item->index > 2)
                        return result;
                }
                if (!item)
                    return result;
                if (auto* check = dynamic_cast<TNVCheckBox*>(item))
                    check->SetChecked(!check->checked);
                FireAction(kActionItem, item);
                if (item->index <= 2 && window_)
                    ClosePage(static_cast<uint8_t>(item->index + 1), item->index == 0);
            }
            return result;
        }
        case WM_TIMER:
            if (wParam == kPageTimer)
                FireAction(kActionItem, nullptr);
            return 0;
        case WM_CTLCOLOREDIT: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            auto* edit = dynamic_cast<TNVEdit*>(ItemOfWindow(reinterpret_cast<HWND>(lParam)));
            COLORREF colour = RGB(0, 128, 0);
            if (edit && edit->notColoured)
                colour = 0;
            else if (edit && edit->notValid)
                colour = RGB(128, 0, 0);
            SetTextColor(dc, colour);
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        case WM_LBUTTONDOWN:
            capturedImage_ =
                ImageAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            if (capturedImage_)
                SetCapture(window);
            return 0;
        case WM_LBUTTONUP:
            if (capturedImage_) {
                ReleaseCapture();
                if (ImageAt(static_cast<short>(LOWORD(lParam)),
                            static_cast<short>(HIWORD(lParam))) == capturedImage_)
                    FireAction(kActionItem, capturedImage_);
                capturedImage_ = nullptr;
            }
            return 0;
        case WM_NCDESTROY: {
            RemovePropA(window, kPageProperty);
            for (const auto& item : items_)
                if (item->Kind() != TWizardItemKind::edit || modalResult_ != kResultContinued)
                    item->handle = nullptr;
            const LRESULT result = defaultProc();
            window_ = nullptr;
            return result;
        }
        default:
            return defaultProc();
    }
}

} // namespace

TInterfacePtr<INVWizard> MakeAssistant(const std::string& title,
                                       const std::vector<std::string>& resources,
                                       void* reportedException)
{
    return TInterfacePtr<INVWizard>(new TNVAssistant(title, resources, reportedException));
}

TInterfacePtr<INVWizard> BuildAssistant(HMODULE module, const std::string& title,
                                        const std::vector<std::string>& pageNames,
                                        void* reportedException)
{
    auto resourceOf = [](HMODULE from, const std::string& page) {
        const std::string name = "TQE" + qor::UpperStr(page);
        HRSRC found = FindResourceA(from, name.c_str(), MAKEINTRESOURCEA(10));
        if (!found)
            return std::string();
        HGLOBAL loaded = LoadResource(from, found);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        return data ? std::string(static_cast<const char*>(data), SizeofResource(from, found))
                    : std::string();
    };
    std::vector<std::string> resources;
    for (const std::string& page : pageNames)
        resources.push_back(resourceOf(module, page));
    return MakeAssistant(title, resources, reportedException);
}

} // namespace crashui
