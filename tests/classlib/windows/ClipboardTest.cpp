// The clipboard object on Wine's real clipboard, checked against the system's own calls.
#include "windows/Clipboard.h"
#include "windows/Images.h"

#include "GuiTest.h"

#include <cstring>

using namespace classlib;

namespace {

// What the clipboard holds as CF_TEXT, read with the system's calls alone.
std::string SystemClipboardText()
{
    if (!OpenClipboard(nullptr))
        return "<cannot open>";
    std::string text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

TEST(Clipboard, TextGoesToAndComesFromTheSystemClipboard)
{
    Clipboard()->SetAsText("Brenvik\r\nline two");
    EXPECT_EQ(SystemClipboardText(), "Brenvik\r\nline two");
    EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
    EXPECT_EQ(Clipboard()->OpenCount(), 0);
    EXPECT_EQ(GetOpenClipboardWindow(), nullptr); // closed again

    // Put there by the system's calls (with an owner window), read by the object.
    HWND owner =
        CreateWindowExA(0, "STATIC", "owner", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 6);
    memcpy(GlobalLock(block), "hello", 6);
    GlobalUnlock(block);
    EXPECT_NE(SetClipboardData(CF_TEXT, block), nullptr);
    CloseClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "hello");
    DestroyWindow(owner);

    Clipboard()->Clear();
    EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));
    EXPECT_EQ(Clipboard()->AsText(), "");
}

// Inside one opening the first addition empties the clipboard and later ones join it.
TEST(Clipboard, OpeningNestsAndAdditionsInsideOneOpeningStayTogether)
{
    const UINT custom = RegisterClipboardFormatA("Brenvik test format");
    Clipboard()->Open();
    Clipboard()->Open();
    EXPECT_EQ(Clipboard()->OpenCount(), 2);
    Clipboard()->SetAsText("first");
    const char bytes[] = {1, 2, 3};
    Clipboard()->SetBuffer(custom, bytes, sizeof bytes);
    Clipboard()->Close();
    EXPECT_NE(GetOpenClipboardWindow(), nullptr); // still open: one opening left
    Clipboard()->Close();
    EXPECT_EQ(Clipboard()->OpenCount(), 0);
    EXPECT_EQ(GetOpenClipboardWindow(), nullptr);

    EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
    EXPECT_TRUE(Clipboard()->HasFormat(custom));
    bool listed = false;
    for (int i = 0; i < Clipboard()->FormatCount(); ++i)
        listed = listed || Clipboard()->Formats(i) == custom;
    EXPECT_TRUE(listed);
    HANDLE data = Clipboard()->GetAsHandle(custom);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(memcmp(GlobalLock(data), bytes, sizeof bytes), 0);
    GlobalUnlock(data);

    // A new opening empties again: the custom format is gone.
    Clipboard()->SetAsText("second");
    EXPECT_FALSE(Clipboard()->HasFormat(custom));
    EXPECT_EQ(SystemClipboardText(), "second");
}

TEST(Clipboard, ClipboardHeldOpenByAnotherWindowCannotBeOpened)
{
    HWND other =
        CreateWindowExA(0, "STATIC", "holder", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(OpenClipboard(other));
    try {
        Clipboard()->SetAsText("refused");
        ADD_FAILURE() << "no exception";
    } catch (const EClipboardException& e) {
        EXPECT_STREQ(e.what(), "Cannot open clipboard");
    }
    EXPECT_EQ(Clipboard()->OpenCount(), 0);
    CloseClipboard();
    DestroyWindow(other);
    Clipboard()->SetAsText("accepted");
    EXPECT_EQ(SystemClipboardText(), "accepted");
}

TEST(Clipboard, GraphicsAreAssignedBothWays)
{
    TBitmap bitmap;
    bitmap.SetSize(5, 4);
    bitmap.Canvas()->SetPixel(2, 1, clRed);
    Clipboard()->Assign(&bitmap);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));

    TBitmap back;
    back.Assign(Clipboard());
    ASSERT_EQ(back.Width(), 5);
    EXPECT_EQ(back.Canvas()->Pixel(2, 1), clRed);
    EXPECT_EQ(back.Canvas()->Pixel(0, 0), clWhite);

    TPicture picture;
    picture.Assign(Clipboard());
    auto* loaded = dynamic_cast<TBitmap*>(picture.Graphic());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Canvas()->Pixel(2, 1), clRed);

    Clipboard()->SetAsText("no picture");
    TPicture none;
    EXPECT_THROW(none.Assign(Clipboard()), EInvalidGraphic);
}

} // namespace
