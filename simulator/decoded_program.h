#pragma once
// A program as the interpreter runs it: the compiled lines of the program slots, decoded once
// when a thread starts. Each slot becomes one instruction whose operands (the lines before it)
// are already read, whose jumps are already slot numbers and which names the slot that follows
// it. Operand lines and markers do nothing when the program passes them, so the slot numbers
// step over them. A slot that cannot run becomes a fault with its reason; the fault is raised
// only when the program gets there.
//
// The program is the slots before the first empty one. Instruction codes are the model's own,
// from the compiler's code tables. Where a model gives one code to several forms (KT-230), a
// line that a statement reads as its operand is the read, any other line the first
// instruction whose operand it is a valid one for (a bit 1..8, a variable the controller has),
// else the last one, which takes any value.

#include "progsmith/compiler/model_tables.h"

#include <cstdint>
#include <string>
#include <vector>

namespace simulator {

enum class Op : uint8_t {
    Skip,   // operand line or marker: never executed (the slot numbers step over it)
    Assign, // V[destination] = a
    Add,    // V[destination] = a <op> b, 32-bit two's complement
    Subtract,
    Multiply,
    Divide,     // by zero: fault
    Remainder,  // by zero: fault
    ShiftRight, // arithmetic; a count outside 0..31 shifts every bit out
    ShiftLeft,
    BitAnd,
    BitOr,
    Not,             // V[destination] = ~a
    JumpIf,          // to target when "a <detail> b" holds, else to next
    Jump,            // to target
    Call,            // push next, go to target
    Return,          // pop
    End,             // the thread ends (XX, or the end of the program)
    Delay,           // a milliseconds
    SetTimer,        // the TR register := a milliseconds
    WaitAxis,        // until axis `detail` stands still
    Instruction,     // device instruction actions[index]
    CoordinatedMove, // moves[index]
    ProgramControl,  // SR<n>=: thread `detail`, request a
    Fault,           // faults[index]
};

// Comparison digits of the jump lines: 1 >, 2 <, 3 =, 4 >=, 5 <=, 6 !=.
enum class Comparison : uint8_t { Greater = 1, Less, Equal, GreaterOrEqual, LessOrEqual, NotEqual };

struct Operand {
    enum class Kind : uint8_t { Constant, Variable, Device, Timer };
    Kind kind = Kind::Constant;
    int32_t value = 0; // the constant, the variable number, or an index into reads
};

// A device quantity that an operand line reads when the statement runs.
struct DeviceRead {
    progsmith::Form form;
    int32_t argument; // bit, channel or axis number; 0 where the quantity has none
};

// A device instruction with its operand unpacked: `selector` is the axis, bit or program
// number the instruction carries (0 where it carries none, 255 for all axes), `value` the
// value it sets (a variable for the "=V" forms).
struct DeviceAction {
    progsmith::Form form;
    int32_t selector;
    Operand value{};
};

struct AxisTarget {
    int axis; // 0 X, 1 Y, 2 Z, 3 U
    Operand value{};
};

struct MoveTargets {
    std::vector<AxisTarget> targets; // in program-text order
};

struct Instruction {
    Op op = Op::Fault;
    uint8_t detail = 0;      // comparison, axis or program number
    int32_t next = 0;        // the slot that follows
    int32_t target = -1;     // jump or call target; -1 when it lies outside the program
    int32_t destination = 0; // variable number
    Operand a{}, b{};
    int32_t index = 0; // into actions, moves or faults
};

struct DecodedProgram {
    // One instruction per slot of the program, and one End after it (falling off the end).
    std::vector<Instruction> code;
    std::vector<std::string> lines; // the slots' text, for the trace
    std::vector<DeviceRead> reads;
    std::vector<DeviceAction> actions;
    std::vector<MoveTargets> moves;
    std::vector<std::string> faults;
    // PRG lines: program number and the first slot to execute, in slot order.
    std::vector<std::pair<int32_t, int32_t>> programStarts;

    // The first slot to execute for program n, or -1 when the slots hold no program n. A
    // program without PRG lines is program 0 as a whole.
    int32_t start(int program) const;
};

// `variableCount` is the size of the controller's variable store (V0 .. variableCount - 1);
// a variable outside it or outside the model's range is a fault of the statement using it.
DecodedProgram decodeProgram(const std::vector<std::string>& slots,
                             const progsmith::ModelInfo* model, int variableCount);

} // namespace simulator
