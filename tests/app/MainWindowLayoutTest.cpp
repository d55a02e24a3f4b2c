// The main window as its description lays it out, checked after the first show: every control's
// class, parent, geometry and visibility, and the property values the description gives every
// control and component (two tables, the expected values taken from the description's layout
// table, not from the layout file); pixel probes of the painted client area; the link label's
// hover; the activity toggle's widths; the pictures compiled into the layout are the checked-in
// PNG files.
#include "MainWindowFixture.h"

#include "FileBytes.h"
#include "GuiTest.h"
#include "controls/AdvOfficeImage.h"
#include "core/TypeInfo.h"
#include "windows/Screen.h"

#include <gdiplus.h>

#include <cstdlib>
#include <optional>
#include <set>

using namespace window_test;

namespace {

const char KeyboardOnly[] = "[device kbd]\nproduct = USB Keyboard\nbootloader = no\n";

// ---- the controls: class, parent, geometry, visibility ----

struct ControlRow {
    const char* name;
    const char* className;
    const char* parent;
    int left, top, width, height;
    bool visible;
};

const ControlRow Controls[] = {
    {"AdvPanel1", "TAdvPanel", "Dovrel", 0, 0, 684, 383, true},
    {"AdvOfficeImage1", "TAdvOfficeImage", "AdvPanel1", 0, 0, 260, 64, true},
    {"AdvReflectionLabel1", "TAdvReflectionLabel", "AdvPanel1", 450, 48, 258, 50, false},
    // Sized to its caption, which is empty after creation.
    {"fwVerLabel", "TOcLabel", "AdvPanel1", 13, 65, -1, 13, true},
    {"AdvGroupBox4", "TAdvGroupBox", "AdvPanel1", 0, 77, 216, 39, true},
    {"HTMLabel1", "THTMLabel", "AdvGroupBox4", 13, 2, 24, 36, true},
    {"HTMLabel2", "THTMLabel", "AdvGroupBox4", 40, 7, 64, 33, true},
    {"AdvGlowButton2", "TAdvGlowButton", "AdvGroupBox4", 141, 5, 47, 30, true},
    {"AdvGroupBox5", "TAdvGroupBox", "AdvPanel1", -1, 129, 217, 39, true},
    {"HTMLabel7", "THTMLabel", "AdvGroupBox5", 14, 2, 24, 35, true},
    {"HTMLabel8", "THTMLabel", "AdvGroupBox5", 40, 7, 65, 32, true},
    {"ButtonConnect", "TAdvGlowButton", "AdvGroupBox5", 126, 5, 81, 30, true},
    {"AdvGroupBox6", "TAdvGroupBox", "AdvPanel1", -1, 182, 217, 39, true},
    {"HTMLabel9", "THTMLabel", "AdvGroupBox6", 14, 1, 24, 36, true},
    {"HTMLabel10", "THTMLabel", "AdvGroupBox6", 40, 6, 65, 33, true},
    {"ButtonOpenHex", "TAdvGlowButton", "AdvGroupBox6", 126, 5, 81, 30, true},
    {"AdvGroupBox7", "TAdvGroupBox", "AdvPanel1", -1, 236, 217, 39, true},
    {"HTMLabel11", "THTMLabel", "AdvGroupBox7", 14, 2, 24, 36, true},
    {"HTMLabel12", "THTMLabel", "AdvGroupBox7", 40, 7, 84, 33, true},
    {"ButtonStartBootloader", "TAdvGlowButton", "AdvGroupBox7", 126, 5, 81, 30, true},
    {"AdvGroupBox8", "TAdvGroupBox", "AdvPanel1", -1, 292, 497, 45, true},
    {"HTMLabel14", "THTMLabel", "AdvGroupBox8", 14, 8, 93, 27, true},
    {"ProgressBar1", "TOcXPProgressBar", "AdvGroupBox8", 147, 12, 326, 22, true},
    {"AdvGlowButton1", "TAdvGlowButton", "AdvGroupBox8", 390, 12, 83, 22, false},
    {"AdvGroupBox3", "TAdvGroupBox", "AdvPanel1", 263, 34, 220, 30, true},
    {"OcLabel1", "TOcLabel", "AdvGroupBox3", -1, -1, -1, -1, true},
    {"DeviceComboBox", "THTMLComboBox", "AdvGroupBox3", 56, 4, 153, 22, true},
    {"AdvGroupBox9", "TAdvGroupBox", "AdvPanel1", 232, 77, 251, 39, true},
    {"OcLabel5", "TOcLabel", "AdvGroupBox9", -1, -1, -1, -1, true},
    {"MCUComboBox", "THTMLComboBox", "AdvGroupBox9", 87, 10, 153, 22, true},
    {"AdvGroupBox1", "TAdvGroupBox", "AdvPanel1", 232, 129, 251, 147, true},
    {"OcLabel2", "TOcLabel", "AdvGroupBox1", -1, -1, -1, -1, true},
    {"MemoHistoryWindow", "TMemo", "AdvGroupBox1", 0, 21, 240, 126, true},
    {"AdvGroupBox2", "TAdvGroupBox", "AdvPanel1", 495, 23, 177, 314, true},
    {"OcLabel3", "TOcLabel", "AdvGroupBox2", -1, -1, -1, -1, true},
    {"MemoTerminalWindow", "TMemo", "AdvGroupBox2", 12, 23, 153, 281, true},
    {"Panel1", "TAdvGroupBox", "AdvPanel1", 389, 49, 155, 98, false},
    {"CheckBoxClose", "TAdvOfficeCheckBox", "Panel1", -1, -1, -1, -1, true},
    {"RadioGroupPICFamily", "TAdvOfficeRadioGroup", "Panel1", -1, -1, -1, -1, true},
    {"HTMLabel3", "THTMLabel", "AdvPanel1", 146, 343, 150, 22, true},
    // The bar keeps to the window's bottom edge: its width follows the window's (checked below).
    {"StatusBar1", "TAdvOfficeStatusBar", "Dovrel", 0, 360, -1, 19, true},
};

// The non-visual components and their classes.
const std::pair<const char*, const char*> Components[] = {
    {"XPManifest1", "TXPManifest"},
    {"HidCtl", "TOcHidDeviceController"},
    {"Timer1", "TTimer"},
    {"Timer2", "TTimer"},
    {"OpenDialog1", "TOpenDialog"},
    {"AdvTaskDialog1", "TAdvTaskDialog"},
    {"ImageList1", "TImageList"},
    {"AdvPanelStyler1", "TAdvPanelStyler"},
    {"AdvOfficeStatusBarOfficeStyler1", "TAdvOfficeStatusBarOfficeStyler"},
    {"IniFileStorage", "TOcAppIniFileStorage"},
    {"FormStorage", "TOcFormStorage"},
};

// ---- the property values ----

std::string Joined(const TStrings& lines)
{
    std::string text;
    for (int i = 0; i < lines.Count(); ++i)
        text += (i ? "\n" : "") + lines.Strings(i);
    return text;
}

// A published property's value by its path ("Appearance.ColorHot"): numbers in decimal,
// enumerations and sets by name, string lists line by line, components by name, events by the
// window's handler.
std::string PropertyText(TObject* object, std::string_view path)
{
    for (;;) {
        const std::size_t dot = path.find('.');
        const TPropInfo& prop = FindPropInfo(object, path.substr(0, dot));
        if (dot != std::string_view::npos) {
            object = GetObjectProp(object, prop);
            if (object == nullptr)
                return "(none)";
            path.remove_prefix(dot + 1);
            continue;
        }
        if (prop.PropType->Kind == tkMethod)
            return TDovrel::StaticClass().MethodName(GetMethodProp(object, prop).Code);
        if (prop.PropType->Kind == tkClass)
            if (auto* lines = dynamic_cast<TStrings*>(GetObjectProp(object, prop)))
                return Joined(*lines);
        return GetPropValueText(object, prop);
    }
}

// Colours as the description writes them (0x00BBGGRR), compared as 32-bit values.
std::string Colour(std::uint32_t value)
{
    return std::to_string(value);
}

bool SameValue(const std::string& actual, const std::string& expected)
{
    char* endA = nullptr;
    char* endE = nullptr;
    const long long a = std::strtoll(actual.c_str(), &endA, 10);
    const long long e = std::strtoll(expected.c_str(), &endE, 10);
    if (!actual.empty() && !expected.empty() && *endA == '\0' && *endE == '\0')
        return (static_cast<unsigned long long>(a) & 0xFFFFFFFFu) ==
               (static_cast<unsigned long long>(e) & 0xFFFFFFFFu);
    return actual == expected;
}

struct PropertyRow {
    std::string component; // "" for the window itself
    std::string path;
    std::string value;
};

const std::string Grey = Colour(0x808080);
const std::string LabelGrey = Colour(0xB2B2B2);
const std::string Tile = Colour(0xFAFAFA);
const std::string ActivityGrey = Colour(0xDCDCDC);

std::vector<PropertyRow> PropertyRows()
{
    std::vector<PropertyRow> rows = {
        {"", "BorderStyle", "bsSingle"},
        {"", "BorderIcons", "[biSystemMenu,biMinimize]"},
        {"", "ClientHeight", "379"},
        {"", "Left", "234"},
        {"", "Top", "120"},
        {"", "Font.Name", "Tahoma"},
        {"", "Font.Height", "-11"},
        {"", "Color", Colour(0xFF00000F)},
        // The form storage chains the window's show and destroy events to its own handlers, so
        // FormShow and FormDestroy are seen by what they do (the first history line, ...).
        {"", "OnCreate", "FormCreate"},
        {"", "OnClose", "FormClose"},

        {"AdvPanel1", "Color", Colour(0xEDEDED)},
        {"AdvPanel1", "BevelOuter", "bvNone"},
        {"AdvPanel1", "Styler", "AdvPanelStyler1"},
        {"AdvReflectionLabel1", "HTMLText",
         "<B><FONT  size=\"24\" color=\"#5498FF\" size=\"14\"><SHAD>Brenvik</SHAD></FONT></B>"},
        {"AdvReflectionLabel1", "Font.Name", "Impact"},
        {"AdvReflectionLabel1", "Font.Height", "-16"}, // 12 pt
        {"AdvReflectionLabel1", "Font.Style", "[fsBold]"},
        {"AdvReflectionLabel1", "ReflectionAxis", "-13"},
        {"fwVerLabel", "Caption", ""}, // made empty at creation
        {"fwVerLabel", "Font.Name", "Tahoma"},
        {"fwVerLabel", "Font.Style", "[fsBold]"},
        {"fwVerLabel", "Font.Color", LabelGrey},
        {"fwVerLabel", "Transparent", "True"},

        {"HTMLabel1", "HTMLText", "<B><FONT  size=\"22\" color=\"#5498FF\">1</FONT></B>"},
        {"HTMLabel2", "HTMLText",
         "<B><FONT face=\"Tahoma\"  size=\"8\" color=\"#5498FF\">Wait for USB link</FONT></B>"},
        {"HTMLabel7", "HTMLText", "<B><FONT  size=\"22\" color=\"#5498FF\">2</FONT></B>"},
        {"HTMLabel8", "HTMLText", "<B><FONT color=\"#5498FF\">Connect to MCU</FONT></B>"},
        {"HTMLabel9", "HTMLText", "<B><FONT  size=\"22\" color=\"#5498FF\">3</FONT></B>"},
        {"HTMLabel10", "HTMLText", "<B><FONT color=\"#5498FF\">Choose HEX file</FONT></B>"},
        {"HTMLabel11", "HTMLText", "<B><FONT  size=\"22\" color=\"#5498FF\">4</FONT></B>"},
        {"HTMLabel12", "HTMLText", "<B><FONT color=\"#5498FF\">Start bootloader</FONT></B>"},
        {"HTMLabel14", "HTMLText",
         "<B><FONT color=\"#B2B2B2\">Bootloading <BR>progress bar</FONT></B>"},
        {"HTMLabel3", "HTMLText", "<B><FONT color=\"#5498FF\">www.tarnwell.example</FONT></B>"},
        {"HTMLabel3", "OnClick", "HTMLabel3Click"},
        {"HTMLabel3", "OnMouseEnter", "HTMLabel3MouseEnter"},
        {"HTMLabel3", "OnMouseLeave", "HTMLabel3MouseLeave"},

        {"AdvGlowButton2", "Enabled", "False"},
        {"AdvGlowButton2", "DisabledImages", "ImageList1"},
        {"AdvGlowButton2", "ImageIndex", "0"}, // no bootloader
        {"ButtonConnect", "Caption", "Connect"},
        {"ButtonConnect", "OnClick", "ButtonConnectClick"},
        {"ButtonOpenHex", "Caption", "Browse      for HEX"},
        {"ButtonOpenHex", "WordWrap", "True"},
        {"ButtonOpenHex", "OnClick", "ButtonOpenHexClick"},
        {"ButtonStartBootloader", "Caption", "Begin uploading"},
        {"ButtonStartBootloader", "OnClick", "ButtonStartBootloaderClick"},
        {"AdvGlowButton1", "Caption", "Show Activity"},
        {"AdvGlowButton1", "OnClick", "AdvGlowButton1Click"},

        {"OcLabel1", "Caption", "Device"},
        {"OcLabel1", "Font.Name", "Tahoma"},
        {"OcLabel1", "Font.Style", "[fsBold]"},
        {"OcLabel1", "Font.Color", LabelGrey},
        {"OcLabel5", "Caption", "MCU Type"},
        {"OcLabel2", "Caption", "History Window"},
        {"OcLabel2", "Font.Name", "Verdana"},
        {"OcLabel2", "Font.Height", "-12"}, // 9 pt
        {"OcLabel2", "Font.Style", "[fsBold]"},
        {"OcLabel2", "Font.Color", LabelGrey},
        {"OcLabel3", "Caption", "Terminal Activity"},

        {"MemoHistoryWindow", "ReadOnly", "True"},
        {"MemoHistoryWindow", "ScrollBars", "ssVertical"},
        {"MemoHistoryWindow", "Font.Name", "Tahoma"},
        {"MemoHistoryWindow", "Font.Color", Grey},
        {"MemoTerminalWindow", "ReadOnly", "True"},
        {"MemoTerminalWindow", "ScrollBars", "ssVertical"},

        {"Panel1", "RoundEdges", "True"},
        {"CheckBoxClose", "Caption", "Close when finished"},
        {"CheckBoxClose", "Alignment", "taRightJustify"}, // the caption left of the box
        {"RadioGroupPICFamily", "Columns", "2"},
        {"RadioGroupPICFamily", "Items", "P16\nP18\nP24\ndsPIC"},
        {"RadioGroupPICFamily", "ItemIndex", "0"},

        {"StatusBar1", "SimpleText", ": No files opened."},
        {"StatusBar1", "Font.Name", "Tahoma"},
        {"StatusBar1", "Font.Color", Grey},
        {"StatusBar1", "Styler", "AdvOfficeStatusBarOfficeStyler1"},
        {"StatusBar1", "OnDrawPanel", "StatusBar1DrawPanel"},

        {"HidCtl", "OnArrival", "HidCtlArrival"},
        {"HidCtl", "OnEnumerate", "HidCtlEnumerate"},
        {"HidCtl", "OnDeviceChange", "HidCtlDeviceChange"},
        {"HidCtl", "OnDeviceDataError", "HidCtlDeviceDataError"},
        {"HidCtl", "OnRemoval", "HidCtlRemoval"},
        {"Timer1", "Enabled", "False"},
        {"Timer1", "Interval", "15"},
        {"Timer1", "OnTimer", "Timer1Timer"},
        {"Timer2", "Enabled", "False"},
        {"Timer2", "Interval", "10"},
        {"OpenDialog1", "DefaultExt", "*.hex"},
        {"OpenDialog1", "Filter", "HEX files|*.hex"},
        {"AdvTaskDialog1", "CommonButtons", "[cbOK]"},
        {"AdvTaskDialog1", "DefaultRadioButton", "200"},
        {"AdvTaskDialog1", "Title", "Success"},
        {"AdvTaskDialog1", "Instruction", "Restarting MCU..."},
        {"AdvTaskDialog1", "Content", "Downloading program has finished."},
        {"AdvTaskDialog1", "ExpandControlText", "Hide details"},
        {"AdvTaskDialog1", "CollapsControlText", "Show details"},
        {"AdvPanelStyler1", "Style", "psCustom"},
        {"AdvOfficeStatusBarOfficeStyler1", "Style", "psCustom"},
        {"IniFileStorage", "StorageOptions.BooleanStringTrueValues", "TRUE, YES, Y"},
        {"IniFileStorage", "StorageOptions.BooleanStringFalseValues", "FALSE, NO, N"},
        {"FormStorage", "AppStorage", "IniFileStorage"},
        {"FormStorage", "AppStoragePath", "frmDovrel\\"},
        {"FormStorage", "StoredProps",
         "CheckBoxClose.Checked\nOpenDialog1.InitialDir\nOpenDialog1.FileName\nMCUComboBox."
         "ItemIndex"},
    };
    for (const char* step : {"AdvGroupBox4", "AdvGroupBox5", "AdvGroupBox6", "AdvGroupBox7"})
        rows.push_back({step, "BiDiMode", "bdRightToLeft"});
    // The show-time settings: flat tiles without caption or frame; Panel1 stays as designed.
    for (int i = 1; i <= 9; ++i) {
        const std::string box = "AdvGroupBox" + std::to_string(i);
        rows.push_back({box, "Color", i == 2 ? ActivityGrey : Tile});
        for (const char* off : {"ParentBackground", "ParentColor", "Transparent"})
            rows.push_back({box, off, "False"});
        rows.push_back({box, "BorderStyle", "bsNone"});
    }
    for (const char* combo : {"DeviceComboBox", "MCUComboBox"}) {
        for (PropertyRow row : std::initializer_list<PropertyRow>{{"", "Enabled", "False"},
                                                                  {"", "Style", "csOwnerDrawFixed"},
                                                                  {"", "Font.Name", "Tahoma"},
                                                                  {"", "Color", Grey},
                                                                  {"", "ItemIndex", "-1"},
                                                                  {"", "ButtonWidth", "19"},
                                                                  {"", "DropWidth", "153"},
                                                                  {"", "DropHeight", "200"}}) {
            row.component = combo;
            rows.push_back(row);
        }
    }
    for (const char* button : {"ButtonConnect", "ButtonOpenHex", "ButtonStartBootloader"}) {
        rows.push_back({button, "Spacing", "3"});
        rows.push_back({button, "TabStop", "True"});
    }
    // The appearance colours shared by the step buttons and the activity toggle; the link
    // indicator differs in its disabled colours.
    const std::pair<const char*, std::uint32_t> shared[] = {
        {"ColorChecked", 0xF5D8CA},
        {"ColorCheckedTo", 0xF9BDA0},
        {"ColorDown", 0xF5D8CA},
        {"ColorDownTo", 0xF9BDA0},
        {"ColorHot", 0xF5F0E1},
        {"ColorHotTo", 0xF9D2B2},
        {"ColorMirrorHot", 0xF5C8AD},
        {"ColorMirrorHotTo", 0xFFF8F4},
        {"ColorMirrorDown", 0xF5B49C},
        {"ColorMirrorDownTo", 0xFFDFDC},
        {"ColorMirrorChecked", 0xF5B49C},
        {"ColorMirrorCheckedTo", 0xFFDFDC},
        {"ColorDisabled", 0xF2F2F2},
        {"ColorDisabledTo", 0xF2F2F2},
        {"ColorMirrorDisabled", 0xB6B6B6},
        {"ColorMirrorDisabledTo", 0xF2F2F2},
    };
    const std::pair<const char*, std::uint32_t> indicator[] = {
        {"ColorDisabled", 0xFFFFFF},       {"ColorDisabledTo", 0xF2F2F2},
        {"ColorMirrorDisabled", 0xF2F2F2}, {"ColorMirrorDisabledTo", 0xF2F2F2},
        {"BorderColorDisabled", 0xC0C0C0},
    };
    for (const char* button : {"ButtonConnect", "ButtonOpenHex", "ButtonStartBootloader",
                               "AdvGlowButton1", "AdvGlowButton2"}) {
        const bool isIndicator = button == std::string("AdvGlowButton2");
        for (const auto& [name, value] : shared) {
            const bool overridden =
                isIndicator &&
                std::any_of(std::begin(indicator), std::end(indicator),
                            [&](const auto& c) { return c.first == std::string(name); });
            if (!overridden)
                rows.push_back({button, std::string("Appearance.") + name, Colour(value)});
        }
        if (isIndicator)
            for (const auto& [name, value] : indicator)
                rows.push_back({button, std::string("Appearance.") + name, Colour(value)});
    }
    return rows;
}

TEST_F(MainWindow, EveryControlHasTheClassParentGeometryAndVisibilityOfTheLayout)
{
    Start(KeyboardOnly, 1);
    std::set<std::string> listed;
    for (const ControlRow& row : Controls) {
        SCOPED_TRACE(row.name);
        listed.insert(row.name);
        auto* control = dynamic_cast<TControl*>(form->FindComponent(row.name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->ClassName(), row.className);
        ASSERT_NE(control->Parent(), nullptr);
        EXPECT_EQ(control->Parent()->Name(), row.parent);
        if (row.width >= 0) {
            EXPECT_EQ(control->Width(), row.width);
        }
        if (row.left != -1 || row.top != -1) {
            EXPECT_EQ(control->Left(), row.left);
            EXPECT_EQ(control->Top(), row.top);
        }
        if (row.height >= 0) {
            EXPECT_EQ(control->Height(), row.height);
        }
        EXPECT_EQ(control->Visible(), row.visible);
    }
    EXPECT_EQ(form->StatusBar1->Width(), form->ClientWidth());

    for (const auto& [name, className] : Components) {
        listed.insert(name);
        TComponent* component = form->FindComponent(name);
        ASSERT_NE(component, nullptr) << name;
        EXPECT_EQ(component->ClassName(), className) << name;
    }
    // Nothing beyond what the description lists.
    for (int i = 0; i < form->ComponentCount(); ++i)
        EXPECT_TRUE(listed.count(form->Components(i)->Name())) << form->Components(i)->Name();
    EXPECT_EQ(static_cast<std::size_t>(form->ComponentCount()), listed.size());
}

TEST_F(MainWindow, EveryControlAndComponentHasTheLayoutsValuesAfterTheFirstShow)
{
    Start(KeyboardOnly, 1);
    for (const PropertyRow& row : PropertyRows()) {
        TComponent* component = row.component.empty() ? form : form->FindComponent(row.component);
        ASSERT_NE(component, nullptr) << row.component;
        std::string actual;
        try {
            actual = PropertyText(component, row.path);
        } catch (const Exception& e) {
            ADD_FAILURE() << row.component << "." << row.path << ": " << e.Message();
            continue;
        }
        EXPECT_PRED2(SameValue, actual, row.value) << row.component << "." << row.path;
    }
    // What the tables above cannot name by a property path.
    EXPECT_EQ(form->Caption(), "Tarnwell USB HID Bootloader v" BRENVIK_TEST_FILE_VERSION);
    ASSERT_EQ(form->StatusBar1->Panels()->Count(), 1);
    panels::TAdvOfficeStatusPanel* panel = (*form->StatusBar1->Panels())[0];
    EXPECT_EQ(panel->Style(), panels::psOwnerDraw);
    EXPECT_EQ(panel->Width(), 1920);
    EXPECT_EQ(panel->Text(), ": No files opened.");
    auto* images = dynamic_cast<TImageList*>(form->FindComponent("ImageList1"));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(images->Count(), 2);
}

// ---- the painted window ----

// The window's client area as it paints itself (controls and windowed children included),
// into a bitmap of its own, so that windows of other tests on the shared display cannot cover it.
std::unique_ptr<testsupport::Dib> PaintClient(TDovrel* form)
{
    auto dib =
        std::make_unique<testsupport::Dib>(form->ClientWidth(), form->ClientHeight(), 0xFF00FF);
    form->PaintTo(dib->dc(), 0, 0);
    return dib;
}

// A control's rectangle in the window's client coordinates.
RECT ClientRectOf(TDovrel* form, TControl* control)
{
    POINT origin{control->Left(), control->Top()};
    for (TWinControl* p = control->Parent(); p && p != form; p = p->Parent()) {
        origin.x += p->Left();
        origin.y += p->Top();
    }
    return {origin.x, origin.y, origin.x + control->Width(), origin.y + control->Height()};
}

std::uint32_t Rgb(std::uint32_t colorRef) // 0x00BBGGRR to 0xRRGGBB
{
    return (colorRef & 0xFF) << 16 | (colorRef & 0xFF00) | (colorRef >> 16 & 0xFF);
}

int CountInRect(const testsupport::Dib& dib, RECT r, std::uint32_t rgb)
{
    int n = 0;
    for (int y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, dib.height()); ++y)
        for (int x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, dib.width()); ++x)
            n += dib.Pixel(x, y) == rgb;
    return n;
}

