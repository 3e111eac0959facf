#pragma once
// LINK: --port P [--baud B] [--id I]. P is COM<n> (resolved as Motiondesk resolves it, through
// the port assignments of its program folder), a device path, usb:<product> or
// tcp:<host>[:<port>]. --id takes a list and ranges ("01,03,05-08"); the commands that take a
// LINK run once per ID, one after the other, over the same line.

#include "link/controller_link.h"
#include "motionctl/output.h"

#include <QCommandLineParser>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace motionctl {

// The TCP port of tcp:<host> without one.
inline constexpr int kDefaultTcpPort = 10001;

struct LinkSpec {
    enum class Kind { ComPort, Device, Usb, Tcp };
    Kind kind = Kind::ComPort;
    int comPort = 0;
    std::string device;   // the device path (ComPort: the one it resolves to)
    std::string usbKey;   // the product-text key of usb:<product>
    std::string usbModel; // the model that key belongs to
    std::string host;
    int tcpPort = kDefaultTcpPort;
    std::string baud = "9600";
    std::vector<std::string> ids{"01"};

    // How messages name the link: "COM1 (/dev/ttyUSB0)", "/dev/ttyUSB0", "usb:KTR01",
    // "tcp:10.0.0.5:10001"; a serial line with several IDs adds " ID 03".
    std::string name(const std::string& id) const;
};

void addLinkOptions(QCommandLineParser& parser);

// The LINK the options name, or a usage error. IDs are two digits 01..99: the broadcast ID 00
// is answered by no controller, so no command can tell whether it worked.
LinkSpec linkOption(const QCommandLineParser& parser, Output& out);

// The model of the controllers: --model, or the one a usb:<product> link names (a usage error
// when the two differ).
std::string controllerModel(const QCommandLineParser& parser, const LinkSpec& link, Output& out);

// "01,03,05-08" as IDs in the order given; nullopt with the reason when it is not such a list.
std::optional<std::vector<std::string>> parseIdList(const std::string& text, std::string& error);

// The program folder whose EXE/ports assignments COM<n> follows (MOTIONCTL_PROGRAM_FOLDER, else
// the folder motionctl lies in when it has an EXE folder, else the user's Motiondesk folder),
// and the folder of the USB library.
std::string portsFolder();
std::string usbLibraryFolder();

// What the user is told when the link cannot be opened.
std::string openFailureText(const std::string& linkName, const std::string& failure);

// One controller at a time over one link: the line is opened once, and each ID after the first
// only changes the address (USB opens the device of that ID).
class LinkSession {
public:
    explicit LinkSession(LinkSpec spec);
    ~LinkSession();

    // Opens the link for the ID; the failure text, naming the link, when it cannot.
    std::optional<std::string> open(const std::string& id);
    transport::CommandTransport& transport();
    // The transport's failure text with the link's name before it.
    std::string failure(const std::string& id) const;
    const LinkSpec& spec() const { return spec_; }

private:
    transport::LinkRequest request(const std::string& id) const;

    LinkSpec spec_;
    std::unique_ptr<transport::ControllerLink> link_;
    std::string openedFor_;
};

} // namespace motionctl
