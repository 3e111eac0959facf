#pragma once
// Runs a loader job in-process against simulated controllers: the serial line, the USB library
// and a TCP connection of the simulator. Everything a job does that a user or Motiondesk can see
// is kept: the commands the controller received, the result file, the texts of the window.

#include "proglift/loader/loader_job.h"
#include "proglift/loader/loader_link.h"
#include "simulator/controller_model.h"
#include "simulator/inprocess_serial_link.h"
#include "simulator/inprocess_tcp_link.h"
#include "simulator/inprocess_usb_library.h"
#include "simulator/serial_bus.h"
#include "simulator/usb_device.h"
#include "support/recording_clock.h"
#include "support/scratch_folder.h"

#include <memory>
#include <string>
#include <vector>

namespace proglift_testing {

using testing_support::crlfLines;
using testing_support::ScratchFolder;

// The window's texts as the job set them.
class RecordingDisplay final : public proglift::JobDisplay {
public:
    void showPhase(const std::string& text) override { phases.push_back(text); }
    void showCommand(const std::string& command) override {
        lastCommand = command;
        ++commandsShown;
    }
    void setProgressMaximum(int32_t maximum) override { progressMaximum = maximum; }
    void setProgressValue(int32_t value) override { progressValue = value; }

    std::vector<std::string> phases;
    std::string lastCommand;
    int commandsShown = 0;
    int32_t progressMaximum = 0;
    int32_t progressValue = 0;
};

enum class Link { Serial, Usb, Ethernet };

inline const char* linkName(Link link) {
    switch (link) {
    case Link::Serial:
        return "Serial";
    case Link::Usb:
        return "Usb";
    case Link::Ethernet:
        return "Ethernet";
    }
    return "?";
}

// One controller on each kind of link, and a folder for the loader's files.
class LoaderBench {
public:
    explicit LoaderBench(const std::string& model = "KT-210") {
        controller = &bus.add({.model = model, .deviceId = "01", .baudRate = 9600});
        usbDevice = std::make_unique<simulator::UsbDevice>(*controller);
    }

    // A set-up file for the job over the link, as Motiondesk writes it (plus IPA for TCP).
    void writeSetup(Link link, const std::string& operation, const std::string& model,
                    const std::string& lineLimit = "1785") {
        const char* com = link == Link::Usb ? "USB" : link == Link::Serial ? "SERIAL" : "ETHERNET";
        folder.write(
            "proglift_setup.txt",
            crlfLines({"LIN:" + lineLimit, std::string("COM:") + com, "POR:3", "BAU:9600", "DEV:01",
                       "IPA:127.0.0.1", "OPE:" + operation, "FIL:CompileOut.txt", "MOD:" + model}));
    }
    // A compiled file of n lines as Progsmith writes it: the lines, then one empty line.
    std::vector<std::string> writeProgram(int lineCount) {
        std::vector<std::string> lines;
        std::string bytes;
        for (int i = 0; i < lineCount; ++i) {
            lines.push_back("&84$" + std::to_string(1000 + i));
            bytes += lines.back() + "\r\n";
        }
        folder.write("CompileOut.txt", bytes + "\r\n");
        return lines;
    }

    transport::LinkFactory factory() {
        transport::LinkFactory links;
        links.serial = [this] { return std::make_unique<simulator::InProcessSerialLink>(bus, 3); };
        links.usb = [this] {
            auto library = std::make_unique<simulator::InProcessUsbLibrary>();
            library->attach(*usbDevice);
            return library;
        };
        links.tcp = [this](const std::string&, int) {
            auto link = std::make_unique<simulator::InProcessTcpLink>(*controller);
            link->connected = tcpConnects;
            return link;
        };
        links.clock = &clock;
        return links;
    }

    // Opens the link, runs the job tick by tick to its end and writes its result file.
    jobfiles::LoaderOutcome run() {
        const auto setup = jobfiles::ReadLoaderSetup(folder.str());
        transport::ControllerLink link(factory(), transport::TransportPolicy::proglift());
        const auto failure = proglift::openLoaderLink(link, setup);
        auto job = proglift::makeLoaderJob(setup, folder.str(), link.transport(), display);
        job->start();
        if (failure) job->fail(*failure);
        for (int tick = 0; tick < maxTicks && !job->finished(); ++tick) {
            job->tick();
            ticks = tick + 1;
        }
        job->writeResult();
        link.close();
        return job->outcome();
    }

    // The commands the controller received, in order.
    const std::vector<std::string>& commands() const { return controller->commandLog(); }

    simulator::SerialBus bus;
    simulator::ControllerModel* controller = nullptr;
    std::unique_ptr<simulator::UsbDevice> usbDevice;
    bool tcpConnects = true; // false: the TCP connection is never made
    testing_support::RecordingClock clock;
    RecordingDisplay display;
    ScratchFolder folder;
    int maxTicks = 100000;
    int ticks = 0;
};

// "SA<first>=<text>" .. for a range of slots.
inline std::vector<std::string> slotWrites(const std::vector<std::string>& lines) {
    std::vector<std::string> commands;
    for (size_t i = 0; i < lines.size(); ++i)
        commands.push_back("SA" + std::to_string(i) + "=" + lines[i]);
    return commands;
}

inline std::vector<std::string> slotClears(int first, int last) {
    std::vector<std::string> commands;
    for (int i = first; i <= last; ++i)
        commands.push_back("SA" + std::to_string(i) + "=");
    return commands;
}

inline std::vector<std::string> slotReads(int first, int last) {
    std::vector<std::string> commands;
    for (int i = first; i <= last; ++i)
        commands.push_back("SA" + std::to_string(i));
    return commands;
}

inline std::vector<std::string> joined(std::vector<std::string> a,
                                       const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace proglift_testing
