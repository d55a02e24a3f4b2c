// TGDIPPicture: keeps the bytes as loaded, measures and draws them through GDI+ (pixels from
// a 32-bit DIB section), assignment and its events, and the round trip through a form layout.
#include "draw/AdvGDIP.h"
#include "draw/GDIPicture.h"

#include "core/ComponentStream.h"
#include "core/FormText.h"
#include "core/TypeInfo.h"

#include "DrawTestSupport.h"
#include "NoClipboardForm.h"
#include "GuiTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace classlib;
using namespace draw;
using testsupport::Dib;

namespace {

std::string BytesOf(TGDIPPicture& picture)
{
    TMemoryStream& data = picture.Data();
    return std::string(static_cast<const char*>(data.Memory()), static_cast<size_t>(data.Size()));
}

// Records the order of a picture's events.
struct EventLog : TObject {
    std::vector<std::string> events;
    void Change(TObject*) { events.push_back("change"); }
    void Clear(TObject*) { events.push_back("clear"); }
    void Watch(TGDIPPicture& picture)
    {
        picture.OnChange = TNotifyEvent(this, &EventLog::Change);
        picture.OnClear = TNotifyEvent(this, &EventLog::Clear);
    }
};

// A canvas over a DIB's device context.
struct DibCanvas {
    explicit DibCanvas(Dib& dib) { canvas.SetHandle(dib.dc()); }
    ~DibCanvas() { canvas.SetHandle(nullptr); }
    TCanvas canvas;
};

void LoadFixture(TGDIPPicture& picture, const char* name)
{
    TStringStream stream(drawtest::FixtureBytes(name));
    picture.LoadFromStream(stream);
}

TEST(GDIPicture, ANewPictureIsEmptyAndDrawsNothing)
{
    TGDIPPicture picture;
    EXPECT_TRUE(picture.Empty());
    EXPECT_EQ(picture.Width(), 0);
    EXPECT_EQ(picture.Height(), 0);
    EXPECT_FALSE(picture.UpdateImageSize());
    Dib dib(10, 10, 0x123456);
    DibCanvas c(dib);
    picture.Draw(&c.canvas, RECT{0, 0, 10, 10});
    EXPECT_EQ(dib.Pixel(5, 5), 0x123456u);
}

TEST(GDIPicture, LoadFromStreamKeepsTheWholeStreamAndMeasuresIt)
{
    const std::string png = drawtest::FixtureBytes("quadrants.png");
    TStringStream stream(png);
    stream.SetPosition(30); // in the middle: still copied from the start
    TGDIPPicture picture;
    EventLog log;
    log.Watch(picture);
    picture.LoadFromStream(stream);
    EXPECT_EQ(BytesOf(picture), png);
    EXPECT_FALSE(picture.Empty());
    EXPECT_EQ(picture.Width(), 8);
    EXPECT_EQ(picture.Height(), 8);
    EXPECT_EQ(log.events, std::vector<std::string>{"change"});

    TStringStream saved;
    picture.SaveToStream(saved);
    EXPECT_EQ(saved.DataString(), png);
}

TEST(GDIPicture, APngIsScaledToTheRectangle)
{
    TGDIPPicture picture;
    LoadFixture(picture, "quadrants.png");
    Dib dib(64, 64, 0x000000);
    DibCanvas c(dib);
    picture.Draw(&c.canvas, RECT{16, 8, 48, 40}); // 32 x 32: each quadrant 16 x 16
    EXPECT_EQ(dib.Pixel(24, 16), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(40, 16), 0x0000FFu);
    EXPECT_EQ(dib.Pixel(24, 32), 0x00FF00u);
    EXPECT_EQ(dib.Pixel(40, 32), 0xFFFFFFu);
    EXPECT_EQ(dib.Pixel(8, 20), 0u);  // left of the rectangle
    EXPECT_EQ(dib.Pixel(56, 20), 0u); // right of it
    EXPECT_EQ(dib.Pixel(30, 50), 0u); // below it
}

TEST(GDIPicture, ClipboardFormatsDoNothing)
{
    TGDIPPicture picture;
    LoadFixture(picture, "quadrants.png");
    const std::string before = BytesOf(picture);
    EXPECT_TRUE(drawtest::HandsOverNoClipboardData(picture));
    EXPECT_EQ(BytesOf(picture), before);
}

TEST(GDIPicture, ABmpIsDrawnInItsNaturalSizeWithoutItsBottomLeftColour)
{
    const RECT rects[] = {{4, 4, 8, 8}, {4, 4, 40, 40}}; // smaller and larger than 8 x 8
    for (const RECT& r : rects) {
        TGDIPPicture picture;
        LoadFixture(picture, "quadrants.bmp");
        Dib dib(48, 48, 0x123456);
        DibCanvas c(dib);
        picture.Draw(&c.canvas, r);
        EXPECT_EQ(dib.Pixel(5, 5), 0xFF0000u);
        EXPECT_EQ(dib.Pixel(10, 5), 0x0000FFu);
        EXPECT_EQ(dib.Pixel(10, 10), 0xFFFFFFu);
        EXPECT_EQ(dib.Pixel(5, 10), 0x123456u); // green, the bottom-left colour, is left out
        EXPECT_EQ(dib.Pixel(13, 5), 0x123456u); // not stretched past 8 pixels
        EXPECT_EQ(dib.Pixel(5, 13), 0x123456u);
    }
}

TEST(GDIPicture, UndecodableOrTruncatedBytesMeasureZeroAndDrawNothing)
{
    const std::string damaged[] = {
        "not an image at all",
        drawtest::FixtureBytes("quadrants.png").substr(0, 40), // ends inside the header chunk
        drawtest::FixtureBytes("quadrants.gif").substr(0, 12), // ends inside the screen descriptor
    };
    for (const std::string& bytes : damaged) {
        TGDIPPicture picture;
        TStringStream stream(bytes);
        EXPECT_NO_THROW(picture.LoadFromStream(stream));
        EXPECT_FALSE(picture.Empty());
        EXPECT_EQ(picture.Width(), 0);
        EXPECT_EQ(picture.Height(), 0);
        Dib dib(10, 10, 0x123456);
        DibCanvas c(dib);
        EXPECT_NO_THROW(picture.Draw(&c.canvas, RECT{0, 0, 10, 10}));
        EXPECT_EQ(dib.Pixel(5, 5), 0x123456u);
    }
}

TEST(GDIPicture, AssignCopiesAnotherPicturesBytes)
{
    TGDIPPicture source;
    LoadFixture(source, "quadrants.gif");
    TGDIPPicture copy;
    EventLog log;
    log.Watch(copy);
    copy.Assign(&source);
    EXPECT_EQ(BytesOf(copy), BytesOf(source));
    EXPECT_FALSE(copy.Empty());
    EXPECT_EQ(copy.Width(), 8);
    EXPECT_EQ(log.events, std::vector<std::string>{"change"});

    TGDIPPicture empty;
    copy.Assign(&empty);
    EXPECT_TRUE(copy.Empty());
}

TEST(GDIPicture, AssigningItselfKeepsThePicture)
{
    TGDIPPicture picture;
    LoadFixture(picture, "quadrants.png");
    const std::string before = BytesOf(picture);
    picture.Assign(&picture);
    EXPECT_EQ(BytesOf(picture), before);
    EXPECT_FALSE(picture.Empty());
    EXPECT_EQ(picture.Width(), 8);
}

TEST(GDIPicture, AssignNothingClearsWithChangeBeforeClearAndKeepsTheSize)
{
    TGDIPPicture picture;
    LoadFixture(picture, "quadrants.png");
    EventLog log;
    log.Watch(picture);
    picture.Assign(nullptr);
    EXPECT_TRUE(picture.Empty());
    EXPECT_EQ(picture.Data().Size(), 0);
    EXPECT_EQ(log.events, (std::vector<std::string>{"change", "clear"}));
    EXPECT_EQ(picture.Width(), 8);
    EXPECT_EQ(picture.Height(), 8);
}

TEST(GDIPicture, AssignFromABitmapOrPlatformPictureStoresABmpFile)
{
    TBitmap bitmap;
    bitmap.SetSize(5, 3);
    bitmap.Canvas()->Brush()->SetColor(clRed);
    bitmap.Canvas()->FillRect(RECT{0, 0, 5, 3});
    TMemoryStream bmp;
    bitmap.SaveToStream(bmp);
    const std::string bmpBytes(static_cast<const char*>(bmp.Memory()),
                               static_cast<size_t>(bmp.Size()));

    TGDIPPicture fromBitmap;
    fromBitmap.Assign(&bitmap);
    EXPECT_EQ(BytesOf(fromBitmap), bmpBytes);
    EXPECT_FALSE(fromBitmap.Empty());
    EXPECT_EQ(fromBitmap.Width(), 5);
    EXPECT_EQ(fromBitmap.Height(), 3);

    TPicture platform;
    platform.SetGraphic(&bitmap);
    TGDIPPicture fromPicture;
    fromPicture.Assign(&platform);
    EXPECT_EQ(BytesOf(fromPicture), bmpBytes);

    TPicture nothing;
    TGDIPPicture fromNothing;
    EXPECT_NO_THROW(fromNothing.Assign(&nothing));
    EXPECT_TRUE(fromNothing.Empty());
}

TEST(GDIPicture, AssignFromAnUnrelatedClassOnlyMarksItEmpty)
{
    TGDIPPicture picture;
    LoadFixture(picture, "quadrants.png");
    const std::string before = BytesOf(picture);
    EventLog log;
    log.Watch(picture);
    TFont font;
    EXPECT_NO_THROW(picture.Assign(&font));
    EXPECT_TRUE(picture.Empty());
    EXPECT_EQ(BytesOf(picture), before);
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(picture.Width(), 8);
}

TEST(GDIPicture, LoadFromFile)
{
    TGDIPPicture picture;
    EventLog log;
    log.Watch(picture);
    picture.LoadFromFile(std::string(BRENVIK_TEST_DATA) + "quadrants.gif");
    EXPECT_FALSE(picture.Empty());
    EXPECT_EQ(picture.Width(), 8);
    EXPECT_EQ(BytesOf(picture), drawtest::FixtureBytes("quadrants.gif"));
    EXPECT_EQ(log.events, (std::vector<std::string>{"clear", "change"}));

    EXPECT_NO_THROW(picture.LoadFromFile(std::string(BRENVIK_TEST_DATA) + "no-such-file.png"));
    EXPECT_TRUE(picture.Empty());
}

// A component with a published GDI+ picture, as the styled controls carry one.
class TGDIPictureHolder : public TComponent {
    CLASSLIB_CLASS(TGDIPictureHolder, TComponent)
    explicit TGDIPictureHolder(TComponent* owner) : TComponent(owner) {}
    TGDIPPicture* Picture() const { return &picture_; }
    void SetPicture(TGDIPPicture* picture) { picture_.Assign(picture); }

private:
    mutable TGDIPPicture picture_;
};

} // namespace

