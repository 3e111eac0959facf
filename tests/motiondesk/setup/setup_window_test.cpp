// The windows "LMC-7 Setup" and "DIO Control" worked by control name, offscreen, over the
// simulated controller: loading, the firmware gates, what clicks send, the change marks and the
// hand-over of the port between the two windows.

#include "setup_fixture.h"

#include "controller/parameter_set.h"
#include "motiondesk/setup/dio_window.h"
#include "motiondesk/setup/setup_window.h"
#include "support/modal_helpers.h"
#include "support/scratch_folder.h"

#include <QComboBox>
#include <QLabel>

namespace setuptest {
namespace {

using testing_support::WidgetDriver;

class SetupWindowTest : public SetupTest {
protected:
    setup::SetupWindow& open() {
        window = std::make_unique<setup::SetupWindow>(services());
        setupPort = lastPort;
        driver.setRoot(window.get());
        return *window;
    }
    bool bold(const char* name) { return driver.find<QWidget>(name)->font().bold(); }
    QStringList items(const char* name) {
        QStringList texts;
        auto* list = driver.find<QComboBox>(name);
        for (int i = 0; list && i < list->count(); ++i)
            texts << list->itemText(i);
        return texts;
    }
    // The caption that names a control.
    QLabel* captionOf(const char* name) {
        auto* control = driver.find<QWidget>(name);
        for (QLabel* label : window->findChildren<QLabel*>())
            if (label->buddy() == control) return label;
        return nullptr;
    }

