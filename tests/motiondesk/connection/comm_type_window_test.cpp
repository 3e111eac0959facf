#include "connection_harness.h"
#include "link/serial_port_link.h"
#include "motiondesk/connection/comm_type_window.h"
#include "support/modal_helpers.h"
#include "support/pseudo_terminal.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

using connection_testing::ConnectionHarness;
using testing_support::click;
using Messages = std::vector<std::string>;

class CommType : public testing::Test {
protected:
    std::unique_ptr<connection::CommTypeWindow> open() {
        return std::make_unique<connection::CommTypeWindow>(world.services());
    }
    static QComboBox* list(QWidget* window, const char* name) {
        return window->findChild<QComboBox*>(name);
    }
    static std::string text(QWidget* window, const char* name) {
        return list(window, name)->currentText().toLatin1().toStdString();
    }
    static void setText(QWidget* window, const char* name, const char* text) {
        list(window, name)->setEditText(text);
    }
    ConnectionHarness world;
};

TEST_F(CommType, OpensWithItsCaptionVersionAndLists) {
    auto window = open();
    EXPECT_EQ(window->objectName(), "CommType");
    EXPECT_EQ(window->windowTitle(), "LMC-7 GUI");
    EXPECT_EQ(window->findChild<QLabel*>("VersionLabel")->text(), "Version 223");
    EXPECT_EQ(world.program.GuiVersion, "223");

    QComboBox* ports = list(window.get(), "combo");
    ASSERT_EQ(ports->count(), 15);
    EXPECT_EQ(ports->itemText(0), "COM1");
    EXPECT_EQ(ports->itemText(14), "COM15");
    QComboBox* rates = list(window.get(), "baudCom");
    EXPECT_EQ(rates->count(), 5);
    EXPECT_EQ(rates->itemText(4), "115200");
    QComboBox* ids = list(window.get(), "DeviceIDCombo");
    ASSERT_EQ(ids->count(), 99);
    EXPECT_EQ(ids->itemText(0), "01");
    EXPECT_EQ(ids->itemText(8), "09");
    EXPECT_EQ(ids->itemText(98), "99");
    for (const char* button : {"Command1", "Command25", "SearchQW", "SearchAllQW", "Close"})
        EXPECT_NE(window->findChild<QPushButton*>(button), nullptr) << button;
}

TEST_F(CommType, WithoutSettingsFileStartsAtCom1With9600AndId01) {
    auto window = open();
    EXPECT_EQ(text(window.get(), "combo"), "COM1");
    EXPECT_EQ(text(window.get(), "baudCom"), "9600");
    EXPECT_EQ(text(window.get(), "DeviceIDCombo"), "01");
}

TEST_F(CommType, ShowsTheSettingsFileAsItIs) {
    world.writeFile("commsetup.ini", "COM12\r\n115200\r\n07\r\n");
    auto window = open();
    EXPECT_EQ(text(window.get(), "combo"), "COM12");
    EXPECT_EQ(text(window.get(), "baudCom"), "115200");
    EXPECT_EQ(text(window.get(), "DeviceIDCombo"), "07");
}

TEST_F(CommType, DamagedSettingsFileOpensWithItsTextsAndEmptyLists) {
    world.writeFile("commsetup.ini", std::string("\x01\x02\x00\xff\r\n\xe9", 7));
    auto window = open();
    EXPECT_EQ(text(window.get(), "combo").substr(0, 2), "\x01\x02");
    EXPECT_EQ(text(window.get(), "baudCom"), "\xe9");
    EXPECT_EQ(text(window.get(), "DeviceIDCombo"), "") << "a missing line leaves its list empty";
}

TEST_F(CommType, Rs485SavesTheChoiceAndOpensTheMainWindowOnThatPort) {
    auto window = open();
    setText(window.get(), "combo", "COM12");
    setText(window.get(), "baudCom", "38400");
    setText(window.get(), "DeviceIDCombo", "05");
    click(window.get(), "Command25");

    EXPECT_EQ(world.readFile("commsetup.ini"), "COM12\r\n38400\r\n05\r\n");
    ASSERT_EQ(world.mainWindowShownWith.size(), 1u);
    const transport::ConnectionState& state = world.mainWindowShownWith[0];
    EXPECT_EQ(state.LinkType, transport::LinkSerial);
    EXPECT_EQ(state.SerialPort, 12);
    EXPECT_EQ(state.BaudRate, "38400");
    EXPECT_EQ(state.DeviceName, "05");
    EXPECT_TRUE(world.ui.messages().empty());
}