TEST_F(MainWindow, GroupBoxesAreFlatTilesOfTheirColourWithoutFrameOrCaption)
{
    Start(KeyboardOnly, 1);
    // Expanded, so that the activity box is in the client area too (the progress row then
    // takes the activity grey as well).
    form->AdvGlowButton1Click(form->AdvGlowButton1);
    ASSERT_EQ(form->ClientWidth(), 682);
    const auto dib = PaintClient(form);
    for (int i = 0; i < 9; ++i) {
        controls::TAdvGroupBox* box = form->AdvGroupBoxes[i];
        SCOPED_TRACE(box->Name());
        const std::uint32_t tile = i == 1 ? 0xDCDCDC : i == 7 ? 0xDCDCDC /* expanded */ : 0xFAFAFA;
        const RECT r = ClientRectOf(form, box);
        int checked = 0, wrong = 0;
        for (int y = std::max<LONG>(r.top, 0); y < r.bottom; ++y)
            for (int x = std::max<LONG>(r.left, 0); x < r.right; ++x) {
                const POINT p{x, y};
                bool underChild = false;
                for (int c = 0; c < box->ControlCount(); ++c) {
                    TControl* child = box->Controls(c);
                    const RECT cr = ClientRectOf(form, child);
                    underChild |= child->Visible() && PtInRect(&cr, p);
                }
                if (underChild)
                    continue;
                ++checked;
                wrong += dib->Pixel(x, y) != tile;
            }
        EXPECT_GT(checked, 0);
        EXPECT_EQ(wrong, 0) << "pixels of the box outside its children that are not its colour";
    }
}

