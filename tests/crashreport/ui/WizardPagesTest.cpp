// The wizard under Wine: pages built from the resources the form compiler made (embedded in
// this test program), their layout, the Continue check, buttons and keys through the page's own
// message loop, suppressed pages and the wizard's run over its pages.
#include "NVAssistant.h"

#include "GuiTest.h"

#include <string>
#include <vector>

using namespace crashui;
using classlib::TInterfacePtr;

namespace {

TInterfacePtr<INVWizard> Wizard(const std::vector<std::string>& pages)
{
    return BuildAssistant(GetModuleHandleA(nullptr), "Send Assistant", pages, nullptr);
}

HWND Window(const TInterfacePtr<INVItem>& item)
{
    return reinterpret_cast<HWND>(item->Handle());
}

RECT RectInPage(INVForm& page, HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, reinterpret_cast<HWND>(page.Handle()), reinterpret_cast<POINT*>(&r),
                    2);
    return r;
}

void Click(INVForm& page, const TInterfacePtr<INVButton>& button)
{
    HWND window = Window(button);
    PostMessageA(reinterpret_cast<HWND>(page.Handle()), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(window), BN_CLICKED), reinterpret_cast<LPARAM>(window));
}

// What the callbacks saw.
struct TSeen {
    std::vector<std::string> shown;
    int timerTicks = 0;
    bool continueEnabledEmpty = true, continueEnabledTyped = false, skipEnabled = true;
    std::vector<int> gaps;
    bool visibleWhenShown = true;
};
TSeen g_seen;

TEST(WizardPages, BuiltFromTheirResources)
{
    TInterfacePtr<INVWizard> wizard = Wizard({"ContactForm", "DetailsForm", "ScrShotForm"});
    ASSERT_EQ(wizard->FormCount(), 3);
    TInterfacePtr<INVForm> contact = wizard->FormByName("contactform");
    ASSERT_TRUE(contact);
    EXPECT_EQ(contact->Name(), "ContactForm");
    EXPECT_EQ(contact->Message(), "Contact Information");
    EXPECT_EQ(contact->Title(), "Send Assistant");
    EXPECT_EQ(contact->ItemCount(), 8);
    EXPECT_EQ(contact->ContinueBtn()->Caption(), "Continue");
    EXPECT_EQ(contact->EditByName("EmailEdit")->OutputName(), "contact email");
    EXPECT_FALSE(contact->EditByName("EmailEdit")->Optional());
    EXPECT_FALSE(contact->LabelByName("NameEdit")); // an edit, not a label
    EXPECT_EQ(contact->CheckBoxByName("MemCheck")->Caption(), "remember me");
    TInterfacePtr<INVForm> details = wizard->Form(1);
    EXPECT_EQ(details->EditByName("DetailsMemo")->Lines(), 9);
    EXPECT_EQ(details->EditByName("DetailsMemo")->OutputType(), 1);
    TInterfacePtr<INVForm> shot = wizard->Form(2);
    EXPECT_EQ(shot->Timer(), 250);
    EXPECT_EQ(shot->ActiveControl(), "ContinueBtn");
    EXPECT_TRUE(shot->ImageByName("ScrShotImg")->Clickable());
    EXPECT_FALSE(wizard->Form(3));
}