TEST_F(CommType, Rs485WithAnUnusablePortTextStillReachesTheMainWindow) {
    world.writeFile("commsetup.ini", "garbage\r\n");
    auto window = open();
    click(window.get(), "Command25");
    ASSERT_EQ(world.mainWindowShownWith.size(), 1u);
    EXPECT_EQ(world.mainWindowShownWith[0].SerialPort, 0) << "no port; the main window says so";
    EXPECT_EQ(world.mainWindowShownWith[0].BaudRate, "");
}

TEST_F(CommType, ExitSavesTheChoiceAndAsksTheProgramToEnd) {
    auto window = open();
    QSignalSpy exit(window.get(), &connection::CommTypeWindow::exitRequested);
    setText(window.get(), "combo", "COM3");
    click(window.get(), "Close");
    EXPECT_EQ(exit.count(), 1);
    EXPECT_EQ(world.readFile("commsetup.ini"), "COM3\r\n9600\r\n01\r\n");
    EXPECT_TRUE(world.mainWindowShownWith.empty());
}

TEST_F(CommType, SearchFillsTheListsWithTheControllerItFound) {
    world.portWithBus(1);
    world.portWithBus(2);
    world.controllerOn(3, "02", 38400);
    auto window = open();
    setText(window.get(), "baudCom", "19200");
    click(window.get(), "SearchQW");

    EXPECT_EQ(world.ui.messages(), Messages{"KT-210 Found on Port:3 Baud:38400 ID:02"});
    EXPECT_EQ(text(window.get(), "combo"), "COM3");
    EXPECT_EQ(text(window.get(), "baudCom"), "38400");
    EXPECT_EQ(text(window.get(), "DeviceIDCombo"), "02");
    EXPECT_EQ(world.state.BaudRate, "19200") << "the baud list text as it was before the search";
    EXPECT_TRUE(world.mainWindowShownWith.empty()) << "finding is not connecting";
}

TEST_F(CommType, SearchThatFindsNothingLeavesTheListsAlone) {
    world.portWithBus(2);
    world.controllerOn(1, "12", 9600);
    auto window = open();
    setText(window.get(), "combo", "COM5");
    click(window.get(), "SearchQW");
    EXPECT_EQ(world.ui.messages(),
              Messages{"Device not found!  Please check wiring and power inputs"});
    EXPECT_EQ(text(window.get(), "combo"), "COM5");
}

TEST_F(CommType, SearchWithoutAnyPortSaysSoAndFindsNothing) {
    auto window = open();
    click(window.get(), "SearchQW");
    EXPECT_EQ(world.ui.messages(),
              (Messages{"No Port Available!",
                        "Device not found!  Please check wiring and power inputs"}));
}

TEST_F(CommType, SearchAllShowsEveryControllerFound) {
    world.controllerOn(1, "01", 9600);
    world.controllerOn(1, "04", 9600);
    auto window = open();
    click(window.get(), "SearchAllQW");
    EXPECT_EQ(world.ui.messages(), Messages{"Found on Com Port:1 Baud:9600 ID:01\r\n"
                                            "Found on Com Port:1 Baud:9600 ID:04\r\n"});
    EXPECT_EQ(text(window.get(), "combo"), "COM1");
    EXPECT_EQ(text(window.get(), "DeviceIDCombo"), "01");
}

TEST_F(CommType, SearchAllThatFindsNothingSaysSo) {
    world.portWithBus(1);
    auto window = open();
    click(window.get(), "SearchAllQW");
    EXPECT_EQ(world.ui.messages(), Messages{"No device found!"});
}

TEST_F(CommType, ShowsWhereAPortLinkLeads) {
    std::filesystem::create_directories(world.path("ports"));
    std::filesystem::create_symlink("/dev/null", world.path("ports/COM2"));
    auto window = open();
    auto* device = window->findChild<QLabel*>("PortDevice");
    setText(window.get(), "combo", "COM2");
    EXPECT_TRUE(device->text().endsWith("/dev/null")) << device->text().toStdString();
    setText(window.get(), "combo", "COM3");
    EXPECT_TRUE(device->text().endsWith("/dev/ttyS2")) << device->text().toStdString();
}

