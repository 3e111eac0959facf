#include "simulator/controller_model.h"

#include "simulator/parameter_table.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>

namespace simulator {
namespace {

constexpr int kRates[] = {9600, 19200, 38400, 57600, 115200};

std::optional<int64_t> parseInteger(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.size() > 19) return std::nullopt;
    int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> parseDecimal(std::string_view text) {
    std::string copy(text);
    if (copy.empty() || copy.size() > 30) return std::nullopt;
    for (char c : copy)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+'))
            return std::nullopt;
    size_t used = 0;
    try {
        double value = std::stod(copy, &used);
        if (used != copy.size() || !std::isfinite(value)) return std::nullopt;
        return value;
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<int64_t> parseInRange(std::string_view text, int64_t low, int64_t high) {
    auto value = parseInteger(text);
    if (!value || *value < low || *value > high) return std::nullopt;
    return value;
}

bool isTwoDigitId(std::string_view id) {
    return id.size() == 2 && std::isdigit(static_cast<unsigned char>(id[0])) &&
           std::isdigit(static_cast<unsigned char>(id[1])) && id != "00";
}

// Digits after a prefix, as an index; nullopt when the rest is not 1 to 9 digits.
std::optional<int64_t> indexAfter(std::string_view key, std::string_view prefix) {
    if (!key.starts_with(prefix)) return std::nullopt;
    std::string_view digits = key.substr(prefix.size());
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    return parseInteger(digits);
}

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

// "?" and the command as received; a CR in it would end the reply early, so it is left out.
std::string refusal(std::string_view command) {
    std::string reply = "?";
    for (char c : command)
        if (c != '\r') reply.push_back(c);
    return reply;
}

int64_t steadyMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

int baudCodeForRate(int baudRate) {
    for (int i = 0; i < 5; ++i)
        if (kRates[i] == baudRate) return i + 1;
    return 0;
}

int rateForBaudCode(int code) {
    return code >= 1 && code <= 5 ? kRates[code - 1] : 0;
}

ControllerModel::ControllerModel(ControllerConfig config)
    : model_(findModel(config.model) ? findModel(config.model) : findModel("KT-210")),
      firmware_(config.firmware), activeId_(isTwoDigitId(config.deviceId) ? config.deviceId : "01"),
      pendingId_(activeId_),
      activeBaudCode_(baudCodeForRate(config.baudRate) ? baudCodeForRate(config.baudRate) : 1),
      pendingBaudCode_(activeBaudCode_), slots_(size_t(model_->lineLimit)), nowUs_(steadyMicros),
      interpreter_(progsmith::findModel(model_->code), device_, variables_) {
    for (auto p = parametersBegin(); p != parametersEnd(); ++p)
        parameters_[std::string(p->name)] = std::string(p->initial);
    for (auto name : {"DRVMS", "DRVRC", "DRVIC", "DRVIT"})
        driverSettings_[name] = parameters_[name];
    if (const auto* codes = progsmith::findModel(model_->code); codes && codes->varMin == 0)
        firstVariable_ = 0;
    lastUs_ = nowUs_();
    stored_ = {parameters_, variables_, dioTable_, activeId_, activeBaudCode_};
}

void ControllerModel::copyStateFrom(const ControllerModel& other) {
    activeId_ = other.activeId_;
    pendingId_ = other.pendingId_;
    activeBaudCode_ = other.activeBaudCode_;
    pendingBaudCode_ = other.pendingBaudCode_;
    parameters_ = other.parameters_;
    axis_ = other.axis_;
    otherAxes_ = other.otherAxes_;
    incremental_ = other.incremental_;
    inputs_ = other.inputs_;
    outputs_ = other.outputs_;
    std::copy(std::begin(other.analog_), std::end(other.analog_), std::begin(analog_));
    latchState_ = other.latchState_;
    latchPosition_ = other.latchPosition_;
    latchEncoder_ = other.latchEncoder_;
    syncState_ = other.syncState_;
    joystick_ = other.joystick_;
    driverReadOk_ = other.driverReadOk_;
    driverWriteOk_ = other.driverWriteOk_;
    driverSettings_ = other.driverSettings_;
    counterOverride_ = other.counterOverride_;
    variables_ = other.variables_;
    dioTable_ = other.dioTable_;
    stored_ = other.stored_;
    lastUs_ = other.lastUs_;
    interpreter_.copyStateFrom(other.interpreter_);
}

int ControllerModel::baudRate() const {
    return rateForBaudCode(activeBaudCode_);
}

std::string ControllerModel::productText() const {
    return std::string(model_->productKey) + activeId_;
}

void ControllerModel::setTimeSource(std::function<int64_t()> nowUs) {
    advanceTime();
    nowUs_ = std::move(nowUs);
    lastUs_ = nowUs_();
}

int64_t ControllerModel::number(std::string_view name) const {
    auto it = parameters_.find(name);
    return it == parameters_.end() ? 0 : parseInteger(it->second).value_or(0);
}

SpeedSettings ControllerModel::speeds() const {
    const int64_t accel = number("ACC");
    return {number("HSPD"), number("LSPD"), accel, number("EDEC") == 1 ? number("DEC") : accel};
}

void ControllerModel::advance() {
    advanceTime();
}

void ControllerModel::setProgramTrace(std::function<void(std::string_view)> sink) {
    interpreter_.setTrace(std::move(sink));
}

void ControllerModel::setProgramWatch(std::function<bool(int, int32_t)> watch) {
    interpreter_.setWatch(std::move(watch));
}

void ControllerModel::advanceTime() {
    const int64_t now = nowUs_();
    const int64_t elapsed = std::max<int64_t>(0, now - lastUs_);
    lastUs_ = now;
    interpreter_.advance(elapsed, [this](int64_t us) { advanceAxes(us); });
}

void ControllerModel::advanceAxes(int64_t elapsedUs) {
    const int32_t before = axis_.position();
    const SpeedSettings settings = speeds();
    axis_.advance(elapsedUs, settings);
    for (auto& other : otherAxes_)
        other.advance(elapsedUs, settings);
    checkSyncAndLatch(before);
}

std::string ControllerModel::execute(std::string_view command) {
    advanceTime();
    log_.emplace_back(command);
    std::string reply = faults_.forgets(command) ? std::string("OK") : run(command);
    if (number("RT") == 1) reply = "#" + activeId_ + reply;
    return reply;
}

std::string ControllerModel::value(std::string_view query) {
    if (query.find('=') != std::string_view::npos) return {};
    advanceTime();
    return run(query);
}

std::string ControllerModel::run(std::string_view command) {
    const auto equals = command.find('=');
    const std::string key = upper(command.substr(0, equals));
    std::optional<std::string_view> value;
    if (equals != std::string_view::npos) value = command.substr(equals + 1);

    using Handler = Reply (ControllerModel::*)(std::string_view, std::optional<std::string_view>);
    static constexpr Handler handlers[] = {
        &ControllerModel::handleIdentity, &ControllerModel::handleParameter,
        &ControllerModel::handleMotion,   &ControllerModel::handleStatus,
        &ControllerModel::handleOutputs,  &ControllerModel::handleSyncAndLatch,
        &ControllerModel::handleProgram,  &ControllerModel::handleDriverTransfer,
        &ControllerModel::handleVariable, &ControllerModel::handleSlot,
        &ControllerModel::handleDioTable,
    };
    for (Handler handler : handlers) {
        if (Reply reply = (this->*handler)(key, value))
            return *reply == "?" ? refusal(command) : *reply;
    }
    return refusal(command);
}

// Handlers answer nullopt for a command that is not theirs and "?" for one they refuse.

ControllerModel::Reply ControllerModel::handleIdentity(std::string_view key,
                                                       std::optional<std::string_view> value) {
    if (key == "DN") {
        if (!value) return std::string(model_->nameWord) + pendingId_;
        if (!value->starts_with(model_->nameWord)) return "?";
        std::string_view id = value->substr(model_->nameWord.size());
        if (!isTwoDigitId(id)) return "?";
        pendingId_ = std::string(id);
        return "OK";
    }
    if (key == "DB") {
        if (!value) return std::to_string(pendingBaudCode_);
        auto code = parseInRange(*value, 1, 5);
        if (!code) return "?";
        pendingBaudCode_ = int(*code);
        return "OK";
    }
    if (key == "VER" && !value) return "V" + std::to_string(firmware_);
    if (key == "ID" && !value) return activeId_;
    if (key == "STORE" && !value) {
        stored_ = {parameters_, variables_, dioTable_, pendingId_, pendingBaudCode_};
        return "OK";
    }
    return std::nullopt;
}

ControllerModel::Reply ControllerModel::handleParameter(std::string_view key,
                                                        std::optional<std::string_view> value) {
    const ParameterInfo* info = findParameter(key);
    if (!info) return std::nullopt;
    if (firmware_ < info->minimumFirmware) return "?";
    auto& stored = parameters_[std::string(key)];
    if (!value) return stored;
    if (info->fractional) {
        auto number = parseDecimal(*value);
        if (!number || *number < double(info->minimum) || *number > double(info->maximum))
            return "?";
    } else if (!parseInRange(*value, info->minimum, info->maximum)) {
        return "?";
    }
    stored = info->fractional ? std::string(*value) : std::to_string(*parseInteger(*value));
    return "OK";
}

ControllerModel::Reply ControllerModel::handleMotion(std::string_view key,
                                                     std::optional<std::string_view> value) {
    struct Search {
        std::string_view command;
        MoveKind kind;
        int direction;
        int minimumFirmware;
    };
    static constexpr Search searches[] = {
        {"J+", MoveKind::Jog, 1, 0},          {"J-", MoveKind::Jog, -1, 0},
        {"H+", MoveKind::Home, 1, 0},         {"H-", MoveKind::Home, -1, 0},
        {"HL+", MoveKind::LimitHome, 1, 230}, {"HL-", MoveKind::LimitHome, -1, 230},
        {"L+", MoveKind::LimitHome, 1, 230},  {"L-", MoveKind::LimitHome, -1, 230},
        {"ZH+", MoveKind::ZHome, 1, 0},       {"ZH-", MoveKind::ZHome, -1, 0},
        {"Z+", MoveKind::ZHome, 1, 0},        {"Z-", MoveKind::ZHome, -1, 0},
    };
    if (value) {
        if (key == "PX" || key == "EX") {
            auto number = parseInRange(*value, INT32_MIN, INT32_MAX);
            if (!number) return "?";
            key == "PX" ? axis_.setPosition(*number) : axis_.setEncoder(*number);
            return "OK";
        }
        return std::nullopt;
    }
    for (const auto& search : searches) {
        if (key != search.command) continue;
        if (firmware_ < search.minimumFirmware) return "?";
        if (search.kind == MoveKind::Jog)
            axis_.jog(search.direction);
        else
            axis_.home(search.direction, search.kind);
        return "OK";
    }
    const std::pair<std::string_view, std::function<void()>> actions[] = {
        {"STOP", [this] { axis_.stop(); }},       {"ABORT", [this] { axis_.abort(); }},
        {"CLR", [this] { axis_.clearErrors(); }}, {"ABS", [this] { incremental_ = false; }},
        {"INC", [this] { incremental_ = true; }}, {"JO", [this] { joystick_ = true; }},
        {"JF", [this] { joystick_ = false; }},
    };
    for (const auto& [name, action] : actions) {
        if (key != name) continue;
        action();
        return "OK";
    }
    if (key.starts_with("SSPD") && key.size() > 4) {
        auto speed = parseInRange(key.substr(4), 0, findParameter("HSPD")->maximum);
        if (!speed) return "?";
        parameters_["HSPD"] = std::to_string(*speed);
        return "OK";
    }
    if ((key.starts_with("X") || key.starts_with("T")) && key.size() > 1) {
        if (key[0] == 'T' && firmware_ < 230) return "?";
        auto target = parseInRange(key.substr(1), INT32_MIN, INT32_MAX);
        if (!target) return "?";
        const int64_t absolute = incremental_ ? axis_.position() + *target : *target;
        key[0] == 'X' ? axis_.moveTo(absolute) : axis_.changeTarget(absolute);
        return "OK";
    }
    return std::nullopt;
}

ControllerModel::Reply ControllerModel::handleStatus(std::string_view key,
                                                     std::optional<std::string_view> value) {
    if (value) return std::nullopt;
    if (key == "MST") return std::to_string(axis_.statusBits());
    if (key == "PX") return std::to_string(axis_.position());
    if (key == "EX") return std::to_string(axis_.encoder());
    if (key == "PS") return std::to_string(axis_.speed());
    if (key == "DX") return std::to_string(int64_t(axis_.encoder()) - axis_.position());
    if (key == "MM") return incremental_ ? "1" : "0";
    if (key == "JS") return joystick_ ? "1" : "0";
    if (key == "SLS") {
        if (number("SL") != 1) return "12";
        if (!axis_.busy()) return "0";
        if (axis_.stopping()) return "3";
        switch (axis_.kind()) {
        case MoveKind::Jog:
            return "5";
        case MoveKind::Home:
            return "6";
        case MoveKind::ZHome:
            return "7";
        case MoveKind::LimitHome:
            return "13";
        default:
            return "1";
        }
    }
    return std::nullopt;
}

ControllerModel::Reply ControllerModel::handleOutputs(std::string_view key,
                                                      std::optional<std::string_view> value) {
    if (!value) {
        if (key == "DI") return std::to_string(inputs_);
        if (key == "DO") return std::to_string(outputs_);
        if (key == "AI1" || key == "AI2") return std::to_string(analog_[key[2] - '1']);
        return std::nullopt;
    }
    if (key != "DO" && key != "DO1" && key != "DO2") return std::nullopt;
    if (number("EDIO") == 1) return "?DIO enabled";
    if (key == "DO") {
        auto bits = parseInRange(*value, 0, 3);
        if (!bits) return "?";
        outputs_ = int32_t(*bits);
        return "OK";
    }
    auto level = parseInRange(*value, 0, 1);
    if (!level) return "?";
    const int32_t bit = key == "DO1" ? 1 : 2;
    outputs_ = *level ? (outputs_ | bit) : (outputs_ & ~bit);
    return "OK";
}

ControllerModel::Reply ControllerModel::handleSyncAndLatch(std::string_view key,
                                                           std::optional<std::string_view> value) {
    if (!value) {
        if (key == "SYNO" || key == "SYNF") {
            syncState_ = key == "SYNO" ? 1 : 0;
            checkSyncAndLatch(axis_.position());
            return "OK";
        }
        if (key == "SYNS") return std::to_string(syncState_);
        if (key == "LTS") return std::to_string(latchState_);
        if (key == "LTP") return std::to_string(latchPosition_);
        if (key == "LTE") return std::to_string(latchEncoder_);
        return std::nullopt;
    }
    if (key != "LT") return std::nullopt;
    auto on = parseInRange(*value, 0, 1);
    if (!on) return "?";
    latchState_ = int(*on);
    checkSyncAndLatch(axis_.position());
    return "OK";
}

void ControllerModel::checkSyncAndLatch(int32_t positionBefore) {
    if (latchState_ == 1 && axis_.latchInput) {
        latchState_ = 2;
        latchPosition_ = axis_.position();
        latchEncoder_ = axis_.encoder();
    }
    if (syncState_ != 1) return;
    const int64_t at = number("SYNP");
    const int64_t now = axis_.position();
    const int64_t low = std::min<int64_t>(positionBefore, now);
    const int64_t high = std::max<int64_t>(positionBefore, now);
    const int64_t mode = number("SYNC");
    const bool reached = mode == 2 ? now < at : mode == 3 ? now > at : (low <= at && at <= high);
    if (reached) syncState_ = 2;
}

int32_t ControllerModel::programCounter(int thread) const {
    const int64_t shown = counterOverride_[size_t(thread)];
    return shown >= 0 ? int32_t(shown) : interpreter_.counter(thread);
}

ControllerModel::Reply ControllerModel::handleProgram(std::string_view key,
                                                      std::optional<std::string_view> value) {
    int thread = -1;
    std::string_view base;
    for (std::string_view name : {"SASTAT", "SPC", "SR"}) {
        if (key == name)
            thread = 0, base = name;
        else if (key.size() == name.size() + 1 && key.starts_with(name) &&
                 (key.back() == '0' || key.back() == '1'))
            thread = key.back() - '0', base = name;
        if (thread >= 0) break;
    }
    if (thread < 0) return std::nullopt;
    if (base == "SASTAT") return value ? Reply("?") : std::to_string(interpreter_.state(thread));
    if (base == "SPC") return value ? Reply("?") : std::to_string(programCounter(thread));
    if (!value) return "?";
    auto request = parseInRange(*value, 0, 3);
    if (!request) return "?";
    switch (*request) {
    case 0:
        interpreter_.stop(thread);
        counterOverride_[size_t(thread)] = -1;
        break;
    case 1:
        interpreter_.run(thread, slots_);
        counterOverride_[size_t(thread)] = -1;
        break;
    case 2:
        interpreter_.pause(thread);
        break;
    case 3:
        interpreter_.resume(thread);
        break;
    }
    return "OK";
}

ControllerModel::Reply
ControllerModel::handleDriverTransfer(std::string_view key, std::optional<std::string_view> value) {
    if (value) return std::nullopt;
    if (key == "R2") return driverReadOk_ ? "1" : "0";
    if (key == "R4") return driverWriteOk_ ? "1" : "0";
    if (key != "RR" && key != "RW") return std::nullopt;
    // The driver is reached over the same lines closed-loop, DIO and joystick control use.
    const bool lineFree = number("SL") == 0 && number("EDIO") == 0 && !joystick_;
    for (auto& [name, setting] : driverSettings_) {
        if (!lineFree) break;
        key == "RR" ? (parameters_[name] = setting) : (setting = parameters_[name]);
    }
    (key == "RR" ? driverReadOk_ : driverWriteOk_) = lineFree;
    return "OK";
}

ControllerModel::Reply ControllerModel::handleVariable(std::string_view key,
                                                       std::optional<std::string_view> value) {
    auto index = indexAfter(key, "V");
    if (!index) return std::nullopt;
    if (*index < firstVariable_ || *index > 100) return "?";
    auto& variable = variables_[size_t(*index)];
    if (!value) return std::to_string(variable);
    auto number = parseInRange(*value, INT32_MIN, INT32_MAX);
    if (!number) return "?";
    variable = *number;
    return "OK";
}

ControllerModel::Reply ControllerModel::handleSlot(std::string_view key,
                                                   std::optional<std::string_view> value) {
    auto index = indexAfter(key, "SA");
    if (!index) return std::nullopt;
    const bool inside = *index < int64_t(slots_.size());
    // Reading past the last slot answers empty, so a reader stops there.
    if (!value) return inside ? slots_[size_t(*index)] : std::string();
    // A program line holds no line breaks or NULs: reading it back could not carry them.
    if (!inside || value->find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return "?";
    slots_[size_t(*index)] = std::string(*value);
    return "OK";
}

ControllerModel::Reply ControllerModel::handleDioTable(std::string_view key,
                                                       std::optional<std::string_view> value) {
    if (key.size() != 4 || !key.starts_with("MP")) return std::nullopt;
    const char row = key[2];
    const char field = key[3];
    const bool rowOk = (row >= '0' && row <= '9') || (row >= 'A' && row <= 'F');
    if (!rowOk || field < '0' || field > '4') return std::nullopt;
    const int r = row <= '9' ? row - '0' : row - 'A' + 10;
    auto& entry = dioTable_[size_t(r)][size_t(field - '0')];
    if (!value) return std::to_string(entry);
    auto number =
        field == '0' ? parseInRange(*value, 0, 22) : parseInRange(*value, INT32_MIN, INT32_MAX);
    if (!number) return "?";
    entry = int32_t(*number);
    return "OK";
}

bool ControllerModel::setInput(std::string_view key, std::string_view text) {
    const std::pair<std::string_view, bool*> inputs[] = {{"LIMIT+", &axis_.plusLimitInput},
                                                         {"LIMIT-", &axis_.minusLimitInput},
                                                         {"HOMEIN", &axis_.homeInputForced},
                                                         {"ZINDEX", &axis_.zIndexInput},
                                                         {"LATCHIN", &axis_.latchInput}};
    for (const auto& [name, input] : inputs) {
        if (key != name) continue;
        auto level = parseInRange(text, 0, 1);
        if (!level) return false;
        *input = *level == 1;
        checkSyncAndLatch(axis_.position());
        return true;
    }
    return false;
}

bool ControllerModel::setReadOnlyValue(std::string_view key, std::string_view text) {
    auto number = parseInRange(text, INT32_MIN, INT32_MAX);
    if (!number) return false;
    const std::pair<std::string_view, int*> values[] = {
        {"DI", &inputs_},     {"DO", &outputs_},     {"AI1", &analog_[0]},
        {"AI2", &analog_[1]}, {"LTS", &latchState_}, {"SYNS", &syncState_}};
    for (const auto& [name, value] : values) {
        if (key != name) continue;
        *value = int(*number);
        return true;
    }
    const std::pair<std::string_view, int> threads[] = {
        {"SASTAT", 0}, {"SASTAT0", 0}, {"SASTAT1", 1}, {"SPC", 0}, {"SPC0", 0}, {"SPC1", 1}};
    for (const auto& [name, thread] : threads) {
        if (key != name) continue;
        if (name.starts_with("SASTAT"))
            interpreter_.showState(thread, int(*number));
        else
            counterOverride_[size_t(thread)] = *number;
        return true;
    }
    if (key == "BAUD" && baudCodeForRate(int(*number))) {
        activeBaudCode_ = pendingBaudCode_ = baudCodeForRate(int(*number));
        return true;
    }
    return false;
}

bool ControllerModel::setState(std::string_view assignment) {
    advanceTime();
    const auto equals = assignment.find('=');
    if (equals == std::string_view::npos) return false;
    const std::string key = upper(assignment.substr(0, equals));
    const std::string_view text = assignment.substr(equals + 1);
    if (key == "ID") {
        if (!isTwoDigitId(text)) return false;
        activeId_ = pendingId_ = std::string(text);
        return true;
    }
    if (setInput(key, text) || setReadOnlyValue(key, text)) return true;
    // Everything else is a command the controller accepts anyway (HSPD=, V7=, SA0=, MP30=...).
    return run(assignment) == "OK";
}

void ControllerModel::powerCycle() {
    parameters_ = stored_.parameters;
    dioTable_ = stored_.dioTable;
    for (size_t n = 0; n < variables_.size(); ++n)
        variables_[n] = n <= 50 ? 0 : stored_.variables[n];
    activeId_ = pendingId_ = stored_.id;
    activeBaudCode_ = pendingBaudCode_ = stored_.baudCode;
    const Axis before = axis_;
    axis_ = Axis{};
    axis_.plusLimitInput = before.plusLimitInput;
    axis_.minusLimitInput = before.minusLimitInput;
    axis_.latchInput = before.latchInput;
    incremental_ = false;
    latchState_ = syncState_ = 0;
    joystick_ = false;
    outputs_ = int32_t(number("DOBOOT"));
    otherAxes_ = {};
    interpreter_.stopAll();
    counterOverride_ = {-1, -1};
    const int64_t autoRun = number("SLOAD");
    for (int t = 0; t < ProgramInterpreter::kThreads; ++t)
        if ((autoRun >> t) & 1) interpreter_.run(t, slots_);
    lastUs_ = nowUs_();
}

} // namespace simulator