TEST_F(MainWindow, StepDigitsAndLabelsAreDrawnInTheStepBlue)
{
    Start(KeyboardOnly, 1);
    const auto dib = PaintClient(form);
    for (const char* name : {"HTMLabel1", "HTMLabel2", "HTMLabel7", "HTMLabel8", "HTMLabel9",
                             "HTMLabel10", "HTMLabel11", "HTMLabel12", "HTMLabel3"}) {
        auto* label = dynamic_cast<TControl*>(form->FindComponent(name));
        ASSERT_NE(label, nullptr) << name;
        EXPECT_GT(CountInRect(*dib, ClientRectOf(form, label), 0x5498FF), 8) << name;
    }
    auto* progressLabel = dynamic_cast<TControl*>(form->FindComponent("HTMLabel14"));
    EXPECT_GT(CountInRect(*dib, ClientRectOf(form, progressLabel), 0xB2B2B2), 8);
}

// Bold text covers more of the surface than the same text in the regular weight: the ink of
// the step label "Connect to MCU" (its coverage summed over its pixels, so that anti-aliasing and
// line breaks do not matter) is compared with GDI's drawing of its words in both weights.
TEST_F(MainWindow, StepLabelsAreBold)
{
    Start(KeyboardOnly, 1);
    const auto dib = PaintClient(form);
    auto* label = dynamic_cast<TControl*>(form->FindComponent("HTMLabel8"));
    const RECT r = ClientRectOf(form, label);
    // Blue on the tile: the red channel goes from 0xFA (none) to 0x54 (full).
    double shown = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = std::max<LONG>(r.left, 0); x < r.right; ++x)
            shown += std::clamp(
                (0xFA - static_cast<int>(dib->Pixel(x, y) >> 16)) / double(0xFA - 0x54), 0.0, 1.0);
    auto inkOf = [](int weight) {
        testsupport::Dib text(200, 40, 0xFFFFFF);
        HFONT font =
            CreateFontA(-11, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
        HGDIOBJ old = SelectObject(text.dc(), font);
        SetTextColor(text.dc(), RGB(0, 0, 0));
        SetBkMode(text.dc(), TRANSPARENT);
        TextOutA(text.dc(), 2, 2, "Connect", 7);
        TextOutA(text.dc(), 2, 20, "to MCU", 6);
        SelectObject(text.dc(), old);
        DeleteObject(font);
        double ink = 0;
        for (int y = 0; y < text.height(); ++y)
            for (int x = 0; x < text.width(); ++x)
                ink += (255 - static_cast<int>(text.Pixel(x, y) >> 16)) / 255.0;
        return ink;
    };
    const double regular = inkOf(FW_NORMAL), bold = inkOf(FW_BOLD);
    ASSERT_GT(bold, regular * 1.2);
    EXPECT_GT(shown, (regular + bold) / 2) << "regular " << regular << ", bold " << bold;
    EXPECT_LT(shown, bold * 1.3) << "regular " << regular << ", bold " << bold;
}

