#include "simulator/faults.h"

#include <charconv>

namespace simulator {
namespace {

std::optional<int> parseCount(std::string_view text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

} // namespace

std::optional<FaultPlan> parseFault(std::string_view text) {
    FaultPlan plan;
    if (auto at = text.find('@'); at != std::string_view::npos) {
        plan.onlyCommand = std::string(text.substr(at + 1));
        if (plan.onlyCommand.empty()) return std::nullopt;
        text = text.substr(0, at);
    }
    std::string_view name = text;
    std::string_view argument;
    if (auto colon = text.find(':'); colon != std::string_view::npos) {
        name = text.substr(0, colon);
        argument = text.substr(colon + 1);
    }
    const bool needsArgument = name == "slow" || name == "disconnect";
    if (needsArgument == argument.empty()) return std::nullopt;
    if (name == "none")
        plan.kind = FaultKind::None;
    else if (name == "no-reply")
        plan.kind = FaultKind::NoReply;
    else if (name == "bare-cr")
        plan.kind = FaultKind::BareCr;
    else if (name == "garbage")
        plan.kind = FaultKind::Garbage;
    else if (name == "forget")
        plan.kind = FaultKind::Forget;
    else if (name == "slow" || name == "disconnect") {
        auto count = parseCount(argument);
        if (!count) return std::nullopt;
        plan.kind = name == "slow" ? FaultKind::SlowReply : FaultKind::Disconnect;
        (name == "slow" ? plan.pauseMs : plan.afterCommands) = *count;
    } else {
        return std::nullopt;
    }
    return plan;
}

std::string Transmission::text() const {
    std::string result;
    for (const auto& b : bytes)
        result.push_back(b.byte);
    return result;
}

int64_t Transmission::totalDelayUs() const {
    int64_t total = 0;
    for (const auto& b : bytes)
        total += b.delayUs;
    return total;
}

Transmission immediate(std::string_view bytes) {
    Transmission t;
    for (char c : bytes)
        t.bytes.push_back({c, 0});
    return t;
}

void FaultInjector::setPlan(FaultPlan plan) {
    plan_ = std::move(plan);
    commandsSeen_ = 0;
    disconnected_ = false;
}

std::string FaultInjector::garbage() {
    std::uniform_int_distribution<int> length(5, 40);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string text;
    for (int n = length(random_); n > 0; --n) {
        char c = static_cast<char>(byte(random_));
        text.push_back(c == '\r' ? '\n' : c);
    }
    return text;
}

bool FaultInjector::forgets(std::string_view command) const {
    return plan_.kind == FaultKind::Forget && command.find('=') != std::string_view::npos &&
           (plan_.onlyCommand.empty() || command.starts_with(plan_.onlyCommand));
}

Transmission FaultInjector::shape(std::string_view command,
                                  const std::optional<std::string>& reply) {
    if (disconnected_) return {{}, true};
    const bool applies = plan_.onlyCommand.empty() || command.starts_with(plan_.onlyCommand);
    ++commandsSeen_;
    if (applies && plan_.kind == FaultKind::Disconnect && commandsSeen_ > plan_.afterCommands) {
        disconnected_ = true;
        return {{}, true};
    }
    if (!reply) return {};
    if (!applies) return immediate(*reply + '\r');
    switch (plan_.kind) {
    case FaultKind::NoReply:
        return {};
    case FaultKind::BareCr:
        return immediate("\r");
    case FaultKind::Garbage:
        return immediate(garbage() + '\r');
    case FaultKind::SlowReply: {
        Transmission t = immediate(*reply + '\r');
        for (auto& b : t.bytes)
            b.delayUs = int64_t(plan_.pauseMs) * 1000;
        return t;
    }
    case FaultKind::None:
    case FaultKind::Disconnect:
    case FaultKind::Forget:
        break;
    }
    return immediate(*reply + '\r');
}

// The end of character n is at n * 10 bits / baud rate, rounded to the microsecond; each
// character takes the difference, so a line of any rate keeps its exact pace (a character at
// 115200 baud lasts 86.8 us, not 86).
void addWireTime(Transmission& transmission, int baudRate, size_t commandCharacters) {
    if (baudRate <= 0 || transmission.bytes.empty()) return;
    const auto endOf = [baudRate](int64_t characters) {
        return (characters * 10'000'000 + baudRate / 2) / baudRate;
    };
    int64_t sent = int64_t(commandCharacters);
    transmission.bytes.front().delayUs += endOf(sent);
    for (auto& b : transmission.bytes) {
        b.delayUs += endOf(sent + 1) - endOf(sent);
        ++sent;
    }
}

} // namespace simulator
