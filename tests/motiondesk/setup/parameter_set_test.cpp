// The parameter set's commands against the simulated controller, without widgets: what "Down",
// "Upload", "Store", "Read", "Write" and the joystick buttons send, ask and say.

#include "setup_fixture.h"

#include "controller/parameter_set.h"
#include "controller/polarity_word.h"
#include "link/command_channel.h"

#include <algorithm>

namespace setuptest {
namespace {

using setup::ParameterSet;
using setup::SetupPanel;

void selectAllHighAndX4(SetupPanel& panel) {
    for (const auto& choice : setup::kPolarityChoices) {
        panel.*choice.low = false;
        panel.*choice.high = true;
    }
    setup::selectEncoder(setup::kEncoderOptions[2], panel);
}

class ParameterSetTest : public SetupTest {
protected:
    ParameterSetTest() {
        // The controller's own ID and rate, so a download asks nothing about them.
        panel.DeviceIDCombo = "01";
        panel.baudCombo = "9600";
    }
    ParameterSet& parameters() {
        if (!set)
            set = std::make_unique<ParameterSet>(channel(), ui, clock, panel,
                                                 program.FirmwareVersion);
        return *set;
    }
    Commands sentBetween(const std::string& first, const std::string& last) {
        const auto from = std::find(sent().begin(), sent().end(), first);
        return Commands(from, std::find(from, sent().end(), last) + 1);
    }

