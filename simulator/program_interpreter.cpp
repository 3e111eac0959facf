#include "simulator/program_interpreter.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace simulator {
namespace {

constexpr std::array<progsmith::Form, 4> kMoveForms{progsmith::Form::MoveX, progsmith::Form::MoveY,
                                                    progsmith::Form::MoveZ, progsmith::Form::MoveU};

bool holds(uint8_t comparison, int32_t left, int32_t right) {
    switch (Comparison(comparison)) {
    case Comparison::Greater:
        return left > right;
    case Comparison::Less:
        return left < right;
    case Comparison::Equal:
        return left == right;
    case Comparison::GreaterOrEqual:
        return left >= right;
    case Comparison::LessOrEqual:
        return left <= right;
    case Comparison::NotEqual:
        return left != right;
    }
    return false;
}

int32_t wrap(int64_t value) {
    return int32_t(uint32_t(uint64_t(value)));
}

int32_t shiftRight(int32_t value, int32_t count) {
    if (count < 0 || count > 31) return value < 0 ? -1 : 0;
    return value >> count;
}

int32_t shiftLeft(int32_t value, int32_t count) {
    if (count < 0 || count > 31) return 0;
    return int32_t(uint32_t(value) << count);
}

// The slot's text as one trace line can hold it: bytes outside printable ASCII as \xNN.
std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c >= 32 && c < 127 && c != '\\') {
            out.push_back(char(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return out;
}

const std::string kTooDeep =
    "GOSUB deeper than " + std::to_string(ProgramInterpreter::kCallDepth) + " calls";

bool changesVariable(Op op) {
    return op >= Op::Assign && op <= Op::Not;
}

} // namespace

ProgramInterpreter::ProgramInterpreter(const progsmith::ModelInfo* model, ProgramDevice& device,
                                       std::span<int32_t> variables)
    : model_(model), device_(device), variables_(variables) {}

bool ProgramInterpreter::Thread::running() const {
    return state == kRunning && program;
}

void ProgramInterpreter::run(int thread, const std::vector<std::string>& slots) {
    if (thread < 0 || thread >= kThreads || threads_[size_t(thread)].running()) return;
    auto program = std::make_shared<const DecodedProgram>(
        decodeProgram(slots, model_, int(variables_.size())));
    start(thread, std::move(program));
}

void ProgramInterpreter::start(int thread, std::shared_ptr<const DecodedProgram> program) {
    Thread& t = threads_[size_t(thread)];
    t = Thread{};
    faults_[size_t(thread)].clear();
    t.program = std::move(program);
    const int32_t start = t.program->start(thread);
    if (start < 0) {
        t.state = kErrored;
        faults_[size_t(thread)] = "the slots hold no program " + std::to_string(thread);
        if (trace_)
            trace_(std::to_string(thread) + " - fault: the slots hold no program " +
                   std::to_string(thread));
        return;
    }
    t.pc = start;
    t.state = kRunning;
}

void ProgramInterpreter::stop(int thread) {
    if (thread >= 0 && thread < kThreads) threads_[size_t(thread)] = Thread{};
}

void ProgramInterpreter::stopAll() {
    for (int i = 0; i < kThreads; ++i)
        stop(i);
    timerEndUs_ = clockUs_;
}

void ProgramInterpreter::pause(int thread) {
    if (thread < 0 || thread >= kThreads) return;
    Thread& t = threads_[size_t(thread)];
    if (t.state == kRunning) t.state = kPaused;
}

void ProgramInterpreter::resume(int thread) {
    if (thread < 0 || thread >= kThreads) return;
    Thread& t = threads_[size_t(thread)];
    if (t.state == kPaused) t.state = kRunning;
}

void ProgramInterpreter::showState(int thread, int state) {
    if (thread < 0 || thread >= kThreads) return;
    threads_[size_t(thread)] = Thread{};
    threads_[size_t(thread)].state = state;
}

int ProgramInterpreter::state(int thread) const {
    return thread >= 0 && thread < kThreads ? threads_[size_t(thread)].state : kIdle;
}

int32_t ProgramInterpreter::counter(int thread) const {
    if (thread < 0 || thread >= kThreads) return 0;
    const Thread& t = threads_[size_t(thread)];
    return t.state == kIdle ? 0 : t.pc;
}

int32_t ProgramInterpreter::timer() const {
    const int64_t left = std::max<int64_t>(0, timerEndUs_ - clockUs_);
    return int32_t(std::min<int64_t>(INT32_MAX, (left + 999) / 1000));
}

void ProgramInterpreter::copyStateFrom(const ProgramInterpreter& other) {
    threads_ = other.threads_;
    clockUs_ = other.clockUs_;
    timerEndUs_ = other.timerEndUs_;
    credit_ = other.credit_;
    statements_ = other.statements_;
    faults_ = other.faults_;
}

void ProgramInterpreter::setWatch(std::function<bool(int, int32_t)> watch) {
    watch_ = std::move(watch);
}

void ProgramInterpreter::setTrace(std::function<void(std::string_view)> sink) {
    trace_ = std::move(sink);
}

bool ProgramInterpreter::anyRunning() const {
    return std::any_of(threads_.begin(), threads_.end(),
                       [](const Thread& t) { return t.running(); });
}

void ProgramInterpreter::passTime(int64_t us, const std::function<void(int64_t)>& world) {
    world(us);
    clockUs_ += us;
}

void ProgramInterpreter::advance(int64_t elapsedUs, const std::function<void(int64_t)>& world) {
    if (elapsedUs <= 0) return;
    if (!anyRunning()) return passTime(elapsedUs, world);
    if (elapsedUs > kCatchUpUs) {
        passTime(elapsedUs - kCatchUpUs, world);
        elapsedUs = kCatchUpUs;
    }
    while (elapsedUs > 0 && anyRunning()) {
        const int64_t step = std::min(elapsedUs, kTickUs);
        passTime(step, world);
        elapsedUs -= step;
        credit_ += step * kStatementsPerMs;
        const int64_t budget = credit_ / 1000;
        credit_ %= 1000;
        for (int i = 0; i < kThreads; ++i) {
            Thread& t = threads_[size_t(i)];
            if (!t.running() || stillWaiting(t)) continue;
            if (trace_ || watch_)
                execute<true>(i, budget);
            else
                execute<false>(i, budget);
        }
    }
    if (elapsedUs > 0) passTime(elapsedUs, world);
}

bool ProgramInterpreter::stillWaiting(Thread& t) {
    switch (t.wait) {
    case Wait::None:
        return false;
    case Wait::Delay:
        if (clockUs_ < t.wakeUs) return true;
        break;
    case Wait::Axis:
        if (device_.axisBusy(t.program->code[size_t(t.pc)].detail)) return true;
        break;
    }
    t.wait = Wait::None;
    t.pc = t.program->code[size_t(t.pc)].next;
    return false;
}

int32_t ProgramInterpreter::load(const Thread& t, const Operand& operand) {
    switch (operand.kind) {
    case Operand::Kind::Constant:
        return operand.value;
    case Operand::Kind::Variable:
        return variables_[size_t(operand.value)];
    case Operand::Kind::Device:
        return device_.read(t.program->reads[size_t(operand.value)]);
    case Operand::Kind::Timer:
        return timer();
    }
    return 0;
}

template <bool kTrace> void ProgramInterpreter::execute(int index, int64_t budget) {
    Thread& t = threads_[size_t(index)];
    // Held here: an SR<n>= of the thread's own can stop it and drop its program.
    const std::shared_ptr<const DecodedProgram> held = t.program;
    const DecodedProgram& program = *held;
    const Instruction* code = program.code.data();
    int32_t* v = variables_.data();
    int32_t pc = t.pc;
    int64_t executed = 0;
    std::string_view fault;
    bool leave = false;
    while (executed < budget && !leave) {
        if constexpr (kTrace) {
            if (watch_ && watch_(index, pc)) break;
        }
        const int32_t slot = pc;
        const Instruction& in = code[slot];
        pc = in.next;
        ++executed;
        switch (in.op) {
        case Op::Skip:
            break;
        case Op::Assign:
            v[in.destination] = load(t, in.a);
            break;
        case Op::Add:
            v[in.destination] = wrap(int64_t(load(t, in.a)) + load(t, in.b));
            break;
        case Op::Subtract:
            v[in.destination] = wrap(int64_t(load(t, in.a)) - load(t, in.b));
            break;
        case Op::Multiply:
            v[in.destination] = wrap(int64_t(load(t, in.a)) * load(t, in.b));
            break;
        case Op::Divide:
        case Op::Remainder: {
            const int32_t right = load(t, in.b);
            const int32_t left = load(t, in.a);
            if (right == 0) {
                fault = "division by zero";
                break;
            }
            // INT32_MIN / -1 does not fit: it wraps, as every other result does.
            const int64_t result =
                in.op == Op::Divide ? int64_t(left) / right : int64_t(left) % right;
            v[in.destination] = wrap(result);
            break;
        }
        case Op::ShiftRight:
            v[in.destination] = shiftRight(load(t, in.a), load(t, in.b));
            break;
        case Op::ShiftLeft:
            v[in.destination] = shiftLeft(load(t, in.a), load(t, in.b));
            break;
        case Op::BitAnd:
            v[in.destination] = load(t, in.a) & load(t, in.b);
            break;
        case Op::BitOr:
            v[in.destination] = load(t, in.a) | load(t, in.b);
            break;
        case Op::Not:
            v[in.destination] = ~load(t, in.a);
            break;
        case Op::JumpIf:
            if (holds(in.detail, load(t, in.a), load(t, in.b))) {
                if (in.target < 0) fault = "jump out of the program";
                pc = in.target;
            }
            break;
        case Op::Jump:
            pc = in.target;
            break;
        case Op::Call:
            if (t.depth == kCallDepth) {
                fault = kTooDeep;
                break;
            }
            t.returns[size_t(t.depth++)] = in.next;
            pc = in.target;
            break;
        case Op::Return:
            if (t.depth == 0) {
                fault = "ENDSUB without a GOSUB";
                break;
            }
            pc = t.returns[size_t(--t.depth)];
            break;
        case Op::End:
            t.state = kIdle;
            leave = true;
            break;
        case Op::Delay:
            if (in.a.value > 0) {
                t.wait = Wait::Delay;
                t.wakeUs = clockUs_ + int64_t(in.a.value) * 1000;
                pc = slot;
                leave = true;
            }
            break;
        case Op::SetTimer:
            timerEndUs_ = clockUs_ + std::max<int64_t>(0, in.a.value) * 1000;
            break;
        case Op::WaitAxis:
            if (device_.axisBusy(in.detail)) {
                t.wait = Wait::Axis;
                pc = slot;
                leave = true;
            }
            break;
        case Op::Instruction: {
            const DeviceAction& action = program.actions[size_t(in.index)];
            device_.perform(action.form, action.selector, load(t, action.value));
            break;
        }
        case Op::CoordinatedMove:
            for (const AxisTarget& target : program.moves[size_t(in.index)].targets)
                device_.perform(kMoveForms[size_t(target.axis)], 0, load(t, target.value));
            break;
        case Op::ProgramControl:
            control(in.detail, load(t, in.a));
            leave = t.state != kRunning || t.program.get() != &program;
            break;
        case Op::Fault:
            fault = program.faults[size_t(in.index)];
            break;
        }
        if (!fault.empty()) {
            t.pc = slot;
            raise(index, program, fault);
            statements_ += uint64_t(executed);
            return;
        }
        if (kTrace && trace_) {
            std::string suffix;
            if (changesVariable(in.op))
                suffix =
                    " V" + std::to_string(in.destination) + "=" + std::to_string(v[in.destination]);
            traceSlot(index, program, slot, suffix);
        }
    }
    // A thread restarted by its own SR<n>=1 already has its new counter.
    if (t.program.get() == &program) t.pc = pc;
    statements_ += uint64_t(executed);
}

void ProgramInterpreter::control(int thread, int32_t request) {
    if (thread < 0 || thread >= kThreads) return;
    switch (request) {
    case 0:
        stop(thread);
        break;
    case 1:
        // The other program starts from the same program memory, already decoded.
        for (const Thread& t : threads_)
            if (t.running() && !threads_[size_t(thread)].running()) {
                start(thread, t.program);
                break;
            }
        break;
    case 2:
        pause(thread);
        break;
    case 3:
        resume(thread);
        break;
    default:
        break;
    }
}

void ProgramInterpreter::raise(int index, const DecodedProgram& program, std::string_view reason) {
    Thread& t = threads_[size_t(index)];
    t.state = kErrored;
    t.wait = Wait::None;
    faults_[size_t(index)] = std::string(reason);
    if (trace_) traceSlot(index, program, t.pc, " fault: " + std::string(reason));
}

void ProgramInterpreter::traceSlot(int index, const DecodedProgram& program, int32_t slot,
                                   std::string_view suffix) {
    const auto& lines = program.lines;
    std::string text = std::to_string(index) + " " + std::to_string(slot) + " ";
    text += size_t(slot) < lines.size() ? printable(lines[size_t(slot)]) : "(end of program)";
    text += suffix;
    trace_(text);
}

template void ProgramInterpreter::execute<true>(int, int64_t);
template void ProgramInterpreter::execute<false>(int, int64_t);

} // namespace simulator
