#pragma once
// Compiles program text for tests: lines are joined with CR LF.

#include "progsmith/compiler/compile_phases.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace progsmith::testing {

inline std::string program(std::initializer_list<std::string> lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

inline CompileOutcome compile(std::initializer_list<std::string> lines,
                              const char* model = "KT-210") {
    return compileProgram(program(lines), findModel(model));
}

// "Message @ line" for a failure, the compiled lines joined by blanks for a success.
inline std::string outcomeText(const CompileOutcome& outcome) {
    if (outcome.error) return outcome.error->message + " @ " + std::to_string(outcome.error->line);
    std::string text;
    for (const auto& line : outcome.lines)
        text += (text.empty() ? "" : " ") + line;
    return text;
}

} // namespace progsmith::testing
