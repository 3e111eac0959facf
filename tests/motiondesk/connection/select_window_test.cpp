#include "connection_harness.h"
#include "motiondesk/connection/comm_type_window.h"
#include "support/modal_helpers.h"

#include <QListWidget>
#include <gtest/gtest.h>

namespace {

using connection_testing::ConnectionHarness;
using testing_support::click;
using testing_support::whenModalShown;
using Messages = std::vector<std::string>;

class SelectDevice : public testing::Test {
protected:
    void clickUsb() {
        connection::CommTypeWindow window(world.services());
        click(&window, "Command1");
    }
    static QStringList rows(QWidget* select) {
        auto* list = select->findChild<QListWidget*>("DeviceList");
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }
    ConnectionHarness world;
};

TEST_F(SelectDevice, ListsTheControllersAndConnectsTheChosenOne) {
    world.usbDevice("01");
    simulator::UsbDevice& second = world.usbDevice("02");
    QStringList listed;
    QString caption;
    whenModalShown("frmSelect", [&](QWidget* select) {
        caption = select->windowTitle();
        listed = rows(select);
        select->findChild<QListWidget*>("DeviceList")->setCurrentRow(1);
        click(select, "cmdOK");
    });
    clickUsb();

    EXPECT_EQ(caption, "Select Device");
    EXPECT_EQ(listed, (QStringList{"KTR01 , Index=0", "KTR02 , Index=1"}));
    ASSERT_EQ(world.mainWindowShownWith.size(), 1u);
    const transport::ConnectionState& state = world.mainWindowShownWith[0];
    EXPECT_EQ(state.LinkType, transport::LinkUsb);
    EXPECT_TRUE(state.LinkOpen);
    EXPECT_EQ(state.UsbDeviceIndex, 1);
    EXPECT_EQ(state.DeviceName, "02");
    EXPECT_EQ(state.UsbHandle, second.openHandle());
    EXPECT_EQ(world.readFile("USBHandle.ini"), "1," + std::to_string(state.UsbHandle) + "\r\n");
    EXPECT_TRUE(world.ui.messages().empty());
}

TEST_F(SelectDevice, OkWithoutASelectionAsksForOneAndStays) {
    world.usbDevice("01");
    bool stillShown = false;
    whenModalShown("frmSelect", [&](QWidget* select) {
        click(select, "cmdOK");
        stillShown = select->isVisible();
        click(select, "cmdCancel");
    });
    clickUsb();
    EXPECT_EQ(world.ui.messages(), Messages{"Please select a Zentor device first."});
    EXPECT_TRUE(stillShown);
    EXPECT_TRUE(world.mainWindowShownWith.empty()) << "Cancel goes back to the connection window";
    EXPECT_EQ(world.ui.quitRequests, 0);
}

TEST_F(SelectDevice, WithoutAControllerRunsTheMainWindowUnconnectedThenEnds) {
    world.usb.setAvailable(false);
    clickUsb();
    EXPECT_EQ(world.ui.messages(), Messages{"Error finding USB device."});
    ASSERT_EQ(world.mainWindowShownWith.size(), 1u);
    EXPECT_FALSE(world.mainWindowShownWith[0].LinkOpen);
    EXPECT_EQ(world.mainWindowShownWith[0].LinkType, transport::LinkUsb);
    EXPECT_EQ(world.ui.quitRequests, 1);
}

TEST_F(SelectDevice, ADeviceThatCannotBeOpenedEndsTheProgram) {
    simulator::UsbDevice& device = world.usbDevice("01");
    simulator::InProcessUsbLibrary otherProgram;
    otherProgram.attach(device);
    int32_t handle = 0;
    ASSERT_EQ(otherProgram.Open(0, handle), 1);
    whenModalShown("frmSelect", [&](QWidget* select) {
        select->findChild<QListWidget*>("DeviceList")->setCurrentRow(0);
        click(select, "cmdOK");
    });
    clickUsb();
    EXPECT_EQ(
        world.ui.messages(),
        Messages{"Error opening device. Application is aborting. Reset hardware and try again."});
    EXPECT_EQ(world.ui.quitRequests, 1);
    EXPECT_TRUE(world.mainWindowShownWith.empty());
}

} // namespace
