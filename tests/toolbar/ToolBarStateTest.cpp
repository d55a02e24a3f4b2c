// A toolbar's own state through a real store: a toolbar that floated when its form went floats
// again at the stored place with its hidden control still hidden, through an INI file and
// through the registry; one that docked again stays docked.
#include "toolbar/AdvDockPanel.h"
#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarItems.h"
#include "toolbar/FloatingWindow.h"

#include "windows/Application.h"
#include "windows/Forms.h"
#include "windows/Registry.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

using namespace classlib;
using namespace toolbar;

namespace {

std::string TempFile(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

// A form with a top dock panel and the toolbar "Edit" holding the buttons "Open" and "Save".
struct StateForm {
    StateForm(TPersistenceLocation location, const std::string& key)
    {
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 500, 300);
        form->Show();
        auto* panel = new TAdvDockPanel(form);
        panel->SetName("Top");
        panel->SetParent(form);
        // The dock panel hands its store on to the toolbars it takes.
        TPersistence* p = panel->Persistence();
        p->SetLocation(location);
        p->SetKey(key);
        p->SetEnabled(true);
        bar = new TAdvCustomToolBar(form);
        bar->SetName("Edit");
        bar->SetParent(panel);
        for (const char* name : {"Open", "Save"}) {
            auto* b = new TAdvToolBarMenuButton(form);
            b->SetName(name);
            b->SetParent(bar);
        }
        save = dynamic_cast<TControl*>(form->FindComponent("Save"));
    }
    ~StateForm()
    {
        form->Free();
        Application->ProcessMessages();
    }
    TForm* form;
    TAdvCustomToolBar* bar;
    TControl* save;
};

// Opens the store afresh for each check (an INI file object reads its file once).
using OpenStore = std::function<std::unique_ptr<TCustomIniFile>()>;

void RoundTrip(TPersistenceLocation location, const std::string& key, const OpenStore& open)
{
    POINT place{};
    {
        StateForm first(location, key);
        first.bar->MakeFloating(320, 260, true);
        ASSERT_EQ(first.bar->State(), tsFloating);
        place = POINT{first.bar->FloatingWindow()->Left(), first.bar->FloatingWindow()->Top()};
        first.save->SetVisible(false);
    }
    const std::string section = "UnDockedAdvToolBars";
    std::unique_ptr<TCustomIniFile> check = open();
    EXPECT_EQ(check->ReadString(section, "Edit.Name", ""), "Edit");
    EXPECT_EQ(check->ReadInteger(section, "Edit.State", -1), 1);
    EXPECT_EQ(check->ReadInteger(section, "Edit.Left", -1), place.x);
    EXPECT_EQ(check->ReadInteger(section, "Edit.Save", -1), 0);
    EXPECT_EQ(check->ReadInteger(section, "Edit.Open", -1), 1);
    {
        StateForm second(location, key);
        second.bar->LoadState();
        EXPECT_EQ(second.bar->State(), tsFloating);
        ASSERT_NE(second.bar->FloatingWindow(), nullptr);
        EXPECT_EQ(second.bar->FloatingWindow()->Left(), place.x);
        EXPECT_EQ(second.bar->FloatingWindow()->Top(), place.y);
        EXPECT_FALSE(second.save->Visible());
        // Docked again before the form goes: the next start keeps it docked.
        second.bar->SetParent(dynamic_cast<TWinControl*>(second.form->FindComponent("Top")));
        ASSERT_EQ(second.bar->State(), tsDocked);
    }
    check = open();
    EXPECT_EQ(check->ReadInteger(section, "Edit.State", -1), 0);
    StateForm third(location, key);
    third.bar->LoadState();
    EXPECT_EQ(third.bar->State(), tsDocked);
    dynamic_cast<TAdvDockPanel*>(third.form->FindComponent("Top"))
        ->Persistence()
        ->SetEnabled(false);
}

TEST(ToolBarState, RoundTripThroughAnIniFile)
{
    const std::string file = TempFile("brenvik-toolbar-state.ini");
    DeleteFileA(file.c_str());
    RoundTrip(plIniFile, file, [&] { return std::make_unique<TIniFile>(file); });
    DeleteFileA(file.c_str());
}

TEST(ToolBarState, RoundTripThroughTheRegistry)
{
    const std::string key = "Software\\BrenvikTests\\ToolBarState";
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    RoundTrip(plRegistry, key, [&] { return std::make_unique<TRegistryIniFile>(key); });
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}

} // namespace
