// The HTML pictures, their cache and the picture container under Wine. The pictures are
// fixtures written by gifsicle and ImageMagick (tests/draw/data), embedded as resources:
// frames3.gif has an 8 x 8 red, an 8 x 8 green and a 4 x 2 blue frame at (3, 5); single.gif
// one blue 8 x 8 frame; damaged.gif is frames3.gif cut after 40 bytes with junk appended.
#include "draw/PictureContainer.h"

#include "core/ComponentStream.h"
#include "core/Exceptions.h"

#include "GuiTest.h"
#include "NoClipboardForm.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace classlib;
using namespace draw;
using testsupport::Dib;

namespace {

constexpr uint32_t White = 0xFFFFFF, Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF;

std::vector<uint8_t> Resource(const char* name)
{
    HRSRC r = FindResourceA(nullptr, name, MAKEINTRESOURCEA(10));
    if (!r)
        return {};
    const auto* p = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, r)));
    return {p, p + SizeofResource(nullptr, r)};
}

void Fill(TMemoryStream& s, const std::vector<uint8_t>& bytes)
{
    if (!bytes.empty())
        s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    s.SetPosition(0);
}

std::vector<uint8_t> BytesOf(TMemoryStream& s)
{
    const auto* p = static_cast<const uint8_t*>(s.Memory());
    return {p, p + s.Size()};
}

// The threads of this process that are still running.
size_t ThreadsOfThisProcess()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    size_t count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ++count;
    CloseHandle(snapshot);
    return count;
}

// The picture drawn into a white DIB through a canvas.
struct Drawn {
    Dib dib{24, 24, White};
    Drawn(THTMLPicture& picture, RECT r)
    {
        TCanvas canvas;
        canvas.SetHandle(dib.dc());
        picture.Draw(&canvas, r);
        canvas.SetHandle(nullptr);
    }
    bool AllWhite() const
    {
        for (int y = 0; y < dib.height(); ++y)
            for (int x = 0; x < dib.width(); ++x)
                if (dib.Pixel(x, y) != White)
                    return false;
        return true;
    }
};

std::string TempFile(const char* name, const std::vector<uint8_t>& bytes)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

struct FrameChanges {
    int count = 0;
    void Changed(TObject*) { ++count; }
};

} // namespace

TEST(HTMLPicture, NewPictureIsEmptyAndDrawsNothing)
{
    THTMLPicture picture;
    EXPECT_TRUE(picture.Empty());
    EXPECT_EQ(picture.Width(), 0);
    EXPECT_EQ(picture.MaxHeight(), 0);
    EXPECT_EQ(picture.CountGifFrames(), -1);
    EXPECT_TRUE(Drawn(picture, {0, 0, 24, 24}).AllWhite());
}

// The prefix test ignores case, the resource name keeps its own; the source is the cache key.
TEST(HTMLPicture, ResourceSourceLoadsAndDrawsAtNaturalSize)
{
    THTMLPicture picture;
    picture.LoadFromSource("res://FRAMES3");
    ASSERT_FALSE(picture.Empty());
    EXPECT_EQ(picture.URL(), "res://FRAMES3");
    EXPECT_EQ(picture.CountGifFrames(), 3);
    EXPECT_EQ(picture.Width(), 8);
    EXPECT_EQ(picture.Height(), 8);
    EXPECT_EQ(picture.MaxWidth(), 8);
    Drawn d(picture, {2, 2, 22, 22});
    EXPECT_EQ(d.dib.Pixel(3, 3), Red);
    EXPECT_EQ(d.dib.Pixel(9, 9), Red);
    EXPECT_EQ(d.dib.Pixel(10, 10), White) << "natural size, not the rectangle's";
}

TEST(HTMLPicture, StretchScalesIntoTheRectangle)
{
    THTMLPicture picture;
    picture.LoadFromSource("RES://FRAMES3");
    picture.SetStretch(true);
    Drawn d(picture, {2, 2, 22, 22});
    EXPECT_EQ(d.dib.Pixel(3, 3), Red);
    EXPECT_EQ(d.dib.Pixel(20, 20), Red);
    EXPECT_EQ(d.dib.Pixel(23, 23), White);
}

TEST(HTMLPicture, FrameSelectsWhatIsDrawnAndWherePositionsComeFrom)
{
    THTMLPicture picture;
    picture.LoadFromSource("RES://FRAMES3");
    FrameChanges changes;
    picture.OnFrameChange = TNotifyEvent(&changes, &FrameChanges::Changed);
    picture.SetFrame(2);
    EXPECT_EQ(changes.count, 1);
    EXPECT_EQ(Drawn(picture, {0, 0, 24, 24}).dib.Pixel(4, 4), Green);
    EXPECT_EQ(picture.FrameLeft(), 0);
    picture.SetFrame(3);
    EXPECT_EQ(picture.FrameLeft(), 3);
    EXPECT_EQ(picture.FrameTop(), 5);
    EXPECT_EQ(picture.MaxWidth(), 8) << "the GIF screen";
    picture.SetFrame(1);
    EXPECT_EQ(Drawn(picture, {0, 0, 24, 24}).dib.Pixel(4, 4), Red);
    EXPECT_EQ(changes.count, 3);
}

