#include "windows/StdCtrls.h"

#include "core/SysUtils.h"
#include "windows/ComCtrls.h"
#include "windows/ExtCtrls.h"
#include "windows/Forms.h"

#include <algorithm>

namespace classlib {

CLASSLIB_DEFINE_ENUM(TAlignment, "taLeftJustify", "taRightJustify", "taCenter")
CLASSLIB_DEFINE_ENUM(TTextLayout, "tlTop", "tlCenter", "tlBottom")
CLASSLIB_DEFINE_ENUM(TCheckBoxState, "cbUnchecked", "cbChecked", "cbGrayed")
CLASSLIB_DEFINE_ENUM(TScrollStyle, "ssNone", "ssHorizontal", "ssVertical", "ssBoth")
CLASSLIB_DEFINE_ENUM(TComboBoxStyle, "csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed",
                     "csOwnerDrawVariable")
CLASSLIB_DEFINE_ENUM(TListBoxStyle, "lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable")

// ---- native list items ----------------------------------------------------------------------

// The strings of a combo box or list box: kept here and mirrored into the native control
// while its window exists (the add, insert, delete and reset messages of either kind).
class TNativeListStrings : public TStringList {
public:
    struct Messages {
        UINT add, insert, remove, reset, getCurSel, setCurSel;
    };
    TNativeListStrings(TWinControl* control, Messages messages) : control_(control), msg_(messages)
    {
    }

