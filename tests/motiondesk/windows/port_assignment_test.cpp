// Giving a serial device a COM number: the link goes to the device's stable name where there is
// one, so the number follows the adapter across a replug; bad names and places change nothing.
// Pseudo-terminals stand in for adapters, links in a scratch by-id folder for their stable names.

#include "motiondesk/transport/serial_port_link.h"
#include "motiondesk/windows/port_assignment.h"
#include "support/pseudo_terminal.h"
#include "support/scratch_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

namespace {

namespace fs = std::filesystem;
using connection::PortAssignment;
using testing::HasSubstr;
using testing_support::ScratchFolder;
using transport_testing::PseudoTerminal;

class PortAssignmentTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(adapter.ready());
        ASSERT_TRUE(other.ready());
        fs::create_directories(byId());
    }
    std::string exe() const { return folder.str() + "/EXE"; }
    std::string byId() const { return folder.str() + "/by-id"; }
    std::string stableName(const std::string& name) const { return byId() + "/" + name; }
    void linkStableName(const std::string& name, const std::string& device) const {
        fs::remove(stableName(name));
        fs::create_symlink(device, stableName(name));
    }
    // What COM3 opens receives these bytes.
    std::string sentThroughCom3(PseudoTerminal& line) const {
        transport::SerialPortLink port(exe());
        if (!port.open(3, "9600,N,8,1")) return port.errorText();
        port.write("@01DN\r");
        return line.receiveLine(std::chrono::seconds(2));
    }

    ScratchFolder folder;
    PseudoTerminal adapter{1};
    PseudoTerminal other{1};
    PortAssignment assignment{exe(), byId()};
};

TEST_F(PortAssignmentTest, ComNumberLeadsThroughTheStableNameAndFollowsTheAdapterAfterAReplug) {
    linkStableName("usb-Maker_Other_0002-if00-port0", other.deviceName());
    linkStableName("usb-Maker_Adapter_0001-if00-port0", adapter.deviceName());
    linkStableName("usb-Maker_Gone_0003-if00-port0", "/dev/no-such-adapter");

    const PortAssignment::Outcome outcome = assignment.assign(3, adapter.deviceName());
    ASSERT_EQ(outcome.failure, "");
    const std::string stable = stableName("usb-Maker_Adapter_0001-if00-port0");
    EXPECT_EQ(outcome.target, stable);
    EXPECT_EQ(fs::read_symlink(exe() + "/ports/COM3"), stable);
    EXPECT_EQ(assignment.portsOf(adapter.deviceName()), std::vector<int>{3});
    EXPECT_EQ(sentThroughCom3(adapter), "@01DN\r");

    // Plugged in again, the adapter is another device; its stable name goes with it.
    linkStableName("usb-Maker_Adapter_0001-if00-port0", other.deviceName());
    EXPECT_EQ(sentThroughCom3(other), "@01DN\r");
    EXPECT_EQ(assignment.portsOf(other.deviceName()), std::vector<int>{3});
}

TEST_F(PortAssignmentTest, DeviceWithoutAUsableStableNameIsLinkedByItsDevicePath) {
    const std::map<std::string, std::string> stableNames[] = {
        {},
        {{"usb-Gone_0001", "/dev/no-such-adapter"}},
        {{"usb-Maker Adapter_0001", adapter.deviceName()}},
        {{"usb-M\xc3\xbcller_Adapter_0001", adapter.deviceName()}},
    };
    for (const auto& names : stableNames) {
        fs::remove_all(byId());
        fs::create_directories(byId());
        for (const auto& [name, device] : names)
            linkStableName(name, device);

        const PortAssignment::Outcome outcome = assignment.assign(3, adapter.deviceName());
        EXPECT_EQ(outcome.failure, "");
        EXPECT_EQ(outcome.target, adapter.deviceName())
            << (names.empty() ? "(none)" : names.begin()->first);
        EXPECT_EQ(sentThroughCom3(adapter), "@01DN\r");
    }
}

