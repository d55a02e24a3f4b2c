#include "AdvMessageForm.h"

#include "TaskDialogText.h"

#include "draw/AdvHintInfo.h"
#include "html/HtmlRenderer.h"
#include "windows/Application.h"
#include "windows/Clipboard.h"
#include "windows/Messages.h"
#include "windows/Screen.h"

#include <shellapi.h>

#include <algorithm>
#include <array>

using namespace classlib;

namespace panels {

CLASSLIB_PUBLISH(TAdvMessageForm) {}

CLASSLIB_MESSAGE_MAP(TAdvMessageForm)
{
    m.On(CM_DIALOGCHAR, &TAdvMessageForm::CMDialogChar);
    m.On(WM_ACTIVATE, &TAdvMessageForm::WMActivateForm);
}

namespace {

struct CommonButtonInfo {
    const char* name;
    const char* caption;
    TModalResult result;
};

// Indexed by TCommonButton. The close button of the emulation is an "Abort" button.
constexpr std::array<CommonButtonInfo, 6> CommonButtonTable{{
    {"OK", "OK", mrOk},
    {"Yes", "&Yes", mrYes},
    {"No", "&No", mrNo},
    {"Cancel", "Cancel", mrCancel},
    {"Retry", "&Retry", mrRetry},
    {"Abort", "&Abort", mrAbort},
}};

// The first measured caption width of each button kind, kept for the rest of the process.
std::array<int, 6> ButtonWidthCache{};

// System icons by TTaskDialogIcon (null: no icon) and by TTaskDialogFooterIcon.
const LPCSTR MainIconTable[] = {IDI_ASTERISK, IDI_EXCLAMATION, IDI_QUESTION, IDI_HAND,
                                IDI_ASTERISK, nullptr,         IDI_HAND};
const LPCSTR FooterIconTable[] = {nullptr,  IDI_EXCLAMATION, IDI_QUESTION,
                                  IDI_HAND, IDI_ASTERISK,    IDI_WINLOGO};

constexpr TColor ButtonAreaColor = 15790320;
constexpr TColor ButtonAreaLine = 14671839;
constexpr TColor InstructionColor = 0xC45300;
constexpr TColor CommandLinkBorder = 16769388;

std::string ExecutableName()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path);
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

void LoadBitmap(TBitmap* bitmap, const char* name)
{
    // A missing picture leaves the button without it rather than failing the dialog.
    try {
        bitmap->LoadFromResourceName(nullptr, name);
        bitmap->SetTransparentColor(0xFF00FF);
        bitmap->SetTransparent(true);
    } catch (const Exception&) {
        bitmap->SetSize(0, 0);
    }
}

void LoadButtonPictures(TTaskDialogButton* button, const char* normal, const char* hot,
                        const char* down)
{
    LoadBitmap(button->Picture(), normal);
    LoadBitmap(button->PictureHot(), hot);
    LoadBitmap(button->PictureDown(), down);
    button->Invalidate();
}

int DefaultIndex(int defaultButton, TCommonButtons buttons)
{
    switch (defaultButton) {
        case 0:
            return buttons.Contains(cbOK) ? cbOK : buttons.Contains(cbYes) ? cbYes : cbRetry;
        case 1:
            return buttons.Contains(cbOK) ? cbOK : cbYes;
        case 2:
            return buttons.Contains(cbCancel) ? cbCancel : cbNo;
        case 6:
            return buttons.Contains(cbYes) ? cbYes : cbOK;
        case 7:
            return buttons.Contains(cbNo) ? cbNo : cbOK;
        default:
            return cbOK;
    }
}

int CancelIndex(int defaultButton, TCommonButtons buttons)
{
    if (defaultButton != 0)
        return cbOK;
    return buttons.Contains(cbCancel) ? cbCancel : buttons.Contains(cbNo) ? cbNo : cbOK;
}

} // namespace

