#include "simulator/virtual_run.h"

#include "simulator/decoded_program.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace simulator {

namespace {

// The clock moves a tick of the interpreter at a time: no statement is skipped however far a run
// goes, and the end of the programs is seen within the millisecond it happens in.
constexpr int64_t kStepUs = ProgramInterpreter::kTickUs;

} // namespace

std::optional<TimedInput> parseTimedInput(std::string_view text) {
    TimedInput input;
    const auto at = text.rfind('@');
    if (at != std::string_view::npos) {
        const std::string seconds(text.substr(at + 1));
        char* end = nullptr;
        const double value = std::strtod(seconds.c_str(), &end);
        if (seconds.empty() || end != seconds.c_str() + seconds.size() || !std::isfinite(value) ||
            value < 0 || value > 1e6)
            return std::nullopt;
        input.atUs = static_cast<int64_t>(std::llround(value * 1e6));
        text = text.substr(0, at);
    }
    const auto equals = text.find('=');
    if (equals == 0 || equals == std::string_view::npos || equals + 1 == text.size())
        return std::nullopt;
    input.assignment = std::string(text);
    return input;
}

VirtualRun::VirtualRun(ControllerConfig config) : config_(std::move(config)) {
    fresh();
}

VirtualRun::~VirtualRun() = default;

// A controller as it comes out of the box, its clock at 0, the slots loaded.
void VirtualRun::fresh() {
    nowUs_ = 0;
    passes_.fill(-1);
    controller_ = std::make_unique<ControllerModel>(config_);
    controller_->setTimeSource([this] { return nowUs_; });
    for (size_t i = 0; i < slots_.size(); ++i)
        controller_->setState("SA" + std::to_string(i) + "=" + slots_[i]);
}

int VirtualRun::sourceLine(int32_t slot) const {
    return slot >= 0 && size_t(slot) < sourceLines_.size() ? sourceLines_[size_t(slot)] : 0;
}

bool VirtualRun::load(const std::vector<std::string>& lines, std::string& error) {
    const size_t slots = size_t(controller_->model().lineLimit);
    if (lines.size() > slots) {
        error = "the program has " + std::to_string(lines.size()) + " compiled lines, the " +
                std::string(controller_->model().code) + " " + std::to_string(slots) +
                " program slots";
        return false;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty() || !controller_->setState("SA" + std::to_string(i) + "=" + lines[i])) {
            error = "slot " + std::to_string(i) + " does not take the compiled line \"" + lines[i] +
                    "\"";
            return false;
        }
    }
    slots_ = lines;
    log_.clear();
    checkpoints_.clear();
    dropped_ = 0;
    return true;
}

bool VirtualRun::apply(std::string_view assignment) {
    beginOperation();
    if (!setInput(assignment)) return false;
    endOperation({Operation::Input, 0, 0, std::string(assignment), {}}, nowUs_,
                 controller_->programs().statementsExecuted());
    return true;
}

bool VirtualRun::setInput(std::string_view assignment) {
    const auto equals = assignment.find('=');
    const std::string_view key = assignment.substr(0, equals);
    // One input bit: DI<n>.
    if (key.size() > 2 && (key[0] == 'D' || key[0] == 'd') && (key[1] == 'I' || key[1] == 'i')) {
        int bit = 0;
        const auto [end, error] = std::from_chars(key.data() + 2, key.data() + key.size(), bit);
        if (error != std::errc() || end != key.data() + key.size() || bit < 1 || bit > 31)
            return false;
        const std::string_view level = assignment.substr(equals + 1);
        if (level != "0" && level != "1") return false;
        const int32_t word = std::atoi(controller_->value("DI").c_str());
        const int32_t mask = int32_t(1u << (bit - 1));
        return controller_->setState("DI=" +
                                     std::to_string(level == "1" ? word | mask : word & ~mask));
    }
    return controller_->setState(assignment);
}