// The background panel reaches under the status bar (684 x 383 against a client area 379 high):
// the bar, declared after it, lies above it on the screen.
TEST_F(MainWindow, StatusBarLiesAboveTheBackgroundPanel)
{
    Start(KeyboardOnly, 1);
    const RECT bar = ClientRectOf(form, form->StatusBar1);
    const POINT inBar{bar.left + 100, (bar.top + bar.bottom) / 2};
    EXPECT_EQ(ChildWindowFromPointEx(form->Handle(), inBar, CWP_SKIPINVISIBLE),
              form->StatusBar1->Handle());
}

TEST_F(MainWindow, StatusBarShowsNoFilesOpenedOnItsStyledBackground)
{
    Start(KeyboardOnly, 1);
    const auto dib = PaintClient(form);
    const RECT bar = ClientRectOf(form, form->StatusBar1);
    // The text in the bar font's grey, beginning 2 pixels into the panel and as wide as GDI
    // measures it in that font.
    HDC screen = GetDC(nullptr);
    HFONT font =
        CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
    HGDIOBJ old = SelectObject(screen, font);
    SIZE extent{};
    GetTextExtentPoint32A(screen, ": No files opened.", 18, &extent);
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
    int ink = 0, inkOutside = 0;
    for (int y = bar.top; y < bar.bottom; ++y)
        for (int x = bar.left; x < bar.right && x < dib->width(); ++x)
            if (dib->Pixel(x, y) == 0x808080) {
                ++ink;
                inkOutside += x > bar.left + 2 + extent.cx + 2;
            }
    EXPECT_GT(ink, 30);
    EXPECT_EQ(inkOutside, 0);
    // Behind the text: the bar's own painting, not the window's button face and not the grey.
    const std::uint32_t behind =
        dib->Pixel(bar.left + 2 + extent.cx + 20, (bar.top + bar.bottom) / 2);
    EXPECT_NE(behind, 0x808080u);
    EXPECT_NE(behind, Rgb(static_cast<std::uint32_t>(GetSysColor(COLOR_BTNFACE))));
}

