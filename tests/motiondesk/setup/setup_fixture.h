#pragma once
// The set-up windows and their logic over the simulated controller model, on serial ports of
// the test's own: every command is answered by the model unless the test has set a reply for it
// (or made it go unanswered), and every command is logged without its address. The ports keep
// count of any write made while another port is open, so the hand-over between windows can be
// checked.

#include "link/command_transport.h"
#include "motiondesk/session/window_port.h"
#include "motiondesk/session/window_services.h"
#include "simulator/controller_model.h"
#include "support/recording_clock.h"
#include "support/scripted_ui.h"
#include "support/scripted_usb_library.h"
#include "support/widget_driver.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace setuptest {

using Commands = std::vector<std::string>;
using Messages = std::vector<std::string>;
using Question = testing_support::ScriptedUi::Question;

// What the set-up window asks of a controller with firmware 230 or later, in order.
inline const Commands kFullUpload = {
    "EDEC", "RZ",  "LCA", "HCA", "TOC",  "IERR", "EOBOOT", "DOBOOT", "IERR",  "SLOAD", "DB",
    "SL",   "SLT", "SLE", "SLA", "SLR",  "DN",   "POL",    "JV1",    "JV3",   "JV5",   "JL1",
    "JL2",  "JL3", "JL4", "JS",  "EDIO", "RT",   "DRVMS",  "DRVRC",  "DRVIC", "DRVIT"};

class Controller {
public:
    explicit Controller(int firmware = 230) { setFirmware(firmware); }
    void setFirmware(int firmware) {
        model = std::make_unique<simulator::ControllerModel>(
            simulator::ControllerConfig{.firmware = firmware});
    }

    // The reply to one command: the test's own, or the model's.
    std::string answer(const std::string& command) {
        commands.push_back(command);
        if (silent.count(command)) return {};
        const auto own = replies.find(command);
        return own != replies.end() ? own->second : model->execute(command);
    }

    std::unique_ptr<simulator::ControllerModel> model;
    std::map<std::string, std::string> replies;
    std::set<std::string> silent; // these go unanswered: the line stays quiet
    Commands commands;
    const void* holder = nullptr; // the port that is open, if any
    int opens = 0;
    int foreignWrites = 0; // writes from a port while another one was open
    int doubleOpens = 0;   // opens while another port was open
    bool portsOpen = true;
};

class ControllerPort final : public transport::SerialLink {
public:
    explicit ControllerPort(Controller& controller) : controller_(controller) {}
    ~ControllerPort() override { close(); }

    bool open(const transport::SerialSettings& settings) override {
        if (!controller_.portsOpen) {
            error_ = "Cannot open the port.";
            return false;
        }
        if (controller_.holder && controller_.holder != this) ++controller_.doubleOpens;
        controller_.holder = this;
        ++controller_.opens;
        settings_ = settings;
        open_ = true;
        return true;
    }
    void close() override {
        if (!open_) return;
        open_ = false;
        pending_.clear();
        if (controller_.holder == this) controller_.holder = nullptr;
    }
    bool isOpen() const override { return open_; }
    bool reopen() override { return open(settings_); }

    bool write(const std::string& bytes) override {
        if (!open_) {
            error_ = "The serial port is not open.";
            return false;
        }
        if (controller_.holder != this) ++controller_.foreignWrites;
        std::string command = bytes.substr(3);
        if (!command.empty() && command.back() == '\r') command.pop_back();
        const std::string reply = controller_.answer(command);
        if (controller_.silent.count(command)) return true;
        pending_.insert(pending_.end(), reply.begin(), reply.end());
        pending_.push_back('\r');
        return true;
    }
    transport::ReadResult readChar(int) override {
        if (pending_.empty()) return {transport::ReadResult::Silence, 0};
        const char c = pending_.front();
        pending_.pop_front();
        return {transport::ReadResult::Char, c};
    }
    std::size_t discardInput() override {
        const std::size_t discarded = pending_.size();
        pending_.clear();
        return discarded;
    }
    std::string errorText() const override { return error_; }

    std::string settings() const { return settings_.text(); }

private:
    Controller& controller_;
    bool open_ = false;
    transport::SerialSettings settings_;
    std::deque<char> pending_;
    std::string error_;
};

// What a set-up window is given, over the controller; a test may make several.
struct SetupHarness {
    SetupHarness() {
        state.LinkType = transport::LinkSerial;
        state.LinkOpen = true;
        program.FirmwareVersion = 230;
    }

    session::WindowServices services() {
        return {state,
                transport,
                ui,
                clock,
                usb,
                [this] {
                    auto made = std::make_unique<ControllerPort>(controller);
                    lastPort = made.get();
                    return std::unique_ptr<transport::SerialLink>(std::move(made));
                },
                "",
                program};
    }

    // A window's own channel on an open port, as the set-up logic is given it.
    transport::CommandChannel& channel() {
        if (!windowPort) {
            windowPort = std::make_unique<session::WindowPort>(services());
            windowPort->OpenWindowPort();
        }
        return windowPort->channel();
    }

    Commands& sent() { return controller.commands; }

    transport::ConnectionState state;
    testing_support::ScriptedUi ui;
    testing_support::RecordingClock clock;
    testing_support::ScriptedUsbLibrary usb;
    transport::CommandTransport transport{
        state, transport::TransportPolicy::motiondesk(), nullptr, &usb, &ui, clock};
    session::ProgramValues program;
    Controller controller;
    ControllerPort* lastPort = nullptr;
    std::unique_ptr<session::WindowPort> windowPort;
};

class SetupTest : public ::testing::Test, public SetupHarness {};

} // namespace setuptest