bool VirtualRun::programsRunning() const {
    for (int thread = 0; thread < ProgramInterpreter::kThreads; ++thread) {
        const int state = controller_->programs().state(thread);
        if (state == ProgramInterpreter::kRunning || state == ProgramInterpreter::kPaused)
            return true;
    }
    return false;
}

void VirtualRun::advanceTo(int64_t us) {
    while (nowUs_ < us) {
        nowUs_ = std::min(us, nowUs_ + kStepUs);
        controller_->advance();
        if (!programsRunning()) return;
    }
}

RunEnd VirtualRun::run(int64_t limitUs, std::vector<TimedInput> inputs,
                       std::function<void(int64_t us, std::string_view line)> trace) {
    std::stable_sort(inputs.begin(), inputs.end(),
                     [](const TimedInput& a, const TimedInput& b) { return a.atUs < b.atUs; });
    if (trace)
        controller_->setProgramTrace(
            [this, trace, startUs = controller_->programs().clockUs()](std::string_view line) {
                trace(controller_->programs().clockUs() - startUs, line);
            });
    const int64_t startUs = nowUs_;
    const uint64_t statementsBefore = controller_->programs().statementsExecuted();
    size_t next = 0;
    // Inputs of time 0 are there before the programs start.
    for (; next < inputs.size() && inputs[next].atUs == 0; ++next)
        setInput(inputs[next].assignment);
    startPrograms();

    while (programsRunning() && nowUs_ - startUs < limitUs) {
        const int64_t until = next < inputs.size()
                                  ? std::min(startUs + inputs[next].atUs, startUs + limitUs)
                                  : startUs + limitUs;
        advanceTo(until);
        for (; next < inputs.size() && startUs + inputs[next].atUs <= nowUs_; ++next)
            setInput(inputs[next].assignment);
    }
    if (trace) controller_->setProgramTrace({});

    RunEnd end;
    end.elapsedUs = nowUs_ - startUs;
    end.programsEnded = !programsRunning();
    for (int thread = 0; thread < ProgramInterpreter::kThreads; ++thread) {
        end.states[thread] = controller_->programs().state(thread);
        end.counters[thread] = controller_->programs().counter(thread);
    }
    end.statements = controller_->programs().statementsExecuted() - statementsBefore;
    return end;
}

// The programs the slots hold: a text of PRG 1 alone has no program 0 to start.
void VirtualRun::startPrograms() {
    const DecodedProgram decoded =
        decodeProgram(slots_, progsmith::findModel(controller_->model().code), 101);
    for (int thread = 0; thread < ProgramInterpreter::kThreads; ++thread)
        if (decoded.start(thread) >= 0) controller_->execute("SR" + std::to_string(thread) + "=1");
}

void VirtualRun::start() {
    beginOperation();
    const int64_t before = nowUs_;
    const uint64_t statements = controller_->programs().statementsExecuted();
    startPrograms();
    endOperation({Operation::Start, 0, 0, {}, {}}, before, statements);
}

namespace {

// What replaying costs, in about the time of one statement: a tick of the clock costs some
// thirty, an operation a few hundred. A checkpoint follows when replaying since the last one
// would cost some ten milliseconds; the copies held are at most kMostCheckpoints (some 15 KB
// each), so the history of a long run at full speed is its last thousand stretches.
int64_t replayCost(uint64_t statements, int64_t us, std::size_t operations) {
    return int64_t(statements) + us / ProgramInterpreter::kTickUs * 30 + 300 * int64_t(operations);
}
constexpr int64_t kCheckpointCost = 3'000'000;
constexpr std::size_t kMostCheckpoints = 1000;
// Also one every so many operations, so the log is dropped in small pieces.
constexpr std::size_t kOperationsPerCheckpoint = 2000;

} // namespace