TEST(WizardPages, TheProgramCarriesThePages)
{
    HMODULE program = LoadLibraryExA((std::string("Z:") + BRENVIK_EXE_UNIX_PATH).c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(program);
    const std::vector<std::string> names = {"ContactForm", "DetailsForm", "ScrShotForm"};
    TInterfacePtr<INVWizard> ours = Wizard(names);
    TInterfacePtr<INVWizard> its = BuildAssistant(program, "Send Assistant", names, nullptr);
    for (int32_t k = 0; k < 3; ++k) {
        TInterfacePtr<INVForm> a = ours->Form(k), b = its->Form(k);
        EXPECT_EQ(b->Message(), a->Message()) << names[static_cast<size_t>(k)];
        ASSERT_EQ(b->ItemCount(), a->ItemCount()) << names[static_cast<size_t>(k)];
        EXPECT_GT(b->ItemCount(), 3); // more than the three buttons of a missing resource
        for (int32_t i = 0; i < a->ItemCount(); ++i)
            EXPECT_EQ(b->Item(i)->Name(), a->Item(i)->Name());
    }
    FreeLibrary(program);
}

TEST(WizardPages, MissingResourceGivesTheThreeButtons)
{
    TInterfacePtr<INVWizard> wizard = Wizard({"NoSuchPage"});
    EXPECT_EQ(wizard->Form(0)->ItemCount(), 3);
    EXPECT_EQ(wizard->Form(0)->ContinueBtn()->Caption(), "Next >");
}

void ContactPage(INVForm& page, uint8_t action, INVItem*, void*)
{
    if (action != kActionShowing)
        return;
    g_seen.visibleWhenShown = IsWindowVisible(reinterpret_cast<HWND>(page.Handle())) != 0;
    g_seen.skipEnabled = IsWindowEnabled(Window(page.SkipBtn())) != 0;
    g_seen.continueEnabledEmpty = IsWindowEnabled(Window(page.ContinueBtn())) != 0;
    const char* order[] = {"Label1", "NameEdit", "Label2", "EmailEdit", "MemCheck"};
    for (size_t k = 0; k + 1 < 5; ++k) {
        const RECT a = RectInPage(page, Window(page.Item(static_cast<int32_t>(k + 3))));
        const RECT b = RectInPage(page, Window(page.Item(static_cast<int32_t>(k + 4))));
        g_seen.gaps.push_back(b.top - a.bottom);
        (void)order;
    }
    page.EditByName("EmailEdit")->SetText("someone@example.com");
    g_seen.continueEnabledTyped = IsWindowEnabled(Window(page.ContinueBtn())) != 0;
    Click(page, page.ContinueBtn());
}

TEST(WizardPages, ContactPageLayoutAndContinueCheck)
{
    g_seen = {};
    TInterfacePtr<INVWizard> wizard = Wizard({"ContactForm"});
    TInterfacePtr<INVForm> page = wizard->Form(0);
    page->SetOnAction(ContactPage);
    EXPECT_EQ(page->RunModal(0), kResultContinued);
    EXPECT_FALSE(g_seen.visibleWhenShown);
    EXPECT_FALSE(g_seen.skipEnabled);
    EXPECT_FALSE(g_seen.continueEnabledEmpty); // the e-mail is required
    EXPECT_TRUE(g_seen.continueEnabledTyped);
    // window gaps: head label 4 (+2 frame), edit before a head label 8 (frame 2, label -2),
    // head label 4 (+2), edit before the check box 12 (+2 frame)
    EXPECT_EQ(g_seen.gaps, (std::vector<int>{6, 8, 6, 14}));
    EXPECT_EQ(page->EditByName("EmailEdit")->Text(), "someone@example.com"); // kept after
    EXPECT_EQ(page->Handle(), 0u);
}

struct TDetailsSeen {
    int gap = 0, memoHeight = 0, lineHeight = 0;
    bool continueEmpty = true, continueTyped = false, skip = false;
    std::string afterEnter;
} g_details;

void CALLBACK ScreenshotThenSkip(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    testsupport::SaveScreenshot("assistant-details-page");
    HWND page = testsupport::FindThreadWindow(kAssistantWindowClass);
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[32] = {};
        GetWindowTextA(child, text, sizeof(text));
        if (std::string(text) == "Skip")
            PostMessageA(page, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED),
                         reinterpret_cast<LPARAM>(child));
    }
}

void DetailsPage(INVForm& page, uint8_t action, INVItem*, void*)
{
    if (action != kActionShowing)
        return;
    HWND label = Window(page.LabelByName("Label1"));
    HWND memo = Window(page.EditByName("DetailsMemo"));
    g_details.gap = RectInPage(page, memo).top - RectInPage(page, label).bottom;
    RECT r;
    GetWindowRect(memo, &r);
    g_details.memoHeight = r.bottom - r.top;
    HDC dc = GetDC(memo);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(memo, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, "Gg", 2, &size);
    SelectObject(dc, previous);
    ReleaseDC(memo, dc);
    g_details.lineHeight = size.cy;
    g_details.skip = IsWindowEnabled(Window(page.SkipBtn())) != 0;
    g_details.continueEmpty = IsWindowEnabled(Window(page.ContinueBtn())) != 0;
    // Typed text (a set text does not re-check Continue); Enter in the multi-line edit is a
    // line break, not a move to the next item.
    SetFocus(memo);
    for (char c : std::string("saving"))
        SendMessageA(memo, WM_CHAR, static_cast<WPARAM>(c), 1);
    g_details.continueTyped = IsWindowEnabled(Window(page.ContinueBtn())) != 0;
    SendMessageA(memo, WM_CHAR, VK_RETURN, 1);
    g_details.afterEnter = page.EditByName("DetailsMemo")->Text();
    SetTimer(nullptr, 0, 200, ScreenshotThenSkip); // once the page is on the display
}

TEST(WizardPages, DetailsPageLayoutAndKeys)
{
    g_details = {};
    TInterfacePtr<INVWizard> wizard = Wizard({"DetailsForm"});
    TInterfacePtr<INVForm> page = wizard->Form(0);
    page->SetOnAction(DetailsPage);
    EXPECT_EQ(page->RunModal(0), kResultSkipped);
    EXPECT_EQ(g_details.gap, 6); // head label 4, edit window 2 inside its frame
    EXPECT_EQ(g_details.memoHeight, 9 * g_details.lineHeight + 2);
    EXPECT_TRUE(g_details.skip);
    EXPECT_FALSE(g_details.continueEmpty); // the details are required
    EXPECT_TRUE(g_details.continueTyped);
    EXPECT_EQ(g_details.afterEnter, "saving\r\n");
}

