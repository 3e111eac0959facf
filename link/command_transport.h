#pragma once
// One command, one reply: the exchange with a controller over USB, a serial line or TCP.
// Every program and window that talks to a controller uses this one implementation; what differs
// between them (who is told about a failure, how long silence lasts, whether the reply is
// cleaned) is a TransportPolicy, not a copy of the exchange.

#include "link/byte_link.h"
#include "link/clock.h"
#include "link/connection_state.h"
#include "link/failure_notices.h"
#include "link/serial_link.h"
#include "link/tcp_timings.h"
#include "link/usb_library.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace transport {

// Every USB transfer is one block of this size out and one in, whatever the command's length.
inline constexpr int UsbBlockSize = 64;

// A serial reply that keeps streaming without a carriage return is cut off at this length and
// treated like a time-out; controller replies are a few dozen characters at most.
inline constexpr std::size_t MaxSerialReplyLength = 1024;

struct TransportPolicy {
    // Failures are shown in message boxes; every failure text also goes to LastErrorText.
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
    // A USB transfer the library reports as failed (status 0: no answer in time, or the device
    // is gone) is a failed exchange rather than an empty reply.
    bool usbFailedTransferIsError = false;
    // Sending on a closed serial link is a failure (-1) rather than a quiet 0.
    bool closedLinkIsError = false;
    // A USB command over 64 characters leaves "Command string overflow!" in LastErrorText.
    bool reportOverflow = false;
    // A successful OpenSerialPort also marks the link open.
    bool openSetsLinkOpen = false;

    static TransportPolicy motiondesk();
    static TransportPolicy window();   // a window's own copy: same rules, its own port
    static TransportPolicy terminal(); // raw reply, silent time-out, no fatal USB empty reply
    // LastErrorText, 301 ms, no boxes; a closed link and a failed USB transfer are errors.
    static TransportPolicy proglift();
};

class CommandTransport {
public:
    // state is the connection state this transport reads and clears (the shared one, or a
    // window's own copy). notices may be null when the policy shows no messages. serial and usb
    // may be null when that link is not used.
    CommandTransport(ConnectionState& state, TransportPolicy policy, SerialLink* serial,
                     UsbLibrary* usb, FailureNotices* notices, Clock& clock);

    // Status: 1 USB exchange done; 0 serial or TCP exchange done, or serial link closed (nothing
    // sent, reply untouched); -1 failure. Over TCP the command goes out bare (no address, no
    // terminator) and the reply is taken as it came.
    int16_t SendCommand(const std::string& command, std::string& reply);

    // Applies BaudRate + ",N,8,1" and opens port SerialPort. False when the port cannot be
    // opened, with the reason in LastErrorText. Only the loader's policy sets LinkOpen here.
    bool OpenSerialPort();
    // Only while LinkOpen and LinkType is serial: closes the port if it is open.
    void CloseSerialPort();
    // Only while LinkOpen and LinkType is serial: reopens the port with the settings it had if
    // it is closed. False when that fails (reason in LastErrorText); the next exchange then
    // reports the closed port.
    bool ReopenSerialPort();

    void setSerialLink(SerialLink* serial) { serial_ = serial; }
    SerialLink* serialLink() const { return serial_; }
    UsbLibrary* usbLibrary() const { return usb_; }
    // The connection that LinkType 3 (TCP) talks through, with its waits.
    void setTcpLink(ByteLink* tcp, TcpTimings timings = {}) {
        tcp_ = tcp;
        tcpTimings_ = timings;
    }
    ConnectionState& state() { return state_; }
    const TransportPolicy& policy() const { return policy_; }
    // How many characters were waiting in the link when the last exchange began: late
    // characters of an earlier reply, dropped before the command went out.
    std::size_t discardedBeforeLast() const { return discarded_; }

    // The text of the most recent failure (the loader writes it into its result file).
    std::string LastErrorText;

private:
    int16_t sendUsb(const std::string& command, std::string& reply);
    int16_t sendSerial(const std::string& command, std::string& reply);
    int16_t sendTcp(const std::string& command, std::string& reply);
    // Reads up to the carriage return: the first character within firstMs, each later one within
    // laterMs. Line feeds are dropped when dropLineFeeds.
    enum class ReadEnd { Complete, Silence, Failure };
    ReadEnd readReply(ByteLink& link, int firstMs, int laterMs, bool dropLineFeeds,
                      std::string& reply);
    int16_t finishReply(const std::string& command, std::string& reply);
    void waitBeforeReading(const std::string& command);
    int16_t timedOut(const std::string& command);
    int16_t runtimeError(const std::string& description);
    void fail(const std::string& text);
    bool serialLinkInUse() const;

    ConnectionState& state_;
    TransportPolicy policy_;
    SerialLink* serial_;
    UsbLibrary* usb_;
    FailureNotices* notices_;
    Clock& clock_;
    ByteLink* tcp_ = nullptr;
    TcpTimings tcpTimings_;
    std::size_t discarded_ = 0;
};

// "#" + two-character ID + text becomes text; anything else is returned unchanged.
std::string CleanReply(const std::string& reply);
// Characters from index 0 while the byte is not 0 and the index is below 256 (and size).
std::string BytesToText(const uint8_t* bytes, size_t size);

} // namespace transport
