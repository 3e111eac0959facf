#pragma once
// Turns compiled program lines, as read back from a controller, into program text.
//
// Work is line by line and local: a statement line is translated together with the operand
// lines directly before it (taken by position, whatever they are), jump distances are ignored,
// and operand lines themselves produce no text. Nothing is ever reported: unknown lines and codes
// give no text, unknown operand lines give empty operands, unknown comparison or operator digits
// give "?". Each statement is followed by CR LF; there is no indentation (see indent.h).

#include "progsmith/compiler/model_tables.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace progsmith {

// 1 ">", 2 "<", 3 "=", 4 ">=", 5 "<=", 6 "!="; anything else "?".
std::string DecodeComparison(std::string_view digit);
// 1 "+", 2 "-", 3 "*", 4 "/", 5 "%", 6 ">>", 7 "<<", 8 "&", 9 "|", 10 "~"; anything else "?".
std::string DecodeOperator(std::string_view digits);

// The line between "SUB"/"PRG" blocks, written before each of them.
inline constexpr std::string_view kBlockSeparator = ";*************************";

class Decompiler {
public:
    // `model` may be null (an unknown model name): then no device line has a code and only the
    // statement and structure lines produce text.
    explicit Decompiler(const ModelInfo* model);

    std::string DecompileProgram(const std::vector<std::string>& lines) const;

    // The program text of one operand line: "VR<n>" -> "V<n>", "CV<k>" -> "<k>", a device
    // quantity -> its name; anything else "".
    std::string DecodeOperand(std::string_view line) const;
    // Target lines of a coordinated move: "X".."U" and the value ("V<n>" for a variable), "?"
    // for any other line.
    std::string DecodeTargetAxis(std::string_view line) const;
    std::string DecodeTargetValue(std::string_view line) const;
    // Operand lines of arcs and circles: the value, "V<n>" for a variable, "?" otherwise.
    std::string DecodeArcOperand(std::string_view line) const;

private:
    // For each code 0..255, the first rule (in the order of comparison) that the model gives
    // that code, or kNoRule.
    static constexpr int16_t kNoRule = -1;
    using CodeIndex = std::array<int16_t, 256>;

    void decodeStatement(const std::vector<std::string>& lines, size_t i, std::string& out) const;
    void decodeInstruction(const std::vector<std::string>& lines, size_t i, std::string& out) const;
    std::string conditionText(const std::vector<std::string>& lines, size_t i) const;
    std::string coordinatedMoveText(const std::vector<std::string>& lines, size_t i,
                                    int32_t mask) const;

    const ModelInfo* model_;
    CodeIndex instructionByCode_;
    CodeIndex operandByCode_;
};

// Decompiles `lines` for the model of that name (any name; an unknown one knows no codes).
std::string DecompileProgram(std::string_view modelName, const std::vector<std::string>& lines);

} // namespace progsmith
