#include "motiondesk/main/startup.h"

#include "controller/status_decoding.h"
#include "link/command_channel.h"
#include "link/command_transport.h"
#include "link/serial_link.h"
#include "link/usb_library.h"
#include "motiondesk/main/main_panel.h"
#include "motiondesk/main/motion_control.h"
#include "motiondesk/main/status_poll.h"
#include "motiondesk/session/program_values.h"

#include <exception>

namespace mainwindow {
using namespace controller;

namespace {

constexpr const char* kMissingBelow230[] = {
    " - Deceleration",
    " - Return Zero (Homing)",
    " - LHOME, HLHOME",
    " - On-the-fly position change",
    " - Enable output polarity + boot-up state",
};

constexpr const char* kMissingBelow222[] = {
    " - Jump to line 0 on stand-alone error",
    " - Support for stand-alone command [SR],[DN]",
    " - Multi-thread support (2)",
    " - Ignore limit error function",
    " - Digital Input/Output polarity",
    " - Digital output boot-up state",
    " - Time out counter (serial comm)",
};

// A check box set from a reply behaves as if clicked when its value changes.
template <typename Click> void setBox(bool& box, bool value, Click click) {
    if (box == value) return;
    box = value;
    click();
}

} // namespace

std::string aboutText(const std::string& guiVersion, int firmwareVersion) {
    std::string text = "GUI Version: " + guiVersion + "\r\r";
    text += "Controller Firmware: V" + std::to_string(firmwareVersion) + "\r\r";
    if (hasDecelerationFeatures(firmwareVersion)) return text;
    text += "The following GUI features are not supported by this firmware:\r\r";
    for (const char* feature : kMissingBelow230)
        text += std::string(feature) + "\r";
    if (hasMultiThread(firmwareVersion)) return text;
    for (const char* feature : kMissingBelow222)
        text += std::string(feature) + "\r";
    return text;
}

Startup::Startup(transport::CommandTransport& transport, CommandChannel& channel, MainPanel& panel,
                 ProgramValues& program, StatusPoll& poll, MotionControl& motion)
    : transport_(transport), channel_(channel), panel_(panel), program_(program), poll_(poll),
      motion_(motion) {}

bool Startup::load(transport::SerialLink* ownPort) {
    Loading = true;
    program_.CompileFromEditor = false;
    const ProgramValues fixed;
    program_.ModelName = fixed.ModelName;
    program_.LineLimit = fixed.LineLimit;
    try {
        if (channel_.state().LinkType == transport::LinkSerial && !openSerialLink(ownPort))
            return false;
        poll_.setPaused(false);
        poll_.StatusPhase = 1;
        if (!channel_.linkOpen()) return false;
        poll_.start();
        readFirmwareVersion();
        readDriverEnable();
        if (readBack()) Loading = false;
        return true;
    } catch (const std::exception&) {
        channel_.setLinkOpen(false);
        channel_.tell(kPortNotAvailable);
        return false;
    }
}

// Only a controller of our model (its name holds "KTR") gets any further command.
bool Startup::openSerialLink(transport::SerialLink* ownPort) {
    transport_.setSerialLink(ownPort);
    transport_.LastErrorText.clear();
    // The reason (permission, a program that holds the port, an unplugged adapter) follows the
    // message, so the user knows what to do about it.
    if (!ownPort || !transport_.OpenSerialPort()) {
        channel_.setLinkOpen(false);
        const std::string& reason = transport_.LastErrorText;
        channel_.tell(reason.empty() ? std::string(kPortNotAvailable)
                                     : std::string(kPortNotAvailable) + "\r\r" + reason);
        return false;
    }
    channel_.setLinkOpen(true);
    std::string reply;
    channel_.exchange("DN", reply);
    channel_.setLinkOpen(reply.find("KTR") != std::string::npos);
    return true;
}

void Startup::readFirmwareVersion() {
    std::string reply;
    channel_.exchange("VER", reply);
    program_.FirmwareVersion = firmwareVersionFromReply(reply);
}

void Startup::readDriverEnable() {
    std::string reply;
    // A failed exchange has already been reported; the box then stays as it is.
    if (!channel_.linkOpen() || !channel_.exchange("EO", reply) || !channel_.linkOpen()) return;
    setBox(panel_.EnableStat, reply != "0", [this] { motion_.driverEnableClicked(); });
}

bool Startup::query(const char* command, std::string& reply) {
    // On a serial link that has already failed nothing is sent; stop quietly, it was reported.
    if (!channel_.linkOpen()) return false;
    return channel_.send(command, reply);
}

bool Startup::readBack() {
    return readBackIdentity() && readBackSpeeds() && readBackBoxes();
}

bool Startup::readBackIdentity() {
    std::string id, version, name;
    if (!query("ID", id)) return false;
    panel_.ID = id;
    if (!query("VER", version)) return false;
    panel_.Version = version;
    if (!query("DN", name)) return false;
    panel_.SN = name;
    return true;
}

bool Startup::readBackSpeeds() {
    struct SpeedField {
        const char* command;
        std::string MainPanel::*field;
    };
    static constexpr SpeedField speeds[] = {
        {"HSPD", &MainPanel::SetSpeed}, {"LSPD", &MainPanel::LSpeed}, {"ACC", &MainPanel::Accel}};
    std::string reply;
    for (const SpeedField& speed : speeds) {
        if (!query(speed.command, reply)) return false;
        if (const auto text = replyDecimalText(reply)) panel_.*speed.field = *text;
    }
    if (!query("SSPDM", reply)) return false;
    if (const auto mode = replyNumber(reply); mode && *mode >= 0 && *mode <= 9)
        panel_.SpeedModeList = std::to_string(*mode);
    if (hasDecelerationFeatures(program_.FirmwareVersion)) {
        if (!query("DEC", reply)) return false;
        if (const auto text = replyDecimalText(reply)) panel_.Decel = *text;
    }
    return true;
}

// Latch and sync boxes send nothing here: Loading is still true.
bool Startup::readBackBoxes() {
    std::string reply;
    if (!query("EDIO", reply)) return false;
    if (const auto value = replyNumber(reply))
        setBox(panel_.DIOenable, *value == 1, [this] { motion_.dioEnableClicked(); });
    if (!query("LTS", reply)) return false;
    if (const auto value = replyNumber(reply))
        setBox(panel_.EnableLatch, *value != 0, [this] { motion_.latchEnableClicked(Loading); });
    if (!query("SYNS", reply)) return false;
    if (const auto value = replyNumber(reply))
        setBox(panel_.SyncEnableX, *value != 0, [this] { motion_.syncOutputClicked(Loading); });
    return true;
}

void Startup::close(transport::UsbLibrary& usb, transport::SerialLink* ownPort) {
    auto& state = channel_.state();
    if (state.LinkOpen && state.LinkType == transport::LinkUsb) usb.Close(state.UsbHandle);
    if (state.LinkType == transport::LinkSerial && ownPort && ownPort->isOpen()) ownPort->close();
    // A closed device is no usable link either: nothing may go out on its stale handle.
    state.LinkOpen = false;
    if (transport_.serialLink() == ownPort) transport_.setSerialLink(nullptr);
}

} // namespace mainwindow
