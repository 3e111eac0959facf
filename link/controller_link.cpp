#include "link/controller_link.h"

#include "link/serial_port_link.h"
#include "link/tcp_link.h"
#include "link/usb_devices.h"
#include "link/usb_library_loader.h"

namespace transport {

LinkFactory LinkFactory::real(const std::string& folder, TcpTimings timings) {
    LinkFactory factory;
    factory.serial = [folder] { return std::make_unique<SerialPortLink>(folder); };
    factory.usb = [folder] {
        return std::make_unique<LoadedUsbLibrary>(std::vector<std::string>{folder});
    };
    factory.tcp = [timings](const std::string& host, int port) -> std::unique_ptr<ByteLink> {
        auto link = std::make_unique<TcpLink>(timings);
        if (!link->connectTo(host, port)) return nullptr;
        return link;
    };
    factory.tcpTimings = timings;
    return factory;
}

ControllerLink::ControllerLink(LinkFactory factory, TransportPolicy policy)
    : factory_(std::move(factory)), policy_(policy) {}

ControllerLink::~ControllerLink() {
    close();
}

std::optional<std::string> ControllerLink::open(const LinkRequest& request) {
    close();
    state_ = ConnectionState{};
    state_.LinkType = request.LinkType;
    state_.DeviceName = request.DeviceName;
    state_.SerialPort = request.SerialPort;
    state_.SerialDevice = request.SerialDevice;
    state_.BaudRate = request.BaudRate;
    std::optional<std::string> failure;
    switch (request.LinkType) {
    case LinkUsb:
        failure = openUsb(request);
        break;
    case LinkSerial:
        failure = openSerial();
        break;
    case LinkEthernet:
        failure = openTcp(request);
        break;
    default:
        failure = UnknownLinkText;
    }
    if (failure) {
        transport_.reset();
        return failure;
    }
    state_.LinkOpen = true;
    return std::nullopt;
}

void ControllerLink::makeTransport() {
    transport_ =
        std::make_unique<CommandTransport>(state_, policy_, serial_.get(), usb_.get(), nullptr,
                                           factory_.clock ? *factory_.clock : realClock_);
    if (tcp_) transport_->setTcpLink(tcp_.get(), factory_.tcpTimings);
}

std::optional<std::string> ControllerLink::openUsb(const LinkRequest& request) {
    usb_ = factory_.usb ? factory_.usb() : nullptr;
    const std::string searchText = usbSearchText(request.ModelCode, request.DeviceName);
    std::string libraryError;
    if (!usb_ || searchText.empty() ||
        !openFirstUsbDevice(*usb_, state_, searchText, request.usbTimeoutMs, &libraryError)) {
        if (libraryError.empty()) return UsbNotFoundText;
        return std::string(UsbNotFoundText) + " " + libraryError;
    }
    makeTransport();
    return std::nullopt;
}

// The reason follows the fixed text, as the USB library's does: a busy port, missing rights or
// an unplugged adapter each need something else done.
std::optional<std::string> ControllerLink::openSerial() {
    serial_ = factory_.serial ? factory_.serial() : nullptr;
    makeTransport();
    if (!transport_->OpenSerialPort()) {
        if (transport_->LastErrorText.empty()) return SerialNotOpenedText;
        return std::string(SerialNotOpenedText) + " " + transport_->LastErrorText;
    }
    return std::nullopt;
}

std::optional<std::string> ControllerLink::openTcp(const LinkRequest& request) {
    tcp_ = factory_.tcp ? factory_.tcp(request.EthernetAddress, request.EthernetPort) : nullptr;
    if (!tcp_) return TcpNotConnectedText;
    makeTransport();
    return std::nullopt;
}

void ControllerLink::close() {
    if (serial_ && serial_->isOpen()) serial_->close();
    if (tcp_) tcp_->close();
    state_.LinkOpen = false;
}

} // namespace transport
