#pragma once
// One command, one reply: the exchange with a controller over USB or a serial line.
// Every program and window that talks to a controller uses this one implementation; what differs
// between them (who is told about a failure, how long silence lasts, whether the reply is
// cleaned) is a TransportPolicy, not a copy of the exchange.

#include "motiondesk/transport/clock.h"
#include "motiondesk/transport/connection_state.h"
#include "motiondesk/transport/serial_link.h"
#include "motiondesk/transport/usb_library.h"

#include <cstdint>
#include <string>

namespace ui {
class UserInterface;
}

namespace transport {

struct TransportPolicy {
    // Failures are shown in message boxes; when false they go to LastErrorText only.
    bool showMessages = true;
    // A reply has timed out after this many milliseconds of silence, counted afresh after every
    // character (101 empty 1 ms reads, or 301 for the loader).
    int silenceMs = 101;
    // Replies lose their "#" + ID prefix.
    bool cleanReply = true;
    // A time-out ends the exchange quietly: status 0, LinkOpen untouched, no message.
    bool silentTimeout = false;
    // An empty USB reply closes the device, tells the user and ends the program.
    bool usbEmptyReplyIsFatal = true;
    // Sending on a closed serial link is a failure (-1) rather than a quiet 0.
    bool closedLinkIsError = false;
    // A USB command over 64 characters leaves "Command string overflow!" in LastErrorText.
    bool reportOverflow = false;

    static TransportPolicy motiondesk();
    static TransportPolicy window();   // a window's own copy: same rules, its own port
    static TransportPolicy terminal(); // raw reply, silent time-out, no fatal USB empty reply
    static TransportPolicy proglift(); // LastErrorText, 301 ms, no boxes, closed link is an error
};

class CommandTransport {
public:
    // state is the connection state this transport reads and clears (the shared one, or a
    // window's own copy). ui may be null when the policy shows no messages.
    CommandTransport(ConnectionState& state, TransportPolicy policy, SerialLink* serial,
                     UsbLibrary* usb, ui::UserInterface* ui, Clock& clock);

    // Status: 1 USB exchange done; 0 serial exchange done, or serial link closed (nothing sent,
    // reply untouched); -1 failure.
    int16_t SendCommand(const std::string& command, std::string& reply);

    // Serial-port control management with the shared settings.
    bool OpenSerialPort();    // settings BaudRate + ",N,8,1", port SerialPort
    void CloseSerialPort();   // only while LinkOpen and LinkType is serial
    void ReopenSerialPort();  // only while LinkOpen and LinkType is serial

    void setSerialLink(SerialLink* serial) { serial_ = serial; }
    SerialLink* serialLink() const { return serial_; }
    ConnectionState& state() { return state_; }
    const TransportPolicy& policy() const { return policy_; }

    std::string LastErrorText;

private:
    int16_t sendUsb(const std::string& command, std::string& reply);
    int16_t sendSerial(const std::string& command, std::string& reply);
    void fail(const std::string& text);

    ConnectionState& state_;
    TransportPolicy policy_;
    SerialLink* serial_;
    UsbLibrary* usb_;
    ui::UserInterface* ui_;
    Clock& clock_;
};

// "#" + two-character ID + text becomes text; anything else is returned unchanged.
std::string CleanReply(const std::string& reply);
// Characters from index 0 while the byte is not 0 and the index is below 256.
std::string BytesToText(const uint8_t* bytes, size_t size);

} // namespace transport
