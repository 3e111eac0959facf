#pragma once
// Faults a simulated controller can be told to show on the way back to the host: no reply, a
// slow reply (a pause before every character), a bare CR, garbage, or a line that drops after a
// number of commands. A fault can be limited to commands that start with a given text.

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace simulator {

// Forget: the controller answers a set command "OK" and does not keep what it set (a flash cell
// that does not take a write); the reply is not shaped.
enum class FaultKind { None, NoReply, SlowReply, BareCr, Garbage, Disconnect, Forget };

struct FaultPlan {
    FaultKind kind = FaultKind::None;
    int pauseMs = 0;         // SlowReply: silence before every character
    int afterCommands = 0;   // Disconnect: commands answered before the line drops
    std::string onlyCommand; // when set, only commands starting with this text are hit
};

// "none", "no-reply", "slow:<ms>", "bare-cr", "garbage", "disconnect:<n>", "forget", each
// optionally followed by "@<command prefix>". nullopt for anything else.
std::optional<FaultPlan> parseFault(std::string_view text);

// One byte of a reply and the time between the previous byte (or the end of the command) and it.
struct TimedByte {
    char byte;
    int64_t delayUs;
};

// What goes back on the line for one command.
struct Transmission {
    std::vector<TimedByte> bytes;
    bool disconnect = false; // the line drops instead of answering (and stays down)

    std::string text() const;
    int64_t totalDelayUs() const;
};

// Applies a controller's fault plan to its replies, counting the commands it has seen.
class FaultInjector {
public:
    void setPlan(FaultPlan plan);
    const FaultPlan& plan() const { return plan_; }
    bool disconnected() const { return disconnected_; }
    // Brings a dropped line back (the adapter was plugged in again).
    void reconnect() { disconnected_ = false; }

    // True when the controller is to answer this set command "OK" without carrying it out.
    bool forgets(std::string_view command) const;

    // reply is the controller's reply without its CR, or nullopt when it stays silent.
    Transmission shape(std::string_view command, const std::optional<std::string>& reply);

private:
    std::string garbage();

    FaultPlan plan_;
    int commandsSeen_ = 0;
    bool disconnected_ = false;
    std::minstd_rand random_{12345};
};

// Spreads a transmission over the wire at 10 bits per character: the command's own characters
// arrive first, then every reply character takes its time.
void addWireTime(Transmission& transmission, int baudRate, size_t commandCharacters);

// Plain text turned into a transmission with no delays.
Transmission immediate(std::string_view bytes);

} // namespace simulator