    SetupPanel panel;
    std::unique_ptr<ParameterSet> set;
};

TEST(PolarityWord, HighChoicesAndEncoderGiveTheirBitsInEachLayout) {
    SetupPanel panel;
    EXPECT_EQ(setup::PolarityWord(panel), 0);
    EXPECT_EQ(setup::FilePolarityWord(panel), 256) << "x1 has a bit of its own in the file";
    setup::selectEncoder(setup::kEncoderOptions[1], panel);
    EXPECT_EQ(setup::PolarityWord(panel), 256);
    EXPECT_EQ(setup::FilePolarityWord(panel), 512);
    selectAllHighAndX4(panel);
    EXPECT_EQ(setup::PolarityWord(panel), 16114);
    EXPECT_EQ(setup::FilePolarityWord(panel), 31986);
}

TEST_F(ParameterSetTest, DownSendsTheWholeSetInOrderAndSaysSo) {
    selectAllHighAndX4(panel);
    panel.RunOnBoot = panel.RunOnBoot2 = panel.EnaDEC = panel.RZ = panel.IERR = true;
    panel.VerimoveEnable = panel.joyenable = panel.DIOenable = panel.RT = true;
    panel.Watchdog = panel.JoyMaxDeltaX = "";
    panel.DOBOOT = "2";
    panel.HCA = "500";
    panel.VerimoveTolRange = "2.6";
    panel.VerimoveErrorRange = "3.5";
    panel.VerimoveMaxAttempt = "2.5";
    panel.VerimoveRatio = "2.6";
    panel.NegOuterX = "-100";
    panel.PosInnerX = "10";

    parameters().DownloadParameters();

    EXPECT_EQ(sent(),
              (Commands{"SR=0",     "ABORT",  "POL=16114", "SLOAD=3", "TOC=0",    "DOBOOT=2",
                        "EOBOOT=0", "EDEC=1", "HCA=500",   "LCA=0",   "RZ=1",     "IERR=1",
                        "DN",       "DB",     "SL=1",      "SLT=3",   "SLE=4",    "SLA=2",
                        "SLR=2.6",  "JV1=0",  "JV3=0",     "JV5=0",   "JL1=-100", "JL2=0",
                        "JL3=10",   "JL4=0",  "JO",        "EDIO=1",  "RT=1"}));
    EXPECT_EQ(ui.messages(), (Messages{setup::kSettingsDownloaded}));
    EXPECT_EQ(panel.Watchdog, "0") << "an empty box is sent and shown as 0";
    EXPECT_EQ(panel.JoyMaxDeltaX, "0");
    EXPECT_EQ(clock.sleeps, (std::vector<int>{1000})) << "SR=0 waits before its reply";
    EXPECT_EQ(controller.model->value("SLR"), "2.6");
}

TEST_F(ParameterSetTest, AFieldThatMustBeAWholeNumberIsNamedAndNothingIsSent) {
    panel.VerimoveErrorRange = "1O";
    parameters().DownloadParameters();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(ui.messages(), (Messages{"Error Range must be a whole number, not \"1O\"."}));
}

struct DeviceIdCase {
    bool yes;
    std::string replyToSet; // to DN=KTR07
    Commands sent;          // from DN to DB
    Messages messages;
    std::string listAfter;
};

class DeviceIdChange : public ParameterSetTest,
                       public ::testing::WithParamInterface<DeviceIdCase> {};

TEST_P(DeviceIdChange, IsAskedForAndFollowsTheAnswer) {
    controller.replies = {{"DN", "KTR05"}, {"DN=KTR07", GetParam().replyToSet}};
    panel.DeviceIDCombo = "07";
    ui.answers = {GetParam().yes};
    parameters().DownloadParameters();
    EXPECT_EQ(ui.questions, (std::vector<Question>{
                                {"Are you sure you want change Device ID to 07?", "Device ID"}}));
    EXPECT_EQ(sentBetween("DN", "DB"), GetParam().sent);
    Messages messages = GetParam().messages;
    messages.push_back(setup::kSettingsDownloaded);
    EXPECT_EQ(ui.messages(), messages);
    EXPECT_EQ(panel.DeviceIDCombo, GetParam().listAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Download, DeviceIdChange,
    ::testing::Values(
        DeviceIdCase{false, "OK", {"DN", "DB"}, {}, "05"},
        DeviceIdCase{true, "OK", {"DN", "DN=KTR07", "DB"}, {setup::kDeviceIdSet}, "07"},
        DeviceIdCase{true, "?", {"DN", "DN=KTR07", "DB"}, {setup::kDeviceIdFailed}, "07"}));

TEST_F(ParameterSetTest, AnotherRateIsAskedForAndSentAsItsCodeAndAnUnknownOneIsLeft) {
    panel.baudCombo = "19200";
    ui.answers = {true};
    parameters().DownloadParameters();
    EXPECT_EQ(ui.questions,
              (std::vector<Question>{{"Are you sure you want change the baudrate?", "Device ID"}}));
    EXPECT_EQ(sentBetween("DB", "SL=0"), (Commands{"DB", "DB=2", "SL=0"}));
    EXPECT_EQ(ui.messages(), (Messages{setup::kBaudrateDone, setup::kSettingsDownloaded}));

    panel.baudCombo = "1234";
    sent().clear();
    parameters().DownloadParameters();
    EXPECT_EQ(sentBetween("DB", "SL=0"), (Commands{"DB", "SL=0"}));
    EXPECT_EQ(ui.questions.size(), 1u);
    ui.takeMessages();
}

struct SilentCase {
    const char* command;
    Messages messages;
};

class ControllerFallsSilentDuringDown : public ParameterSetTest,
                                        public ::testing::WithParamInterface<SilentCase> {};

// Up to the baud rate the transport's own message is all; after it "Communication Error!"
// follows. Either way nothing more is sent, asked or said.
TEST_P(ControllerFallsSilentDuringDown, StopsAtThatCommand) {
    controller.silent = {GetParam().command};
    parameters().DownloadParameters();
    ASSERT_FALSE(sent().empty());
    EXPECT_EQ(sent().back(), GetParam().command);
    EXPECT_EQ(ui.messages(), GetParam().messages);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_FALSE(state.LinkOpen);
}

INSTANTIATE_TEST_SUITE_P(
    Download, ControllerFallsSilentDuringDown,
    ::testing::Values(SilentCase{"POL=0", {"No Reply to Command: POL=0"}},
                      SilentCase{"DN", {"No Reply to Command: DN"}},
                      SilentCase{"SL=0", {"No Reply to Command: SL=0", "Communication Error!"}},
                      SilentCase{"JF", {"No Reply to Command: JF", "Communication Error!"}}));

class UploadByFirmware : public ParameterSetTest, public ::testing::WithParamInterface<int> {};

TEST_P(UploadByFirmware, AsksOnlyWhatTheFirmwareHas) {
    const int firmware = GetParam();
    program.FirmwareVersion = int16_t(firmware);
    controller.setFirmware(firmware);
    parameters().UploadParameters();
    Commands expected;
    for (size_t i = 0; i < kFullUpload.size(); ++i) {
        const int needs = i < 4 ? 230 : kFullUpload[i] == "EOBOOT" ? 227 : i < 9 ? 222 : 0;
        if (firmware >= needs) expected.push_back(kFullUpload[i]);
    }
    EXPECT_EQ(sent(), expected);
    EXPECT_EQ(ui.messages(), (Messages{setup::kSettingsUploaded}));
}

INSTANTIATE_TEST_SUITE_P(Upload, UploadByFirmware, ::testing::Values(221, 222, 227, 229, 230));

TEST_F(ParameterSetTest, UploadShowsTheControllersSettings) {
    for (const char* setting : {"POL=2", "SLOAD=2", "DB=3", "SL=1", "SLR=2.5", "JL4=-7", "EDIO=1",
                                "TOC=150", "EDEC=1", "HCA=700", "DRVMS=64", "JO"})
        ASSERT_EQ(controller.model->execute(setting), "OK") << setting;
    panel.OutPolLow = false;
    panel.OutPolHigh = panel.RunOnBoot = true;
    parameters().UploadParameters();
    EXPECT_TRUE(panel.DirPolHigh && !panel.DirPolLow && panel.LimitPolLow && panel.ZPolLow);
    EXPECT_TRUE(panel.EncoderX1 && !panel.EncoderX2 && !panel.EncoderX4);
    EXPECT_FALSE(panel.OutPolHigh || panel.OutPolLow) << "a clear bit only clears High";
    EXPECT_TRUE(!panel.RunOnBoot && panel.RunOnBoot2);
    EXPECT_EQ(panel.baudCombo, "38400");
    EXPECT_EQ(panel.VerimoveRatio, "2.5");
    EXPECT_EQ(panel.PosOuterX, "-7");
    EXPECT_TRUE(panel.VerimoveEnable && panel.joyenable && panel.DIOenable && panel.EnaDEC);
    EXPECT_EQ(panel.Watchdog, "150");
    EXPECT_EQ(panel.HCA, "700");
    EXPECT_EQ(panel.MicrostepSelect, "64");
    EXPECT_EQ(ui.messages(), (Messages{setup::kSettingsUploaded}));
}

// A reply the control cannot show leaves that control as it was; the rest is filled. "Down" then
// leaves that setting as the controller has it: it never writes what the window did not read.
struct BadReplyCase {
    const char* query;
    const char* reply;
    std::vector<bool SetupPanel::*> boxes;
    std::string SetupPanel::*text;
    Commands notSentByDown; // prefixes
};

class BadReplyDuringUpload : public ParameterSetTest,
                             public ::testing::WithParamInterface<BadReplyCase> {};

TEST_P(BadReplyDuringUpload, LeavesItsControlAsItWasAndDownLeavesItsSetting) {
    for (const char* setting :
         {"POL=16114", "SLOAD=3", "DB=5", "SL=1", "EDIO=1", "RT=1", "EDEC=1", "RZ=1", "JO"})
        controller.model->execute(setting);
    SetupPanel before = panel;
    before.DeviceIDCombo = "42";
    SetupPanel expected = before;
    ParameterSet(channel(), ui, clock, expected, program.FirmwareVersion).UploadParameters(true);
    for (auto member : GetParam().boxes)
        expected.*member = before.*member;
    if (GetParam().text) expected.*GetParam().text = before.*GetParam().text;

    controller.replies[GetParam().query] = GetParam().reply;
    panel = before;
    parameters().UploadParameters(true);
    EXPECT_EQ(panel, expected);
    EXPECT_TRUE(ui.messages().empty());

    if (GetParam().notSentByDown.empty()) return;
    // The controller's own ID and rate, so that "Down" asks nothing about them.
    panel.DeviceIDCombo = "01";
    panel.baudCombo = "115200";
    controller.commands.clear();
    parameters().DownloadParameters();
    EXPECT_EQ(ui.messages(), (Messages{setup::kSettingsDownloaded}));
    for (const std::string& prefix : GetParam().notSentByDown)
        for (const std::string& command : sent())
            EXPECT_NE(command.rfind(prefix, 0), 0u) << command;
}

std::vector<bool SetupPanel::*> allOptions() {
    std::vector<bool SetupPanel::*> members;
    for (const auto& option : setup::kSetupOptions)
        members.push_back(option.member);
    return members;
}

INSTANTIATE_TEST_SUITE_P(
    Upload, BadReplyDuringUpload,
    ::testing::Values(BadReplyCase{"EDEC", "abc", {&SetupPanel::EnaDEC}, nullptr, {"EDEC="}},
                      BadReplyCase{"EDEC", "2", {&SetupPanel::EnaDEC}, nullptr, {"EDEC="}},
                      BadReplyCase{"RZ", "-1", {&SetupPanel::RZ}, nullptr, {"RZ="}},
                      BadReplyCase{"IERR", "x", {&SetupPanel::IERR}, nullptr, {"IERR="}},
                      BadReplyCase{"SLOAD",
                                   "?SLOAD",
                                   {&SetupPanel::RunOnBoot, &SetupPanel::RunOnBoot2},
                                   nullptr,
                                   {"SLOAD="}},
                      BadReplyCase{"DB", "6", {}, &SetupPanel::baudCombo, {}},
                      BadReplyCase{"DB", "fast", {}, &SetupPanel::baudCombo, {}},
                      BadReplyCase{"SL", "on", {&SetupPanel::VerimoveEnable}, nullptr, {"SL="}},
                      BadReplyCase{"DN", "KTR", {}, &SetupPanel::DeviceIDCombo, {}},
                      BadReplyCase{"DN", "KTRx9", {}, &SetupPanel::DeviceIDCombo, {}},
                      BadReplyCase{"POL", "2x", allOptions(), nullptr, {"POL="}},
                      BadReplyCase{"JS", "yes", {&SetupPanel::joyenable}, nullptr, {"JO", "JF"}},
                      BadReplyCase{"EDIO", "?EDIO", {&SetupPanel::DIOenable}, nullptr, {"EDIO="}},
                      BadReplyCase{"RT", "1.5.", {&SetupPanel::RT}, nullptr, {"RT="}}));

// Numbers outside the usual range still carry their bits: a POL above 16383 or below 0, an SLOAD
// above 3.
TEST_F(ParameterSetTest, UploadAppliesTheBitsOfAnyNumber) {
    controller.replies["POL"] = std::to_string(16384 + 2 + 512);
    controller.replies["SLOAD"] = "6";
    parameters().UploadParameters(true);
    EXPECT_TRUE(panel.DirPolHigh && panel.LimitPolLow && panel.EncoderX4);
    EXPECT_TRUE(!panel.RunOnBoot && panel.RunOnBoot2);
    controller.replies["POL"] = "-1";
    parameters().UploadParameters(true);
    EXPECT_TRUE(panel.DirPolHigh && panel.ZPolHigh && panel.EOPolHigh && panel.EncoderX4);
}

// A setting left unread goes out again once the user sets it.
TEST_F(ParameterSetTest, AnUnreadSettingIsSentOnceTheUserSetsIt) {
    controller.replies["EDEC"] = "7";
    parameters().UploadParameters(true);
    EXPECT_EQ(parameters().unreadControls(panel), (std::set<std::string>{"EnaDEC"}));
    panel.EnaDEC = !panel.EnaDEC;
    EXPECT_TRUE(parameters().unreadControls(panel).empty());
    controller.commands.clear();
    parameters().DownloadParameters();
    EXPECT_NE(std::find(sent().begin(), sent().end(), panel.EnaDEC ? "EDEC=1" : "EDEC=0"),
              sent().end());
    EXPECT_EQ(ui.messages(), (Messages{setup::kSettingsDownloaded}));
}

// Every reply of a set command is read; what the controller did not take is named, with its
// reply, instead of the success message, and every command still goes out.
TEST_F(ParameterSetTest, DownNamesTheSettingsTheControllerRefused) {
    panel.Watchdog = "abc";
    panel.HCA = "99999999";
    controller.replies["POL=0"] = std::string("\x01\x02", 2);
    parameters().DownloadParameters();
    EXPECT_EQ(sent().size(), 29u);
    EXPECT_EQ(ui.messages(), (Messages{"The controller did not take these settings:\n"
                                       "    POL=0 (it answered \"??\")\n"
                                       "    TOC=abc (it answered \"?TOC=abc\")\n"
                                       "    HCA=99999999 (it answered \"?HCA=99999999\")\n"
                                       "The other settings were downloaded."}));
}

// An empty reply fails the exchange: the transport says "No Response!", from "SL" on the window
// adds "Communication Error!", and the upload goes no further.
TEST_F(ParameterSetTest, AnEmptyReplyAtAnyQueryEndsTheUploadThere) {
    const size_t firstChecked = 11; // "SL"
    for (size_t i = 0; i < kFullUpload.size(); ++i) {
        SCOPED_TRACE(kFullUpload[i]);
        SetupHarness fresh;
        fresh.controller.replies[kFullUpload[i]] = "";
        SetupPanel panel;
        ParameterSet(fresh.channel(), fresh.ui, fresh.clock, panel, fresh.program.FirmwareVersion)
            .UploadParameters();
        const auto stop = std::find(kFullUpload.begin(), kFullUpload.end(), kFullUpload[i]);
        EXPECT_EQ(fresh.sent(), Commands(kFullUpload.begin(), stop + 1));
        Messages expected = {"No Response!"};
        if (size_t(stop - kFullUpload.begin()) >= firstChecked)
            expected.push_back("Communication Error!");
        EXPECT_EQ(fresh.ui.messages(), expected);
    }
}

TEST_F(ParameterSetTest, StoreAsksListingTheChangesAndReportsTheReply) {
    ui.answers = {true, true, false};
    parameters().StoreToFlash();
    controller.replies["STORE"] = "?STORE";
    parameters().StoreToFlash({"Time-out Counter: 250 (was 0)", "Dir: High (was Low)"});
    parameters().StoreToFlash();
    EXPECT_EQ(sent(), (Commands{"STORE", "STORE"}));
    EXPECT_EQ(ui.messages(), (Messages{setup::kStoreDone, setup::kStoreFailed}));
    ASSERT_EQ(ui.questions.size(), 3u);
    EXPECT_EQ(ui.questions[0], (Question{setup::kStoreQuestion, "Store to Flash"}));
    EXPECT_EQ(ui.questions[1].text, "Changed in this window since it read the controller:\n"
                                    "    Time-out Counter: 250 (was 0)\n"
                                    "    Dir: High (was Low)\n"
                                    "\n"
                                    "Are you sure you want to save parameters to flash?");
    EXPECT_EQ(clock.sleeps, (std::vector<int>{200, 200}));
}

TEST_F(ParameterSetTest, WriteSwitchesTheLineUsersOffForTheTransferAndBackOn) {
    for (const char* setting : {"SL=1", "EDIO=1", "EO=1", "JO"})
        controller.model->execute(setting);
    panel.MicrostepSelect = "32";
    panel.RunCurrentSelect = "1500";
    parameters().WriteDriverSettings();
    EXPECT_EQ(sent(),
              (Commands{"EO", "SL", "SL=0", "EDIO", "EDIO=0", "JS", "JF", "DRVMS=32", "DRVRC=1500",
                        "DRVIC=100", "DRVIT=1", "RW", "R4", "SL=1", "EDIO=1", "JO", "EO=1"}));
    EXPECT_EQ(clock.sleeps, (std::vector<int>{2000}));
    EXPECT_EQ(ui.messages(), (Messages{setup::kDriverWriteDone}));
}

TEST_F(ParameterSetTest, ReadFillsTheDriverListsAndAFailedTransferLeavesTheLineUsersOff) {
    controller.model->execute("EO=0");
    parameters().ReadDriverSettings();
    EXPECT_EQ(sent(), (Commands{"EO", "SL", "EDIO", "JS", "RR", "R2", "DRVMS", "DRVRC", "DRVIC",
                                "DRVIT", "EO=0"}));
    EXPECT_EQ(panel.MicrostepSelect, controller.model->value("DRVMS"));
    EXPECT_EQ(panel.IdleTimeSelect, controller.model->value("DRVIT"));

    sent().clear();
    controller.model->execute("SL=1");
    controller.replies["R2"] = "0";
    parameters().ReadDriverSettings();
    EXPECT_EQ(sent(), (Commands{"EO", "SL", "SL=0", "EDIO", "JS", "RR", "R2"}));
    EXPECT_EQ(ui.messages(), (Messages{setup::kDriverReadDone, setup::kDriverTransferFailed}));
}

TEST_F(ParameterSetTest, WriteNamesTheFirstEmptyDriverListAndSendsNothing) {
    panel.RunCurrentSelect.clear();
    panel.IdleTimeSelect.clear();
    parameters().WriteDriverSettings();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(ui.messages(), (Messages{"Select Run Current!"}));
}

TEST_F(ParameterSetTest, JoystickButtonsSendOnAndOffAndReportAFailure) {
    parameters().JoystickOn();
    controller.silent = {"JF"};
    parameters().JoystickOff();
    EXPECT_EQ(sent(), (Commands{"JO", "JF"}));
    EXPECT_EQ(ui.messages(), (Messages{"No Reply to Command: JF", "Communication Error!"}));
    EXPECT_FALSE(panel.joyenable) << "the buttons leave the box alone";
}

} // namespace
} // namespace setuptest