// The machine's serial ports: one pseudo-terminal, with a stable name in a scratch by-id folder.
class CommTypePorts : public CommType {
protected:
    void SetUp() override {
        ASSERT_TRUE(adapter.ready());
        std::filesystem::create_directories(world.path("ports"));
        std::filesystem::create_directories(world.path("by-id"));
        std::filesystem::create_symlink(adapter.deviceName(), stableName);
        catalog.list = [this] {
            return std::vector<transport::SerialPortDescription>{
                {adapter.deviceName(), "FT232R USB UART", "FTDI", "A10K4XYZ"}};
        };
        catalog.byIdFolder = world.path("by-id");
    }
    std::unique_ptr<connection::CommTypeWindow> openOn(const char* port) {
        auto window = std::make_unique<connection::CommTypeWindow>(services, nullptr, catalog);
        setText(window.get(), "combo", port);
        auto* ports = window->findChild<QTreeWidget*>("SerialPortList");
        ports->setCurrentItem(ports->topLevelItem(0));
        return window;
    }
    static QString shown(QWidget* window, const char* name) {
        return window->findChild<QLabel*>(name)->text();
    }
    static QString row(QWidget* window) {
        const QTreeWidgetItem* item =
            window->findChild<QTreeWidget*>("SerialPortList")->currentItem();
        QStringList columns;
        for (int column = 0; column < item->columnCount(); ++column)
            columns << item->text(column);
        return columns.join('|');
    }

    transport_testing::PseudoTerminal adapter{1};
    std::string stableName = world.path("by-id/usb-FTDI_FT232R_USB_UART_A10K4XYZ-if00-port0");
    connection::SerialPortCatalog catalog;
    session::WindowServices services = world.services();
};

TEST_F(CommTypePorts, AssignsTheChosenPortToTheComNumberAndReleasesIt) {
    auto window = openOn("COM4");
    const QString device = QString::fromStdString(adapter.deviceName());
    EXPECT_EQ(row(window.get()), device + "|FT232R USB UART|FTDI|A10K4XYZ|");
    EXPECT_EQ(window->findChild<QPushButton*>("AssignPort")->text(), "Assign to COM4");

    click(window.get(), "AssignPort");
    EXPECT_EQ(std::filesystem::read_symlink(world.path("ports/COM4")), stableName);
    EXPECT_EQ(row(window.get()), device + "|FT232R USB UART|FTDI|A10K4XYZ|COM4");
    EXPECT_EQ(shown(window.get(), "PortDevice"), QString::fromUtf8("\u2192 ") +
                                                     QString::fromStdString(stableName) + " (" +
                                                     device + ")");

    click(window.get(), "ReleasePort");
    EXPECT_FALSE(std::filesystem::is_symlink(world.path("ports/COM4")));
    EXPECT_TRUE(shown(window.get(), "PortDevice").endsWith("/dev/ttyS3"));

    world.writeFile("ports/COM4", "kept");
    click(window.get(), "AssignPort");
    EXPECT_EQ(world.ui.messages(), Messages{world.path("ports/COM4") +
                                            " is a file, not a link to a device, and was left as "
                                            "it is. Remove it to assign a port to COM4."});
    EXPECT_EQ(world.readFile("ports/COM4"), "kept");
}

TEST_F(CommTypePorts, UnpluggedAdapterIsShownAndTheMainWindowsReasonKeptBesideTheList) {
    std::filesystem::remove(stableName);
    std::filesystem::create_symlink(stableName, world.path("ports/COM5"));
    services.showMainWindow = [this](QWidget*) {
        transport::SerialPortLink port(world.exeFolder());
        world.transport.setSerialLink(&port);
        world.transport.OpenSerialPort();
        world.transport.setSerialLink(nullptr);
    };
    auto window = openOn("COM5");
    const std::string unplugged = "COM5 is assigned to " + stableName +
                                  ", which is not there: the adapter is unplugged, or it came "
                                  "back under another name. Plug it in again, or assign another "
                                  "port to COM5.";
    EXPECT_EQ(shown(window.get(), "PortProblem").toStdString(), unplugged);

    click(window.get(), "Command25");
    EXPECT_EQ(shown(window.get(), "PortProblem").toStdString(),
              "Cannot open COM5 (" + stableName + "): " + unplugged)
        << "an unplugged adapter must not turn COM5 into /dev/ttyS4";
    setText(window.get(), "combo", "COM6");
    EXPECT_FALSE(shown(window.get(), "PortProblem").contains("COM5"));
}

} // namespace
