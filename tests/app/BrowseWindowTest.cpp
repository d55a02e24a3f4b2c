// "Browse for HEX" through the system's open dialog, answered by typing a path into it. The open
// dialog disturbs dialogs of other programs on the shared display, so these tests run alone.
#include "MainWindowFixture.h"

#include "HexRecords.h"

using namespace window_test;

namespace {

TEST_F(MainWindow, BrowseLoadsAnExistingHexFileAndNamesAnyOtherChoiceAsNotFound)
{
    Start("[device boot]\nname = PIC18F4550\n", 1);
    ClickConnect();
    ASSERT_TRUE(form->Connected());
    const std::string hex =
        files.Write("firmware.hex", hextest::Lines({hextest::Data(0, {1, 2, 3, 4}), hextest::End}));
    const std::string text = files.Write("notes.txt", "text");
    const std::string missing = files.Path() + "\\missing.hex";

    struct Choice {
        const char* what;
        int button;
        std::string typed;
        std::string linePrefix; // empty: no line
        std::string path;
    };
    const Choice choices[] = {
        {"hex file", IDOK, hex, "Opened: ", hex},
        {"cancelled", IDCANCEL, missing, "", ""},
        {"missing file", IDOK, missing, "File not found: ", missing},
        {"other extension", IDOK, text, "File not found: ", text},
    };
    for (const Choice& c : choices) {
        SCOPED_TRACE(c.what);
        const std::size_t before = History().size();
        DialogAnswers answers({c.button}, {c.typed});
        testsupport::ClickWindow(form->ButtonOpenHex->Handle());
        ASSERT_EQ(answers.seen.size(), 1u);
        const Lines added = HistoryFrom(before);
        if (c.linePrefix.empty()) {
            EXPECT_EQ(added, Lines{});
            continue;
        }
        ASSERT_EQ(added.size(), 1u);
        EXPECT_EQ(added[0], c.linePrefix + form->OpenDialog1->FileName());
        EXPECT_EQ(lstrcmpiA(form->OpenDialog1->FileName().c_str(), c.path.c_str()), 0)
            << form->OpenDialog1->FileName();
    }
    // A choice that could not be loaded leaves the file loaded before as it was.
    EXPECT_TRUE(form->LoadedFile().Loaded);
    EXPECT_EQ(lstrcmpiA(form->LoadedFile().FileName.c_str(), hex.c_str()), 0);
    EXPECT_EQ(form->ProgramImage(), (std::vector<std::uint8_t>{1, 2, 3, 4}));
}

} // namespace
