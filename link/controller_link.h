#pragma once
// A link to one controller, opened from a plain description: a serial port, the USB device found
// by its model's key and device ID, or a TCP connection. The links come from one factory, so
// tests and in-process tools can put simulated controllers behind them.

#include "link/byte_link.h"
#include "link/clock.h"
#include "link/command_transport.h"
#include "link/connection_state.h"
#include "link/serial_link.h"
#include "link/tcp_timings.h"
#include "link/usb_library.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace transport {

struct LinkFactory {
    std::function<std::unique_ptr<SerialLink>()> serial;
    std::function<std::unique_ptr<UsbLibrary>()> usb;
    // A connection to host:port that has started to connect.
    std::function<std::unique_ptr<ByteLink>(const std::string& host, int port)> tcp;
    TcpTimings tcpTimings;
    Clock* clock = nullptr; // the protocol's waits; a real clock when null

    // Real serial ports and libZentorCom.so of a program living in folder, and TCP sockets.
    static LinkFactory real(const std::string& folder, TcpTimings timings = {});
};

struct LinkRequest {
    int16_t LinkType = LinkSerial;
    int16_t SerialPort = 1;   // COM number
    std::string SerialDevice; // a device path opened instead of COM<SerialPort>, when not empty
    std::string BaudRate = "9600";
    std::string DeviceName = "01"; // the serial address; with the model, the USB search text
    std::string ModelCode = "KT-210";
    std::string EthernetAddress;
    int32_t EthernetPort = 0;
    int32_t usbTimeoutMs = 1000;
};

// The texts a link that cannot be opened is reported with.
inline constexpr const char* UsbNotFoundText = "Could not find USB device!";
inline constexpr const char* SerialNotOpenedText = "Could not open serial port!";
inline constexpr const char* UnknownLinkText = "Unknown communication method!";

class ControllerLink {
public:
    ControllerLink(LinkFactory factory, TransportPolicy policy);
    ~ControllerLink();
    ControllerLink(const ControllerLink&) = delete;
    ControllerLink& operator=(const ControllerLink&) = delete;

    // Opens the link the request names; the failure text when it cannot (a TCP connection still
    // being made is no failure: the first exchange waits for it). On success LinkOpen is set.
    std::optional<std::string> open(const LinkRequest& request);
    // Releases the serial port and the TCP connection; the USB device is left to the library's
    // release at the program's end.
    void close();

    // Null until open() has succeeded.
    CommandTransport* transport() { return transport_.get(); }
    ConnectionState& state() { return state_; }

private:
    std::optional<std::string> openUsb(const LinkRequest& request);
    std::optional<std::string> openSerial();
    std::optional<std::string> openTcp(const LinkRequest& request);
    void makeTransport();

    LinkFactory factory_;
    TransportPolicy policy_;
    RealClock realClock_;
    ConnectionState state_;
    std::unique_ptr<SerialLink> serial_;
    std::unique_ptr<UsbLibrary> usb_;
    std::unique_ptr<ByteLink> tcp_;
    std::unique_ptr<CommandTransport> transport_;
};

} // namespace transport