TEST_F(MainWindow, ProgressBarShowsItsFrameOnTheRowsTile)
{
    Start(KeyboardOnly, 1);
    const auto dib = PaintClient(form);
    const RECT r = ClientRectOf(form, form->ProgressBar1);
    const int w = r.right - r.left, h = r.bottom - r.top;
    auto at = [&](int x, int y) { return dib->Pixel(r.left + x, r.top + y); };
    EXPECT_EQ(at(0, 0), 0xFAFAFAu) << "rounded corner: the row's tile";
    EXPECT_EQ(at(w - 1, h - 1), 0xFAFAFAu);
    EXPECT_EQ(at(0, h / 2), 0x686868u);
    EXPECT_EQ(at(1, h / 2), 0xBEBEBEu);
    EXPECT_EQ(at(2, h / 2), 0xEFEFEFu);
    EXPECT_EQ(at(w / 2, 0), 0x686868u);
    EXPECT_EQ(at(w / 2, 1), 0xBEBEBEu);
    EXPECT_EQ(at(w / 2, 2), 0xEFEFEFu);
    EXPECT_EQ(at(w / 2, h - 2), 0xEFEFEFu);
    EXPECT_EQ(at(w / 2, h - 1), 0x686868u);
    EXPECT_EQ(at(w / 2, h / 2), 0xFFFFFFu) << "an empty bar: the window colour inside";
}