void EscapeOnShow(INVForm& page, uint8_t action, INVItem*, void*)
{
    if (action != kActionShowing)
        return;
    g_seen.shown.push_back(page.Name());
    PostMessageA(reinterpret_cast<HWND>(page.Handle()), WM_KEYDOWN, VK_ESCAPE, 1);
}

TEST(WizardPages, EscapeCancelsAndTheWizardStops)
{
    g_seen = {};
    TInterfacePtr<INVWizard> wizard = Wizard({"ContactForm", "DetailsForm"});
    wizard->SetOnAction(EscapeOnShow);
    EXPECT_EQ(wizard->RunModal(0), kResultCancelled);
    EXPECT_EQ(g_seen.shown, std::vector<std::string>{"ContactForm"});
}

void ContinueSkipContinue(INVForm& page, uint8_t action, INVItem*, void*)
{
    if (action != kActionShowing)
        return;
    g_seen.shown.push_back(page.Name());
    if (page.Name() == "ContactForm")
        page.EditByName("EmailEdit")->SetText("a@b.c");
    Click(page, page.Name() == "DetailsForm" ? page.SkipBtn() : page.ContinueBtn());
}

TEST(WizardPages, ASkippedPageCountsAsContinuing)
{
    g_seen = {};
    HWND parent = CreateWindowExA(0, "Static", "parent", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    TInterfacePtr<INVWizard> wizard = Wizard({"ContactForm", "DetailsForm", "ScrShotForm"});
    wizard->SetOnAction(ContinueSkipContinue);
    EXPECT_EQ(wizard->RunModal(reinterpret_cast<uintptr_t>(parent)), kResultContinued);
    EXPECT_EQ(g_seen.shown,
              (std::vector<std::string>{"ContactForm", "DetailsForm", "ScrShotForm"}));
    EXPECT_EQ(wizard->Form(1)->ModalResult(), kResultSkipped);
    EXPECT_TRUE(IsWindowEnabled(parent));
    DestroyWindow(parent);
}

void SuppressOnShow(INVForm& page, uint8_t action, INVItem*, void*)
{
    if (action == kActionShowing)
        page.Suppress();
}

TEST(WizardPages, ASuppressedPageIsNeverShownAndReleasesItsParent)
{
    HWND parent = CreateWindowExA(0, "Static", "parent", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    TInterfacePtr<INVWizard> wizard = Wizard({"DetailsForm"});
    TInterfacePtr<INVForm> page = wizard->Form(0);
    page->SetOnAction(SuppressOnShow);
    EXPECT_EQ(page->RunModal(reinterpret_cast<uintptr_t>(parent)), kResultSkipped);
    EXPECT_TRUE(IsWindowEnabled(parent)); // it stayed disabled before
    EXPECT_EQ(page->Handle(), 0u); // its window is gone (other test processes have pages too)
    DestroyWindow(parent);
}

void CountTicks(INVForm& page, uint8_t action, INVItem* item, void*)
{
    if (action == kActionItem && !item && ++g_seen.timerTicks == 2)
        Click(page, page.CancelBtn());
}

TEST(WizardPages, TheTimerFiresItemActionsUntilAButton)
{
    g_seen = {};
    TInterfacePtr<INVWizard> wizard = Wizard({"ScrShotForm"});
    TInterfacePtr<INVForm> page = wizard->Form(0);
    page->SetOnAction(CountTicks);
    EXPECT_EQ(page->RunModal(0), kResultCancelled);
    EXPECT_EQ(g_seen.timerTicks, 2);
    EXPECT_EQ(page->Timer(), 0); // stopped by the button
}

HWND g_emailEdit;
HWND g_focusAfterEnter;

void CALLBACK LookAtFocusThenEscape(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    g_focusAfterEnter = GetFocus();
    if (HWND page = testsupport::FindThreadWindow(kAssistantWindowClass))
        PostMessageA(page, WM_KEYDOWN, VK_ESCAPE, 1);
}

void EnterInNameEdit(INVForm& page, uint8_t action, INVItem*, void*)
{
    if (action != kActionShowing)
        return;
    g_emailEdit = Window(page.EditByName("EmailEdit"));
    HWND name = Window(page.EditByName("NameEdit"));
    PostMessageA(name, WM_KEYDOWN, VK_RETURN, 1);
    SetTimer(nullptr, 0, 200, LookAtFocusThenEscape);
}

TEST(WizardPages, EnterInAOneLineEditMovesToTheNextItem)
{
    g_focusAfterEnter = nullptr;
    TInterfacePtr<INVWizard> wizard = Wizard({"ContactForm"});
    TInterfacePtr<INVForm> page = wizard->Form(0);
    page->SetOnAction(EnterInNameEdit);
    EXPECT_EQ(page->RunModal(0), kResultCancelled);
    EXPECT_EQ(g_focusAfterEnter, g_emailEdit); // the label between has no tab stop
}

} // namespace
