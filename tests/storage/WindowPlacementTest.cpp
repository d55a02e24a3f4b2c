// The show state a saved placement gives a form, and what storing one adds for a minimized
// MDI child. No form of this test is the application's main form, and there is none, so each
// counts as the main form.
#include "OcWindowPlacement.h"
#include "StorageFixture.h"

#include "windows/Application.h"
#include "windows/Forms.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace classlib;
using namespace storage;
using storagetest::MemoryIniStorage;

namespace {

// Takes the minimize command the placement posted to the application window, if any.
bool TakePostedMinimize()
{
    MSG msg;
    bool posted = false;
    while (PeekMessageA(&msg, Application->Handle(), WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE))
        posted = posted || msg.wParam == SC_MINIMIZE;
    return posted;
}

TEST(WindowPlacement, SavedShowCommandOverTheStateTheFormStartsWith)
{
    ASSERT_EQ(Application->MainForm(), nullptr);
    TakePostedMinimize();
    struct Case {
        TFormStyle style;
        TPosition position;
        const char* showCmd; // nullptr: none saved
        TWindowState expected;
        bool minimizesTheApplication;
    };
    const Case cases[] = {
        // An MDI frame starts maximized; a saved command that names a state overrides it,
        // "show without activating" (4) does not.
        {fsMDIForm, poDesigned, nullptr, wsMaximized, false},
        {fsMDIForm, poDesigned, "0", wsMaximized, false},
        {fsMDIForm, poDesigned, "4", wsMaximized, false},
        {fsMDIForm, poDesigned, "1", wsNormal, false},
        {fsMDIForm, poDesigned, "9", wsNormal, false},
        // An MDI child starts normal, also with the default position.
        {fsMDIChild, poDefault, nullptr, wsNormal, false},
        {fsMDIChild, poDesigned, "3", wsMaximized, false},
        // Other forms keep their state whatever was saved.
        {fsNormal, poDefault, "3", wsNormal, false},
        {fsNormal, poDesigned, "1", wsNormal, false},
        // Minimized main forms (2, 6, 7) show normally and the application minimizes.
        {fsNormal, poDesigned, "2", wsNormal, true},
        {fsMDIForm, poDesigned, "6", wsNormal, true},
        {fsMDIChild, poDesigned, "7", wsNormal, true},
    };
    auto* frame = new TForm(nullptr);
    frame->SetFormStyle(fsMDIForm);
    frame->HandleNeeded();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.style) + " " + std::to_string(c.position) + " ShowCmd " +
                     (c.showCmd ? c.showCmd : "none"));
        auto* storage = new MemoryIniStorage();
        storage->SetAsText(c.showCmd ? std::string("[f]\r\nShowCmd=") + c.showCmd + "\r\n" : "");
        auto* form = new TForm(nullptr);
        form->SetFormStyle(c.style);
        form->SetPosition(c.position);
        // A state that none of the expectations holds for normal forms, to see it kept.
        form->SetWindowState(c.minimizesTheApplication ? wsMaximized : wsNormal);
        LoadWindowPlacement(form, storage, "f", TPlacementOptions{fpState});
        EXPECT_EQ(form->WindowState(), c.expected);
        EXPECT_EQ(TakePostedMinimize(), c.minimizesTheApplication);
        EXPECT_FALSE(IsWindowVisible(form->Handle())) << "the state is for the coming show";
        form->Free();
        storage->Free();
    }
    frame->Free();
}

TEST(WindowPlacement, AMinimizedMDIChildStoresItsMinimizedPosition)
{
    auto* frame = new TForm(nullptr);
    frame->SetFormStyle(fsMDIForm);
    frame->HandleNeeded();
    auto* child = new TForm(nullptr);
    child->SetFormStyle(fsMDIChild);
    auto* storage = new MemoryIniStorage();
    for (TWindowState state : {wsNormal, wsMinimized}) {
        child->SetWindowState(state);
        StoreWindowPlacement(child, storage, "f", TPlacementOptions{fpSize});
        // WPF_SETMINPOSITION is 1.
        EXPECT_EQ(storage->LoadInteger("f\\Flags", -1) & 1, state == wsMinimized ? 1 : 0) << state;
    }
    storage->Free();
    child->Free();
    frame->Free();
}

} // namespace
