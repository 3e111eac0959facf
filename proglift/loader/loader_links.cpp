#include "proglift/loader/loader_links.h"

#include "motiondesk/transport/serial_port_link.h"
#include "motiondesk/transport/usb_library_loader.h"
#include "proglift/loader/usb_device.h"

namespace proglift {

LinkFactory LinkFactory::real(const std::string& folder, TcpTimings timings) {
    LinkFactory factory;
    factory.serial = [folder] { return std::make_unique<transport::SerialPortLink>(folder); };
    factory.usb = [folder] {
        return std::make_unique<transport::LoadedUsbLibrary>(std::vector<std::string>{folder});
    };
    factory.ethernet = [timings](const std::string& host, int port) {
        auto link = std::make_unique<TcpEthernetLink>(timings);
        link->connectTo(host, port);
        return link;
    };
    return factory;
}

LoaderLinks::LoaderLinks(LinkFactory factory) : factory_(std::move(factory)) {}

LoaderLinks::~LoaderLinks() = default;

std::optional<std::string> LoaderLinks::open(const LoaderSetup& setup) {
    state_.LinkType = setup.LinkType;
    state_.LinkOpen = false;
    state_.DeviceName = setup.DeviceName;
    state_.SerialPort = setup.SerialPort;
    state_.BaudRate = setup.BaudRate;
    switch (setup.LinkType) {
    case transport::LinkUsb:
        return openUsb(setup);
    case transport::LinkSerial:
        return openSerial();
    case transport::LinkEthernet:
        return openEthernet(setup);
    default:
        // An upload opens no link and goes on: its first read then fails on the closed link.
        if (setup.LoaderOperation == Upload) return std::nullopt;
        return "Unknown communication method!";
    }
}

std::optional<std::string> LoaderLinks::openUsb(const LoaderSetup& setup) {
    usb_ = factory_.usb ? factory_.usb() : nullptr;
    UsbSearch search;
    if (!usb_ || OpenUsbDevice(*usb_, state_, setup.ModelCode, setup.DeviceName, &search) != 1) {
        if (search.libraryError.empty()) return "Could not find USB device!";
        return "Could not find USB device! " + search.libraryError;
    }
    state_.LinkOpen = true;
    transport_ = std::make_unique<transport::CommandTransport>(
        state_, transport::TransportPolicy::proglift(), nullptr, usb_.get(), nullptr,
        factory_.clock ? *factory_.clock : realClock_);
    return std::nullopt;
}

std::optional<std::string> LoaderLinks::openSerial() {
    serial_ = factory_.serial ? factory_.serial() : nullptr;
    transport_ = std::make_unique<transport::CommandTransport>(
        state_, transport::TransportPolicy::proglift(), serial_.get(), nullptr, nullptr,
        factory_.clock ? *factory_.clock : realClock_);
    // The reason follows the fixed text, as the USB library's does: a busy port, missing rights
    // or an unplugged adapter each need something else done.
    if (!transport_->OpenSerialPort()) {
        if (transport_->LastErrorText.empty()) return "Could not open serial port!";
        return "Could not open serial port! " + transport_->LastErrorText;
    }
    state_.LinkOpen = true;
    return std::nullopt;
}

// A connection still being made is not a failure here; the job waits for it (bounded).
std::optional<std::string> LoaderLinks::openEthernet(const LoaderSetup& setup) {
    ethernet_ =
        factory_.ethernet ? factory_.ethernet(setup.EthernetAddress, setup.EthernetPort) : nullptr;
    if (!ethernet_) return "Could not open TCP/IP socket!";
    return std::nullopt;
}

void LoaderLinks::close() {
    if (serial_ && serial_->isOpen()) serial_->close();
}

JobLinks LoaderLinks::jobLinks() {
    return {transport_.get(), ethernet_.get()};
}

} // namespace proglift