    void InsertItem(int index, const std::string& s, TObject* object) override
    {
        TStringList::InsertItem(index, s, object);
        if (control_->HandleAllocated())
            SendMessageA(control_->Handle(), msg_.insert, static_cast<WPARAM>(index),
                         reinterpret_cast<LPARAM>(Get(index).c_str()));
    }
    void Delete(int index) override
    {
        TStringList::Delete(index);
        if (control_->HandleAllocated())
            SendMessageA(control_->Handle(), msg_.remove, static_cast<WPARAM>(index), 0);
    }
    void Clear() override
    {
        TStringList::Clear();
        if (control_->HandleAllocated())
            SendMessageA(control_->Handle(), msg_.reset, 0, 0);
    }
    void Put(int index, const std::string& s) override
    {
        const int selected = SelectedIndex();
        Delete(index);
        Insert(index, s);
        if (selected == index)
            SetSelectedIndex(selected);
    }
    // Fills a new window with the items.
    void PushAll()
    {
        SendMessageA(control_->Handle(), msg_.reset, 0, 0);
        for (int i = 0; i < GetCount(); ++i)
            SendMessageA(control_->Handle(), msg_.add, 0, reinterpret_cast<LPARAM>(Get(i).c_str()));
    }
    int SelectedIndex() const
    {
        return static_cast<int>(
            SendMessageA(const_cast<TWinControl*>(control_)->Handle(), msg_.getCurSel, 0, 0));
    }
    void SetSelectedIndex(int index)
    {
        SendMessageA(control_->Handle(), msg_.setCurSel, static_cast<WPARAM>(index), 0);
    }

private:
    TWinControl* control_;
    Messages msg_;
};

// ---- TCustomLabel ---------------------------------------------------------------------------

CLASSLIB_PUBLISH(TCustomLabel) {}
CLASSLIB_PUBLISH(TLabel)
{
    c.Property("Alignment", &TLabel::Alignment, &TLabel::SetAlignment).SetDefault(taLeftJustify);
    c.Property("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize).SetDefault(true);
    c.Property("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl);
    c.Property("Layout", &TLabel::Layout, &TLabel::SetLayout).SetDefault(tlTop);
    c.Property("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar).SetDefault(true);
    c.Property("Transparent", &TLabel::Transparent, &TLabel::SetTransparent);
    c.Property("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap).SetDefault(false);
}

CLASSLIB_MESSAGE_MAP(TCustomLabel)
{
    m.On(CM_TEXTCHANGED, &TCustomLabel::CMTextChanged);
    m.On(CM_FONTCHANGED, &TCustomLabel::CMFontChanged);
    m.On(CM_DIALOGCHAR, &TCustomLabel::CMDialogChar);
}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner)
{
    controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents,  csSetCaption,
                                  csOpaque,       csReplicatable, csDoubleClicks};
    autoSize_ = true;
    SetBounds(0, 0, 65, 17);
    parentColor_ = true;
}

UINT TCustomLabel::TextFlags() const
{
    static const UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    UINT flags = DT_EXPANDTABS | alignments[alignment_];
    flags |= wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE;
    if (!showAccelChar_)
        flags |= DT_NOPREFIX;
    return DrawTextBiDiModeFlags(flags);
}

void TCustomLabel::Paint()
{
    RECT r = ClientRect();
    if (!Transparent()) {
        canvas_->Brush()->SetColor(color_);
        canvas_->Brush()->SetStyle(bsSolid);
        canvas_->FillRect(r);
    }
    canvas_->Brush()->SetStyle(bsClear);
    const std::string text = Caption();
    HDC dc = canvas_->Handle();
    canvas_->Font()->Assign(font_);
    canvas_->TextExtent(" "); // selects the font
    if (layout_ != tlTop) {
        RECT calc = r;
        DrawTextA(dc, text.c_str(), -1, &calc, TextFlags() | DT_CALCRECT);
        const int h = calc.bottom - calc.top;
        r.top = layout_ == tlBottom ? r.bottom - h : (r.top + r.bottom - h) / 2;
    }
    if (!enabled_) {
        OffsetRect(&r, 1, 1);
        SetTextColor(dc, ColorToRGB(clBtnHighlight));
        DrawTextA(dc, text.c_str(), -1, &r, TextFlags());
        OffsetRect(&r, -1, -1);
        SetTextColor(dc, ColorToRGB(clBtnShadow));
    } else
        SetTextColor(dc, ColorToRGB(font_->Color()));
    DrawTextA(dc, text.c_str(), -1, &r, TextFlags());
}

void TCustomLabel::AdjustBounds()
{
    if (!autoSize_ || ComponentState().Contains(csLoading))
        return;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font_->Handle());
    RECT r{0, 0, wordWrap_ ? width_ : 0, 0};
    std::string text = Caption();
    if (text.empty())
        text = " ";
    DrawTextA(dc, text.c_str(), -1, &r, TextFlags() | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    int x = left_;
    if (alignment_ == taRightJustify)
        x = left_ + width_ - r.right;
    SetBounds(x, top_, r.right, r.bottom);
}

void TCustomLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment value)
{
    alignment_ = value;
    Invalidate();
}
void TCustomLabel::SetLayout(TTextLayout value)
{
    layout_ = value;
    Invalidate();
}
void TCustomLabel::SetAutoSize(bool value)
{
    autoSize_ = value;
    AdjustBounds();
}
void TCustomLabel::SetWordWrap(bool value)
{
    wordWrap_ = value;
    AdjustBounds();
    Invalidate();
}
void TCustomLabel::SetShowAccelChar(bool value)
{
    showAccelChar_ = value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetTransparent(bool value)
{
    if (value)
        controlStyle_.Exclude(csOpaque);
    else
        controlStyle_.Include(csOpaque);
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* value)
{
    focusControl_ = value;
    if (value)
        value->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* component, TOperation operation)
{
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == focusControl_)
        focusControl_ = nullptr;
}

void TCustomLabel::CMTextChanged(TMessage&)
{
    Invalidate();
    AdjustBounds();
}

void TCustomLabel::CMFontChanged(TMessage&)
{
    Invalidate();
    AdjustBounds();
}

void TCustomLabel::CMDialogChar(TMessage& m)
{
    if (focusControl_ && enabled_ && showAccelChar_ &&
        IsAccel(static_cast<WORD>(m.WParam), Caption()) && focusControl_->CanFocus()) {
        focusControl_->SetFocus();
        m.Result = 1;
    }
}

// ---- TButtonControl and TButton -------------------------------------------------------------

CLASSLIB_PUBLISH(TButtonControl) {}

CLASSLIB_MESSAGE_MAP(TButtonControl)
{
    m.On(CN_CTLCOLORSTATIC, &TButtonControl::CNCtlColor);
    m.On(CN_CTLCOLORBTN, &TButtonControl::CNCtlColor);
}

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner)
{
    color_ = clBtnFace;
    parentColor_ = true;
    brush_->SetColor(color_);
    tabStop_ = true;
}

void TButtonControl::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WinClassName = "BUTTON";
    params.NativeClass = true;
    if (wordWrap_)
        params.Style |= BS_MULTILINE;
}

void TButtonControl::SetWordWrap(bool value)
{
    if (wordWrap_ == value)
        return;
    wordWrap_ = value;
    RecreateWnd();
}

void TButtonControl::CNCtlColor(TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    SetTextColor(dc, ColorToRGB(font_->Color()));
    SetBkMode(dc, TRANSPARENT);
    m.Result = reinterpret_cast<LRESULT>(brush_->Handle());
}

CLASSLIB_PUBLISH(TButton)
{
    c.Property("Cancel", &TButton::Cancel, &TButton::SetCancel).SetDefault(false);
    c.Property("Default", &TButton::Default, &TButton::SetDefault).SetDefault(false);
    c.Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).SetDefault(0);
    c.Property("WordWrap", &TButton::WordWrap, &TButton::SetWordWrap).SetDefault(false);
}

