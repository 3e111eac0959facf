// Parameter files: the bytes "Save" writes and what "Open" makes of good, short, long, odd and
// foreign files.

#include "motiondesk/setup/parameter_file.h"
#include "motiondesk/setup/polarity_word.h"
#include "support/scratch_folder.h"
#include "support/scripted_ui.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using setup::SetupPanel;
using testing_support::crlfLines;
using testing_support::ScratchFolder;
using testing_support::ScriptedUi;
using Messages = std::vector<std::string>;

SetupPanel everySettingSet() {
    SetupPanel panel;
    for (const auto& choice : setup::kPolarityChoices) {
        panel.*choice.low = false;
        panel.*choice.high = true;
    }
    setup::selectEncoder(setup::kEncoderOptions[2], panel);
    panel.baudCombo = "19200";
    panel.DeviceIDCombo = "07";
    panel.DIOenable = true;
    panel.JoyMaxSpdX = "1000";
    panel.JoyMaxDeltaX = "20";
    panel.JoyZeroTolX = "5";
    panel.NegOuterX = "-900";
    panel.NegInnerX = "-100";
    panel.PosOuterX = "900";
    panel.PosInnerX = "100";
    panel.VerimoveEnable = true;
    panel.VerimoveRatio = "2.5";
    panel.VerimoveMaxAttempt = "3";
    panel.VerimoveTolRange = "4";
    panel.VerimoveErrorRange = "6";
    panel.MicrostepSelect = "16";
    panel.RunCurrentSelect = "1200";
    panel.IdleCurrentSelect = "600";
    panel.IdleTimeSelect = "50";
    panel.RunOnBoot = true;
    panel.RunOnBoot2 = true;
    panel.Watchdog = "0100";
    panel.EOBOOT = "1";
    panel.DOBOOT = "2";
    panel.EnaDEC = true;
    panel.LCA = "200";
    panel.HCA = "500";
    panel.IERR = true;
    return panel;
}

const std::vector<std::string> kEverySettingLines = {
    "31986", "19200", "07",   " 1 ", "1000", "20",  "5",   "-900", "-100", "900", "100",
    " 0 ",   " 1 ",   "2.5",  "3",   "4",    "6",   "16",  "1200", "600",  "50",  " 1 ",
    " 0 ",   " 1 ",   "0100", "1",   "2",    " 1 ", "200", "500",  " 0 ",  " 1 "};

std::string joined(const std::vector<std::string>& lines, const std::string& end) {
    std::string bytes;
    for (const auto& line : lines)
        bytes += line + end;
    return bytes;
}

class ParameterFile : public ::testing::Test {
protected:
    std::string path(const std::string& name = "set.par") {
        return (folder.path() / name).string();
    }

    // Opens a file holding bytes into panel.
    bool open(const std::string& bytes, SetupPanel& into) {
        folder.write("set.par", bytes);
        ui.fileNames = {path()};
        return setup::openParameterFile(ui, "KT-210", into);
    }

    ScratchFolder folder;
    ScriptedUi ui;
};

TEST_F(ParameterFile, SaveWritesTheThirtyTwoLinesInTheirOrder) {
    ui.fileNames = {path()};
    setup::saveParameterFile(ui, everySettingSet());
    EXPECT_EQ(folder.read("set.par"), joined(kEverySettingLines, "\r\n"));
    EXPECT_EQ(folder.fileCount(), 1u) << "no temporary file is left";
    EXPECT_EQ(ui.messages(), (Messages{"Save Parameters to file done!"}));
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(ui.dialogs[0],
              (ScriptedUi::Dialog{ScriptedUi::Dialog::Save, "Save Setup Parameters As",
                                  "Parameter Files (*.par)|*.par", ""}));
}

TEST_F(ParameterFile, SaveWithoutAUsableNameWritesNothing) {
    ui.fileNames = {std::nullopt, "", path("*.par")};
    for (int i = 0; i < 3; ++i)
        setup::saveParameterFile(ui, SetupPanel{});
    EXPECT_EQ(ui.messages(), (Messages{"No Parameter File Name!"}));
    EXPECT_EQ(folder.fileCount(), 0u);
}

TEST_F(ParameterFile, ASaveThatFailsSaysWhy) {
    folder.write("set.par", "old");
    const std::string missing = path("no/such/folder.par");
    ui.fileNames = {missing, folder.str()};
    setup::saveParameterFile(ui, SetupPanel{});
    setup::saveParameterFile(ui, SetupPanel{});
    EXPECT_EQ(ui.messages(),
              (Messages{"File " + missing + " could not be saved: its folder does not exist.",
                        "File " + folder.str() + " could not be saved: it is a folder."}));
    EXPECT_EQ(folder.fileCount(), 1u);
}

TEST_F(ParameterFile, ReopeningGivesBackEveryControlAndWholeNumbersAsNumbers) {
    ui.fileNames = {path()};
    setup::saveParameterFile(ui, everySettingSet());
    ui.takeMessages();
    SetupPanel reopened;
    EXPECT_TRUE(open(folder.read("set.par"), reopened));
    SetupPanel expected = everySettingSet();
    expected.Watchdog = "100";
    EXPECT_EQ(reopened, expected);
    EXPECT_TRUE(ui.takeMessages().empty());
    EXPECT_EQ(ui.dialogs.back(),
              (ScriptedUi::Dialog{ScriptedUi::Dialog::Open, "Open KT-210 Parameter File",
                                  "KT-210 Parameter Files (*.par)|*.par", "*.par"}));
}

// Each case opens its bytes over a window that has every setting at its default but encoder
// x2, and says what the window holds afterwards.
struct OpenCase {
    const char* name;
    std::string bytes;
    std::function<void(SetupPanel&)> expected; // applied to the starting panel
};

