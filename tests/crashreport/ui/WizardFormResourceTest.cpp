// The wizard's page resources as the form compiler makes them, the property value texts, the
// spacing between items and the page geometry.
#include "WizardFormResource.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace crashui;

namespace {

std::string ReadForm(const std::string& stem)
{
    std::ifstream in(std::string(BRENVIK_WIZARD_FORMS) + "/" + stem + ".bin", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct TRecorded {
    std::vector<std::string> objects;    // "class name"
    std::vector<std::string> properties; // "owner.name=value"
    std::string current;

    TWizardResourceSink Sink()
    {
        TWizardResourceSink sink;
        sink.object = [this](const std::string& cls, const std::string& name) {
            objects.push_back(cls + " " + name);
            current = name;
            return cls.rfind("TNV", 0) == 0;
        };
        sink.property = [this](bool item, const std::string& name, const std::string& value) {
            properties.push_back((item ? current + "." : "page.") + name + "=" + value);
        };
        return sink;
    }
    bool Has(const std::string& property) const
    {
        for (const std::string& p : properties)
            if (p == property)
                return true;
        return false;
    }
};

TEST(WizardResource, ContactFormFromTheFormCompiler)
{
    const std::string data = ReadForm("QEContactForm");
    ASSERT_EQ(data.substr(0, 4), "TPF0");
    TRecorded r;
    const TWizardResourceResult result = ReadWizardResource(data, r.Sink());
    EXPECT_TRUE(result.read);
    EXPECT_EQ(result.invalidValueType, -1);
    EXPECT_EQ(r.objects,
              (std::vector<std::string>{"TQEContactForm ContactForm", "TNVButton ContinueBtn",
                                        "TNVButton SkipBtn", "TNVButton CancelBtn",
                                        "TNVLabel Label1", "TNVEdit NameEdit", "TNVLabel Label2",
                                        "TNVEdit EmailEdit", "TNVCheckBox MemCheck"}));
    for (const char* p :
         {"page.Message=Contact Information", "page.MinWidth=0",
          "page.OnAction=qorExcept.HandleContactForm", "page.Timer=0", "SkipBtn.Enabled=0",
          "ContinueBtn.Caption=Continue", "Label1.Caption=your name:", "NameEdit.Optional=1",
          "NameEdit.OutputType=nvoHeader", "EmailEdit.Optional=0",
          "EmailEdit.OutputName=contact email", "MemCheck.Caption=remember me",
          "MemCheck.Checked=0"})
        EXPECT_TRUE(r.Has(p)) << p;
}

TEST(WizardResource, DetailsAndScreenshotForms)
{
    TRecorded details;
    ReadWizardResource(ReadForm("QEDetailsForm"), details.Sink());
    EXPECT_TRUE(details.Has("DetailsMemo.Lines=9"));
    EXPECT_TRUE(details.Has("DetailsMemo.OutputType=nvoOwnSection"));
    EXPECT_TRUE(details.Has("SkipBtn.Enabled=1"));
    TRecorded shot;
    ReadWizardResource(ReadForm("QEScrShotForm"), shot.Sink());
    EXPECT_TRUE(shot.Has("page.Timer=250"));
    EXPECT_TRUE(shot.Has("page.ActiveControl=ContinueBtn"));
    EXPECT_TRUE(shot.Has("ScrShotImg.Clickable=1"));
    EXPECT_TRUE(shot.Has("AttachCheck.Checked=1"));
}

// A resource written byte by byte: every value type the reader knows, AbortBtn, a long string.
std::string Str(const std::string& s)
{
    return std::string(1, static_cast<char>(s.size())) + s;
}

TEST(WizardResource, ValueTypesAndAbortButton)
{
    std::string data = "TPF0" + Str("TQEPage") + Str("Page");
    data += Str("A") + "\x02\xFE";                             // int8 -2
    data += Str("B") + std::string("\x03\x00\x80", 3);         // int16 -32768
    data += Str("C") + std::string("\x04\x40\x42\x0F\x00", 5); // int32 1000000
    data += Str("D") + "\x06" + Str("short");
    data += Str("E") + "\x07" + Str("ident");
    data += Str("F") + "\x08" + Str("G") + "\x09";
    data += Str("H") + std::string("\x0C\x03\x00\x00\x00", 5) + "abc";
    data += std::string(1, '\0');
    data += Str("INVButton") + Str("AbortBtn") + Str("Caption") + "\x06" + Str("Stop") +
            std::string(2, '\0');
    data += std::string(1, '\0');
    TRecorded r;
    const TWizardResourceResult result = ReadWizardResource(data, r.Sink());
    EXPECT_EQ(result.invalidValueType, -1);
    EXPECT_EQ(r.objects, (std::vector<std::string>{"TQEPage Page", "TNVButton CancelBtn"}));
    EXPECT_EQ(r.properties,
              (std::vector<std::string>{"page.A=-2", "page.B=-32768", "page.C=1000000",
                                        "page.D=short", "page.E=ident", "page.F=0", "page.G=1",
                                        "page.H=abc", "CancelBtn.Caption=Stop"}));
}

TEST(WizardResource, UnknownTypeOrTruncationStopsTheReading)
{
    const std::string head = "TPF0" + Str("TQEPage") + Str("Page") + Str("A") + "\x09";
    TRecorded r;
    const TWizardResourceResult result =
        ReadWizardResource(head + Str("B") + "\x05" + "12345678" + Str("C") + "\x09", r.Sink());
    EXPECT_EQ(result.invalidValueType, 5);
    EXPECT_EQ(InvalidResourceMessage(result.invalidValueType),
              "Internal error: Invalid assistant resource ($5).");
    EXPECT_EQ(r.properties.size(), 1u); // what came before stays

    TRecorded truncated;
    const std::string longString = head + Str("H") + std::string("\x0C\xFF\xFF\xFF\x7F", 5) + "ab";
    EXPECT_EQ(ReadWizardResource(longString, truncated.Sink()).invalidValueType, -1);
    EXPECT_EQ(truncated.properties.size(), 1u);

    TRecorded none;
    EXPECT_FALSE(ReadWizardResource("tpf0....", none.Sink()).read);
    EXPECT_FALSE(ReadWizardResource("", none.Sink()).read);
    EXPECT_TRUE(none.objects.empty());
}

TEST(WizardValues, BooleansIntegersAndOutputTypes)
{
    for (const char* t : {"Yes", "TRUE", "yes", "tRuE", "1"})
        EXPECT_TRUE(WizardBoolean(t)) << t;
    for (const char* t : {"y", "2", "", "no", "01"})
        EXPECT_FALSE(WizardBoolean(t)) << t;
    EXPECT_EQ(WizardInteger("-42"), -42);
    EXPECT_EQ(WizardInteger("250"), 250);
    EXPECT_EQ(WizardOutputType("nvoOwnSection"), 1);
    EXPECT_EQ(WizardOutputType("NVOOWNSECTION"), 1);
    EXPECT_EQ(WizardOutputType("nvoHeader"), 0);
}

TEST(WizardColours, ShadeAndLightFace)
{
    EXPECT_EQ(ShadeColour(0x00102030, 16, true), 0x00203040u);
    EXPECT_EQ(ShadeColour(0x00102030, 16, false), 0x00001020u);
    EXPECT_EQ(ShadeColour(0x00F8F8F0, 16, true), 0x00E8E8E0u); // two channels clamp: darker
    EXPECT_EQ(ShadeColour(0x00F8E010, 16, true), 0x00FFF020u); // one clamps: still lighter
    EXPECT_EQ(ShadeColour(0x00040404, 8, false), 0x000C0C0Cu);
    EXPECT_EQ(LightFaceColour(0x00C8D0D4), 0x00E4E8EAu);
}

TEST(WizardLayout, SpacesBetweenItems)
{
    using K = TWizardItemKind;
    const TWizardItemShape continueBtn{K::button}, skipBtn{K::button}, cancelBtn{K::button};
    const TWizardItemShape head{K::label, true}, edit{K::edit}, check{K::checkBox};
    // label, edit, label, edit, check box: 4, 8, 4, 12 and nothing
    const std::vector<TWizardItemShape> contact{continueBtn, skipBtn, cancelBtn, head,
                                                edit,        head,    edit,      check};
    std::vector<int32_t> spaces;
    for (size_t k = 3; k < contact.size(); ++k)
        spaces.push_back(SpaceAfterItem(contact, k));
    EXPECT_EQ(spaces, (std::vector<int32_t>{4, 8, 4, 12, 0}));

    const TWizardItemShape wrapped{K::label, false};
    const TWizardItemShape image{K::image};
    const std::vector<TWizardItemShape> others{
        continueBtn,          skipBtn, cancelBtn, edit, edit, check, check, wrapped, image,
        {K::image, false, 5}, check};
    spaces.clear();
    for (size_t k = 3; k < others.size(); ++k)
        spaces.push_back(SpaceAfterItem(others, k));
    // two edits 6, edit then check box 12, two check boxes 8, check box then a wrapped label 12,
    // a wrapped label is no head label 12, two images 8, an own Spacing, last nothing
    EXPECT_EQ(spaces, (std::vector<int32_t>{6, 12, 8, 12, 12, 8, 5, 0}));
}

TEST(WizardLayout, PageGeometry)
{
    EXPECT_EQ(PageButtonWidth(40, false, false), 85);
    EXPECT_EQ(PageButtonWidth(80, false, false), 100);
    EXPECT_EQ(PageButtonWidth(40, true, false), 75);
    EXPECT_EQ(PageButtonWidth(40, true, true), -8);

    const int32_t widths[3] = {100, 85, 90};
    EXPECT_EQ(PageClientWidth(widths, 0, 100, 3), 315);
    EXPECT_EQ(PageClientWidth(widths, 400, 100, 3), 400);
    EXPECT_EQ(PageClientWidth(widths, 0, 300, 3), 393);
    const int32_t wide[3] = {200, 100, 100};
    EXPECT_EQ(PageClientWidth(wide, 0, 0, 1), 432);

    const TPageButtonLefts usual = PageButtonLefts(400, widths, false, false, false);
    EXPECT_EQ(usual.continueLeft, 8);
    EXPECT_EQ(usual.skipLeft, 116);
    EXPECT_EQ(usual.cancelLeft, 302);
    const int32_t plain[3] = {75, -8, 75};
    const TPageButtonLefts right = PageButtonLefts(315, plain, true, true, true);
    EXPECT_EQ(right.cancelLeft, 232);
    EXPECT_EQ(right.continueLeft, 149);
    EXPECT_EQ(right.skipLeft, 8);

    // three pages: the second page's marker and the numbers 1, 2, 3
    EXPECT_EQ(StepMarkerLeft(400, 3, 2), 400 - 29 - 19);
    EXPECT_EQ(StepNumberLeft(400, 3, 1), 400 - 60);
    EXPECT_EQ(StepNumberLeft(400, 3, 2), 400 - 41);
    EXPECT_EQ(StepNumberLeft(400, 3, 3), 400 - 22);
}

} // namespace
