#pragma once
// The link a job talks through, opened as the set-up file names it: USB (the model key and device
// ID search), a serial port, or TCP. The pieces come from a factory so tests can put in-process
// controllers behind them.

#include "motiondesk/transport/clock.h"
#include "motiondesk/transport/command_transport.h"
#include "proglift/loader/ethernet_link.h"
#include "proglift/loader/loader_job.h"
#include "proglift/loader/loader_setup.h"
#include "proglift/loader/tcp_link.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace proglift {

struct LinkFactory {
    std::function<std::unique_ptr<transport::SerialLink>()> serial;
    std::function<std::unique_ptr<transport::UsbLibrary>()> usb;
    std::function<std::unique_ptr<EthernetLink>(const std::string& host, int port)> ethernet;
    transport::Clock* clock = nullptr; // the protocol's waits; a real clock when null

    // Real ports, libZentorCom.so and TCP sockets, for a loader living in folder.
    static LinkFactory real(const std::string& folder, TcpTimings timings = {});
};

class LoaderLinks {
public:
    explicit LoaderLinks(LinkFactory factory);
    ~LoaderLinks();

    // Opens the link named by setup; the failure text for the result file when it cannot.
    std::optional<std::string> open(const LoaderSetup& setup);
    // Releases the serial port at the end of a run.
    void close();

    JobLinks jobLinks();
    transport::ConnectionState& state() { return state_; }

private:
    std::optional<std::string> openUsb(const LoaderSetup& setup);
    std::optional<std::string> openSerial();
    std::optional<std::string> openEthernet(const LoaderSetup& setup);

    LinkFactory factory_;
    transport::RealClock realClock_;
    transport::ConnectionState state_;
    std::unique_ptr<transport::SerialLink> serial_;
    std::unique_ptr<transport::UsbLibrary> usb_;
    std::unique_ptr<transport::CommandTransport> transport_;
    std::unique_ptr<EthernetLink> ethernet_;
};

} // namespace proglift
