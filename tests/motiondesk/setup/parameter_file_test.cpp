// Parameter files: what "Open" makes of good, short, long, odd and foreign files, and the bytes
// "Save" writes.

#include "controller/polarity_word.h"
#include "motiondesk/setup/parameter_file.h"
#include "support/scratch_folder.h"
#include "support/scripted_ui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

using setup::SetupPanel;
using testing_support::ScriptedUi;
using Messages = std::vector<std::string>;
using Lines = std::vector<std::string>;

// Every line different from the defaults: all High choices, encoder x4, every box ticked but
// the joystick's, RT and RZ.
const Lines kEverySetting = {"31986", "19200", "07",   " 1 ", "1000", "20",  "5",   "-900",
                             "-100",  "900",   "100",  " 0 ", " 1 ",  "2.5", "3",   "4",
                             "6",     "16",    "1200", "600", "50",   " 1 ", " 0 ", " 1 ",
                             "0100",  "1",     "2",    " 1 ", "200",  "500", " 0 ", " 1 "};

std::string joined(const Lines& lines, const std::string& end = "\r\n") {
    std::string bytes;
    for (const auto& line : lines)
        bytes += line + end;
    return bytes;
}

Lines with(std::initializer_list<std::pair<size_t, std::string>> changes) {
    Lines lines = kEverySetting;
    for (const auto& [number, text] : changes)
        lines[number - 1] = text;
    return lines;
}

// The window's state before each open: the defaults, with encoder x2.
SetupPanel startingPanel() {
    SetupPanel panel;
    setup::selectEncoder(setup::kEncoderOptions[1], panel);
    return panel;
}

class ParameterFile : public ::testing::Test {
protected:
    std::string path(const std::string& name = "set.par") {
        return (folder.path() / name).string();
    }
    bool open(const std::string& bytes, SetupPanel& into) {
        folder.write("set.par", bytes);
        ui.fileNames = {path()};
        return setup::openParameterFile(ui, "KT-210", into);
    }

    testing_support::ScratchFolder folder;
    ScriptedUi ui;
};

TEST_F(ParameterFile, EachLineFillsItsControlAndSaveWritesThemBackInTheirOrder) {
    SetupPanel panel = startingPanel();
    ASSERT_TRUE(open(joined(kEverySetting), panel));
    EXPECT_TRUE(panel.DirPolHigh && panel.EOPolHigh && panel.EncoderX4 && !panel.EncoderX2);
    EXPECT_EQ(panel.baudCombo, "19200");
    EXPECT_EQ(panel.DeviceIDCombo, "07");
    EXPECT_TRUE(panel.DIOenable && !panel.joyenable && panel.VerimoveEnable);
    EXPECT_EQ(panel.NegOuterX, "-900");
    EXPECT_EQ(panel.PosOuterX, "900") << "line 10";
    EXPECT_EQ(panel.PosInnerX, "100") << "line 11";
    EXPECT_EQ(panel.VerimoveRatio, "2.5") << "a fraction stays text";
    EXPECT_EQ(panel.VerimoveMaxAttempt, "3");
    EXPECT_EQ(panel.VerimoveTolRange, "4");
    EXPECT_EQ(panel.IdleTimeSelect, "50");
    EXPECT_TRUE(panel.RunOnBoot && !panel.RT && panel.RunOnBoot2);
    EXPECT_EQ(panel.Watchdog, "100") << "read back as a whole number";
    EXPECT_EQ(panel.LCA, "200") << "line 29";
    EXPECT_EQ(panel.HCA, "500") << "line 30";
    EXPECT_TRUE(panel.EnaDEC && !panel.RZ && panel.IERR);
    EXPECT_EQ(ui.dialogs.back(),
              (ScriptedUi::Dialog{ScriptedUi::Dialog::Open, "Open KT-210 Parameter File",
                                  "KT-210 Parameter Files (*.par)|*.par", "*.par"}));

    ui.fileNames = {path("saved.par")};
    setup::saveParameterFile(ui, panel);
    EXPECT_EQ(folder.read("saved.par"), joined(with({{25, "100"}})));
    EXPECT_EQ(folder.fileCount(), 2u) << "no temporary file is left";
    EXPECT_EQ(ui.messages(), (Messages{"Save Parameters to file done!"}));
    EXPECT_EQ(ui.dialogs.back(),
              (ScriptedUi::Dialog{ScriptedUi::Dialog::Save, "Save Setup Parameters As",
                                  "Parameter Files (*.par)|*.par", ""}));
}

TEST_F(ParameterFile, ALineBreakInsideATextIsNotWritten) {
    SetupPanel panel;
    panel.JoyMaxSpdX = "12\n";
    ui.fileNames = {path()};
    setup::saveParameterFile(ui, panel);
    const std::string bytes = folder.read("set.par");
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 32);
    EXPECT_NE(bytes.find("\r\n12\r\n"), std::string::npos);
    ui.messages();
}

// Each case opens its bytes over startingPanel(); expected is what the panel holds afterwards:
// the file's first `lines` lines taken, then any adjustment.
struct OpenCase {
    const char* name;
    std::string bytes;
    size_t lines;
    std::function<void(SetupPanel&)> adjust = {};
};