TAdvMessageForm::TAdvMessageForm(TComponent* owner, TCustomAdvTaskDialog* dialog)
    : TForm(owner),
      dialog_(dialog),
      measure_(std::make_unique<TBitmap>()),
      instructionFont_(std::make_unique<TFont>())
{
    Font()->Assign(Screen->MessageFont());
    if (dialog_->Options.Contains(doAllowMinimize)) {
        SetBorderStyle(bsSingle);
        SetBorderIcons(TBorderIcons{biSystemMenu, biMinimize});
    } else {
        SetBorderStyle(bsDialog);
        SetBorderIcons(TBorderIcons{});
    }
    SetKeyPreview(true);
    OnKeyDown = TKeyEvent(this, &TAdvMessageForm::KeyHook);
    minClientWidth_ = dialog_->NonNativeMinFormWidth;
    SetColor(clWhite);

    measure_->SetSize(1, 1);
    TCanvas* canvas = measure_->Canvas();
    canvas->Font()->Assign(Font());
    const int averageWidth =
        canvas->TextWidth("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52;
    TEXTMETRICA metrics{};
    GetTextMetricsA(canvas->Handle(), &metrics);
    const int textHeight = metrics.tmHeight;
    horzMargin_ = MulDiv(8, averageWidth, 4);
    vertMargin_ = MulDiv(8, textHeight, 8);
    horzSpacing_ = MulDiv(10, averageWidth, 4);
    vertSpacing_ = MulDiv(10, textHeight, 8);
    buttonHeight_ = MulDiv(14, textHeight, 8);
    buttonGap_ = MulDiv(4, averageWidth, 4);
    instructionFont_->Assign(Font());
    instructionFont_->SetSize(11);
    instructionFont_->SetStyle(TFontStyles{fsBold});
    instructionFont_->SetColor(InstructionColor);

    BuildControls();
    SetBounds(Screen->Width() / 2 - Width() / 2, Screen->Height() / 2 - Height() / 2, Width(),
              Height());
}

TAdvMessageForm::~TAdvMessageForm() = default;

bool TAdvMessageForm::HtmlContent() const
{
    return dialog_->Options.Contains(doHyperlinks);
}

namespace {

// The renderer's request for the dialog's HTML texts: no images, cache or container, blue
// links, shadow offset 1, word wrap.
html::HtmlDrawRequest DialogHtmlRequest(TCanvas* canvas, const std::string& text, const RECT& rect)
{
    html::HtmlDrawRequest request;
    request.Canvas = canvas;
    request.Text = text;
    request.Rect = rect;
    request.FocusIndex = -1;
    request.HotIndex = -1;
    request.ShadowOffset = 1;
    request.WordWrap = true;
    request.ImageScale = 1.0;
    request.LinkColor = 0xFF0000;
    request.HotBackColor = clNone;
    request.HotTextColor = clNone;
    request.ShadowColor = 0x808080;
    request.LineSpacing = 0;
    return request;
}

} // namespace

// Measures a text block at a width: HTML texts (with hyperlinks, and the footer) through the
// shared renderer with their line breaks as "<br>", plain texts by word-break measurement.
// `escapes` says whether backslash-n counts as a line break (not in the expanded text).
SIZE TAdvMessageForm::MeasureBlock(const std::string& text, int width, bool html, bool escapes)
{
    TCanvas* canvas = measure_->Canvas();
    canvas->Font()->Assign(Font());
    if (html) {
        html::HtmlDrawRequest request = DialogHtmlRequest(canvas, LineBreaksToHtml(text, escapes),
                                                          RECT{0, 0, std::max(width, 1), 4096});
        request.HitTestOnly = true;
        html::HtmlDrawResult result;
        html::DrawHtmlText(request, result);
        return SIZE{result.TextWidth, result.TextHeight};
    }
    RECT r{0, 0, std::max(width, 1), 0};
    const std::string plain = escapes ? EscapesToCarriageReturns(text) : text;
    canvas->DrawText(plain, r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void TAdvMessageForm::DrawBlock(TCanvas* canvas, const std::string& text, const RECT& rect,
                                bool html, bool escapes)
{
    if (html) {
        html::HtmlDrawResult result;
        html::DrawHtmlText(DialogHtmlRequest(canvas, LineBreaksToHtml(text, escapes), rect),
                           result);
        return;
    }
    RECT r = rect;
    const std::string plain = escapes ? EscapesToCarriageReturns(text) : text;
    canvas->DrawText(plain, r, DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK | DT_VCENTER);
}

std::string TAdvMessageForm::AnchorAt(int x, int y)
{
    // The footer is always HTML; content and expanded text only with hyperlinks.
    struct Block {
        const std::string* text;
        RECT rect;
        bool html;
        bool escapes;
    };
    const Block blocks[] = {
        {&dialog_->Footer(), FooterTextRect(), true, true},
        {&dialog_->Content(), contentRect_, HtmlContent(), true},
        {&dialog_->ExpandedText(), expandedRect_, HtmlContent() && expanded_, false},
    };
    const POINT p{x, y};
    TCanvas* canvas = measure_->Canvas();
    canvas->Font()->Assign(Font());
    for (const Block& b : blocks) {
        if (!b.html || b.text->empty() || !PtInRect(&b.rect, p))
            continue;
        html::HtmlDrawRequest request =
            DialogHtmlRequest(canvas, LineBreaksToHtml(*b.text, b.escapes), b.rect);
        request.X = x;
        request.Y = y;
        request.HitTestOnly = true;
        html::HtmlDrawResult result;
        if (html::DrawHtmlText(request, result))
            return result.HitAnchor;
    }
    return {};
}

void TAdvMessageForm::MeasureInstruction()
{
    TCanvas* canvas = measure_->Canvas();
    canvas->Font()->Assign(instructionFont_.get());
    RECT r{0, 0, Screen->Width() / 2, 0};
    canvas->DrawText(dialog_->Instruction(), r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    instructionSize_ = SIZE{r.right - r.left, r.bottom - r.top};
    canvas->Font()->Assign(Font());
}

void TAdvMessageForm::BuildControls()
{
    TCustomAdvTaskDialog* d = dialog_;
    TCanvas* canvas = measure_->Canvas();
    canvas->Font()->Assign(Font());
    const bool noTabStops = d->DefaultButton == -1;

    // 1. Caption.
    caption_ = d->Title.empty() ? ExecutableName() : d->Title;
    SetCaption(caption_);
    if (!caption_.empty()) {
        RECT r{0, 0, 1000, 0};
        canvas->DrawText(caption_, r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        requiredWidth_ = (r.right - r.left) + 50;
    }

    // 2-3. Common buttons.
    const int defaultIndex = DefaultIndex(d->DefaultButton, d->CommonButtons);
    const int cancelIndex = CancelIndex(d->DefaultButton, d->CommonButtons);
    for (int kind = cbOK; kind <= cbClose; ++kind) {
        if (!d->CommonButtons.Contains(static_cast<TCommonButton>(kind)))
            continue;
        const CommonButtonInfo& info = CommonButtonTable[static_cast<size_t>(kind)];
        int& cached = ButtonWidthCache[static_cast<size_t>(kind)];
        if (cached == 0)
            cached = canvas->TextWidth(info.caption) + 16;
        TButtonControl* button = d->CreateButton(this);
        button->SetName(info.name);
        button->SetParent(this);
        d->SetButtonCaption(button, info.caption);
        d->SetButtonModalResult(button, info.result);
        if (d->Options.Contains(doAllowDialogCancel) &&
            (info.result == mrCancel || kind == cancelIndex))
            d->SetButtonCancel(button, true);
        if (d->DefaultButton != -1 && kind == defaultIndex) {
            d->SetButtonDefault(button, true);
            button->SetTabOrder(0);
        }
        button->SetBounds(0, 0, std::max(cached, 60), buttonHeight_);
        if (noTabStops)
            button->SetTabStop(false);
        commonButtons_.push_back(button);
    }

    // 4-5. Custom buttons or command links.
    TFont headingFont;
    headingFont.Assign(Font());
    headingFont.SetSize(11);
    headingFont.SetStyle(TFontStyles{fsBold});
    headingFont.SetColor(InstructionColor);
    const bool commandLinks = d->Options.Contains(doCommandLinks);
    for (int i = 0; i < d->CustomButtons()->Count(); ++i) {
        const std::string line = d->CustomButtons()->Strings(i);
        if (!commandLinks) {
            TButtonControl* button = d->CreateButton(this);
            button->SetName("Button" + std::to_string(i));
            button->SetParent(this);
            d->SetButtonCaption(button, line);
            d->SetButtonModalResult(button, 100 + i);
            if (100 + i == d->DefaultButton)
                d->SetButtonDefault(button, true);
            button->SetBounds(0, 0, std::max(canvas->TextWidth(line) + 16, 60), buttonHeight_);
            button->OnClick = TNotifyEvent(this, &TAdvMessageForm::CustomButtonClick);
            if (noTabStops)
                button->SetTabStop(false);
            customButtons_.push_back(button);
            continue;
        }
        int height = 0, width = 0;
        MeasureTaskText(canvas, line, &headingFont, true, height, width, 0, Font());
        commandLinkWidth_ = std::max(commandLinkWidth_, width + 26);
        const int needed = d->Options.Contains(doCommandLinksNoIcon)
                               ? commandLinkWidth_ + horzMargin_
                               : commandLinkWidth_ + 2 * horzMargin_ + horzSpacing_ + 32;
        requiredWidth_ = std::max(requiredWidth_, needed);
        auto* link = new TTaskDialogButton(this);
        link->SetName("Button" + std::to_string(i));
        link->SetParent(this);
        link->SetCaption(line);
        link->Font()->Assign(Font());
        link->Font()->SetColor(InstructionColor);
        link->SetHeadingFont(&headingFont);
        link->SetModalResult(100 + i);
        link->SetBorderColorHot(CommandLinkBorder);
        link->SetBorderColorDown(CommandLinkBorder);
        const int ghHeight = canvas->TextHeight("gh");
        link->SetBounds(0, 0, std::max(commandLinkWidth_, 60),
                        std::max({ghHeight + 20, buttonHeight_, height}));
        if (!d->Options.Contains(doCommandLinksNoIcon)) {
            LoadButtonPictures(link, "TD_ARW", "TD_ARWHOT", "TD_ARWDOWN");
            LoadBitmap(link->PictureDisabled(), "TD_ARWDIS");
        }
        link->SetFocusOnHover(!noTabStops);
        link->SetTabStop(!noTabStops);
        link->OnClick = TNotifyEvent(this, &TAdvMessageForm::CustomButtonClick);
        customButtons_.push_back(link);
    }

    // 6. A dialog without buttons gets an OK button.
    if (commonButtons_.empty() && customButtons_.empty()) {
        const CommonButtonInfo& info = CommonButtonTable[cbOK];
        int& cached = ButtonWidthCache[cbOK];
        if (cached == 0)
            cached = canvas->TextWidth(info.caption) + 8;
        TButtonControl* button = d->CreateButton(this);
        button->SetName(info.name);
        button->SetParent(this);
        d->SetButtonCaption(button, info.caption);
        d->SetButtonModalResult(button, info.result);
        d->SetButtonDefault(button, true);
        if (d->Options.Contains(doAllowDialogCancel))
            d->SetButtonCancel(button, true);
        button->SetBounds(0, 0, std::max(cached, 60), buttonHeight_);
        commonButtons_.push_back(button);
    }

    // 7. Icon and instruction.
    MeasureInstruction();
    const bool hasIcon = MainIconTable[d->Icon] != nullptr || !d->CustomIcon()->Empty();
    if (hasIcon) {
        image_ = new TImage(this);
        image_->SetName("Image");
        image_->SetParent(this);
        image_->SetBounds(horzMargin_, vertMargin_, 32, 32);
        if (!d->CustomIcon()->Empty()) {
            image_->Picture()->SetGraphic(d->CustomIcon());
        } else if (d->Icon == tiShield) {
            LoadBitmap(image_->Picture()->Bitmap(), "TD_SHIELD");
            image_->SetStretch(true);
        } else if (d->Icon == tiBlank) {
            TBitmap* blank = image_->Picture()->Bitmap();
            blank->SetSize(32, 32);
            blank->Canvas()->Brush()->SetColor(clWhite);
            blank->Canvas()->FillRect(RECT{0, 0, 32, 32});
        } else {
            image_->Picture()->Icon()->SetHandle(LoadIconA(nullptr, MainIconTable[d->Icon]));
        }
        textLeft_ = horzMargin_ + horzSpacing_ + 32;
    } else {
        textLeft_ = horzMargin_;
    }
    instruction_ = new TLabel(this);
    instruction_->SetName("Instr");
    instruction_->SetParent(this);
    instruction_->SetAutoSize(false);
    instruction_->SetWordWrap(true);
    instruction_->SetShowAccelChar(false);
    instruction_->SetTransparent(true);
    instruction_->Font()->Assign(instructionFont_.get());
    instruction_->SetBiDiMode(BiDiMode());
    instruction_->SetCaption(d->Instruction());
    instruction_->SetBounds(textLeft_, vertMargin_, instructionSize_.cx, instructionSize_.cy);

    // 8-9. Timer and progress bar.
    if (d->Options.Contains(doTimer) || d->Options.Contains(doProgressBar)) {
        timer_ = new TTimer(this);
        timer_->SetInterval(100);
        timer_->SetOnTimer(TNotifyEvent(this, &TAdvMessageForm::TimerTick));
    }
    if (d->Options.Contains(doProgressBar)) {
        progress_ = new TProgressBar(this);
        progress_->SetName("ProgressBar");
        progress_->SetParent(this);
        progress_->SetBounds(horzMargin_, 0, 100, 12);
        progress_->SetMin(d->ProgressBarMin);
        progress_->SetMax(d->ProgressBarMax);
        progress_->SetPosition(0);
    }

    // 10. Radio buttons.
    d->RadioButtonResult = d->Options.Contains(doNoDefaultRadioButton) ? 0 : d->DefaultRadioButton;
    for (int i = 0; i < d->RadioButtons()->Count(); ++i) {
        TButtonControl* radio = d->CreateRadioButton(this);
        d->InitRadioButton(this, radio, TNotifyEvent(this, &TAdvMessageForm::RadioClick), i);
        const int x = textLeft_ + horzMargin_;
        const std::string line = d->RadioButtons()->Strings(i);
        radio->SetBounds(x, 0, std::max(Width() - x - 4, 10), buttonHeight_);
        requiredWidth_ = std::max(requiredWidth_, canvas->TextWidth(line) + x + horzMargin_ + 20);
        d->SetRadioButtonCaption(radio, line);
        const bool checked =
            !d->Options.Contains(doNoDefaultRadioButton) &&
            ((d->DefaultRadioButton < 1 && i == 0) || 200 + i == d->DefaultRadioButton);
        d->SetRadioButtonState(radio, checked);
        radioButtons_.push_back(radio);
    }

    // 11. Expanded text and its button.
    if (!d->ExpandedText().empty()) {
        expandedSize_ = MeasureBlock(d->ExpandedText(), 300 - horzMargin_, HtmlContent(), false);
        expandButton_ = new TTaskDialogButton(this);
        expandButton_->SetName("ExpandButton");
        expandButton_->SetParent(this);
        expandButton_->SetModalResult(0);
        expandButton_->SetBounds(0, 0, 19, 19);
        LoadButtonPictures(expandButton_, "TD_COLP", "TD_COLPHOT", "TD_COLPDOWN");
        expandButton_->OnClick = TNotifyEvent(this, &TAdvMessageForm::ExpandClick);
    }

    // 12. Verification check box.
    if (!d->VerificationText.empty()) {
        verification_ = new TCheckBox(this);
        verification_->SetName("Verification");
        verification_->SetParent(this);
        verification_->SetColor(ButtonAreaColor);
        verification_->SetBiDiMode(BiDiMode());
        verification_->SetCaption(d->VerificationText);
        verification_->SetChecked(d->Options.Contains(doVerifyChecked));
        d->VerificationChecked = verification_->Checked();
        verification_->OnClick = TNotifyEvent(this, &TAdvMessageForm::VerificationClick);
        verification_->SetBounds(0, 0, canvas->TextWidth(d->VerificationText) + vertSpacing_,
                                 buttonHeight_);
        requiredWidth_ =
            std::max(requiredWidth_, canvas->TextWidth(d->VerificationText) + vertMargin_ + 3);
    }

    // 13. Footer.
    if (!d->Footer().empty()) {
        footerSize_ = MeasureBlock(d->Footer(), 300, true, true);
        footerIcon_ = FooterIconTable[d->FooterIcon];
        if (footerIcon_) {
            footerImage_ = new TImage(this);
            footerImage_->SetName("FooterImage");
            footerImage_->SetParent(this);
            footerImage_->SetVisible(false);
            footerImage_->SetBounds(horzMargin_, 0, 16, 16);
        }
    }

    // 14-16. Width, arrangement, expanded state.
    SetClientSize(ClientWidthFor(true), 100);
    if (progress_)
        progress_->SetWidth(ClientWidth() - 2 * horzMargin_);
    Arrange();
    if (!d->ExpandedText().empty())
        SetExpanded(d->Options.Contains(doExpandedDefault));
}

int TAdvMessageForm::ButtonRowWidth() const
{
    int width = 0;
    for (TButtonControl* b : commonButtons_)
        width += b->Width() + buttonGap_;
    if (!dialog_->Options.Contains(doCommandLinks))
        for (TWinControl* b : customButtons_)
            width += b->Width() + buttonGap_;
    if (verification_)
        width += measure_->Canvas()->TextWidth(dialog_->VerificationText) + 2 * vertSpacing_;
    if (expandButton_) {
        TCanvas* canvas = measure_->Canvas();
        canvas->Font()->Assign(Font());
        width += std::max(canvas->TextWidth(dialog_->ExpandControlText),
                          canvas->TextWidth(dialog_->CollapsControlText)) +
                 expandButton_->Width() + 2 * horzSpacing_;
    }
    return width;
}

int TAdvMessageForm::ClientWidthFor(bool atCreation)
{
    const int instructionWidth = instructionSize_.cx + (image_ ? horzSpacing_ + 32 : 0);
    int width = std::max({instructionWidth, ButtonRowWidth(), static_cast<int>(footerSize_.cx)}) +
                2 * horzMargin_;
    width = std::max({width, static_cast<int>(expandedSize_.cx) + 2 * horzMargin_, requiredWidth_,
                      minClientWidth_});
    if (atCreation)
        width = std::min(width, Screen->Width() - 2 * GetSystemMetrics(SM_CYEDGE));
    return width;
}

void TAdvMessageForm::Arrange()
{
    TCustomAdvTaskDialog* d = dialog_;
    const int clientWidth = ClientWidth();
    const int imageBottom = image_ ? image_->Top() + image_->Height() : 0;
    const bool hasInstruction = !d->Instruction().empty();
    int y = vertMargin_;
    // 1. Instruction.
    instruction_->SetVisible(hasInstruction);
    if (hasInstruction)
        y += instruction_->Height() + vertSpacing_;
    // 2. Content.
    const int left = image_ ? image_->Left() + image_->Width() + horzSpacing_ : horzMargin_;
    if (!d->Content().empty()) {
        contentRect_ =
            RECT{left,
                 hasInstruction ? instruction_->Top() + instruction_->Height() + vertSpacing_
                                : vertMargin_,
                 clientWidth - horzMargin_, 0};
        contentSize_ =
            MeasureBlock(d->Content(), contentRect_.right - contentRect_.left, HtmlContent(), true);
        if (contentSize_.cx > contentRect_.right - contentRect_.left) {
            SetClientWidth(ClientWidth() + contentSize_.cx -
                           (contentRect_.right - contentRect_.left));
            contentRect_.right = ClientWidth() - horzMargin_;
        }
        contentRect_.bottom = contentRect_.top + contentSize_.cy;
        int height = contentSize_.cy;
        if (!hasInstruction && image_)
            height = std::max(height, image_->Height());
        y += height + vertSpacing_;
    } else {
        contentRect_ = RECT{};
        if (radioButtons_.empty() && !d->Options.Contains(doCommandLinks))
            y += vertSpacing_;
        if (!hasInstruction && image_)
            y += vertSpacing_ + vertMargin_;
    }
    // 3. Progress bar.
    if (progress_) {
        y = std::max(y, imageBottom + 3);
        progress_->SetBounds(horzMargin_, y, clientWidth - 2 * horzMargin_, 12);
        y += progress_->Height() + vertSpacing_;
    }
    // 4. Radios.
    if (!radioButtons_.empty()) {
        for (TButtonControl* radio : radioButtons_) {
            radio->SetBounds(radio->Left(), y, ClientWidth() - radio->Left() - horzMargin_,
                             radio->Height());
            y += radio->Height() + 4;
        }
        y += vertSpacing_ - 4;
    }
    // 5. Expanded text.
    expandedRect_ = RECT{};
    if (expandButton_ && expanded_) {
        expandedRect_ = RECT{left, y, ClientWidth() - horzMargin_, y};
        expandedSize_ = MeasureBlock(d->ExpandedText(), expandedRect_.right - expandedRect_.left,
                                     HtmlContent(), false);
        expandedRect_.bottom = y + expandedSize_.cy;
        expandedTop_ = y;
        y += expandedSize_.cy + vertSpacing_;
    }
    // 6. Command links.
    const bool commandLinks = d->Options.Contains(doCommandLinks);
    if (commandLinks) {
        for (TWinControl* link : customButtons_) {
            const int x = image_ ? textLeft_ : link->Left();
            link->SetBounds(x, y, ClientWidth() - x - horzMargin_, link->Height());
            y += link->Height() + 2;
        }
        buttonAreaTop_ = y;
        y += vertSpacing_;
    }
    // 7. Button row.
    const int top = y;
    int rowHeight = 0;
    int pushWidth = 0;
    std::vector<TWinControl*> row;
    if (!commandLinks)
        row.insert(row.end(), customButtons_.begin(), customButtons_.end());
    row.insert(row.end(), commonButtons_.begin(), commonButtons_.end());
    for (size_t i = 0; i < row.size(); ++i)
        pushWidth += row[i]->Width() + (i + 1 < row.size() ? buttonGap_ : 0);
    int x = ClientWidth() - pushWidth - horzSpacing_ - 4;
    if (expandButton_) {
        expandButton_->SetBounds(vertMargin_, top, expandButton_->Width(), expandButton_->Height());
        rowHeight = expandButton_->Height();
    }
    if (verification_)
        verification_->SetBounds(
            vertMargin_ + 3, top + rowHeight,
            measure_->Canvas()->TextWidth(d->VerificationText) + vertSpacing_ + 20,
            verification_->Height());
    for (TWinControl* b : row) {
        b->SetBounds(x, top, b->Width(), b->Height());
        x += b->Width() + buttonGap_;
        rowHeight = std::max(rowHeight, b->Height());
    }
    if (!row.empty())
        buttonAreaTop_ = top;
    // 8. Height so far.
    int height = 0;
    if (verification_) {
        const int c = verification_->Height();
        height = top + std::max(c + vertSpacing_, rowHeight);
        y = top + std::max(c + vertSpacing_, rowHeight + vertSpacing_);
    } else {
        height = top + rowHeight;
        y = rowHeight > 0 ? top + rowHeight + vertSpacing_ : top;
    }
    // 9. Footer.
    footerRect_ = RECT{};
    if (!d->Footer().empty()) {
        const int footerLeft = horzMargin_ + (footerIcon_ ? 20 : 0);
        footerSize_ =
            MeasureBlock(d->Footer(), ClientWidth() - horzMargin_ - footerLeft, true, true);
        int footerHeight = footerSize_.cy;
        if (footerIcon_) {
            footerImage_->SetTop(y);
            footerHeight = std::max(footerHeight, 20);
        }
        footerSize_.cy = footerHeight;
        height += footerHeight + vertSpacing_;
    }
    // 10. Client height and the grey area.
    SetClientHeight(vertMargin_ + height);
    if (!d->Footer().empty())
        footerRect_ = RECT{horzMargin_, ClientHeight() - footerSize_.cy - 10,
                           ClientWidth() - horzMargin_, ClientHeight()};
    if (commonButtons_.empty() && (commandLinks || customButtons_.empty()))
        buttonAreaTop_ = Height();
    if (expanded_ && expandButton_ && d->Options.Contains(doExpandedFooter))
        buttonAreaTop_ = expandedTop_;
    if (HandleAllocated())
        Invalidate();
}

void TAdvMessageForm::Relayout()
{
    TCustomAdvTaskDialog* d = dialog_;
    caption_ = d->Title.empty() ? ExecutableName() : d->Title;
    SetCaption(caption_);
    instruction_->SetCaption(d->Instruction());
    MeasureInstruction();
    instruction_->SetBounds(textLeft_, vertMargin_, instructionSize_.cx, instructionSize_.cy);
    TCanvas* canvas = measure_->Canvas();
    canvas->Font()->Assign(Font());
    const int instructionWidth = instructionSize_.cx + (image_ ? horzSpacing_ + 32 : 0);
    int width = std::max({ButtonRowWidth(), instructionWidth, static_cast<int>(footerSize_.cx)}) +
                2 * horzMargin_;
    RECT r{0, 0, 1000, 0};
    canvas->DrawText(caption_, r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    width = std::max(width, static_cast<int>(r.right - r.left) + 50);
    for (TButtonControl* radio : radioButtons_)
        width =
            std::max(width, canvas->TextWidth(radio->Caption()) + radio->Left() + horzMargin_ + 20);
    if (verification_)
        width = std::max(width, canvas->TextWidth(d->VerificationText) + verification_->Left());
    width = std::max(width, minClientWidth_);
    SetClientWidth(width);
    if (!d->Footer().empty())
        footerSize_ = MeasureBlock(d->Footer(), 300, true, true);
    if (progress_)
        progress_->SetWidth(ClientWidth() - 2 * horzMargin_);
    Arrange();
    if (HandleAllocated())
        Invalidate();
}

void TAdvMessageForm::SetExpanded(bool value)
{
    expanded_ = value;
    if (expandButton_) {
        if (value)
            LoadButtonPictures(expandButton_, "TD_COLP", "TD_COLPHOT", "TD_COLPDOWN");
        else
            LoadButtonPictures(expandButton_, "TD_EXP", "TD_EXPHOT", "TD_EXPDOWN");
    }
    Arrange();
}

RECT TAdvMessageForm::FooterTextRect() const
{
    RECT r = footerRect_;
    if (footerIcon_)
        r.left += 20;
    return r;
}

std::string TAdvMessageForm::ExpanderText() const
{
    return expanded_ ? dialog_->ExpandControlText : dialog_->CollapsControlText;
}

void TAdvMessageForm::PaintWindow(HDC dc)
{
    TCanvas canvas;
    canvas.SetHandle(dc);
    const int w = ClientWidth(), h = ClientHeight();
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(Color());
    canvas.FillRect(RECT{0, 0, w, h});
    // 1. The grey button area.
    const int greyTop = buttonAreaTop_ - vertSpacing_ / 2;
    if (greyTop < h) {
        canvas.Brush()->SetColor(ButtonAreaColor);
        canvas.FillRect(RECT{0, greyTop, w, h});
        canvas.Pen()->SetColor(ButtonAreaLine);
        canvas.MoveTo(0, greyTop);
        canvas.LineTo(w, greyTop);
    }
    if (!draw::IsVistaOrLater()) {
        canvas.Brush()->SetStyle(bsClear);
        canvas.Pen()->SetColor(clGray);
        canvas.Rectangle(RECT{0, 0, w, h});
    }
    // 2. Content and expanded text.
    canvas.Font()->Assign(Font());
    canvas.Brush()->SetStyle(bsClear);
    if (!dialog_->Content().empty())
        DrawBlock(&canvas, dialog_->Content(), contentRect_, HtmlContent(), true);
    if (expanded_ && expandButton_)
        DrawBlock(&canvas, dialog_->ExpandedText(), expandedRect_, HtmlContent(), false);
    // 3. Expander label.
    if (expandButton_) {
        RECT r{expandButton_->Left() + expandButton_->Width() + horzSpacing_ - 5,
               expandButton_->Top(), w, expandButton_->Top() + expandButton_->Height()};
        canvas.DrawText(ExpanderText(), r, DT_SINGLELINE | DT_VCENTER);
    }
    // 4. Footer.
    if (!dialog_->Footer().empty()) {
        const int lineY = footerRect_.top - vertSpacing_;
        canvas.Pen()->SetColor(ButtonAreaLine);
        canvas.MoveTo(2, lineY);
        canvas.LineTo(w - 3, lineY);
        canvas.Pen()->SetColor(clWhite);
        canvas.MoveTo(2, lineY + 1);
        canvas.LineTo(w - 3, lineY + 1);
        const RECT text = FooterTextRect();
        if (footerIcon_) {
            const RECT iconRect{footerRect_.left, footerRect_.top, footerRect_.left + 16,
                                footerRect_.top + 16};
            canvas.Brush()->SetStyle(bsSolid);
            canvas.Brush()->SetColor(ButtonAreaColor);
            canvas.FillRect(iconRect);
            if (dialog_->FooterIcon == tfiShield) {
                TBitmap shield;
                LoadBitmap(&shield, "TD_SHIELD");
                if (!shield.Empty())
                    canvas.StretchDraw(iconRect, &shield);
            } else {
                DrawIconEx(canvas.Handle(), iconRect.left, iconRect.top,
                           LoadIconA(nullptr, footerIcon_), 16, 16, 0, nullptr, DI_NORMAL);
            }
            canvas.Brush()->SetStyle(bsClear);
        }
        DrawBlock(&canvas, dialog_->Footer(), text, true, true);
    }
    canvas.SetHandle(nullptr);
}

// ---- keys, mouse, events ----------------------------------------------------------------------

void TAdvMessageForm::CopyToClipboard(const std::string& text)
{
    // Another program may hold the clipboard: the copy is then lost, which a beep reports,
    // and the dialog goes on.
    try {
        Clipboard()->SetAsText(text);
    } catch (const Exception&) {
        MessageBeep(MB_ICONEXCLAMATION);
    }
}

void TAdvMessageForm::KeyHook(TObject*, WORD& key, TShiftState shift)
{
    if (key == VK_F4 && shift == TShiftState{ssAlt}) {
        key = 0;
        return;
    }
    if (key == 'C' && shift == TShiftState{ssCtrl}) {
        MessageBeep(0);
        TStringList captions;
        for (TButtonControl* b : commonButtons_)
            captions.Add(b->Caption());
        if (!dialog_->Options.Contains(doCommandLinks))
            for (TWinControl* b : customButtons_)
                captions.Add(b->Caption());
        CopyToClipboard(TaskDialogSummary(caption_, dialog_->Instruction(), captions));
    }
}

void TAdvMessageForm::KeyDown(WORD& key, TShiftState shift)
{
    TForm::KeyDown(key, shift);
    if (key == 'C' && shift.Contains(ssCtrl))
        CopyToClipboard(dialog_->Title + "\r\n" + dialog_->Instruction() + "\r\n" +
                        dialog_->Content());
    if (key == VK_ESCAPE && dialog_->Options.Contains(doAllowDialogCancel))
        SetModalResult(mrCancel);
}

void TAdvMessageForm::CMDialogChar(TMessage& m)
{
    const WORD key = static_cast<WORD>(m.WParam);
    if (dialog_->Options.Contains(doCommandLinks)) {
        for (TWinControl* link : customButtons_)
            if (IsAccel(key, link->Caption()) && link->CanFocus()) {
                link->Click();
                m.Result = 1;
                return;
            }
    } else if (expandButton_ && IsAccel(key, ExpanderText())) {
        ToggleExpanded();
        m.Result = 1;
        return;
    }
    Inherited(TAdvMessageForm::StaticClass(), m);
}

void TAdvMessageForm::WMActivateForm(TMessage& m)
{
    if (LOWORD(m.WParam) != WA_INACTIVE && HandleAllocated())
        SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    // The class library's own activation keeps track of the focused control, which the
    // dialog's keyboard handling needs.
    Inherited(TAdvMessageForm::StaticClass(), m);
}

void TAdvMessageForm::MouseMove(TShiftState shift, int x, int y)
{
    const std::string anchor = AnchorAt(x, y);
    if (!anchor.empty()) {
        lastAnchor_ = anchor;
        SetCursor(crHandPoint);
    } else if (!lastAnchor_.empty()) {
        lastAnchor_.clear();
        SetCursor(crDefault);
    }
    TForm::MouseMove(shift, x, y);
}

void TAdvMessageForm::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TForm::MouseDown(button, shift, x, y);
    const std::string anchor = AnchorAt(x, y);
    if (anchor.empty())
        return;
    if (dialog_->OnDialogHyperlinkClick)
        dialog_->OnDialogHyperlinkClick(dialog_, anchor);
    else if (anchor.find("://") != std::string::npos)
        OpenLinkInBrowser(nullptr, anchor);
}

void TAdvMessageForm::RadioClick(TObject* sender)
{
    for (size_t i = 0; i < radioButtons_.size(); ++i)
        if (radioButtons_[i] == sender) {
            dialog_->RadioButtonResult = 200 + static_cast<int>(i);
            if (dialog_->OnDialogRadioClick)
                dialog_->OnDialogRadioClick(dialog_, dialog_->RadioButtonResult);
        }
}

void TAdvMessageForm::CustomButtonClick(TObject* sender)
{
    for (size_t i = 0; i < customButtons_.size(); ++i)
        if (customButtons_[i] == sender && dialog_->OnDialogButtonClick)
            dialog_->OnDialogButtonClick(dialog_, 100 + static_cast<int>(i));
}

void TAdvMessageForm::VerificationClick(TObject*)
{
    dialog_->VerificationChecked = verification_->Checked();
    if (dialog_->OnDialogVerifyClick)
        dialog_->OnDialogVerifyClick(dialog_, dialog_->VerificationChecked);
}

void TAdvMessageForm::ExpandClick(TObject*)
{
    ToggleExpanded();
}

void TAdvMessageForm::TimerTick(TObject*)
{
    if (dialog_->OnDialogTimer)
        dialog_->OnDialogTimer(dialog_);
    if (dialog_->OnDialogProgress && progress_) {
        int position = progress_->Position();
        TTaskDialogProgressState state = psNormal;
        dialog_->OnDialogProgress(dialog_, position, state);
        progress_->SetPosition(position);
    }
}

void TAdvMessageForm::DoShow()
{
    TForm::DoShow();
    const int index = dialog_->DefaultButton - 100;
    if (index >= 0 && index < static_cast<int>(customButtons_.size()) &&
        customButtons_[static_cast<size_t>(index)]->CanFocus())
        SetActiveControl(customButtons_[static_cast<size_t>(index)]);
}

bool TAdvMessageForm::CloseQuery()
{
    if (!TForm::CloseQuery())
        return false;
    bool canClose = true;
    if (dialog_->OnDialogClose)
        dialog_->OnDialogClose(dialog_, canClose);
    return canClose;
}

// ---- running ----------------------------------------------------------------------------------

TAdvMessageForm* CreateEmulatedTaskDialog(TCustomAdvTaskDialog* dialog)
{
    if (!dialog)
        return nullptr;
    TComponent* owner = Application;
    if (!dialog->ApplicationIsParent) {
        owner = dynamic_cast<TCustomForm*>(dialog->Owner());
        if (!owner)
            throw EInvalidCast("Invalid class typecast");
    }
    return new TAdvMessageForm(owner, dialog);
}

int RunEmulatedTaskDialog(TCustomAdvTaskDialog* dialog, int x, int y)
{
    if (!dialog)
        return -1;
    TAdvMessageForm* form = CreateEmulatedTaskDialog(dialog);
    struct Forget {
        TCustomAdvTaskDialog* dialog;
        TAdvMessageForm* form;
        ~Forget()
        {
            dialog->form_ = nullptr;
            form->Free();
        }
    } forget{dialog, form};
    dialog->form_ = form;
    if (dialog->OnDialogCreated)
        dialog->OnDialogCreated(dialog);
    form->SetColor(clWhite);
    if (x >= 0)
        form->SetLeft(x);
    if (y >= 0)
        form->SetTop(y);
    if (x < 0 && y < 0) {
        auto* owner = dynamic_cast<TCustomForm*>(dialog->Owner());
        if (dialog->DialogPosition == dpOwnerFormCenter && owner) {
            form->SetLeft(owner->Left() + (owner->Width() - form->Width()) / 2);
            form->SetTop(owner->Top() + (owner->Height() - form->Height()) / 2);
        } else {
            form->SetLeft(Screen->Width() / 2 - form->Width() / 2);
            form->SetTop(Screen->Height() / 2 - form->Height() / 2);
        }
    }
    if (form->Timer())
        form->Timer()->SetEnabled(true);
    const int result = form->ShowModal();
    if (dialog->Form() && dialog->VerificationText.size() && form->VerificationCheckBox())
        dialog->VerificationChecked = form->VerificationCheckBox()->Checked();
    return result;
}

} // namespace panels