// ---- the pictures ----

std::string SourceFile(const std::string& relative)
{
    std::string path = "Z:" BRENVIK_SOURCE_UNIX_PATH "/" + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// A PNG file's pixels as GDI+ decodes it, 0xAARRGGBB, row by row.
struct Decoded {
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;
    std::uint32_t At(int x, int y) const { return argb[static_cast<std::size_t>(y * width + x)]; }
};

Decoded DecodePng(const std::string& path)
{
    Decoded image;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return image;
    {
        const std::wstring wide(path.begin(), path.end());
        Gdiplus::Bitmap bitmap(wide.c_str());
        if (bitmap.GetLastStatus() == Gdiplus::Ok) {
            image.width = static_cast<int>(bitmap.GetWidth());
            image.height = static_cast<int>(bitmap.GetHeight());
            for (int y = 0; y < image.height; ++y)
                for (int x = 0; x < image.width; ++x) {
                    Gdiplus::Color c;
                    bitmap.GetPixel(x, y, &c);
                    image.argb.push_back(c.GetValue());
                }
        }
    }
    Gdiplus::GdiplusShutdown(token);
    return image;
}

bool Near(std::uint32_t a, std::uint32_t b, int tolerance)
{
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) >
            tolerance)
            return false;
    return true;
}

// The layout holds the checked-in logo file byte for byte, and the window shows it at its own
// size in the middle of the image control, over the panel's colour.
TEST_F(MainWindow, LogoIsTheCheckedInPictureShownOverThePanel)
{
    Start(KeyboardOnly, 1);
    auto* image = dynamic_cast<controls::TAdvOfficeImage*>(form->FindComponent("AdvOfficeImage1"));
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->Picture()->ClassName(), "TGDIPPicture");
    const std::string file = testsupport::ReadBytes(SourceFile("resources/bitmaps/Logo.png"));
    ASSERT_FALSE(file.empty());
    classlib::TMemoryStream& data = image->Picture()->Data();
    EXPECT_EQ(
        std::string(static_cast<const char*>(data.Memory()), static_cast<std::size_t>(data.Size())),
        file);

    const Decoded logo = DecodePng(SourceFile("resources/bitmaps/Logo.png"));
    ASSERT_EQ(logo.width, 256);
    ASSERT_EQ(logo.height, 63);
    const auto dib = PaintClient(form);
    const RECT r = ClientRectOf(form, image);
    const int left = r.left + (260 - 256) / 2, top = r.top + (64 - 63) / 2;
    int opaque = 0, opaqueMatching = 0, clear = 0, clearMatching = 0;
    for (int y = 0; y < logo.height; ++y)
        for (int x = 0; x < logo.width; ++x) {
            const std::uint32_t source = logo.At(x, y), shown = dib->Pixel(left + x, top + y);
            if (source >> 24 == 0xFF) {
                ++opaque;
                opaqueMatching += Near(shown, source & 0xFFFFFF, 8);
            } else if (source >> 24 == 0) {
                ++clear;
                clearMatching += shown == 0xEDEDED;
            }
        }
    ASSERT_GT(opaque, 1000);
    EXPECT_GT(opaqueMatching, opaque * 95 / 100) << opaqueMatching << " of " << opaque;
    EXPECT_GT(clearMatching, clear * 95 / 100) << clearMatching << " of " << clear;
}

