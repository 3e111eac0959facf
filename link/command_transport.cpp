#include "link/command_transport.h"

#include <array>

namespace transport {

namespace {

constexpr char CarriageReturn = '\r';

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

TransportPolicy TransportPolicy::motiondesk() {
    return TransportPolicy{};
}

TransportPolicy TransportPolicy::window() {
    return TransportPolicy{};
}

TransportPolicy TransportPolicy::terminal() {
    TransportPolicy policy;
    policy.cleanReply = false;
    policy.silentTimeout = true;
    policy.usbEmptyReplyIsFatal = false;
    return policy;
}

TransportPolicy TransportPolicy::proglift() {
    TransportPolicy policy;
    policy.showMessages = false;
    policy.silenceMs = 301;
    policy.usbEmptyReplyIsFatal = false;
    policy.usbFailedTransferIsError = true;
    policy.closedLinkIsError = true;
    policy.reportOverflow = true;
    policy.openSetsLinkOpen = true;
    return policy;
}

CommandTransport::CommandTransport(ConnectionState& state, TransportPolicy policy,
                                   SerialLink* serial, UsbLibrary* usb, FailureNotices* notices,
                                   Clock& clock)
    : state_(state), policy_(policy), serial_(serial), usb_(usb), notices_(notices), clock_(clock) {
}

int16_t CommandTransport::SendCommand(const std::string& command, std::string& reply) {
    switch (state_.LinkType) {
    case LinkUsb:
        return sendUsb(command, reply);
    case LinkEthernet:
        return sendTcp(command, reply);
    default:
        return sendSerial(command, reply);
    }
}

int16_t CommandTransport::sendUsb(const std::string& command, std::string& reply) {
    if (command.size() > UsbBlockSize) {
        if (policy_.reportOverflow) LastErrorText = "Command string overflow!";
        return -1;
    }
    std::array<uint8_t, UsbBlockSize> out{};
    std::array<uint8_t, UsbBlockSize> in{};
    for (std::size_t i = 0; i < command.size(); ++i)
        out[i] = static_cast<uint8_t>(command[i]);

    const int32_t result =
        usb_ ? usb_->SendRecv(state_.UsbHandle, out.data(), UsbBlockSize, UsbBlockSize, in.data())
             : 0;
    state_.UsbResult = static_cast<int16_t>(result);
    if (result == 0 && policy_.usbFailedTransferIsError) {
        // The block holds nothing the device said; taking it as an empty reply would let a
        // download "succeed" past a device that is silent or gone.
        state_.LinkOpen = false;
        fail("No Reply to Command: " + command + " (USB transfer failed)");
        return -1;
    }

    std::string received = BytesToText(in.data(), in.size());
    reply = policy_.cleanReply ? CleanReply(received) : received;
    if (reply.empty() && policy_.usbEmptyReplyIsFatal) {
        if (usb_) usb_->Close(state_.UsbHandle);
        // Nothing may be sent after this, even if the program does not stop at once.
        state_.LinkOpen = false;
        fail("Error communication.  Closing application...");
        if (notices_) notices_->quitProgram();
        return -1;
    }
    return 1;
}

int16_t CommandTransport::sendSerial(const std::string& command, std::string& reply) {
    if (!state_.LinkOpen) {
        if (!policy_.closedLinkIsError) return 0;
        fail("Communication Error!");
        return -1;
    }
    if (!serial_) return runtimeError("No serial port is assigned.");
    // What is waiting now belongs to an earlier exchange (a reply that came late, a line feed
    // after its carriage return); read as this command's reply it would put every later reply
    // out of step.
    discarded_ = serial_->discardInput();
    if (!serial_->write("@" + state_.DeviceName + command + CarriageReturn))
        return runtimeError(serial_->errorText());

    waitBeforeReading(command);

    // The reply is built in the caller's variable, so a failure leaves what had arrived.
    switch (readReply(*serial_, policy_.silenceMs, policy_.silenceMs, false, reply)) {
    case ReadEnd::Failure:
        return runtimeError(serial_->errorText());
    case ReadEnd::Silence:
        return timedOut(command);
    case ReadEnd::Complete:
        break;
    }
    if (policy_.cleanReply) reply = CleanReply(reply);
    return finishReply(command, reply);
}

// A reply that streams on without a carriage return is cut off and treated like silence, so an
// exchange always ends.
CommandTransport::ReadEnd CommandTransport::readReply(ByteLink& link, int firstMs, int laterMs,
                                                      bool dropLineFeeds, std::string& reply) {
    reply.clear();
    int waitMs = firstMs;
    for (;;) {
        const ReadResult read = link.readChar(waitMs);
        if (read.status == ReadResult::Error) return ReadEnd::Failure;
        if (read.status == ReadResult::Silence) return ReadEnd::Silence;
        if (read.ch == CarriageReturn) return ReadEnd::Complete;
        if (dropLineFeeds && read.ch == '\n') continue;
        reply.push_back(read.ch);
        if (reply.size() >= MaxSerialReplyLength) return ReadEnd::Silence;
        waitMs = laterMs;
    }
}

// Only slot reads and writes may be answered with nothing.
int16_t CommandTransport::finishReply(const std::string& command, std::string& reply) {
    if (reply.empty() && !startsWith(command, "SA")) {
        fail("No Response!");
        state_.LinkOpen = false;
        return -1;
    }
    return 0;
}

// The connection's own failure (never made, dropped by the controller) is told as the loader has
// always told it; whatever an earlier, timed-out command still sent is not this one's reply.
int16_t CommandTransport::sendTcp(const std::string& command, std::string& reply) {
    const auto lost = [this] {
        state_.LinkOpen = false;
        fail(tcp_ ? tcp_->errorText() : std::string(TcpNotConnectedText));
        return int16_t{-1};
    };
    if (!tcp_) return lost();
    discarded_ = tcp_->discardInput();
    if (!tcp_->write(command)) return lost();
    switch (readReply(*tcp_, tcpTimings_.replyTimeoutMs, tcpTimings_.replySilenceMs, true, reply)) {
    case ReadEnd::Failure:
        return lost();
    case ReadEnd::Silence:
        return timedOut(command);
    case ReadEnd::Complete:
        break;
    }
    return finishReply(command, reply);
}

void CommandTransport::waitBeforeReading(const std::string& command) {
    if (command == "STORE" || startsWith(command, "DN=") || startsWith(command, "Z"))
        clock_.sleepMs(200);
    if (command.find("SR") != std::string::npos) clock_.sleepMs(1000);
}

int16_t CommandTransport::timedOut(const std::string& command) {
    if (policy_.silentTimeout) return 0;
    state_.LinkOpen = false;
    fail("No Reply to Command: " + command);
    return -1;
}

// A port that fails under the exchange (vanished, unplugged, closed) is as dead as one that
// stays silent: report it once and stop the callers from sending on it.
int16_t CommandTransport::runtimeError(const std::string& description) {
    fail("Communication Error! " + description);
    state_.LinkOpen = false;
    return -1;
}

void CommandTransport::fail(const std::string& text) {
    LastErrorText = text;
    if (policy_.showMessages && notices_) notices_->showMessage(text);
}

bool CommandTransport::OpenSerialPort() {
    if (!serial_) {
        LastErrorText = "No serial port is assigned.";
        return false;
    }
    auto settings = serialSettingsFor(state_.SerialPort, state_.BaudRate);
    if (!settings) {
        LastErrorText = invalidSettingsText(state_.BaudRate);
        return false;
    }
    settings->devicePath = state_.SerialDevice;
    if (!serial_->open(*settings)) {
        LastErrorText = serial_->errorText();
        return false;
    }
    if (policy_.openSetsLinkOpen) state_.LinkOpen = true;
    return true;
}

bool CommandTransport::serialLinkInUse() const {
    return state_.LinkOpen && state_.LinkType == LinkSerial && serial_;
}

void CommandTransport::CloseSerialPort() {
    if (serialLinkInUse() && serial_->isOpen()) serial_->close();
}

bool CommandTransport::ReopenSerialPort() {
    if (!serialLinkInUse() || serial_->isOpen()) return true;
    if (serial_->reopen()) return true;
    LastErrorText = serial_->errorText();
    return false;
}

std::string CleanReply(const std::string& reply) {
    if (reply.empty() || reply[0] != '#') return reply;
    return reply.size() > 3 ? reply.substr(3) : std::string();
}

std::string BytesToText(const uint8_t* bytes, size_t size) {
    std::string text;
    for (size_t i = 0; i < size && i < 256 && bytes[i] != 0; ++i)
        text.push_back(static_cast<char>(bytes[i]));
    return text;
}

} // namespace transport