// A copy of the controller as it is now, for going back to it.
VirtualRun::Checkpoint VirtualRun::checkpoint() const {
    Checkpoint taken{dropped_ + log_.size(), nowUs_, passes_,
                     std::make_unique<ControllerModel>(config_)};
    taken.controller->copyStateFrom(*controller_);
    taken.controller->releaseSlots();
    return taken;
}

// The first operation after a load or a restart keeps the controller as it was before it.
void VirtualRun::beginOperation() {
    if (!checkpoints_.empty()) return;
    checkpoints_.push_back(checkpoint());
    costSinceCheckpoint_ = 0;
}

// The operation goes into the log, a checkpoint after it when one is due; the log begins at
// the oldest checkpoint that leaves enough to undo, and at the oldest one kept.
void VirtualRun::endOperation(Operation operation, int64_t usBefore, uint64_t statementsBefore) {
    log_.push_back(std::move(operation));
    costSinceCheckpoint_ += replayCost(
        controller_->programs().statementsExecuted() - statementsBefore, nowUs_ - usBefore, 1);
    if (costSinceCheckpoint_ >= kCheckpointCost ||
        dropped_ + log_.size() - checkpoints_.back().at >= kOperationsPerCheckpoint) {
        checkpoints_.push_back(checkpoint());
        costSinceCheckpoint_ = 0;
    }
    while (checkpoints_.size() > 1 &&
           (dropped_ + log_.size() - checkpoints_[1].at >= kKeptOperations ||
            checkpoints_.size() > kMostCheckpoints)) {
        log_.erase(log_.begin(), log_.begin() + std::ptrdiff_t(checkpoints_[1].at - dropped_));
        dropped_ = checkpoints_[1].at;
        checkpoints_.pop_front();
    }
}

Halt VirtualRun::halted(Halt halt) const {
    halt.ended = !programsRunning();
    return halt;
}

Halt VirtualRun::runFor(int64_t us) {
    beginOperation();
    const int64_t before = nowUs_;
    const uint64_t statements = controller_->programs().statementsExecuted();
    Halt halt = doRunFor(us, *breakpoints_);
    // What is replayed is the time the run really took, up to its halt.
    endOperation({Operation::RunFor, nowUs_ - before, 0, {}, breakpoints_}, before, statements);
    return halt;
}

// Time passes a tick at a time until it is up, no program runs any more, a thread comes to a
// breakpoint line (both threads stop where they are) or a thread faults (at the end of that
// tick). A thread goes past a breakpoint only where it has leave to (passes_).
Halt VirtualRun::doRunFor(int64_t us, const std::set<int>& breakpoints) {
    Halt halt;
    const int64_t until = nowUs_ + us;
    std::array<bool, ProgramInterpreter::kThreads> faulted{};
    for (int thread = 0; thread < ProgramInterpreter::kThreads; ++thread)
        faulted[size_t(thread)] = state(thread) == ProgramInterpreter::kErrored;
    if (!breakpoints.empty())
        controller_->setProgramWatch([&](int thread, int32_t slot) {
            if (halt.breakpoint) return true;
            int32_t& pass = passes_[size_t(thread)];
            if (pass == slot) {
                pass = -1;
                return false;
            }
            pass = -1;
            const int line = sourceLine(slot);
            if (line == 0 || breakpoints.count(line) == 0) return false;
            halt.breakpoint = true;
            halt.thread = thread;
            halt.line = line;
            pass = slot;
            return true;
        });
    while (nowUs_ < until && programsRunning() && !halt.breakpoint && !halt.fault) {
        nowUs_ = std::min(until, nowUs_ + ProgramInterpreter::kTickUs);
        controller_->advance();
        for (int thread = 0; thread < ProgramInterpreter::kThreads && !halt.fault; ++thread) {
            if (faulted[size_t(thread)] || state(thread) != ProgramInterpreter::kErrored) continue;
            halt.fault = true;
            halt.thread = thread;
            halt.line = sourceLine(counter(thread));
        }
    }
    if (breakpoints.empty()) {
        // Nobody watched: a thread that moved on has used its leave.
        for (int thread = 0; thread < ProgramInterpreter::kThreads; ++thread)
            if (counter(thread) != passes_[size_t(thread)]) passes_[size_t(thread)] = -1;
    } else {
        controller_->setProgramWatch({});
    }
    return halted(halt);
}

