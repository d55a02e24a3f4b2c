// The window hook component on a form: it sees the hooked control's messages while Active and
// assigned, and a hook of its own form is stored as the hidden property "IsForm".
#include "OcFormStorage.h"
#include "OcWndProcHook.h"

#include "core/ComponentStream.h"
#include "core/FormText.h"
#include "core/Streams.h"
#include "windows/Forms.h"
#include "windows/StdCtrls.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace classlib;
using namespace storage;

namespace {

constexpr UINT Probe = WM_USER + 77;

class THookedForm : public TForm {
    CLASSLIB_CLASS(THookedForm, TForm)
    explicit THookedForm(TComponent* owner) : TForm(owner) {}
    int before = 0;
    void HookBefore(TObject*, TMessage& msg, bool&)
    {
        if (msg.Msg == Probe)
            ++before;
    }
};

CLASSLIB_PUBLISH(THookedForm)
{
    c.Method("HookBefore", &THookedForm::HookBefore);
}

const char* const Layout = R"(object HookedForm: THookedForm
  Left = 10
  Top = 10
  Width = 200
  Height = 150
  object Hook: TOcWindowHook
    BeforeMessage = HookBefore
    IsForm = True
  end
end
)";

struct WindowHook : ::testing::Test {
    WindowHook()
    {
        RegisterFormClasses();
        RegisterStandardClasses();
        RegisterClasses({&THookedForm::StaticClass()});
        RegisterStorageClasses();
        form = new THookedForm(nullptr);
        TStringStream stream(ObjectTextToBinary(Layout));
        form->LoadLayoutFromStream(stream);
        hook = dynamic_cast<TOcWindowHook*>(form->FindComponent("Hook"));
    }
    ~WindowHook() override { form->Free(); }
    int Probes()
    {
        const int before = form->before;
        SendMessageA(form->Handle(), Probe, 0, 0);
        return form->before - before;
    }
    THookedForm* form;
    TOcWindowHook* hook;
};

TEST_F(WindowHook, IsFormHooksTheOwningFormAndIsWrittenInsteadOfControl)
{
    ASSERT_NE(hook, nullptr);
    EXPECT_EQ(hook->Control(), form);
    EXPECT_TRUE(hook->HooksOwnerForm());
    EXPECT_EQ(Probes(), 1);

    // The hook written as it is streamed inside its form.
    TStringStream out;
    WriteComponentToStream(out, hook);
    const std::string text = ObjectBinaryToText(out.DataString());
    EXPECT_NE(text.find("IsForm = True"), std::string::npos) << text;
    EXPECT_EQ(text.find("Control ="), std::string::npos) << text;

    // Another control is a reference of its own, and no "IsForm" is written.
    auto* edit = new TEdit(form);
    edit->SetName("Edit1");
    edit->SetParent(form);
    hook->SetControl(edit);
    TStringStream again;
    WriteComponentToStream(again, hook);
    const std::string other = ObjectBinaryToText(again.DataString());
    EXPECT_EQ(other.find("IsForm"), std::string::npos) << other;
    EXPECT_NE(other.find("Control = "), std::string::npos) << other;
}

TEST_F(WindowHook, ActiveAndControlDecideWhatIsSeen)
{
    ASSERT_NE(hook, nullptr);
    EXPECT_TRUE(hook->Active());
    hook->SetActive(false);
    EXPECT_EQ(Probes(), 0);
    hook->SetActive(true);
    EXPECT_EQ(Probes(), 1);

    // Moved to another control, the form's messages are no longer seen.
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    hook->SetControl(edit);
    EXPECT_EQ(Probes(), 0);
    const int before = form->before;
    SendMessageA(edit->Handle(), Probe, 0, 0);
    EXPECT_EQ(form->before, before + 1);

    // Without its handler the hook sees nothing; the control's end clears the reference.
    hook->SetBeforeMessage(TOcHookMessageEvent());
    SendMessageA(edit->Handle(), Probe, 0, 0);
    EXPECT_EQ(form->before, before + 1);
    edit->Free();
    EXPECT_EQ(hook->Control(), nullptr);
    EXPECT_TRUE(hook->Active());
}

} // namespace