class OpeningAFile : public ParameterFile, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpeningAFile, FillsWhatItCanAndStaysSilent) {
    SetupPanel panel = startingPanel();
    EXPECT_TRUE(open(GetParam().bytes, panel));
    SetupPanel expected = startingPanel();
    setup::applyParameterFileLines(
        Lines(kEverySetting.begin(), kEverySetting.begin() + long(GetParam().lines)), expected);
    if (GetParam().adjust) GetParam().adjust(expected);
    EXPECT_EQ(panel, expected);
    EXPECT_TRUE(ui.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Open, OpeningAFile,
    ::testing::Values(
        OpenCase{"LoneCarriageReturns", joined(kEverySetting, "\r"), 32},
        OpenCase{"LoneLineFeeds", joined(kEverySetting, "\n"), 32},
        OpenCase{"LongerFile", joined(kEverySetting) + "extra\r\n33\r\n", 32},
        OpenCase{"CheckBoxesWithOtherBlanks", joined(with({{4, "1"}, {12, "\t0\t"}, {13, "  1"}})),
                 32},
        OpenCase{"TwentyLines", joined(Lines(kEverySetting.begin(), kEverySetting.begin() + 20)),
                 20},
        OpenCase{"WatchdogNotANumber", joined(with({{25, "fast"}})), 24},
        OpenCase{"CheckBoxOfTwoIsTicked", joined(with({{12, " 2 "}})), 32,
                 [](SetupPanel& panel) { panel.joyenable = true; }},
        OpenCase{"CheckBoxOfThreeIsNotAccepted", joined(with({{13, " 3 "}})), 12},
        OpenCase{"ControlBytesOtherThanNulAreText", joined(with({{14, "2\f5"}})) + "\x1a", 32,
                 [](SetupPanel& panel) { panel.VerimoveRatio = "2\f5"; }},
        OpenCase{"EmptyNumberLineIsZero", joined(with({{29, ""}})), 32,
                 [](SetupPanel& panel) { panel.LCA = "0"; }},
        OpenCase{"PolarityWordNotANumber", joined(with({{1, "x"}})), 0},
        OpenCase{"PolarityWordAboveTheRangeGivesItsBits", joined(with({{1, "65538"}})), 32,
                 [](SetupPanel& panel) {
                     SetupPanel choices = startingPanel();
                     setup::applyFilePolarityWord(65538, choices);
                     for (const auto& option : setup::kSetupOptions)
                         panel.*option.member = choices.*option.member;
                 }},
        OpenCase{"SeveralEncoderBitsLastWins", "1536\r\n", 0,
                 [](SetupPanel& panel) { setup::selectEncoder(setup::kEncoderOptions[2], panel); }},
        OpenCase{"NoEncoderBitLeavesTheEncoder", "2\r\n", 0,
                 [](SetupPanel& panel) {
                     panel.DirPolHigh = true;
                     panel.DirPolLow = false;
                 }},
        OpenCase{"EmptyFile", "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ParameterFile, ALaterChoiceWithItsBitClearLosesHighButDoesNotGainLow) {
    SetupPanel panel;
    panel.OutPolLow = false;
    panel.OutPolHigh = true;
    ASSERT_TRUE(open("256\r\n", panel));
    EXPECT_FALSE(panel.OutPolHigh || panel.OutPolLow);
    EXPECT_TRUE(panel.EncoderX1);
}

TEST_F(ParameterFile, AFileThatIsNoParameterFileIsRefusedAndChangesNothing) {
    folder.write("bin.par", std::string("2\r\n\0\x01\x02", 6));
    folder.write("big.par", std::string((1 << 20) + 1, '1'));
    ui.fileNames = {path("gone.par"), path("bin.par"), path("big.par")};
    SetupPanel panel;
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(setup::openParameterFile(ui, "KT-210", panel));
    EXPECT_EQ(panel, SetupPanel{});
    EXPECT_EQ(ui.messages(),
              (Messages{"File " + path("gone.par") + " does not exist!",
                        "File " + path("bin.par") +
                            " holds binary data and is no parameter file; nothing was opened.",
                        "File " + path("big.par") +
                            " is too large for a parameter file (1048577 "
                            "bytes); nothing was opened."}));
}

TEST_F(ParameterFile, WithoutAUsableNameNothingIsOpenedOrWritten) {
    ui.fileNames = {std::nullopt, "", path("*.par"), std::nullopt, "", path("*.par")};
    SetupPanel panel;
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(setup::openParameterFile(ui, "KT-210", panel));
    for (int i = 0; i < 3; ++i)
        setup::saveParameterFile(ui, panel);
    EXPECT_EQ(ui.messages(), (Messages{"No Parameter File Name!"}));
    EXPECT_EQ(folder.fileCount(), 0u);
}

TEST_F(ParameterFile, ASaveThatFailsSaysWhy) {
    const std::string missing = path("no/such/folder.par");
    ui.fileNames = {missing, folder.str()};
    setup::saveParameterFile(ui, SetupPanel{});
    setup::saveParameterFile(ui, SetupPanel{});
    EXPECT_EQ(ui.messages(),
              (Messages{"File " + missing + " could not be saved: its folder does not exist.",
                        "File " + folder.str() + " could not be saved: it is a folder."}));
}

} // namespace