CLASSLIB_PUBLISH(TGDIPictureHolder)
{
    c.Property("Picture", &TGDIPictureHolder::Picture, &TGDIPictureHolder::SetPicture);
}

namespace {

TEST(GDIPicture, RoundTripsThroughAFormLayoutByteForByte)
{
    for (const char* file : {"quadrants.png", "quadrants.gif", "quadrants.bmp"}) {
        SCOPED_TRACE(file);
        TGDIPictureHolder source(nullptr);
        source.SetName("Holder");
        LoadFixture(*source.Picture(), file);
        TMemoryStream binary;
        WriteComponentToStream(binary, &source);
        const std::string text = ObjectBinaryToText(std::string_view(
            static_cast<const char*>(binary.Memory()), static_cast<size_t>(binary.Size())));
        EXPECT_NE(text.find("Picture.Data = {"), std::string::npos) << text;

        TStringStream reread(ObjectTextToBinary(text));
        TGDIPictureHolder copy(nullptr);
        ReadComponentFromStream(reread, &copy);
        EXPECT_EQ(BytesOf(*copy.Picture()), drawtest::FixtureBytes(file));
        EXPECT_FALSE(copy.Picture()->Empty());
        // Read without measuring: the size comes with the first draw.
        EXPECT_EQ(copy.Picture()->Width(), 0);
    }

    TGDIPictureHolder empty(nullptr);
    empty.SetName("Holder");
    TMemoryStream binary;
    WriteComponentToStream(binary, &empty);
    const std::string text = ObjectBinaryToText(std::string_view(
        static_cast<const char*>(binary.Memory()), static_cast<size_t>(binary.Size())));
    EXPECT_EQ(text.find("Picture.Data"), std::string::npos) << text;
}

TEST(GDIPictureLeaks, RepeatedDrawsReturnEveryObject)
{
    TGDIPPicture png, bmp;
    LoadFixture(png, "quadrants.png");
    LoadFixture(bmp, "quadrants.bmp");
    Dib dib(40, 40);
    DibCanvas c(dib);
    png.Draw(&c.canvas, RECT{0, 0, 20, 20});
    bmp.Draw(&c.canvas, RECT{20, 20, 40, 40});
    const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 200; ++i) {
        png.Draw(&c.canvas, RECT{0, 0, 20, 20});
        bmp.Draw(&c.canvas, RECT{20, 20, 40, 40});
    }
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore);
    EXPECT_EQ(LiveNativeObjectCount(), 0);
}

} // namespace