// The link indicator shows the checked-in image of the link state: each opaque pixel of the PNG
// file appears in the button at one offset.
TEST_F(MainWindow, LinkIndicatorShowsTheCheckedInImages)
{
    Start(KeyboardOnly, 1);
    for (const auto& [index, file] :
         {std::pair{0, "LinkNone.png"}, std::pair{1, "LinkPresent.png"}}) {
        SCOPED_TRACE(file);
        const Decoded picture = DecodePng(SourceFile(std::string("resources/bitmaps/") + file));
        ASSERT_EQ(picture.width, 24);
        form->AdvGlowButton2->SetImageIndex(index);
        const auto dib = PaintClient(form);
        const RECT r = ClientRectOf(form, form->AdvGlowButton2);
        bool found = false;
        for (int dy = 0; dy + 24 <= r.bottom - r.top && !found; ++dy)
            for (int dx = 0; dx + 24 <= r.right - r.left && !found; ++dx) {
                bool all = true;
                for (int y = 0; y < 24 && all; ++y)
                    for (int x = 0; x < 24 && all; ++x)
                        if (picture.At(x, y) >> 24)
                            all = dib->Pixel(r.left + dx + x, r.top + dy + y) ==
                                  (picture.At(x, y) & 0xFFFFFF);
                found = all;
            }
        EXPECT_TRUE(found);
    }
}