// The frame count belongs to the bytes: loading other bytes counts again.
TEST(HTMLPicture, FrameCountFollowsNewData)
{
    THTMLPicture picture;
    picture.LoadFromSource("RES://FRAMES3");
    EXPECT_EQ(picture.CountGifFrames(), 3);
    picture.LoadFromSource("RES://SINGLE");
    EXPECT_EQ(picture.CountGifFrames(), 1);
    picture.LoadFromSource("RES://GREEN12X10");
    EXPECT_EQ(picture.CountGifFrames(), -1);
    EXPECT_EQ(picture.Width(), 12);
    EXPECT_EQ(picture.Height(), 10);
    EXPECT_EQ(Drawn(picture, {0, 0, 24, 24}).dib.Pixel(11, 9), Green);
}

TEST(HTMLPicture, DamagedOrTruncatedBytesRaiseAndDrawNothing)
{
    const auto gif = Resource("FRAMES3");
    std::vector<std::vector<uint8_t>> bad = {Resource("DAMAGED"), {}};
    for (size_t n : {5u, 12u, 30u, 44u})
        bad.emplace_back(gif.begin(), gif.begin() + static_cast<std::ptrdiff_t>(n));
    for (const auto& bytes : bad) {
        THTMLPicture picture;
        TMemoryStream s;
        Fill(s, bytes);
        EXPECT_THROW(picture.LoadFromStream(s), Exception) << bytes.size() << " bytes";
        EXPECT_TRUE(Drawn(picture, {0, 0, 24, 24}).AllWhite()) << bytes.size() << " bytes";
        EXPECT_EQ(picture.Width(), 0);
    }
    THTMLPicture picture;
    EXPECT_THROW(picture.LoadFromSource("RES://DAMAGED"), Exception);
    EXPECT_EQ(picture.URL(), "RES://DAMAGED");
}

TEST(HTMLPicture, FileSourcesSwallowFailures)
{
    const std::string good = TempFile("brenvik-html-picture.gif", Resource("SINGLE"));
    const std::string bad = TempFile("brenvik-html-picture-bad.gif", Resource("DAMAGED"));
    THTMLPicture picture;
    picture.LoadFromSource("file://" + good);
    EXPECT_FALSE(picture.Empty());
    EXPECT_EQ(Drawn(picture, {0, 0, 24, 24}).dib.Pixel(1, 1), Blue);

    for (const std::string& path : {bad, std::string("Z:\\no\\such\\file.gif")}) {
        THTMLPicture other;
        EXPECT_NO_THROW(other.LoadFromSource("FILE://" + path));
        EXPECT_TRUE(other.Empty()) << path;
        EXPECT_TRUE(Drawn(other, {0, 0, 24, 24}).AllWhite()) << path;
    }
    DeleteFileA(good.c_str());
    DeleteFileA(bad.c_str());
}

TEST(HTMLPicture, OtherUrlsAreOnlyRemembered)
{
    THTMLPicture sync;
    sync.SetAsynchronous(false);
    sync.LoadFromSource("http://example.invalid/a.gif");
    EXPECT_TRUE(sync.Empty());
    EXPECT_EQ(sync.URL(), "http://example.invalid/a.gif");
    EXPECT_EQ(sync.PendingURL(), "http://example.invalid/a.gif");

    THTMLPicture async;
    async.LoadFromSource("http://example.invalid/a.gif");
    EXPECT_TRUE(async.Busy());
    EXPECT_EQ(async.URL(), "");
    async.LoadFromSource("http://example.invalid/b.gif");
    EXPECT_EQ(async.PendingURL(), "http://example.invalid/a.gif")
        << "busy: the second request is dropped";
}

TEST(HTMLPicture, ClipboardFormatsDoNothing)
{
    THTMLPicture picture;
    TMemoryStream stream;
    Fill(stream, Resource("SINGLE"));
    picture.LoadFromStream(stream);
    const std::vector<uint8_t> before = BytesOf(picture.Data());
    EXPECT_TRUE(drawtest::HandsOverNoClipboardData(picture));
    EXPECT_EQ(BytesOf(picture.Data()), before);
    EXPECT_FALSE(picture.Empty());
}

// The worker an asynchronous request starts ends by itself, also when its picture is gone first.
TEST(HTMLPicture, AsynchronousRequestsLeaveNoThreadBehind)
{
    const size_t before = ThreadsOfThisProcess();
    for (int i = 0; i < 20; ++i) {
        THTMLPicture picture;
        picture.LoadFromSource("http://example.invalid/" + std::to_string(i) + ".gif");
        ASSERT_TRUE(picture.Busy());
    }
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ThreadsOfThisProcess() <= before; }, 10000));
}

