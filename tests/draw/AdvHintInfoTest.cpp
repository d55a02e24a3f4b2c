// Rich-hint data: what Assign copies and what it leaves alone, the owned notes and picture,
// and the Vista probe on Wine (whose kernel32 exports GetLocaleInfoEx).
#include "draw/AdvHintInfo.h"

#include "DrawTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace classlib;
using namespace draw;

namespace {

std::string PictureBytes(TAdvHintInfo& info)
{
    TMemoryStream& data = info.Picture()->Data();
    return std::string(static_cast<const char*>(data.Memory()), static_cast<size_t>(data.Size()));
}

// A hint info with every field set.
void Fill(TAdvHintInfo& info)
{
    info.SetTitle("Upload");
    info.Notes()->SetText("first line\nsecond line\n");
    info.SetShowHelp(true);
    TStringStream png(drawtest::FixtureBytes("quadrants.png"));
    info.Picture()->LoadFromStream(png);
    info.SetWideTitle(L"Wide title \u263A");
    info.SetWideNotes(L"Wide notes");
}

TEST(AdvHintInfo, StartsEmpty)
{
    TAdvHintInfo info;
    EXPECT_EQ(info.Title(), "");
    EXPECT_EQ(info.Notes()->Count(), 0);
    EXPECT_FALSE(info.ShowHelp());
    EXPECT_TRUE(info.Picture()->Empty());
    EXPECT_TRUE(info.WideTitle().empty());
}

TEST(AdvHintInfo, AssignCopiesEveryField)
{
    TAdvHintInfo source;
    Fill(source);
    TAdvHintInfo copy;
    TStrings* notes = copy.Notes();
    TGDIPPicture* picture = copy.Picture();
    copy.Assign(&source);
    EXPECT_EQ(copy.Title(), "Upload");
    EXPECT_EQ(copy.Notes()->Text(), source.Notes()->Text());
    EXPECT_TRUE(copy.ShowHelp());
    EXPECT_EQ(PictureBytes(copy), drawtest::FixtureBytes("quadrants.png"));
    EXPECT_FALSE(copy.Picture()->Empty());
    EXPECT_EQ(copy.WideTitle(), source.WideTitle());
    EXPECT_EQ(copy.WideNotes(), L"Wide notes");
    // The owned objects stay the same objects.
    EXPECT_EQ(copy.Notes(), notes);
    EXPECT_EQ(copy.Picture(), picture);
}

TEST(AdvHintInfo, AssignFromItselfOrAnotherClassChangesNothing)
{
    TAdvHintInfo info;
    Fill(info);
    const std::string notes = info.Notes()->Text();
    TStringList unrelated;
    unrelated.Add("other");
    for (TPersistent* source :
         {static_cast<TPersistent*>(&info), static_cast<TPersistent*>(&unrelated),
          static_cast<TPersistent*>(nullptr)}) {
        EXPECT_NO_THROW(info.Assign(source));
        EXPECT_EQ(info.Title(), "Upload");
        EXPECT_EQ(info.Notes()->Text(), notes);
        EXPECT_TRUE(info.ShowHelp());
        EXPECT_EQ(PictureBytes(info), drawtest::FixtureBytes("quadrants.png"));
        EXPECT_FALSE(info.Picture()->Empty());
        EXPECT_EQ(info.WideNotes(), L"Wide notes");
    }
}

TEST(AdvHintInfo, SettersCopyIntoTheOwnedObjects)
{
    TAdvHintInfo info;
    TStrings* notes = info.Notes();
    TStringList lines;
    lines.Add("one");
    lines.Add("two");
    info.SetNotes(&lines);
    EXPECT_EQ(info.Notes(), notes);
    EXPECT_EQ(info.Notes()->Count(), 2);
    EXPECT_EQ(info.Notes()->Strings(1), "two");

    TGDIPPicture picture;
    TStringStream gif(drawtest::FixtureBytes("quadrants.gif"));
    picture.LoadFromStream(gif);
    info.SetPicture(&picture);
    EXPECT_EQ(PictureBytes(info), drawtest::FixtureBytes("quadrants.gif"));
    info.SetPicture(nullptr);
    EXPECT_TRUE(info.Picture()->Empty());
}

TEST(VistaProbe, WineReportsVistaOrLater)
{
    // Wine's kernel32 exports GetLocaleInfoEx (measured on these machines).
    EXPECT_TRUE(IsVistaOrLater());
}

} // namespace
