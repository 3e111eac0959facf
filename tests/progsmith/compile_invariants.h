#pragma once
// What any compile outcome must satisfy, whatever the input: a known message, or lines that are
// single text lines naming codes the model has, with every jump landing where its block says.

#include "progsmith/compiler/compile_phases.h"

#include <set>
#include <string>

namespace progsmith::testing {

inline const std::set<std::string>& knownMessages() {
    static const std::set<std::string> messages{"Missing END!",
                                                "Extra SUB!",
                                                "Extra ENDSUB!",
                                                "Duplicate SUB!",
                                                "Duplicate PRG!",
                                                "Error!",
                                                "Error:Bit Error!",
                                                "Error:Token Error!",
                                                "Error =!",
                                                "Error not number or Var!",
                                                "Var Range Error!",
                                                "Error Token!",
                                                "Missing =",
                                                "Token Error!",
                                                "Error not number!",
                                                "Error GOSUB!",
                                                "Error PRG!",
                                                "Error PRG Number!",
                                                "Error SUB!",
                                                "Error SUB Number!",
                                                "Error ENDSUB!",
                                                "= Error!",
                                                "Error with :",
                                                "Unknown Error!",
                                                "Unknown Command!",
                                                "Assignment Error!",
                                                "Unknown Operation!",
                                                "Operation Argument Error!",
                                                "Mismatch LOOPWHILE!",
                                                "Unexpected END",
                                                "Unexpected ENDSUB!",
                                                "Unexpected SUB!",
                                                "Unexpected PRG!",
                                                "Mismatch WHILE!",
                                                "Missing ENDWHILE",
                                                "Mismatch IF!",
                                                "Missing ENDIF"};
    return messages;
}

// "" when the outcome is sound, otherwise what is wrong with it.
inline std::string invariantViolation(const CompileOutcome& outcome, int sourceLines) {
    if (outcome.error) {
        if (knownMessages().count(outcome.error->message) == 0)
            return "unknown message " + outcome.error->message;
        if (outcome.error->line < 0 || outcome.error->line > sourceLines + 1)
            return "line out of range: " + std::to_string(outcome.error->line);
        return {};
    }
    const auto& lines = outcome.lines;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty() || line.find_first_of("\r\n") != std::string::npos)
            return "malformed line " + std::to_string(i);
        if (line.starts_with("&$")) return "line without code " + std::to_string(i);
        // Where a jump lands: the line it names and the line before that.
        auto landing = [&](size_t from) -> std::optional<std::pair<std::string, std::string>> {
            const size_t dollar = line.find('$');
            const std::string distance =
                line.starts_with("JU") ? line.substr(dollar + 1) : line.substr(from);
            const long long target = static_cast<long long>(i) + std::stoll(distance);
            if (target < 0 || target > static_cast<long long>(lines.size())) return std::nullopt;
            const auto at = static_cast<size_t>(target);
            return std::pair{at < lines.size() ? lines[at] : std::string("(end)"),
                             at > 0 ? lines[at - 1] : std::string()};
        };
        const bool jump = line.starts_with("JR") || line.starts_with("JO") ||
                          line.starts_with("JM") || line.starts_with("JU");
        if (!jump) continue;
        const auto land = landing(2);
        if (!land) return "jump out of the program at " + std::to_string(i);
        const auto& [target, before] = *land;
        if (line.starts_with("JM") && !target.starts_with("JW"))
            return "ENDWHILE does not return to its WHILE at " + std::to_string(i);
        if (line.starts_with("JU") && target != "RP0")
            return "LOOPWHILE does not return to its REPEAT at " + std::to_string(i);
        if (line.starts_with("JO") && before != "EI0")
            return "ELSE does not end after ENDIF at " + std::to_string(i);
        if (line.starts_with("JR") && !(before == "EI0" || before.starts_with("JO") ||
                                        before.starts_with("JR") || before.starts_with("JM")))
            return "jump lands after no block line at " + std::to_string(i);
    }
    return {};
}

} // namespace progsmith::testing