// Assign copies the bytes and decodes them when they are first needed: neither the target's
// old bytes nor the source's undecodable ones raise.
TEST(HTMLPicture, AssignCopiesBytesAndDecodesLazily)
{
    const auto damaged = Resource("DAMAGED");
    THTMLPicture broken;
    TMemoryStream s;
    Fill(s, damaged);
    EXPECT_THROW(broken.LoadFromStream(s), Exception);

    THTMLPicture good;
    good.LoadFromSource("RES://FRAMES3");
    good.SetFrame(2);
    good.SetStretch(true);

    THTMLPicture target;
    EXPECT_NO_THROW(target.Assign(&broken));
    EXPECT_FALSE(target.Empty());
    EXPECT_EQ(BytesOf(target.Data()), damaged);
    EXPECT_EQ(target.Width(), 0);
    EXPECT_TRUE(Drawn(target, {0, 0, 24, 24}).AllWhite());

    EXPECT_NO_THROW(target.Assign(&good)) << "the old bytes are not decoded again";
    EXPECT_EQ(target.Frame(), 2);
    EXPECT_TRUE(target.Stretch());
    EXPECT_EQ(target.URL(), "RES://FRAMES3");
    EXPECT_EQ(target.CountGifFrames(), 3);
    EXPECT_EQ(Drawn(target, {0, 0, 16, 16}).dib.Pixel(14, 14), Green);

    target.Assign(&target);
    EXPECT_EQ(BytesOf(target.Data()), BytesOf(good.Data())) << "assigning itself keeps the bytes";
    EXPECT_EQ(Drawn(target, {0, 0, 16, 16}).dib.Pixel(14, 14), Green);

    target.Assign(nullptr);
    EXPECT_TRUE(target.Empty());
    EXPECT_EQ(target.Data().Size(), 0);
}

TEST(HTMLPicture, WritingTheSizeChangesNothing)
{
    THTMLPicture picture;
    picture.LoadFromSource("RES://GREEN12X10");
    picture.SetWidth(50);
    picture.SetHeight(50);
    EXPECT_EQ(picture.Width(), 12);
    EXPECT_EQ(picture.Height(), 10);
}

TEST(HTMLPictureCache, FindsBySourceTextExactly)
{
    THTMLPictureCache cache;
    THTMLPicture* upper = cache.AddPicture();
    upper->LoadFromSource("RES://SINGLE");
    THTMLPicture* lower = cache.AddPicture();
    lower->LoadFromSource("res://SINGLE");
    THTMLPicture* web = cache.AddPicture();
    web->SetAsynchronous(false);
    web->LoadFromSource("http://example.invalid/x.gif");
    EXPECT_EQ(cache.FindPictureByURL("RES://SINGLE"), upper);
    EXPECT_EQ(cache.FindPictureByURL("res://SINGLE"), lower);
    EXPECT_EQ(cache.FindPictureByURL("http://example.invalid/x.gif"), web);
    EXPECT_EQ(cache.FindPictureByURL("res://single"), nullptr);
    EXPECT_EQ(cache.GetPicture(2), web);
    cache.ClearPictures();
    EXPECT_EQ(cache.Count(), 0);
}

TEST(PictureContainer, LooksUpNamesWithoutRegardToCaseFirstWins)
{
    TPictureContainer container(nullptr);
    EXPECT_EQ(container.Version(), "1.0.0.0");
    TPictureItem* first = container.Items()->Add();
    first->SetName("Logo");
    TPictureItem* second = container.Items()->Add();
    second->SetName("logo");
    EXPECT_EQ(container.LookupPicture("LOGO"), first->Picture());
    EXPECT_EQ(container.LookupPicture("Other"), nullptr);
}

TEST(PictureContainer, ItemAssignCopiesAndRefusesOtherClasses)
{
    TPictureContainer container(nullptr);
    TPictureItem* a = container.Items()->Add();
    a->SetName("A");
    a->SetTag(7);
    a->Picture()->LoadFromSource("RES://SINGLE");
    TPictureItem* b = container.Items()->Add();
    b->Assign(a);
    EXPECT_EQ(b->Name(), "A");
    EXPECT_EQ(b->Tag(), 7);
    EXPECT_EQ(BytesOf(b->Picture()->Data()), Resource("SINGLE"));
    TPictureContainer other(nullptr);
    EXPECT_THROW(b->Assign(&other), EInvalidCast);
}

// Written with the container and read back, the pictures keep their bytes exactly.
TEST(PictureContainer, StreamsItsPicturesByteForByte)
{
    TPictureContainer source(nullptr);
    source.SetName("Pictures");
    TPictureItem* item = source.Items()->Add();
    item->SetName("Anim");
    item->Picture()->LoadFromSource("RES://FRAMES3");
    source.Items()->Add()->SetName("Nothing");

    TMemoryStream stream;
    WriteComponentToStream(stream, &source);
    stream.SetPosition(0);
    TPictureContainer copy(nullptr);
    ReadComponentFromStream(stream, &copy);
    ASSERT_EQ(copy.Items()->Count(), 2);
    EXPECT_EQ(copy.Items()->Items(0)->Name(), "Anim");
    EXPECT_EQ(BytesOf(copy.Items()->Items(0)->Picture()->Data()), Resource("FRAMES3"));
    EXPECT_FALSE(copy.Items()->Items(0)->Picture()->Empty());
    EXPECT_TRUE(copy.Items()->Items(1)->Picture()->Empty());
}
