#pragma once
// Values in program text: variables, numbers and the device quantities a program can read,
// and their operand lines.

#include "progsmith/compiler/model_tables.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace progsmith {

// A variable number larger than any 32-bit number is reported as this value.
inline constexpr int64_t kVarTooLarge = int64_t{INT32_MAX} + 1;

// "V" followed by text holding at least one digit: the digits of the token, in order, form the
// number. -1 when the token is not a variable.
int64_t isVar(std::string_view token);

// Optional "-" and decimal digits, nothing else, within 32 bits ("007" is 7; "5X" is no number).
bool isNumber(std::string_view token);
std::optional<int32_t> numberValue(std::string_view token);

// A value of an instruction: a number, or a variable number that fits in 32 bits.
struct Value {
    bool isVariable = false;
    int32_t number = 0;
};
std::optional<Value> valueOf(std::string_view token);

int axisIndex(char letter); // X 0, Y 1, Z 2, U 3; -1 for any other character
int axesOf(const ModelInfo* model);

// Decimal code of `form` on the model, or "" when the model lacks it.
std::string codeText(const ModelInfo* model, Form form);
std::string instructionLine(const ModelInfo* model, Form form, int64_t operand);

// VR<n> for a variable, CV<k> for a number, "" for anything else.
std::string convertToken(std::string_view token);

// The one operand line a value token stands for (variable, number, position register, output,
// input or readable parameter, status word, device name), or "" when it is none of these.
std::string convertOperand(std::string_view token, const ModelInfo* model);

} // namespace progsmith
