// Giving a serial device a COM number: the link goes to the device's stable name where there is
// one, so the number follows the adapter across a replug; bad names and places change nothing.
// Pseudo-terminals stand in for adapters, links in a scratch by-id folder for their stable names.

#include "link/serial_port_link.h"
#include "motiondesk/connection/port_assignment.h"
#include "support/pseudo_terminal.h"
#include "support/scratch_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

namespace {

namespace fs = std::filesystem;
using connection::PortAssignment;
using testing::HasSubstr;
using transport_testing::PseudoTerminal;

class PortAssignmentTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(adapter.ready() && other.ready());
        fs::create_directories(byId);
        fs::create_directories(exe + "/ports");
    }
    void linkStableName(const std::string& name, const std::string& device) const {
        fs::remove(byId + "/" + name);
        fs::create_symlink(device, byId + "/" + name);
    }
    // What reaches the line when COM3 is opened and written to.
    std::string sentThroughCom3(PseudoTerminal& line) const {
        transport::SerialPortLink port(exe);
        if (!port.open({3, 9600})) return port.errorText();
        port.write("@01DN\r");
        return line.receiveLine(std::chrono::seconds(2));
    }

    testing_support::ScratchFolder folder;
    std::string exe = folder.str() + "/EXE";
    std::string byId = folder.str() + "/by-id";
    PseudoTerminal adapter{1};
    PseudoTerminal other{1};
    PortAssignment assignment{exe, byId};
};

TEST_F(PortAssignmentTest, ComNumberLeadsThroughTheStableNameAndFollowsTheAdapterAfterAReplug) {
    linkStableName("usb-Maker_Other_0002-if00-port0", other.deviceName());
    linkStableName("usb-Maker_Adapter_0001-if00-port0", adapter.deviceName());
    linkStableName("usb-Maker_Gone_0003-if00-port0", "/dev/no-such-adapter");

    const PortAssignment::Outcome outcome = assignment.assign(3, adapter.deviceName());
    EXPECT_EQ(outcome.failure, "");
    EXPECT_EQ(fs::read_symlink(exe + "/ports/COM3"), byId + "/usb-Maker_Adapter_0001-if00-port0");
    EXPECT_EQ(assignment.portsOf(adapter.deviceName()), std::vector<int>{3});
    EXPECT_EQ(sentThroughCom3(adapter), "@01DN\r");

    // Plugged in again, the adapter is another device; its stable name goes with it.
    linkStableName("usb-Maker_Adapter_0001-if00-port0", other.deviceName());
    EXPECT_EQ(sentThroughCom3(other), "@01DN\r");
}

TEST_F(PortAssignmentTest, DeviceWithoutAPlainStableNameIsLinkedByItsDevicePath) {
    for (const char* name : {"", "usb-Maker Adapter_0001", "usb-M\xc3\xbcller_Adapter_0001"}) {
        SCOPED_TRACE(name);
        fs::remove_all(byId);
        fs::create_directories(byId);
        if (*name) linkStableName(name, adapter.deviceName());

        EXPECT_EQ(assignment.assign(3, adapter.deviceName()).target, adapter.deviceName());
        EXPECT_EQ(sentThroughCom3(adapter), "@01DN\r");
    }
}

// Every entry below the folder, with where a link leads.
std::map<std::string, std::string> snapshot(const std::string& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        entries[entry.path()] = entry.is_symlink() ? fs::read_symlink(entry.path()).string()
                                                   : std::to_string(entry.is_directory());
    return entries;
}

TEST_F(PortAssignmentTest, BadNamesAndPlacesAreToldAndChangeNothing) {
    struct Case {
        std::function<void()> prepare;
        int port;
        std::string device;
        std::string failure;
    };
    const std::string com3 = exe + "/ports/COM3";
    const std::string device = adapter.deviceName();
    const Case cases[] = {
        {[&] { folder.write("EXE/ports/COM3", "by hand"); }, 3, device,
         com3 + " is a file, not a link to a device, and was left as it is."},
        {[&] { fs::create_directories(com3); }, 3, device, com3 + " is a folder, not a link"},
        {[] {}, 3, "/dev/tty USB0",
         "The device name \"/dev/tty USB0\" holds blanks or characters outside plain ASCII"},
        {[] {}, 3, "/dev/tty\xc3\x9c", "The device name \"/dev/tty\\xC3\\x9C\" holds blanks"},
        {[] {}, 3, "/dev/ttyUSB97", "The device /dev/ttyUSB97 is not there (any more)."},
        {[] {}, 3, exe, exe + " is not a serial device."},
        {[] {}, 16, device, "Choose a port from COM1 to COM15 to assign " + device + " to."},
        {[&] {
             fs::remove_all(exe + "/ports");
             folder.write("EXE/ports", "a file where the folder belongs");
         },
         3, device, "Cannot create the folder " + exe + "/ports: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failure);
        fs::remove_all(exe);
        fs::create_directories(exe + "/ports");
        c.prepare();
        const auto before = snapshot(folder.str());

        EXPECT_THAT(assignment.assign(c.port, c.device).failure, HasSubstr(c.failure));
        assignment.release(c.port);
        EXPECT_EQ(snapshot(folder.str()), before);
    }
}

} // namespace
