// The parameter set's commands against the simulated controller, without widgets: what "Down",
// "Upload", "Store", "Read", "Write" and the joystick buttons send, ask and say.

#include "setup_fixture.h"

#include "motiondesk/session/command_channel.h"
#include "motiondesk/setup/parameter_set.h"
#include "motiondesk/setup/polarity_word.h"

#include <algorithm>

namespace setuptest {
namespace {

using setup::ParameterSet;
using setup::SetupPanel;

class ParameterSetTest : public SetupTest {
protected:
    ParameterSet& parameters() {
        if (!set)
            set = std::make_unique<ParameterSet>(channel(), ui, clock, panel,
                                                 program.FirmwareVersion);
        return *set;
    }
    // What the controller received from the first command on.
    Commands sentFrom(const std::string& first) {
        const auto start = std::find(sent().begin(), sent().end(), first);
        return Commands(start, sent().end());
    }

    SetupPanel panel = matchingIdentity();
    std::unique_ptr<ParameterSet> set;

    // The controller's own ID and rate, so a download asks nothing about them.
    static SetupPanel matchingIdentity() {
        SetupPanel panel;
        panel.DeviceIDCombo = "01";
        panel.baudCombo = "9600";
        return panel;
    }
};

const Commands kFullUpload = {"EDEC", "RZ",    "LCA",  "HCA", "TOC",   "IERR",  "EOBOOT", "DOBOOT",
                              "IERR", "SLOAD", "DB",   "SL",  "SLT",   "SLE",   "SLA",    "SLR",
                              "DN",   "POL",   "JV1",  "JV3", "JV5",   "JL1",   "JL2",    "JL3",
                              "JL4",  "JS",    "EDIO", "RT",  "DRVMS", "DRVRC", "DRVIC",  "DRVIT"};

TEST(PolarityWord, HighChoicesAndEncoderGiveTheirBitsInEachLayout) {
    SetupPanel low;
    EXPECT_EQ(setup::PolarityWord(low), 0);
    EXPECT_EQ(setup::FilePolarityWord(low), 256) << "x1 has a bit of its own in the file";
    SetupPanel high;
    for (const auto& choice : setup::kPolarityChoices) {
        high.*choice.low = false;
        high.*choice.high = true;
    }
    setup::selectEncoder(setup::kEncoderOptions[2], high);
    EXPECT_EQ(setup::PolarityWord(high), 16114);
    EXPECT_EQ(setup::FilePolarityWord(high), 31986);
    SetupPanel x2;
    setup::selectEncoder(setup::kEncoderOptions[1], x2);
    EXPECT_EQ(setup::PolarityWord(x2), 256);
    EXPECT_EQ(setup::FilePolarityWord(x2), 512);
}

TEST_F(ParameterSetTest, DownSendsTheWholeSetInOrderAndSaysSo) {
    for (const auto& choice : setup::kPolarityChoices) {
        panel.*choice.low = false;
        panel.*choice.high = true;
    }
    setup::selectEncoder(setup::kEncoderOptions[2], panel);
    panel.RunOnBoot = panel.RunOnBoot2 = true;
    panel.Watchdog = "";
    panel.DOBOOT = "2";
    panel.EOBOOT = "1";
    panel.EnaDEC = panel.RZ = panel.IERR = true;
    panel.HCA = "500";
    panel.LCA = "200";
    panel.VerimoveEnable = true;
    panel.VerimoveTolRange = "2.6";
    panel.VerimoveErrorRange = "3.5";
    panel.VerimoveMaxAttempt = "2.5";
    panel.VerimoveRatio = "2.6";
    panel.JoyMaxSpdX = "1000";
    panel.JoyMaxDeltaX = "";
    panel.JoyZeroTolX = "5";
    panel.NegOuterX = "-100";
    panel.NegInnerX = "-10";
    panel.PosInnerX = "10";
    panel.PosOuterX = "100";
    panel.joyenable = panel.DIOenable = panel.RT = true;

    parameters().DownloadParameters();

    EXPECT_EQ(sent(),
              (Commands{"SR=0",     "ABORT",    "POL=16114", "SLOAD=3", "TOC=0",    "DOBOOT=2",
                        "EOBOOT=1", "EDEC=1",   "HCA=500",   "LCA=200", "RZ=1",     "IERR=1",
                        "DN",       "DB",       "SL=1",      "SLT=3",   "SLE=4",    "SLA=2",
                        "SLR=2.6",  "JV1=1000", "JV3=0",     "JV5=5",   "JL1=-100", "JL2=-10",
                        "JL3=10",   "JL4=100",  "JO",        "EDIO=1",  "RT=1"}));
    EXPECT_EQ(ui.messages(), (Messages{setup::kSettingsDownloaded}));
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(panel.Watchdog, "0") << "an empty box is sent and shown as 0";
    EXPECT_EQ(panel.JoyMaxDeltaX, "0");
    EXPECT_EQ(clock.sleeps, (std::vector<int>{1000})) << "SR=0 waits before its reply";
    EXPECT_EQ(controller.model->value("POL"), "16114");
    EXPECT_EQ(controller.model->value("SLR"), "2.6");
}

TEST_F(ParameterSetTest, AFieldThatMustBeAWholeNumberIsNamedAndNothingIsSent) {
    panel.VerimoveErrorRange = "1O";
    parameters().DownloadParameters();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(ui.messages(), (Messages{"Error Range must be a whole number, not \"1O\"."}));
}

TEST_F(ParameterSetTest, SameDeviceIdAndRateAskNothingAndSetNothing) {
    controller.replies["DN"] = "KTR05";
    panel.DeviceIDCombo = "05";
    parameters().DownloadParameters();
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(std::count_if(sent().begin(), sent().end(),
                            [](const std::string& c) {
                                return c.starts_with("DN=") || c.starts_with("DB=");
                            }),
              0);
    EXPECT_EQ(ui.messages(), (Messages{setup::kSettingsDownloaded}));
}

struct DeviceIdCase {
    const char* name;
    bool yes;
    const char* answerToSet; // the controller's reply to DN=KTR07
    Commands afterDn;        // what follows DN up to DB
    Messages messages;
    const char* listAfter;
};

class DeviceIdChange : public ParameterSetTest,
                       public ::testing::WithParamInterface<DeviceIdCase> {};

TEST_P(DeviceIdChange, IsAskedForAndFollowsTheAnswer) {
    const DeviceIdCase& c = GetParam();
    controller.replies["DN"] = "KTR05";
    controller.replies["DN=KTR07"] = c.answerToSet;
    panel.DeviceIDCombo = "07";
    ui.answers = {c.yes};
    parameters().DownloadParameters();
    EXPECT_EQ(ui.questions, (std::vector<Question>{
                                {"Are you sure you want change Device ID to 07?", "Device ID"}}));
    Commands expected = {"DN"};
    expected.insert(expected.end(), c.afterDn.begin(), c.afterDn.end());
    expected.push_back("DB");
    Commands between(std::find(sent().begin(), sent().end(), "DN"),
                     std::find(sent().begin(), sent().end(), "DB") + 1);
    EXPECT_EQ(between, expected);
    EXPECT_EQ(ui.messages(), c.messages);
    EXPECT_EQ(panel.DeviceIDCombo, c.listAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Download, DeviceIdChange,
    ::testing::Values(DeviceIdCase{"No", false, "OK", {}, {setup::kSettingsDownloaded}, "05"},
                      DeviceIdCase{"YesAndSet",
                                   true,
                                   "OK",
                                   {"DN=KTR07"},
                                   {setup::kDeviceIdSet, setup::kSettingsDownloaded},
                                   "07"},
                      DeviceIdCase{"YesAndRefused",
                                   true,
                                   "?DN=KTR07",
                                   {"DN=KTR07"},
                                   {setup::kDeviceIdFailed, setup::kSettingsDownloaded},
                                   "07"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ParameterSetTest, AnotherRateIsAskedForAndSentAsItsCode) {
    panel.baudCombo = "19200";
    ui.answers = {true};
    parameters().DownloadParameters();
    EXPECT_EQ(ui.questions,
              (std::vector<Question>{{"Are you sure you want change the baudrate?", "Device ID"}}));
    const Commands from = sentFrom("DB");
    ASSERT_GE(from.size(), 3u);
    EXPECT_EQ(Commands(from.begin(), from.begin() + 3), (Commands{"DB", "DB=2", "SL=0"}));
    EXPECT_EQ(ui.messages(), (Messages{setup::kBaudrateDone, setup::kSettingsDownloaded}));
}

TEST_F(ParameterSetTest, ARateOutsideTheListEndsTheRateStepWithoutAsking) {
    panel.baudCombo = "1234";
    parameters().DownloadParameters();
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(sentFrom("DB").at(1), "SL=0");
    ui.messages();
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
                      SilentCase{"JF", {"No Reply to Command: JF", "Communication Error!"}}),
    [](const auto& info) {
        std::string name = info.param.command;
        std::replace(name.begin(), name.end(), '=', '_');
        return name;
    });

TEST_F(ParameterSetTest, NothingIsSentOrSaidOnALinkThatIsDown) {
    channel();
    state.LinkOpen = false;
    parameters().DownloadParameters();
    parameters().UploadParameters();
    parameters().StoreToFlash();
    parameters().WriteDriverSettings();
    parameters().JoystickOn();
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(ui.messages().empty());
}

class UploadByFirmware : public ParameterSetTest, public ::testing::WithParamInterface<int> {};

TEST_P(UploadByFirmware, AsksOnlyWhatTheFirmwareHas) {
    const int firmware = GetParam();
    program.FirmwareVersion = int16_t(firmware);
    controller.setFirmware(firmware);
    parameters().UploadParameters();
    Commands expected;
    for (size_t i = 0; i < kFullUpload.size(); ++i) {
        const bool since230 = i < 4;
        const bool since227 = kFullUpload[i] == "EOBOOT";
        const bool since222 = i < 9 && !since230 && !since227;
        if ((since230 && firmware < 230) || (since227 && firmware < 227) ||
            (since222 && firmware < 222))
            continue;
        expected.push_back(kFullUpload[i]);
    }
    EXPECT_EQ(sent(), expected);
    EXPECT_EQ(ui.messages(), (Messages{setup::kSettingsUploaded}));
}

INSTANTIATE_TEST_SUITE_P(Upload, UploadByFirmware, ::testing::Values(221, 222, 227, 229, 230));

TEST_F(ParameterSetTest, UploadShowsTheControllersSettings) {
    auto& model = *controller.model;
    for (const char* setting :
         {"POL=2", "SLOAD=2", "DB=3", "SL=1", "SLT=5", "SLR=2.5", "JV1=300", "JL4=-7", "EDIO=1",
          "TOC=150", "EDEC=1", "HCA=700", "EOBOOT=1", "DRVMS=64"})
        ASSERT_EQ(model.execute(setting), "OK") << setting;
    model.execute("JO");
    panel.OutPolLow = false;
    panel.OutPolHigh = true;
    panel.RunOnBoot = true;

    parameters().UploadParameters();

    EXPECT_TRUE(panel.DirPolHigh && !panel.DirPolLow);
    EXPECT_TRUE(panel.LimitPolLow && panel.HomePolLow && panel.LatchPolLow && panel.ZPolLow);
    EXPECT_TRUE(panel.EncoderX1 && !panel.EncoderX2 && !panel.EncoderX4);
    EXPECT_FALSE(panel.OutPolHigh || panel.OutPolLow) << "a clear bit only clears High";
    EXPECT_TRUE(panel.InPolLow && !panel.InPolHigh);
    EXPECT_FALSE(panel.RunOnBoot);
    EXPECT_TRUE(panel.RunOnBoot2);
    EXPECT_EQ(panel.baudCombo, "38400");
    EXPECT_TRUE(panel.VerimoveEnable);
    EXPECT_EQ(panel.VerimoveTolRange, "5");
    EXPECT_EQ(panel.VerimoveRatio, "2.5");
    EXPECT_EQ(panel.JoyMaxSpdX, "300");
    EXPECT_EQ(panel.PosOuterX, "-7");
    EXPECT_TRUE(panel.joyenable && panel.DIOenable && panel.EnaDEC);
    EXPECT_EQ(panel.Watchdog, "150");
    EXPECT_EQ(panel.HCA, "700");
    EXPECT_EQ(panel.EOBOOT, "1");
    EXPECT_EQ(panel.MicrostepSelect, "64");
    EXPECT_EQ(panel.DeviceIDCombo, "01");
    EXPECT_EQ(ui.messages(), (Messages{setup::kSettingsUploaded}));
}

// A reply the control cannot show leaves that control as it was; the rest is filled.
struct BadReplyCase {
    const char* query;
    const char* reply;
    std::vector<bool SetupPanel::*> boxes;
    std::vector<std::string SetupPanel::*> texts;
};

class BadReplyDuringUpload : public ParameterSetTest,
                             public ::testing::WithParamInterface<BadReplyCase> {};

TEST_P(BadReplyDuringUpload, LeavesItsControlAsItWas) {
    const BadReplyCase& c = GetParam();
    for (const char* setting :
         {"POL=16114", "SLOAD=3", "DB=5", "SL=1", "EDIO=1", "RT=1", "EDEC=1", "RZ=1", "IERR=1"})
        controller.model->execute(setting);
    controller.model->execute("JO");
    SetupPanel before = panel;
    before.DeviceIDCombo = "42";

    SetupPanel expected = before;
    ParameterSet(channel(), ui, clock, expected, program.FirmwareVersion).UploadParameters(true);
    for (auto member : c.boxes)
        expected.*member = before.*member;
    for (auto member : c.texts)
        expected.*member = before.*member;

    controller.replies[c.query] = c.reply;
    panel = before;
    parameters().UploadParameters(true);
    EXPECT_EQ(panel, expected);
    EXPECT_TRUE(ui.messages().empty());
}

std::vector<bool SetupPanel::*> allOptions() {
    std::vector<bool SetupPanel::*> members;
    for (const auto& option : setup::kSetupOptions)
        members.push_back(option.member);
    return members;
}

std::string caseName(const ::testing::TestParamInfo<BadReplyCase>& info) {
    std::string name = std::string(info.param.query) + "_" + std::to_string(info.index);
    return name;
}

INSTANTIATE_TEST_SUITE_P(
    Upload, BadReplyDuringUpload,
    ::testing::Values(
        BadReplyCase{"EDEC", "abc", {&SetupPanel::EnaDEC}, {}},
        BadReplyCase{"EDEC", "2", {&SetupPanel::EnaDEC}, {}},
        BadReplyCase{"RZ", "-1", {&SetupPanel::RZ}, {}},
        BadReplyCase{"IERR", "x", {&SetupPanel::IERR}, {}},
        BadReplyCase{"SLOAD", "4", {&SetupPanel::RunOnBoot, &SetupPanel::RunOnBoot2}, {}},
        BadReplyCase{"SLOAD", "?SLOAD", {&SetupPanel::RunOnBoot, &SetupPanel::RunOnBoot2}, {}},
        BadReplyCase{"DB", "6", {}, {&SetupPanel::baudCombo}},
        BadReplyCase{"DB", "fast", {}, {&SetupPanel::baudCombo}},
        BadReplyCase{"SL", "on", {&SetupPanel::VerimoveEnable}, {}},
        BadReplyCase{"DN", "KTR", {}, {&SetupPanel::DeviceIDCombo}},
        BadReplyCase{"DN", "KTRx9", {}, {&SetupPanel::DeviceIDCombo}},
        BadReplyCase{"POL", "16384", allOptions(), {}}, BadReplyCase{"POL", "-2", allOptions(), {}},
        BadReplyCase{"POL", "2x", allOptions(), {}},
        BadReplyCase{"JS", "yes", {&SetupPanel::joyenable}, {}},
        BadReplyCase{"EDIO", "?EDIO", {&SetupPanel::DIOenable}, {}},
        BadReplyCase{"RT", "1.5.", {&SetupPanel::RT}, {}}),
    caseName);

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
        const size_t stop =
            size_t(std::find(kFullUpload.begin(), kFullUpload.end(), kFullUpload[i]) -
                   kFullUpload.begin());
        EXPECT_EQ(fresh.sent(),
                  Commands(kFullUpload.begin(), kFullUpload.begin() + long(stop) + 1));
        Messages expected = {"No Response!"};
        if (stop >= firstChecked) expected.push_back("Communication Error!");
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
    for (const char* setting : {"SL=1", "EDIO=1", "EO=1"})
        controller.model->execute(setting);
    controller.model->execute("JO");
    panel.MicrostepSelect = "32";
    panel.RunCurrentSelect = "1500";
    panel.IdleCurrentSelect = "700";
    panel.IdleTimeSelect = "20";
    parameters().WriteDriverSettings();
    EXPECT_EQ(sent(),
              (Commands{"EO", "SL", "SL=0", "EDIO", "EDIO=0", "JS", "JF", "DRVMS=32", "DRVRC=1500",
                        "DRVIC=700", "DRVIT=20", "RW", "R4", "SL=1", "EDIO=1", "JO", "EO=1"}));
    EXPECT_EQ(clock.sleeps, (std::vector<int>{2000}));
    EXPECT_EQ(ui.messages(), (Messages{setup::kDriverWriteDone}));
}

TEST_F(ParameterSetTest, ReadFillsTheDriverListsFromTheDriver) {
    controller.model->execute("EO=0");
    parameters().ReadDriverSettings();
    EXPECT_EQ(sent(), (Commands{"EO", "SL", "EDIO", "JS", "RR", "R2", "DRVMS", "DRVRC", "DRVIC",
                                "DRVIT", "EO=0"}));
    EXPECT_EQ(panel.MicrostepSelect, controller.model->value("DRVMS"));
    EXPECT_EQ(panel.IdleTimeSelect, controller.model->value("DRVIT"));
    EXPECT_EQ(ui.messages(), (Messages{setup::kDriverReadDone}));
}

TEST_F(ParameterSetTest, AFailedTransferLeavesTheLineUsersOff) {
    controller.model->execute("SL=1");
    controller.replies["R2"] = "0";
    parameters().ReadDriverSettings();
    EXPECT_EQ(sent(), (Commands{"EO", "SL", "SL=0", "EDIO", "JS", "RR", "R2"}));
    EXPECT_EQ(ui.messages(), (Messages{setup::kDriverTransferFailed}));
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