Halt VirtualRun::step(int thread) {
    beginOperation();
    const int64_t before = nowUs_;
    const uint64_t statements = controller_->programs().statementsExecuted();
    const Halt halt = doStep(thread);
    endOperation({Operation::Step, 0, thread, {}, {}}, before, statements);
    return halt;
}

// One source statement: the slots the thread runs on the line it starts on (a statement that
// compiles to several slots is one step), up to the first slot of another line. The other thread
// waits meanwhile. A thread that waits (DELAY, WAITX, an input) lets time pass, up to a minute.
Halt VirtualRun::doStep(int thread) {
    Halt halt;
    bool ran = false, done = false;
    int line = 0;
    long long slots = 0;
    controller_->setProgramWatch([&](int th, int32_t slot) {
        if (th != thread || done) return true;
        const int here = sourceLine(slot);
        if (!ran) {
            ran = true;
            line = here;
        } else if (here != line || here == 0 || ++slots > 10000) {
            done = true;
            return true;
        }
        return false;
    });
    constexpr int64_t kLongestWaitUs = 60'000'000;
    const int64_t started = nowUs_;
    const auto alive = [&] {
        const int s = state(thread);
        return s == ProgramInterpreter::kRunning || s == ProgramInterpreter::kPaused;
    };
    while (!done && alive() && nowUs_ - started < kLongestWaitUs) {
        nowUs_ += ProgramInterpreter::kTickUs;
        controller_->advance();
        if (ran && !alive()) break;
    }
    controller_->setProgramWatch({});
    halt.stillWaiting = !done && alive();
    halt.thread = thread;
    halt.line = sourceLine(counter(thread));
    // The thread stands on its next statement: a run goes on from there past a breakpoint.
    if (alive()) passes_[size_t(thread)] = counter(thread);
    return halted(halt);
}

// The programs started afresh; there is nothing to undo before that.
void VirtualRun::restart() {
    log_.clear();
    checkpoints_.clear();
    dropped_ = 0;
    fresh();
    startPrograms();
}

void VirtualRun::replay(const Operation& operation) {
    switch (operation.kind) {
    case Operation::Start:
        startPrograms();
        break;
    case Operation::RunFor:
        doRunFor(operation.us, *operation.breakpoints);
        break;
    case Operation::Step:
        doStep(operation.thread);
        break;
    case Operation::Input:
        setInput(operation.assignment);
        break;
    }
}

// Back to the last checkpoint before the last operation, and what came after it again.
bool VirtualRun::stepBack() {
    if (log_.empty()) return false;
    const std::size_t target = dropped_ + log_.size() - 1;
    while (checkpoints_.back().at > target)
        checkpoints_.pop_back();
    const Checkpoint& from = checkpoints_.back();
    controller_->copyStateFrom(*from.controller);
    nowUs_ = from.nowUs;
    passes_ = from.passes;
    const uint64_t statements = controller_->programs().statementsExecuted();
    for (std::size_t i = from.at; i < target; ++i)
        replay(log_[i - dropped_]);
    log_.pop_back();
    costSinceCheckpoint_ = replayCost(controller_->programs().statementsExecuted() - statements,
                                      nowUs_ - from.nowUs, target - from.at);
    return true;
}

void VirtualRun::setBreakpoint(int line, bool on) {
    auto changed = std::make_shared<std::set<int>>(*breakpoints_);
    if (on)
        changed->insert(line);
    else
        changed->erase(line);
    breakpoints_ = std::move(changed);
}

} // namespace simulator
