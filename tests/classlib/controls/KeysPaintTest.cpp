// Key preview (the form sees its controls' keys first) and double buffering (a control paints
// into a memory bitmap that is then copied to its window).
#include "windows/Application.h"
#include "windows/Forms.h"
#include "windows/StdCtrls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace classlib;

namespace {

struct KeyLog : TObject {
    std::vector<std::string> log;
    bool formEatsKey = false;
    void FormKeyDown(TObject*, WORD& key, TShiftState)
    {
        log.push_back("form down " + std::to_string(key));
        if (formEatsKey)
            key = 0;
    }
    void FormKeyPress(TObject*, char& key) { log.push_back(std::string("form press ") + key); }
    void EditKeyDown(TObject*, WORD& key, TShiftState)
    {
        log.push_back("edit down " + std::to_string(key));
    }
};

TEST(KeyPreview, TheFormSeesItsControlsKeysFirstOnlyWithKeyPreview)
{
    struct Case {
        const char* name;
        bool preview;
        bool formEatsKey;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"without preview", false, false, {"edit down 65"}},
        {"with preview", true, false, {"form down 65", "edit down 65", "form press a"}},
        {"the form takes the key", true, true, {"form down 65", "form press a"}},
    };
    for (const Case& c : cases) {
        KeyLog keys;
        keys.formEatsKey = c.formEatsKey;
        auto* form = new TForm(nullptr);
        form->SetKeyPreview(c.preview);
        form->OnKeyDown = TKeyEvent(&keys, &KeyLog::FormKeyDown);
        form->OnKeyPress = TKeyPressEvent(&keys, &KeyLog::FormKeyPress);
        auto* edit = new TEdit(form);
        edit->SetParent(form);
        edit->OnKeyDown = TKeyEvent(&keys, &KeyLog::EditKeyDown);
        form->Show();
        edit->SetFocus();
        Application->ProcessMessages();
        // The message loop translates the key into its character (WM_CHAR 'a').
        PostMessageA(edit->Handle(), WM_KEYDOWN, 'A', 1);
        Application->ProcessMessages();
        EXPECT_EQ(keys.log, c.log) << c.name;
        delete form;
    }
}

// Paints itself green and records the kind of device context it painted on.
class TRecordingControl : public TCustomControl {
    CLASSLIB_CLASS(TRecordingControl, TCustomControl)
    explicit TRecordingControl(TComponent* owner) : TCustomControl(owner) {}
    std::vector<DWORD> paintedOn;

protected:
    void Paint() override
    {
        paintedOn.push_back(GetObjectType(canvas_->Handle()));
        canvas_->Brush()->SetColor(clLime);
        canvas_->FillRect(ClientRect());
    }
};
CLASSLIB_PUBLISH(TRecordingControl) {}

TEST(DoubleBuffered, PaintingGoesThroughAMemoryBitmapToTheWindow)
{
    for (bool buffered : {false, true}) {
        auto* form = new TForm(nullptr);
        auto* control = new TRecordingControl(form);
        control->SetParent(form);
        control->SetBounds(10, 10, 60, 40);
        control->SetDoubleBuffered(buffered);
        form->Show();
        control->paintedOn.clear();
        InvalidateRect(control->Handle(), nullptr, TRUE);
        UpdateWindow(control->Handle());
        ASSERT_FALSE(control->paintedOn.empty());
        EXPECT_EQ(control->paintedOn.back(), static_cast<DWORD>(buffered ? OBJ_MEMDC : OBJ_DC))
            << buffered;
        // What was painted reached the window either way.
        HDC dc = GetDC(control->Handle());
        EXPECT_EQ(GetPixel(dc, 30, 20), RGB(0, 255, 0)) << buffered;
        ReleaseDC(control->Handle(), dc);
        delete form;
    }
}

} // namespace