    std::unique_ptr<setup::SetupWindow> window;
    ControllerPort* setupPort = nullptr;
    WidgetDriver driver;
};

TEST_F(SetupWindowTest, LoadingOpensItsOwnPortAndShowsTheControllerWithoutAMessage) {
    state.SerialPort = 3;
    state.BaudRate = "19200";
    for (const char* setting : {"POL=514", "DB=2", "TOC=250", "SLR=1.5", "DRVRC=1200"})
        controller.model->execute(setting);
    open();
    ASSERT_NE(setupPort, nullptr);
    EXPECT_EQ(setupPort->settings(), "19200,N,8,1");
    EXPECT_EQ(sent(), kFullUpload);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(window->windowTitle(), "LMC-7 Setup");
    EXPECT_TRUE(driver.ticked("DirPolHigh"));
    EXPECT_TRUE(driver.ticked("EncoderX4"));
    EXPECT_FALSE(driver.ticked("EncoderX1"));
    EXPECT_EQ(driver.text("baudCombo"), "19200");
    EXPECT_EQ(driver.text("Watchdog"), "250");
    EXPECT_EQ(driver.text("VerimoveRatio"), "1.5");
    EXPECT_EQ(driver.text("RunCurrentSelect"), "1200");
    EXPECT_EQ(driver.text("DeviceIDCombo"), "01");
    EXPECT_EQ(items("baudCombo"), (QStringList{"9600", "19200", "38400", "57600", "115200"}));
    EXPECT_EQ(items("MicrostepSelect").size(), 499);
    EXPECT_EQ(items("MicrostepSelect").last(), "500");
    EXPECT_EQ(items("RunCurrentSelect").size(), 30);
    EXPECT_EQ(items("IdleCurrentSelect").last(), "3000");
    EXPECT_EQ(items("IdleTimeSelect").size(), 100);
    EXPECT_EQ(items("DeviceIDCombo").size(), 99);
    EXPECT_EQ(items("DeviceIDCombo").first(), "01");
    EXPECT_EQ(window->unboundControls(), std::vector<std::string>{});
    EXPECT_FALSE(bold("Watchdog")) << "nothing is changed yet";
}

struct GateCase {
    int firmware;
    std::vector<const char*> disabled;
    std::vector<const char*> enabled;
};

class FirmwareGates : public SetupWindowTest, public ::testing::WithParamInterface<GateCase> {};

TEST_P(FirmwareGates, DisableWhatTheFirmwareLacksButStillSendIt) {
    program.FirmwareVersion = int16_t(GetParam().firmware);
    controller.setFirmware(GetParam().firmware);
    open();
    for (const char* name : GetParam().disabled) {
        EXPECT_FALSE(driver.enabled(name)) << name;
        if (QLabel* caption = captionOf(name)) {
            EXPECT_FALSE(caption->isEnabled()) << name;
        }
    }
    for (const char* name : GetParam().enabled)
        EXPECT_TRUE(driver.enabled(name)) << name;
    sent().clear();
    driver.click("DownloadPar");
    EXPECT_NE(std::find(sent().begin(), sent().end(), "TOC=0"), sent().end());
    EXPECT_NE(std::find(sent().begin(), sent().end(), "HCA=0"), sent().end());
    ui.clearMessages();
}

const std::vector<const char*> kBelow222 = {"SAPolHigh", "SAPolLow",   "Watchdog",  "InPolHigh",
                                            "InPolLow",  "OutPolHigh", "OutPolLow", "RunOnBoot2",
                                            "DOBOOT",    "IERR"};
const std::vector<const char*> kBelow227 = {"EOPolHigh", "EOPolLow", "EOBOOT"};
const std::vector<const char*> kBelow230 = {"EnaDEC", "LCA", "HCA", "RZ"};

std::vector<const char*> joinedNames(std::initializer_list<std::vector<const char*>> lists) {
    std::vector<const char*> names;
    for (const auto& list : lists)
        names.insert(names.end(), list.begin(), list.end());
    return names;
}

INSTANTIATE_TEST_SUITE_P(
    Load, FirmwareGates,
    ::testing::Values(GateCase{221, joinedNames({kBelow222, kBelow227, kBelow230}), {"DirPolHigh"}},
                      GateCase{226, joinedNames({kBelow227, kBelow230}), kBelow222},
                      GateCase{229, kBelow230, joinedNames({kBelow222, kBelow227})},
                      GateCase{230, {}, joinedNames({kBelow222, kBelow227, kBelow230})}));

TEST_F(SetupWindowTest, DownSendsWhatTheControlsShow) {
    open();
    sent().clear();
    driver.type("Watchdog", "");
    driver.click("DirPolHigh");
    driver.click("RunOnBoot2");
    driver.type("VerimoveTolRange", "2.6");
    driver.click("DownloadPar");
    EXPECT_EQ(Commands(sent().begin(), sent().begin() + 5),
              (Commands{"SR=0", "ABORT", "POL=2", "SLOAD=2", "TOC=0"}));
    EXPECT_NE(std::find(sent().begin(), sent().end(), "SLT=3"), sent().end());
    EXPECT_EQ(driver.text("Watchdog"), "0");
    EXPECT_EQ(ui.messages(), (Messages{setup::kSettingsDownloaded}));
}

TEST_F(SetupWindowTest, ButtonsOfTheDriverJoystickAndStoreReachTheController) {
    open();
    sent().clear();
    ui.answers = {true};
    driver.click("JoyOn");
    driver.click("JoyOff");
    driver.click("StoreToFlash");
    driver.click("ReadDriver");
    EXPECT_EQ(Commands(sent().begin(), sent().begin() + 4), (Commands{"JO", "JF", "STORE", "EO"}));
    EXPECT_EQ(ui.messages(), (Messages{setup::kStoreDone, setup::kDriverReadDone}));
    EXPECT_EQ(clock.sleeps, (std::vector<int>{200, 2000}));
}

TEST_F(SetupWindowTest, ChangedControlsAreMarkedUntilTheControllerIsReadAgainAndStoreListsThem) {
    open();
    driver.type("Watchdog", "250");
    driver.click("DirPolHigh");
    EXPECT_TRUE(bold("Watchdog"));
    EXPECT_EQ(driver.find<QWidget>("Watchdog")->toolTip(),
              "Changed since the window read the controller");
    EXPECT_TRUE(bold("DirPolHigh"));
    EXPECT_TRUE(bold("DirPolLow"));
    EXPECT_FALSE(bold("LimitPolHigh"));

    ui.answers = {false};
    driver.click("StoreToFlash");
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text, "Changed in this window since it read the controller:\n"
                                    "    Dir: High (was Low)\n"
                                    "    Time-out Counter: 250 (was 0)\n"
                                    "\n" +
                                        std::string(setup::kStoreQuestion));
    EXPECT_EQ(ui.questions[0].title, "Store to Flash");