// ---- the cosmetic handlers ----

// The longest run of the colour in one row of the rectangle.
int LongestRun(const testsupport::Dib& dib, RECT r, std::uint32_t rgb)
{
    int longest = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        int run = 0;
        for (int x = r.left; x < r.right; ++x) {
            run = dib.Pixel(x, y) == rgb ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

TEST_F(MainWindow, LinkLabelUnderlinesOnHoverAndRestoresOnLeave)
{
    Start(KeyboardOnly, 1);
    const RECT r = ClientRectOf(form, form->HTMLabel3);
    const int plain = LongestRun(*PaintClient(form), r, 0x5498FF);
    const std::string plainText = Joined(*form->HTMLabel3->HTMLText());

    // The pointer enters the label: the class library tells it so.
    form->HTMLabel3->Perform(CM_MOUSEENTER);
    const int hovered = LongestRun(*PaintClient(form), r, 0x5498FF);
    EXPECT_GT(hovered, 40) << "an underline under the address";
    EXPECT_GT(hovered, plain * 3);
    EXPECT_EQ(Screen->Cursor(), crHandPoint);
    const std::string hoveredText = Joined(*form->HTMLabel3->HTMLText());
    EXPECT_NE(hoveredText.find("<U>"), std::string::npos) << hoveredText;

    form->HTMLabel3->Perform(CM_MOUSELEAVE);
    EXPECT_EQ(Joined(*form->HTMLabel3->HTMLText()), plainText);
    EXPECT_EQ(LongestRun(*PaintClient(form), r, 0x5498FF), plain);
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

// With the demo devices of tools/run the window shows the first bootloader of the configuration.
TEST_F(MainWindow, DemoDevicesShowTheFirstBootloaderAndTheLink)
{
    const std::string demo = testsupport::ReadBytes(SourceFile("tools/simulator/demo.ini"));
    ASSERT_FALSE(demo.empty());
    Start(demo.c_str(), 2);
    EXPECT_EQ(Item(form->DeviceComboBox), "<P align=\"center\">PIC18F4550</P>");
    EXPECT_EQ(Item(form->MCUComboBox), "<P align=\"center\">PIC18</P>");
    EXPECT_EQ(form->AdvGlowButton2->ImageIndex(), 1);
}

TEST_F(MainWindow, ActivityToggleExpandsToTheDesignedWidthAndCollapsesAgain)
{
    Start(KeyboardOnly, 1);
    auto outerWidth = [&] {
        RECT outer{};
        GetWindowRect(form->Handle(), &outer);
        return static_cast<int>(outer.right - outer.left);
    };
    EXPECT_EQ(outerWidth(), 263 + 220 + 6) << "collapsed: left + width of AdvGroupBox3 + 6";
    controls::TAdvGroupBox* progressRow = form->AdvGroupBoxes[7];

    form->AdvGlowButton1Click(form->AdvGlowButton1);
    EXPECT_EQ(form->ClientWidth(), 682) << "expanded: the designed width";
    EXPECT_EQ(outerWidth(), form->Tag());
    EXPECT_EQ(form->AdvGlowButton1->Caption(), "Hide Activity");
    EXPECT_EQ(form->AdvGlowButton1->Tag(), 1);
    EXPECT_EQ(progressRow->Color(), 0xDCDCDCu);

    form->AdvGlowButton1Click(form->AdvGlowButton1);
    EXPECT_EQ(outerWidth(), 489);
    EXPECT_EQ(form->AdvGlowButton1->Caption(), "Show Activity");
    EXPECT_EQ(form->AdvGlowButton1->Tag(), 0);
    EXPECT_EQ(progressRow->Color(), 0xFAFAFAu);
}

} // namespace
