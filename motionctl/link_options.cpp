#include "motionctl/link_options.h"

#include "common/controller_models.h"
#include "link/serial_port_link.h"
#include "motionctl/command.h"
#include "motionctl/inputs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace motionctl {

namespace {

std::optional<int> wholeNumber(const std::string& text, int lowest, int highest) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < lowest || value > highest) return std::nullopt;
    return value;
}

std::string twoDigits(int id) {
    char text[4];
    std::snprintf(text, sizeof text, "%02d", id);
    return text;
}

// usb:KTR01 names its device; usb:KTR takes the IDs of --id.
void parseUsb(const std::string& product, LinkSpec& spec, Output& out) {
    const std::string key = product.substr(0, 3);
    for (const common::ControllerModel& model : common::kControllerModels)
        if (model.foundOverUsb() && model.usbKey == key) spec.usbModel = std::string(model.code);
    if (spec.usbModel.empty() || (product.size() != 3 && product.size() != 5))
        throw Stop{out.usage("usb:" + product +
                             " names no controller: give the product text of its USB device, "
                             "its model's key and ID, such as usb:KTR01.")};
    spec.usbKey = key;
    if (product.size() == 5) {
        const auto id = wholeNumber(product.substr(3), 1, 99);
        if (!id) throw Stop{out.usage("usb:" + product + " ends in no device ID 01..99.")};
        spec.ids = {twoDigits(*id)};
    }
}

void parseTcp(const std::string& address, LinkSpec& spec, Output& out) {
    spec.host = address;
    const auto colon = address.rfind(':');
    // An IPv6 address is written in brackets: tcp:[::1]:10001.
    const auto bracket = address.rfind(']');
    if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket)) {
        const auto port = wholeNumber(address.substr(colon + 1), 1, 65535);
        if (!port) throw Stop{out.usage("tcp:" + address + " has no TCP port 1..65535.")};
        spec.tcpPort = *port;
        spec.host = address.substr(0, colon);
    }
    if (spec.host.size() > 2 && spec.host.front() == '[' && spec.host.back() == ']')
        spec.host = spec.host.substr(1, spec.host.size() - 2);
    if (spec.host.empty()) throw Stop{out.usage("tcp: names no host.")};
}

} // namespace

std::string LinkSpec::name(const std::string& id) const {
    // Several controllers on one line are told apart by their ID.
    const std::string address = ids.size() > 1 ? " ID " + id : "";
    switch (kind) {
    case Kind::ComPort:
        return "COM" + std::to_string(comPort) + " (" + device + ")" + address;
    case Kind::Device:
        return device + address;
    case Kind::Usb:
        return "usb:" + usbKey + id;
    case Kind::Tcp:
        return "tcp:" + host + ":" + std::to_string(tcpPort);
    }
    return {};
}

void addLinkOptions(QCommandLineParser& parser) {
    parser.addOption({"port",
                      "The link: COM<n>, a device path (/dev/ttyUSB0), usb:<product> (usb:KTR01) "
                      "or tcp:<host>[:<port>] (default port " +
                          QString::number(kDefaultTcpPort) + ").",
                      "P"});
    parser.addOption({"baud", "Baud rate of a serial line (default 9600).", "B"});
    parser.addOption(
        {"id", "Device ID, or a list and ranges such as 01,03,05-08 (default 01).", "I"});
}

std::optional<std::vector<std::string>> parseIdList(const std::string& text, std::string& error) {
    std::vector<std::string> ids;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, comma - start);
        const size_t dash = item.find('-');
        const auto first = wholeNumber(item.substr(0, dash), 0, 99);
        const auto last =
            dash == std::string::npos ? first : wholeNumber(item.substr(dash + 1), 0, 99);
        if (!first || !last || *last < *first) {
            error = "\"" + item + "\" is no device ID 01..99 or range of them";
            return std::nullopt;
        }
        if (*first == 0) {
            error = "ID 00 is the broadcast address: no controller answers it, so nothing could "
                    "tell whether the command worked";
            return std::nullopt;
        }
        for (int id = *first; id <= *last; ++id)
            ids.push_back(twoDigits(id));
        start = comma + 1;
    }
    return ids;
}