SetupPanel startingPanel() {
    SetupPanel panel;
    setup::selectEncoder(setup::kEncoderOptions[1], panel);
    return panel;
}

// The panel after the first `lines` lines of kEverySettingLines were read.
std::function<void(SetupPanel&)> firstLines(size_t lines) {
    return [lines](SetupPanel& panel) {
        std::vector<std::string> head(kEverySettingLines.begin(),
                                      kEverySettingLines.begin() + long(lines));
        setup::applyParameterFileLines(head, panel);
    };
}

std::vector<std::string> withLines(std::initializer_list<std::pair<size_t, std::string>> changes) {
    auto lines = kEverySettingLines;
    for (const auto& [number, text] : changes)
        lines[number - 1] = text;
    return lines;
}

std::vector<std::string> withLine(size_t number, const std::string& text) {
    return withLines({{number, text}});
}

class OpeningAFile : public ParameterFile, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpeningAFile, FillsWhatItCanAndStaysSilent) {
    SetupPanel panel = startingPanel();
    EXPECT_TRUE(open(GetParam().bytes, panel));
    SetupPanel expected = startingPanel();
    GetParam().expected(expected);
    EXPECT_EQ(panel, expected);
    EXPECT_TRUE(ui.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Open, OpeningAFile,
    ::testing::Values(
        OpenCase{"LoneCarriageReturns", joined(kEverySettingLines, "\r"), firstLines(32)},
        OpenCase{"LoneLineFeeds", joined(kEverySettingLines, "\n"), firstLines(32)},
        OpenCase{"NoFinalLineEnd", joined(kEverySettingLines, "\r\n") + "extra", firstLines(32)},
        OpenCase{"CheckBoxesWithOtherBlanks",
                 joined(withLines({{4, "1"}, {12, "\t0\t"}, {13, "   1"}}), "\r\n"),
                 firstLines(32)},
        OpenCase{"TwentyLines",
                 joined({kEverySettingLines.begin(), kEverySettingLines.begin() + 20}, "\r\n"),
                 firstLines(20)},
        OpenCase{"WatchdogNotANumber", joined(withLine(25, "fast"), "\r\n"), firstLines(24)},
        OpenCase{"CheckBoxOfTwo", joined(withLine(13, " 2 "), "\r\n"), firstLines(12)},
        OpenCase{"EmptyNumberLineIsZero", joined(withLine(29, ""), "\r\n"),
                 [](SetupPanel& panel) {
                     firstLines(32)(panel);
                     panel.LCA = "0";
                 }},
        OpenCase{"PolarityWordNotANumber", joined(withLine(1, "x"), "\r\n"), [](SetupPanel&) {}},
        OpenCase{"PolarityWordOutOfRange", joined(withLine(1, "40000"), "\r\n"),
                 [](SetupPanel&) {}},
        OpenCase{"NegativePolarityWord", joined(withLine(1, "-2"), "\r\n"), [](SetupPanel&) {}},
        OpenCase{"SeveralEncoderBitsLastWins", crlfLines({"1536"}),
                 [](SetupPanel& panel) { setup::selectEncoder(setup::kEncoderOptions[2], panel); }},
        OpenCase{"NoEncoderBitLeavesTheEncoder", crlfLines({"2"}),
                 [](SetupPanel& panel) {
                     panel.DirPolHigh = true;
                     panel.DirPolLow = false;
                 }},
        OpenCase{"EmptyFile", "", [](SetupPanel&) {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ParameterFile, ALaterChoiceWithItsBitClearLosesHighButDoesNotGainLow) {
    SetupPanel panel;
    panel.OutPolLow = false;
    panel.OutPolHigh = true;
    ASSERT_TRUE(open(crlfLines({"256"}), panel));
    EXPECT_FALSE(panel.OutPolHigh);
    EXPECT_FALSE(panel.OutPolLow);
    EXPECT_TRUE(panel.EncoderX1);
}

struct RefusedCase {
    const char* name;
    std::function<std::string(ScratchFolder&)> make; // makes the file, returns its name
    std::string message;                             // after "File " + path
};

class RefusedFile : public ParameterFile, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedFile, IsNamedAndChangesNothing) {
    const std::string name = GetParam().make(folder);
    ui.fileNames = {path(name)};
    SetupPanel panel = startingPanel();
    EXPECT_FALSE(setup::openParameterFile(ui, "KT-210", panel));
    EXPECT_EQ(panel, startingPanel());
    EXPECT_EQ(ui.messages(), (Messages{"File " + path(name) + GetParam().message}));
}

INSTANTIATE_TEST_SUITE_P(
    Open, RefusedFile,
    ::testing::Values(
        RefusedCase{"Missing", [](ScratchFolder&) { return std::string("gone.par"); },
                    " does not exist!"},
        RefusedCase{"Binary",
                    [](ScratchFolder& folder) {
                        folder.write("bin.par", std::string("2\r\n\0\x01\x02", 6));
                        return std::string("bin.par");
                    },
                    " holds binary data and is no parameter file; nothing was opened."},
        RefusedCase{"OverAMegabyte",
                    [](ScratchFolder& folder) {
                        folder.write("big.par", std::string((1 << 20) + 1, '1'));
                        return std::string("big.par");
                    },
                    " is too large for a parameter file (1048577 bytes); nothing was opened."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ParameterFile, CancelOrAPatternOpensNothingSilently) {
    ui.fileNames = {std::nullopt, "", path("*.par")};
    SetupPanel panel;
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(setup::openParameterFile(ui, "KT-210", panel));
    EXPECT_EQ(panel, SetupPanel{});
}

} // namespace
