// motionctl scan [--ports P,..] [--bauds B,..] [--ids I,..]

#include "motionctl/command.h"
#include "motionctl/inputs.h"
#include "motionctl/link_options.h"

#include "common/controller_models.h"
#include "controller/status_decoding.h"
#include "link/controller_link.h"
#include "link/serial_port_link.h"

namespace motionctl {

namespace {

// How long a silent ID is waited for: the silence that ends an attempt of Motiondesk's search.
constexpr int kScanSilenceMs = 62;
constexpr const char* kScanBauds[] = {"9600", "19200", "38400", "57600", "115200"};
constexpr int kScanPorts = 15;

void options(QCommandLineParser& parser) {
    parser.addOption({"ports",
                      "Ports to try: COM<n> or device paths, comma-separated (default COM1 to "
                      "COM15, those that open).",
                      "P,.."});
    parser.addOption(
        {"bauds", "Baud rates to try (default 9600,19200,38400,57600,115200).", "B,.."});
    parser.addOption({"ids", "IDs to ask, with ranges (default 01-99).", "I,.."});
}

QStringList listOption(const QCommandLineParser& parser, const char* name) {
    return parser.value(name).split(',', Qt::SkipEmptyParts);
}

// The model whose answer to DN starts with the reply's first three characters.
std::string modelOfName(const std::string& name) {
    for (const common::ControllerModel& model : common::kControllerModels)
        if (model.foundOverUsb() && name.rfind(std::string(model.usbKey), 0) == 0)
            return std::string(model.code);
    return {};
}

struct Found {
    std::string port, baud, id, name, model;
    int firmware = 0;
};

int run(const QCommandLineParser& parser, Output& out) {
    if (!parser.positionalArguments().isEmpty())
        return out.usage("unexpected argument \"" + parser.positionalArguments()[0].toStdString() +
                         "\".");
    std::vector<LinkSpec> ports;
    const std::string folder = portsFolder() + "/EXE";
    if (parser.isSet("ports")) {
        if (listOption(parser, "ports").isEmpty()) return out.usage("--ports names no port.");
        for (const QString& port : listOption(parser, "ports")) {
            QCommandLineParser one;
            addLinkOptions(one);
            one.parse({"motionctl", "--port", port});
            LinkSpec spec = linkOption(one, out);
            if (spec.kind != LinkSpec::Kind::ComPort && spec.kind != LinkSpec::Kind::Device)
                return out.usage("scan tries serial ports; " + port.toStdString() + " is none.");
            ports.push_back(spec);
        }
    } else {
        for (int n = 1; n <= kScanPorts; ++n) {
            LinkSpec spec;
            spec.comPort = n;
            spec.device = transport::serialPortPath(n, folder);
            ports.push_back(spec);
        }
    }
    std::vector<std::string> bauds(std::begin(kScanBauds), std::end(kScanBauds));
    if (parser.isSet("bauds")) {
        bauds.clear();
        if (listOption(parser, "bauds").isEmpty()) return out.usage("--bauds names no rate.");
        for (const QString& baud : listOption(parser, "bauds")) {
            bool ok = false;
            const int rate = baud.toInt(&ok);
            if (!ok || rate <= 0) return out.usage(baud.toStdString() + " is no baud rate.");
            bauds.push_back(std::to_string(rate));
        }
    }
    std::vector<std::string> ids;
    std::string error;
    const auto parsed =
        parseIdList(parser.isSet("ids") ? parser.value("ids").toStdString() : "01-99", error);
    if (!parsed) return out.usage("--ids: " + error + ".");
    ids = *parsed;

    transport::TransportPolicy policy = transport::TransportPolicy::proglift();
    policy.silenceMs = kScanSilenceMs;
    policy.silentTimeout = true;
    std::vector<Found> found;
    const bool someChosen = parser.isSet("ports");
    Progress progress("Scanning");
    progress.setMaximum(int64_t(ports.size() * bauds.size() * ids.size()));
    int64_t done = 0;
    for (const LinkSpec& port : ports) {
        const std::string portName = port.name("");
        transport::LinkFactory factory;
        factory.serial = [folder] { return std::make_unique<transport::SerialPortLink>(folder); };
        transport::ControllerLink link(factory, policy);
        for (const std::string& baud : bauds) {
            transport::LinkRequest request;
            request.LinkType = transport::LinkSerial;
            request.SerialPort = int16_t(port.comPort);
            request.SerialDevice = port.kind == LinkSpec::Kind::Device ? port.device : "";
            request.BaudRate = baud;
            progress.setLabel("Scanning " + portName + " at " + baud);
            if (auto failure = link.open(request)) {
                // A port of the default list that is not there is passed over; one that is there
                // but cannot be opened (held by another program, no rights) is named.
                if (someChosen) {
                    progress.finish();
                    return out.fail(kLinkFailure, openFailureText(portName, *failure));
                }
                if (failure->find("there is no such device") == std::string::npos) {
                    progress.finish();
                    out.note("passed over: " + openFailureText(portName, *failure));
                }
                done += int64_t(bauds.size() * ids.size());
                progress.setValue(done);
                break;
            }
            for (const std::string& id : ids) {
                link.state().DeviceName = id;
                std::string reply;
                const int16_t status = link.transport()->SendCommand("DN", reply);
                progress.setValue(++done);
                if (status < 0) {
                    progress.finish();
                    return out.fail(kLinkFailure,
                                    portName + ": " + link.transport()->LastErrorText);
                }
                // Only a controller of this ID answers with its name word and this ID.
                if (reply.size() != 5 || reply.substr(3) != id) continue;
                Found controller{portName, baud, id, reply, modelOfName(reply), 0};
                std::string version;
                if (link.transport()->SendCommand("VER", version) == 0)
                    controller.firmware = controller::firmwareVersionFromReply(version);
                progress.finish();
                out.object(QJsonObject{{"port", jsonText(controller.port)},
                                       {"baud", std::stoi(baud)},
                                       {"id", QString::fromStdString(id)},
                                       {"name", jsonText(reply)},
                                       {"model", QString::fromStdString(controller.model)},
                                       {"firmware", controller.firmware}});
                out.line(controller.port + "  baud " + baud + "  ID " + id + "  " +
                         (controller.model.empty() ? reply : controller.model) + "  firmware " +
                         std::to_string(controller.firmware));
                found.push_back(controller);
            }
        }
    }
    progress.finish();
    if (found.empty()) return out.fail(kLinkFailure, "No controller answered.");
    return kDone;
}

} // namespace

const Command kScanCommand{
    "scan",
    "[--ports P,..] [--bauds B,..] [--ids I,..]",
    "every controller that answers: port, baud, ID, model, firmware",
    "Asks every ID at every rate on every port for its name (DN) and firmware (VER). A silent ID "
    "costs 62 ms. Ends with exit code 4 when no controller answered.",
    options,
    run};

} // namespace motionctl