    driver.type("Watchdog", "0");
    EXPECT_FALSE(bold("Watchdog")) << "back to the controller's value";
    driver.click("UploadPar");
    EXPECT_FALSE(bold("DirPolHigh"));
    EXPECT_FALSE(driver.ticked("DirPolHigh")) << "the upload shows the controller's choice";
    EXPECT_EQ(ui.messages(), (Messages{setup::kSettingsUploaded}));
}

TEST_F(SetupWindowTest, AParameterFileFillsTheControlsAndSendsNothing) {
    testing_support::ScratchFolder folder;
    std::string bytes = "2\r\n19200\r\n07\r\n 1 \r\n";
    folder.write("a.par", bytes);
    open();
    sent().clear();
    ui.fileNames = {(folder.path() / "a.par").string()};
    driver.click("OpenParameters");
    EXPECT_TRUE(driver.ticked("DirPolHigh"));
    EXPECT_EQ(driver.text("baudCombo"), "19200");
    EXPECT_EQ(driver.text("DeviceIDCombo"), "07");
    EXPECT_TRUE(driver.ticked("DIOenable"));
    EXPECT_TRUE(bold("DeviceIDCombo"));
    EXPECT_TRUE(sent().empty());
}

TEST_F(SetupWindowTest, WithTheLinkDownTheWindowsOpenQuietlyAtTheirDefaults) {
    state.LinkOpen = false;
    open();
    setup::DioWindow dio(services());
    WidgetDriver dioDriver(&dio);
    EXPECT_EQ(controller.opens, 0);
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(items("MicrostepSelect").size(), 499);
    for (int row = 0; row < 16; ++row) {
        const std::string suffix = std::to_string(row);
        EXPECT_EQ(dioDriver.text(("MoveType" + suffix).c_str()), "NONE");
        EXPECT_EQ(dioDriver.text(("Hspd" + suffix).c_str()), "0");
    }
    driver.click("DownloadPar");
    dioDriver.click("Download");
    EXPECT_TRUE(sent().empty());
}

// While "DIO Control" is open it alone holds the port; "LMC-7 Setup" takes it back afterwards.
TEST_F(SetupWindowTest, DioControlSetupLendsThePortToTheDioWindowAndTakesItBack) {
    open();
    sent().clear();
    bool dioShown = false;
    testing_support::whenModalShown("DIO", [&](QWidget* dio) {
        dioShown = true;
        EXPECT_FALSE(setupPort->isOpen());
        EXPECT_NE(controller.holder, nullptr);
        EXPECT_EQ(dio->windowTitle(), "DIO Control");
        EXPECT_EQ(sent().size(), 80u) << "the DIO window uploads its table as it loads";
        testing_support::click(dio, "CloseButton");
    });
    driver.click("DIOSetup");
    EXPECT_TRUE(dioShown);
    EXPECT_TRUE(setupPort->isOpen());
    EXPECT_EQ(controller.holder, setupPort);
    EXPECT_EQ(controller.opens, 3) << "Setup, DIO, Setup again";
    EXPECT_EQ(controller.doubleOpens, 0);
    EXPECT_EQ(controller.foreignWrites, 0);
    EXPECT_TRUE(ui.messages().empty());
    driver.click("CloseButton");
    EXPECT_EQ(controller.holder, nullptr) << "closing releases the port";
}

TEST_F(SetupWindowTest, TheDioWindowSendsTheTableAsShown) {
    open();
    setupPort->close(); // as the set-up window does before it opens the DIO window
    setup::DioWindow dio(services());
    WidgetDriver dioDriver(&dio);
    EXPECT_EQ(dio.unboundControls(), std::vector<std::string>{});
    EXPECT_EQ(dioDriver.find<QComboBox>("MoveType15")->count(), 23);
    sent().clear();
    dioDriver.choose("MoveType3", "JOG+");
    dioDriver.type("Hspd10", "5000");
    dioDriver.type("Target0", "12.5");
    dioDriver.click("Download");
    ASSERT_EQ(sent().size(), 80u);
    EXPECT_EQ(sent()[1], "MP01=12");
    EXPECT_EQ(sent()[15], "MP30=5");
    EXPECT_EQ(sent()[52], "MPA2=5000");
    EXPECT_EQ(ui.messages(), (Messages{"Download Done!"}));
    controller.replies["MP30"] = "7";
    dioDriver.click("Upload");
    EXPECT_EQ(dioDriver.text("MoveType3"), "HOME+");
    EXPECT_EQ(dioDriver.text("Target0"), "12");
    EXPECT_EQ(ui.messages().back(), "Upload Done!");
}

} // namespace
} // namespace setuptest