TEST_F(PortAssignmentTest, ReleaseGivesTheComNumberItsFixedDeviceAgain) {
    ASSERT_EQ(assignment.assign(3, adapter.deviceName()).failure, "");
    EXPECT_TRUE(assignment.isAssigned(3));

    EXPECT_EQ(assignment.release(3), std::nullopt);
    EXPECT_FALSE(assignment.isAssigned(3));
    EXPECT_EQ(transport::serialPortPath(3, exe()), "/dev/ttyS2");
    EXPECT_EQ(assignment.release(3), std::nullopt) << "nothing to release is no failure";
}

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every entry below the folder with what it holds or leads to.
std::map<std::string, std::string> snapshot(const std::string& folder) {
    std::map<std::string, std::string> entries;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
        const std::string name = entry.path().string();
        if (entry.is_symlink())
            entries[name] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_regular_file())
            entries[name] = contents(entry.path());
        else
            entries[name] = "folder";
    }
    return entries;
}

TEST_F(PortAssignmentTest, BadNamesAndPlacesAreToldAndChangeNothing) {
    struct Case {
        const char* name;
        std::function<void()> prepare;
        int port;
        std::string device;
        std::string failure;
    };
    const std::string com3 = exe() + "/ports/COM3";
    const std::string plainFile = folder.str() + "/not-a-device";
    const Case cases[] = {
        {"COM link is a regular file", [&] { folder.write("EXE/ports/COM3", "written by hand"); },
         3, adapter.deviceName(),
         com3 + " is a file, not a link to a device, and was left as it is. Remove it to "
                "assign a port to COM3."},
        {"COM link is a folder", [&] { fs::create_directories(com3); }, 3, adapter.deviceName(),
         com3 + " is a folder, not a link to a device, and was left as it is. Remove it to "
                "assign a port to COM3."},
        {"device name with a blank", [] {}, 3, "/dev/tty USB0",
         "The device name \"/dev/tty USB0\" holds blanks or characters outside plain ASCII; it "
         "cannot be assigned to COM3."},
        {"device name outside ASCII", [] {}, 3, "/dev/tty\xc3\x9c",
         "The device name \"/dev/tty\\xC3\\x9C\" holds blanks or characters outside plain "
         "ASCII; it cannot be assigned to COM3."},
        {"device gone", [] {}, 3, "/dev/ttyUSB97",
         "The device /dev/ttyUSB97 is not there (any more). Refresh the list of serial ports."},
        {"not a device", [&] { folder.write("not-a-device", "x"); }, 3, plainFile,
         plainFile + " is not a serial device."},
        {"no COM number", [] {}, 0, adapter.deviceName(),
         "Choose a port from COM1 to COM15 to assign " + adapter.deviceName() + " to."},
        {"beyond the list", [] {}, 16, adapter.deviceName(),
         "Choose a port from COM1 to COM15 to assign " + adapter.deviceName() + " to."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(exe());
        fs::create_directories(exe() + "/ports");
        c.prepare();
        const auto before = snapshot(folder.str());

        EXPECT_EQ(assignment.assign(c.port, c.device).failure, c.failure);
        EXPECT_EQ(snapshot(folder.str()), before);
    }
}

TEST_F(PortAssignmentTest, PlaceThatCannotHoldTheLinkIsToldAndChangesNothing) {
    fs::create_directories(exe());
    folder.write("EXE/ports", "a file where the folder belongs");
    const auto before = snapshot(folder.str());

    const std::string failure = assignment.assign(3, adapter.deviceName()).failure;
    EXPECT_THAT(failure, HasSubstr("Cannot create the folder " + exe() + "/ports: "));
    EXPECT_THAT(failure, HasSubstr("COM3 was not assigned."));
    EXPECT_EQ(snapshot(folder.str()), before);

    fs::remove(exe() + "/ports");
    fs::create_directories(exe() + "/ports/COM3");
    EXPECT_THAT(assignment.release(3).value_or(""),
                HasSubstr("is a folder, not a link to a device, and was left as it is."));
    EXPECT_TRUE(fs::is_directory(exe() + "/ports/COM3"));
}

} // namespace