CLASSLIB_MESSAGE_MAP(TButton)
{
    m.On(CN_COMMAND, &TButton::CNCommand);
    m.On(CM_DIALOGKEY, &TButton::CMDialogKey);
    m.On(CM_DIALOGCHAR, &TButton::CMDialogChar);
    m.On(CM_FOCUSCHANGED, &TButton::CMFocusChanged);
}

TButton::TButton(TComponent* owner) : TButtonControl(owner)
{
    controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
    SetBounds(0, 0, 75, 25);
}

void TButton::CreateParams(TCreateParams& params)
{
    TButtonControl::CreateParams(params);
    params.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool value)
{
    default_ = value;
    active_ = value;
    SetButtonStyle(value);
}

void TButton::SetButtonStyle(bool isDefault)
{
    if (HandleAllocated())
        SendMessageA(handle_, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click()
{
    if (TCustomForm* form = GetParentForm())
        form->SetModalResult(modalResult_);
    TButtonControl::Click();
}

void TButton::CNCommand(TMessage& m)
{
    if (HIWORD(m.WParam) == BN_CLICKED)
        Click();
}

void TButton::CMDialogKey(TMessage& m)
{
    if (((m.WParam == VK_RETURN && active_) || (m.WParam == VK_ESCAPE && cancel_)) &&
        KeyDataToShiftState(m.LParam).Empty() && CanFocus()) {
        Click();
        m.Result = 1;
        return;
    }
    Inherited(TButton::StaticClass(), m);
}

void TButton::CMDialogChar(TMessage& m)
{
    if (IsAccel(static_cast<WORD>(m.WParam), Caption()) && CanFocus()) {
        Click();
        m.Result = 1;
        return;
    }
    Inherited(TButton::StaticClass(), m);
}

// The default button answers Enter unless another button has the focus; a focused button
// answers it itself.
void TButton::CMFocusChanged(TMessage& m)
{
    auto* focused = reinterpret_cast<TWinControl*>(m.LParam);
    if (focused == this)
        active_ = true;
    else if (dynamic_cast<TButton*>(focused))
        active_ = false;
    else
        active_ = default_;
    SetButtonStyle(active_);
}

// ---- TCustomCheckBox ------------------------------------------------------------------------

CLASSLIB_PUBLISH(TCustomCheckBox) {}
CLASSLIB_PUBLISH(TCheckBox)
{
    c.Property("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed)
        .SetDefault(false);
    c.Property("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked).SetDefault(false);
    c.Property("State", &TCheckBox::State, &TCheckBox::SetState).SetDefault(cbUnchecked);
    c.Property("WordWrap", &TCheckBox::WordWrap, &TCheckBox::SetWordWrap).SetDefault(false);
}

CLASSLIB_MESSAGE_MAP(TCustomCheckBox)
{
    m.On(CN_COMMAND, &TCustomCheckBox::CNCommand);
    m.On(CM_DIALOGCHAR, &TCustomCheckBox::CMDialogChar);
}

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner)
{
    controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
    SetBounds(0, 0, 97, 17);
}

void TCustomCheckBox::CreateParams(TCreateParams& params)
{
    TButtonControl::CreateParams(params);
    params.Style |= BS_3STATE;
}

void TCustomCheckBox::CreateHandle()
{
    TButtonControl::CreateHandle();
    SendMessageA(handle_, BM_SETCHECK, static_cast<WPARAM>(state_), 0);
}

TCheckBoxState TCustomCheckBox::State() const
{
    return state_;
}

void TCustomCheckBox::SetState(TCheckBoxState value)
{
    if (state_ == value)
        return;
    state_ = value;
    if (handle_)
        SendMessageA(handle_, BM_SETCHECK, static_cast<WPARAM>(state_), 0);
    if (!ComponentState().Contains(csLoading))
        Click();
}

void TCustomCheckBox::SetAllowGrayed(bool value)
{
    allowGrayed_ = value;
}

void TCustomCheckBox::Toggle()
{
    switch (state_) {
        case cbUnchecked:
            SetState(allowGrayed_ ? cbGrayed : cbChecked);
            break;
        case cbChecked:
            SetState(cbUnchecked);
            break;
        case cbGrayed:
            SetState(cbChecked);
            break;
    }
}

void TCustomCheckBox::CNCommand(TMessage& m)
{
    if (HIWORD(m.WParam) == BN_CLICKED)
        Toggle();
}

void TCustomCheckBox::CMDialogChar(TMessage& m)
{
    if (IsAccel(static_cast<WORD>(m.WParam), Caption()) && CanFocus()) {
        SetFocus();
        if (Focused())
            Toggle();
        m.Result = 1;
        return;
    }
    Inherited(TCustomCheckBox::StaticClass(), m);
}

// ---- TRadioButton ---------------------------------------------------------------------------

CLASSLIB_PUBLISH(TRadioButton)
{
    c.Property("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked).SetDefault(false);
    c.Property("WordWrap", &TRadioButton::WordWrap, &TRadioButton::SetWordWrap).SetDefault(false);
}

CLASSLIB_MESSAGE_MAP(TRadioButton)
{
    m.On(CN_COMMAND, &TRadioButton::CNCommand);
    m.On(CM_DIALOGCHAR, &TRadioButton::CMDialogChar);
}

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner)
{
    controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
    SetBounds(0, 0, 113, 17);
}

void TRadioButton::CreateParams(TCreateParams& params)
{
    TButtonControl::CreateParams(params);
    params.Style |= BS_RADIOBUTTON;
}

void TRadioButton::CreateHandle()
{
    TButtonControl::CreateHandle();
    SendMessageA(handle_, BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TRadioButton::Checked() const
{
    return checked_;
}

void TRadioButton::SetChecked(bool value)
{
    if (checked_ == value)
        return;
    checked_ = value;
    tabStop_ = value;
    if (handle_)
        SendMessageA(handle_, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    if (value) {
        if (parent_)
            for (int i = 0; i < parent_->ControlCount(); ++i)
                if (auto* sibling = dynamic_cast<TRadioButton*>(parent_->Controls(i));
                    sibling && sibling != this)
                    sibling->SetChecked(false);
        if (!ComponentState().Contains(csLoading))
            Click();
    }
}

void TRadioButton::CNCommand(TMessage& m)
{
    if (HIWORD(m.WParam) == BN_CLICKED)
        SetChecked(true);
    else if (HIWORD(m.WParam) == BN_DOUBLECLICKED)
        DblClick();
}

void TRadioButton::CMDialogChar(TMessage& m)
{
    if (IsAccel(static_cast<WORD>(m.WParam), Caption()) && CanFocus()) {
        SetFocus();
        SetChecked(true);
        m.Result = 1;
        return;
    }
    Inherited(TRadioButton::StaticClass(), m);
}

// ---- TCustomEdit ----------------------------------------------------------------------------

// The published edit properties belong to the memo as well.
CLASSLIB_PUBLISH(TCustomEdit)
{
    c.Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle)
        .SetDefault(bsSingle);
    c.Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).SetDefault(0);
    c.Property("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).SetDefault(false);
    c.Property("Text", &TCustomEdit::Text, &TCustomEdit::SetText);
    c.Property("OnChange", &TCustomEdit::OnChange);
}
CLASSLIB_PUBLISH(TEdit) {}

CLASSLIB_MESSAGE_MAP(TCustomEdit)
{
    m.On(CN_COMMAND, &TCustomEdit::CNCommand);
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner)
{
    controlStyle_ = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks};
    tabStop_ = true;
    SetBounds(0, 0, 121, 21);
}

void TCustomEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WinClassName = "EDIT";
    params.NativeClass = true;
    params.Style |= ES_AUTOHSCROLL;
    if (readOnly_)
        params.Style |= ES_READONLY;
    if (borderStyle_ != bsNone) {
        if (ctl3D_)
            params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            params.Style |= WS_BORDER;
    }
}

void TCustomEdit::CreateHandle()
{
    TWinControl::CreateHandle();
    SendMessageA(handle_, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TCustomEdit::SetReadOnly(bool value)
{
    readOnly_ = value;
    if (handle_)
        SendMessageA(handle_, EM_SETREADONLY, value, 0);
}

void TCustomEdit::SetMaxLength(int value)
{
    maxLength_ = std::max(0, value);
    if (handle_)
        SendMessageA(handle_, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TCustomEdit::SetBorderStyle(TBorderStyle value)
{
    if (borderStyle_ == value)
        return;
    borderStyle_ = value;
    RecreateWnd();
}

bool TCustomEdit::Modified() const
{
    return handle_ && SendMessageA(handle_, EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::SelectAll()
{
    if (handle_)
        SendMessageA(handle_, EM_SETSEL, 0, -1);
}

void TCustomEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomEdit::CNCommand(TMessage& m)
{
    if (HIWORD(m.WParam) == EN_CHANGE && !controlState_.Contains(csCreating))
        Change();
}

// ---- TCustomMemo ----------------------------------------------------------------------------

namespace {

// The memo's text seen as lines (CR LF separated); a change other than an added last line
// rewrites the control's text.
class TMemoStrings : public TStrings {
public:
    explicit TMemoStrings(TCustomMemo* memo) : memo_(memo) {}
    std::string Get(int index) const override
    {
        const auto lines = Lines();
        if (index < 0 || index >= static_cast<int>(lines.size()))
            throw EStringListError(Format(messages::ListIndexError, {index}));
        return lines[static_cast<size_t>(index)];
    }
    int GetCount() const override { return static_cast<int>(Lines().size()); }
    void Insert(int index, const std::string& s) override
    {
        const std::string text = memo_->Text();
        auto lines = Split(text);
        if (index < 0 || index > static_cast<int>(lines.size()))
            throw EStringListError(Format(messages::ListIndexError, {index}));
        if (index == static_cast<int>(lines.size()) && Append(text, s))
            return;
        lines.insert(lines.begin() + index, s);
        Store(lines);
    }
    void Put(int index, const std::string& s) override
    {
        auto lines = Lines();
        if (index < 0 || index >= static_cast<int>(lines.size()))
            throw EStringListError(Format(messages::ListIndexError, {index}));
        lines[static_cast<size_t>(index)] = s;
        Store(lines);
    }
    void Delete(int index) override
    {
        auto lines = Lines();
        if (index < 0 || index >= static_cast<int>(lines.size()))
            throw EStringListError(Format(messages::ListIndexError, {index}));
        lines.erase(lines.begin() + index);
        Store(lines);
    }
    void Clear() override { memo_->SetText(""); }
    std::string GetText() const override
    {
        std::string s;
        for (const auto& line : Lines())
            s += line + "\r\n";
        return s;
    }
    void SetText(std::string_view text) override
    {
        std::string s(text);
        // Bare line feeds become CR LF, as the control shows only those as line ends.
        std::string out;
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r'))
                out += '\r';
            out += s[i];
        }
        memo_->SetText(out);
    }

private:
    std::vector<std::string> Lines() const { return Split(memo_->Text()); }
    static std::vector<std::string> Split(const std::string& text)
    {
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find_first_of("\r\n", start);
            if (end == std::string::npos) {
                lines.push_back(text.substr(start));
                break;
            }
            lines.push_back(text.substr(start, end - start));
            start = end +
                    ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
        }
        return lines;
    }
    // A line added at the end (a log's usual change) goes in behind the text, where the caret
    // is put: the control neither takes nor lays out its whole text again, and its view follows
    // the new line. Only where the text ends in a whole line or in none.
    bool Append(const std::string& text, const std::string& line)
    {
        if (!memo_->HandleAllocated())
            return false;
        std::string added;
        if (text.empty() || text.ends_with("\r\n"))
            added = line;
        else if (text.back() != '\r' && text.back() != '\n')
            added = "\r\n" + line;
        else
            return false;
        const HWND handle = memo_->Handle();
        const int end = GetWindowTextLengthW(handle);
        SendMessageA(handle, EM_SETSEL, static_cast<WPARAM>(end), end);
        SendMessageA(handle, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(added.c_str()));
        return true;
    }
    void Store(const std::vector<std::string>& lines)
    {
        std::string s;
        for (size_t i = 0; i < lines.size(); ++i)
            s += (i ? "\r\n" : "") + lines[i];
        memo_->SetText(s);
    }
    TCustomMemo* memo_;
};

} // namespace

CLASSLIB_PUBLISH(TCustomMemo) {}
CLASSLIB_PUBLISH(TMemo)
{
    c.Property("Lines", &TMemo::Lines, &TMemo::SetLines);
    c.Property("ScrollBars", &TMemo::ScrollBars, &TMemo::SetScrollBars).SetDefault(ssNone);
    c.Property("WantReturns", &TMemo::WantReturns, &TMemo::SetWantReturns).SetDefault(true);
    c.Property("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap).SetDefault(true);
}

CLASSLIB_MESSAGE_MAP(TCustomMemo)
{
    m.On(WM_GETDLGCODE, &TCustomMemo::WMGetDlgCode);
}

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner), lines_(new TMemoStrings(this))
{
    SetBounds(0, 0, 185, 89);
}

TCustomMemo::~TCustomMemo()
{
    delete lines_;
}

void TCustomMemo::CreateParams(TCreateParams& params)
{
    TCustomEdit::CreateParams(params);
    static const DWORD scroll[] = {0, WS_HSCROLL, WS_VSCROLL, WS_HSCROLL | WS_VSCROLL};
    params.Style |= ES_MULTILINE | ES_AUTOVSCROLL | scroll[scrollBars_];
    if (wantReturns_)
        params.Style |= ES_WANTRETURN;
    if (!wordWrap_ && scrollBars_ != ssHorizontal && scrollBars_ != ssBoth)
        params.Style |= ES_AUTOHSCROLL;
    else if (wordWrap_)
        params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
}

void TCustomMemo::SetScrollBars(TScrollStyle value)
{
    if (scrollBars_ == value)
        return;
    scrollBars_ = value;
    RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool value)
{
    if (wordWrap_ == value)
        return;
    wordWrap_ = value;
    RecreateWnd();
}

void TCustomMemo::WMGetDlgCode(TMessage& m)
{
    DefaultHandler(m);
    m.Result |= DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (wantReturns_)
        m.Result |= DLGC_WANTALLKEYS;
    else
        m.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
}

// ---- TCustomComboBox ------------------------------------------------------------------------

CLASSLIB_PUBLISH(TCustomComboBox) {}
CLASSLIB_PUBLISH(TComboBox)
{
    c.Property("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount)
        .SetDefault(8);
    c.Property("ItemHeight", &TComboBox::ItemHeight, &TComboBox::SetItemHeight);
    c.Property("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex).SetDefault(-1);
    c.Property("Items", &TComboBox::Items, &TComboBox::SetItems);
    c.Property("MaxLength", &TComboBox::MaxLength, &TComboBox::SetMaxLength).SetDefault(0);
    c.Property("Sorted", &TComboBox::Sorted, &TComboBox::SetSorted).SetDefault(false);
    c.Property("Style", &TComboBox::Style, &TComboBox::SetStyle).SetDefault(csDropDown);
    c.Property("Text", &TComboBox::Text, &TComboBox::SetText);
    c.Property("OnChange", &TComboBox::OnChange);
    c.Property("OnCloseUp", &TComboBox::OnCloseUp);
    c.Property("OnDrawItem", &TComboBox::OnDrawItem);
    c.Property("OnDropDown", &TComboBox::OnDropDown);
    c.Property("OnMeasureItem", &TComboBox::OnMeasureItem);
    c.Property("OnSelect", &TComboBox::OnSelect);
}

CLASSLIB_MESSAGE_MAP(TCustomComboBox)
{
    m.On(CN_COMMAND, &TCustomComboBox::CNCommand);
    m.On(CN_DRAWITEM, &TCustomComboBox::CNDrawItem);
    m.On(CN_MEASUREITEM, &TCustomComboBox::CNMeasureItem);
}

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner),
      items_(new TNativeListStrings(this, {CB_ADDSTRING, CB_INSERTSTRING, CB_DELETESTRING,
                                           CB_RESETCONTENT, CB_GETCURSEL, CB_SETCURSEL})),
      canvas_(new TCanvas)
{
    controlStyle_ = TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks};
    tabStop_ = true;
    SetBounds(0, 0, 145, 24);
}

TCustomComboBox::~TCustomComboBox()
{
    DestroyHandle();
    delete items_;
    delete canvas_;
}

TStrings* TCustomComboBox::Items() const
{
    return items_;
}
void TCustomComboBox::SetItems(TStrings* value)
{
    items_->Assign(value);
}

void TCustomComboBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WinClassName = "COMBOBOX";
    params.NativeClass = true;
    static const DWORD styles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST,
                                   CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                                   CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS};
    params.Style |= styles[style_] | WS_VSCROLL | CBS_AUTOHSCROLL;
    if (sorted_)
        params.Style |= CBS_SORT;
    // Room for the drop-down list.
    params.Height = height_ + std::max(1, dropDownCount_) * (itemHeight_ + 2);
}

void TCustomComboBox::CreateHandle()
{
    const std::string text = text_;
    TWinControl::CreateHandle();
    items_->PushAll();
    if (style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable) {
        SendMessageA(handle_, CB_SETITEMHEIGHT, 0, itemHeight_);
    }
    if (itemIndex_ >= 0)
        SendMessageA(handle_, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
    else if (style_ == csDropDown || style_ == csSimple)
        SetWindowTextA(handle_, text.c_str());
    UpdateBounds();
}

void TCustomComboBox::DestroyWnd()
{
    if (handle_)
        itemIndex_ = ItemIndex();
    TWinControl::DestroyWnd();
}

int TCustomComboBox::ItemIndex() const
{
    if (handle_)
        return static_cast<int>(SendMessageA(handle_, CB_GETCURSEL, 0, 0));
    return itemIndex_;
}

void TCustomComboBox::SetItemIndex(int value)
{
    itemIndex_ = value;
    if (handle_)
        SendMessageA(handle_, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void TCustomComboBox::SetStyle(TComboBoxStyle value)
{
    if (style_ == value)
        return;
    style_ = value;
    RecreateWnd();
}

int TCustomComboBox::ItemHeight() const
{
    if (handle_ && (style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable))
        return static_cast<int>(SendMessageA(handle_, CB_GETITEMHEIGHT, 0, 0));
    return itemHeight_;
}

void TCustomComboBox::SetItemHeight(int value)
{
    if (value <= 0)
        return;
    itemHeight_ = value;
    if (handle_ && (style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable))
        SendMessageA(handle_, CB_SETITEMHEIGHT, 0, value);
}

void TCustomComboBox::SetSorted(bool value)
{
    if (sorted_ == value)
        return;
    sorted_ = value;
    items_->SetSorted(value);
    RecreateWnd();
}

bool TCustomComboBox::DroppedDown() const
{
    return handle_ && SendMessageA(handle_, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool value)
{
    SendMessageA(Handle(), CB_SHOWDROPDOWN, value, 0);
}

void TCustomComboBox::Clear()
{
    items_->Clear();
    itemIndex_ = -1;
    text_.clear();
    if (handle_)
        SetWindowTextA(handle_, "");
}

void TCustomComboBox::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomComboBox::CNCommand(TMessage& m)
{
    switch (HIWORD(m.WParam)) {
        case CBN_DBLCLK:
            DblClick();
            break;
        case CBN_EDITCHANGE:
            Change();
            break;
        case CBN_DROPDOWN:
            if (OnDropDown)
                OnDropDown(this);
            break;
        case CBN_CLOSEUP:
            if (OnCloseUp)
                OnCloseUp(this);
            break;
        case CBN_SELCHANGE:
            itemIndex_ = ItemIndex();
            Click();
            if (OnSelect)
                OnSelect(this);
            Change();
            break;
        default:
            break;
    }
}

void TCustomComboBox::DrawItem(int index, RECT rect, TOwnerDrawState state)
{
    if (OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    canvas_->FillRect(rect);
    if (index >= 0 && index < items_->GetCount())
        canvas_->TextOut(rect.left + 2, rect.top, items_->Get(index));
}

void TCustomComboBox::MeasureItem(int index, int& height)
{
    if (OnMeasureItem)
        OnMeasureItem(this, index, height);
}

void TCustomComboBox::CNDrawItem(TMessage& m)
{
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
    TOwnerDrawState state;
    if (item->itemState & ODS_SELECTED)
        state.Include(odSelected);
    if (item->itemState & ODS_GRAYED)
        state.Include(odGrayed);
    if (item->itemState & ODS_DISABLED)
        state.Include(odDisabled);
    if (item->itemState & ODS_FOCUS)
        state.Include(odFocused);
    if (item->itemState & ODS_COMBOBOXEDIT)
        state.Include(odComboBoxEdit);
    canvas_->Lock();
    canvas_->SetHandle(item->hDC);
    try {
        canvas_->SetFont(font_);
        if (state.Contains(odSelected)) {
            canvas_->Brush()->SetColor(clHighlight);
            canvas_->Font()->SetColor(clHighlightText);
        } else {
            canvas_->Brush()->SetColor(color_);
        }
        canvas_->Brush()->SetStyle(bsSolid);
        const int index = static_cast<int>(item->itemID);
        DrawItem(index, item->rcItem, state);
        if (state.Contains(odFocused))
            DrawFocusRect(item->hDC, &item->rcItem);
    } catch (...) {
        canvas_->SetHandle(nullptr);
        canvas_->Unlock();
        throw;
    }
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
    m.Result = TRUE;
}

void TCustomComboBox::CNMeasureItem(TMessage& m)
{
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
    int height = itemHeight_;
    if (style_ == csOwnerDrawVariable)
        MeasureItem(static_cast<int>(item->itemID), height);
    item->itemHeight = static_cast<UINT>(height);
    m.Result = TRUE;
}

// ---- TCustomListBox -------------------------------------------------------------------------

CLASSLIB_PUBLISH(TCustomListBox) {}
CLASSLIB_PUBLISH(TListBox)
{
    c.Property("ItemIndex", &TListBox::ItemIndex, &TListBox::SetItemIndex).SetDefault(-1);
    c.Property("Items", &TListBox::Items, &TListBox::SetItems);
    c.Property("Sorted", &TListBox::Sorted, &TListBox::SetSorted).SetDefault(false);
}

CLASSLIB_MESSAGE_MAP(TCustomListBox)
{
    m.On(CN_COMMAND, &TCustomListBox::CNCommand);
}

TCustomListBox::TCustomListBox(TComponent* owner)
    : TWinControl(owner),
      items_(new TNativeListStrings(this, {LB_ADDSTRING, LB_INSERTSTRING, LB_DELETESTRING,
                                           LB_RESETCONTENT, LB_GETCURSEL, LB_SETCURSEL}))
{
    controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
    tabStop_ = true;
    SetBounds(0, 0, 121, 97);
}

TCustomListBox::~TCustomListBox()
{
    DestroyHandle();
    delete items_;
}

TStrings* TCustomListBox::Items() const
{
    return items_;
}
void TCustomListBox::SetItems(TStrings* value)
{
    items_->Assign(value);
}

void TCustomListBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WinClassName = "LISTBOX";
    params.NativeClass = true;
    params.Style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | LBS_HASSTRINGS;
    if (sorted_)
        params.Style |= LBS_SORT;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateHandle()
{
    TWinControl::CreateHandle();
    items_->PushAll();
    if (itemIndex_ >= 0)
        SendMessageA(handle_, LB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

void TCustomListBox::DestroyWnd()
{
    if (handle_)
        itemIndex_ = ItemIndex();
    TWinControl::DestroyWnd();
}

int TCustomListBox::ItemIndex() const
{
    if (handle_)
        return static_cast<int>(SendMessageA(handle_, LB_GETCURSEL, 0, 0));
    return itemIndex_;
}

void TCustomListBox::SetItemIndex(int value)
{
    itemIndex_ = value;
    if (handle_)
        SendMessageA(handle_, LB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void TCustomListBox::SetSorted(bool value)
{
    if (sorted_ == value)
        return;
    sorted_ = value;
    items_->SetSorted(value);
    RecreateWnd();
}

void TCustomListBox::Clear()
{
    items_->Clear();
    itemIndex_ = -1;
}

void TCustomListBox::CNCommand(TMessage& m)
{
    switch (HIWORD(m.WParam)) {
        case LBN_SELCHANGE:
            itemIndex_ = ItemIndex();
            Click();
            break;
        case LBN_DBLCLK:
            DblClick();
            break;
        default:
            break;
    }
}

// ---- TCustomGroupBox ------------------------------------------------------------------------

CLASSLIB_PUBLISH(TCustomGroupBox) {}
CLASSLIB_PUBLISH(TGroupBox) {}

CLASSLIB_MESSAGE_MAP(TCustomGroupBox)
{
    m.On(CM_DIALOGCHAR, &TCustomGroupBox::CMDialogChar);
    m.On(CM_TEXTCHANGED, &TCustomGroupBox::CMTextChanged);
}

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner)
{
    controlStyle_ =
        TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents,     csSetCaption,
                      csDoubleClicks,    csReplicatable, csParentBackground};
    color_ = clBtnFace;
    parentColor_ = true;
    brush_->SetColor(color_);
    SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::AdjustClientRect(RECT& rect)
{
    TCustomControl::AdjustClientRect(rect);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font_->Handle());
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    rect.top += tm.tmHeight;
    InflateRect(&rect, -1, -1);
    if (ctl3D_)
        InflateRect(&rect, -1, -1);
}

void TCustomGroupBox::Paint()
{
    HDC dc = canvas_->Handle();
    canvas_->Font()->Assign(font_);
    const int h = canvas_->TextHeight("0");
    RECT r = ClientRect();
    r.top += h / 2;
    if (ctl3D_) {
        r.left += 1;
        r.top += 1;
        DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
    } else {
        canvas_->Brush()->SetColor(clWindowFrame);
        canvas_->FrameRect(r);
    }
    const std::string text = Caption();
    if (!text.empty()) {
        RECT t{0, 0, 0, 0};
        DrawTextA(dc, text.c_str(), -1, &t, DT_SINGLELINE | DT_CALCRECT);
        OffsetRect(&t, 8, 0);
        canvas_->Brush()->SetColor(color_);
        canvas_->Brush()->SetStyle(bsSolid);
        SetBkColor(dc, ColorToRGB(color_));
        SetBkMode(dc, OPAQUE);
        SetTextColor(dc, ColorToRGB(enabled_ ? font_->Color() : clGrayText));
        DrawTextA(dc, text.c_str(), -1, &t, DT_SINGLELINE);
    }
}

void TCustomGroupBox::CMDialogChar(TMessage& m)
{
    if (IsAccel(static_cast<WORD>(m.WParam), Caption()) && CanFocus()) {
        SelectNext(nullptr, true, true);
        m.Result = 1;
        return;
    }
    Inherited(TCustomGroupBox::StaticClass(), m);
}

void TCustomGroupBox::CMTextChanged(TMessage&)
{
    Invalidate();
    Realign();
}

void RegisterStandardClasses()
{
    RegisterClasses({&TLabel::StaticClass(), &TButton::StaticClass(), &TCheckBox::StaticClass(),
                     &TRadioButton::StaticClass(), &TEdit::StaticClass(), &TMemo::StaticClass(),
                     &TComboBox::StaticClass(), &TListBox::StaticClass(),
                     &TGroupBox::StaticClass()});
    RegisterExtraClasses();
    RegisterCommonControlClasses();
}

} // namespace classlib