LinkSpec linkOption(const QCommandLineParser& parser, Output& out) {
    LinkSpec spec;
    if (!parser.isSet("port")) throw Stop{out.usage("name the link with --port.")};
    const std::string port = parser.value("port").toStdString();
    if (parser.isSet("baud")) {
        spec.baud = parser.value("baud").toStdString();
        if (!wholeNumber(spec.baud, 1, 10'000'000))
            throw Stop{out.usage("--baud " + spec.baud + " is no baud rate.")};
    }
    if (parser.isSet("id")) {
        std::string error;
        auto ids = parseIdList(parser.value("id").toStdString(), error);
        if (!ids) throw Stop{out.usage("--id: " + error + ".")};
        spec.ids = std::move(*ids);
    }
    if (port.rfind("usb:", 0) == 0) {
        spec.kind = LinkSpec::Kind::Usb;
        const bool idsGiven = parser.isSet("id");
        const auto ids = spec.ids;
        parseUsb(port.substr(4), spec, out);
        if (port.size() == 9 && idsGiven && ids != spec.ids)
            throw Stop{out.usage(port + " names its ID; leave out --id, or write usb:" +
                                 spec.usbKey + " with --id.")};
    } else if (port.rfind("tcp:", 0) == 0) {
        spec.kind = LinkSpec::Kind::Tcp;
        parseTcp(port.substr(4), spec, out);
        // Over TCP a command goes out bare: there is no address for an ID to be.
        if (parser.isSet("id"))
            throw Stop{out.usage("a TCP link reaches one controller and carries no device ID; "
                                 "leave out --id.")};
    } else if (port.size() > 3 && (port.rfind("COM", 0) == 0 || port.rfind("com", 0) == 0)) {
        const auto number = wholeNumber(port.substr(3), 1, 255);
        if (!number) throw Stop{out.usage("--port " + port + " is no COM port 1..255.")};
        spec.kind = LinkSpec::Kind::ComPort;
        spec.comPort = *number;
        spec.device = transport::serialPortPath(*number, portsFolder() + "/EXE");
    } else if (!port.empty() && port.front() == '/') {
        spec.kind = LinkSpec::Kind::Device;
        spec.device = port;
    } else {
        throw Stop{out.usage("--port " + port +
                             " is none of COM<n>, a device path, usb:<product> or "
                             "tcp:<host>[:<port>].")};
    }
    return spec;
}

std::string controllerModel(const QCommandLineParser& parser, const LinkSpec& link, Output& out) {
    const std::string model = modelOption(parser, out);
    if (link.kind != LinkSpec::Kind::Usb) return model;
    if (parser.isSet("model") && model != link.usbModel)
        throw Stop{
            out.usage("usb:" + link.usbKey + " is a " + link.usbModel + ", not a " + model + ".")};
    return link.usbModel;
}

std::string portsFolder() {
    if (const char* folder = std::getenv("MOTIONCTL_PROGRAM_FOLDER"); folder && *folder)
        return folder;
    const QString beside = QCoreApplication::applicationDirPath();
    if (QFileInfo(beside + "/EXE").isDir()) return beside.toStdString();
    return (QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/motiondesk")
        .toStdString();
}

std::string usbLibraryFolder() {
    const QString beside = QCoreApplication::applicationDirPath();
    if (QFileInfo(beside + "/EXE/libZentorCom.so").exists()) return (beside + "/EXE").toStdString();
    return QDir(beside + "/../lib/motiondesk/EXE").absolutePath().toStdString();
}

std::string openFailureText(const std::string& linkName, const std::string& failure) {
    // A serial port that cannot be opened is named in the reason already.
    const std::string serialPrefix = std::string(transport::SerialNotOpenedText) + " ";
    if (failure.rfind(serialPrefix, 0) == 0) return failure.substr(serialPrefix.size());
    return linkName + ": " + failure;
}

LinkSession::LinkSession(LinkSpec spec) : spec_(std::move(spec)) {}

LinkSession::~LinkSession() = default;

transport::LinkRequest LinkSession::request(const std::string& id) const {
    transport::LinkRequest request;
    request.DeviceName = id;
    request.BaudRate = spec_.baud;
    switch (spec_.kind) {
    case LinkSpec::Kind::ComPort:
        request.LinkType = transport::LinkSerial;
        request.SerialPort = int16_t(spec_.comPort);
        break;
    case LinkSpec::Kind::Device:
        request.LinkType = transport::LinkSerial;
        request.SerialPort = 0;
        request.SerialDevice = spec_.device;
        break;
    case LinkSpec::Kind::Usb:
        request.LinkType = transport::LinkUsb;
        request.ModelCode = spec_.usbModel;
        break;
    case LinkSpec::Kind::Tcp:
        request.LinkType = transport::LinkEthernet;
        request.EthernetAddress = spec_.host;
        request.EthernetPort = spec_.tcpPort;
        break;
    }
    return request;
}

std::optional<std::string> LinkSession::open(const std::string& id) {
    const bool serial =
        spec_.kind == LinkSpec::Kind::ComPort || spec_.kind == LinkSpec::Kind::Device;
    if (link_ && link_->transport() && (serial || spec_.kind == LinkSpec::Kind::Tcp) &&
        link_->state().LinkOpen) {
        link_->state().DeviceName = id;
        return std::nullopt;
    }
    if (!link_) {
        transport::LinkFactory factory = transport::LinkFactory::real(usbLibraryFolder());
        const std::string ports = portsFolder() + "/EXE";
        factory.serial = [ports] { return std::make_unique<transport::SerialPortLink>(ports); };
        link_ = std::make_unique<transport::ControllerLink>(std::move(factory),
                                                            transport::TransportPolicy::proglift());
    }
    auto failure = link_->open(request(id));
    if (!failure) return std::nullopt;
    return openFailureText(spec_.name(id), *failure);
}

transport::CommandTransport& LinkSession::transport() {
    return *link_->transport();
}

std::string LinkSession::failure(const std::string& id) const {
    const std::string text = link_ && link_->transport() ? link_->transport()->LastErrorText : "";
    return spec_.name(id) + ": " + (text.empty() ? "Communication Error!" : text);
}

} // namespace motionctl
