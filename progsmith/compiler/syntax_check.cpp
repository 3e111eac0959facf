#include "progsmith/compiler/syntax_check.h"

#include "progsmith/compiler/operands.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace progsmith {

namespace {

constexpr std::string_view kOk = "OK";

bool startsWithAny(std::string_view text, std::initializer_list<std::string_view> prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](std::string_view prefix) { return text.starts_with(prefix); });
}

bool isAnyOf(std::string_view text, std::initializer_list<std::string_view> words) {
    return std::find(words.begin(), words.end(), text) != words.end();
}

// A number, or a variable the model has.
std::string_view numberOrVariable(std::string_view token, const ModelInfo* model) {
    const int64_t variable = isVar(token);
    if (variable >= 0) return isVarInRange(model, variable) ? kOk : "Var Range Error!";
    return isNumber(token) ? kOk : "Error not number or Var!";
}

std::string_view outputAssignment(const TokenRow& row, const ModelInfo* model) {
    const std::string& t1 = row.t(1);
    if (t1.size() != 2 && t1.size() != 3) return "Error!";
    if (t1.size() == 3 && (t1[2] < '1' || t1[2] > '8')) return "Error:Bit Error!";
    if (row.count != 3) return "Error:Token Error!";
    if (row.t(2) != "=") return "Error =!";
    return numberOrVariable(row.t(3), model);
}

std::string_view registerAssignment(const TokenRow& row, const ModelInfo* model) {
    if (row.count != 3) return "Error Token!";
    if (row.t(2) != "=") return "Error =!";
    return numberOrVariable(row.t(3), model);
}

std::string_view parameter(const TokenRow& row, const ModelInfo* model, bool variablesAllowed) {
    if (row.t(2) != "=") return "Missing =";
    if (row.count != 3) return "Token Error!";
    if (variablesAllowed) return numberOrVariable(row.t(3), model);
    return isNumber(row.t(3)) ? kOk : "Error not number!";
}

std::string_view homing(const TokenRow& row) {
    if (row.count != 2) return "Token Error!";
    const bool direction =
        isAnyOf(row.t(2), {"+", "-", "X+", "X-", "Y+", "Y-", "Z+", "Z-", "U+", "U-"});
    return direction ? kOk : "Error!";
}

std::string_view jog(const TokenRow& row) {
    if (row.count != 2) return "Token Error!";
    return isAnyOf(row.t(2), {"+", "-"}) ? kOk : "Error!";
}

std::string_view arcValues(std::string_view values, const ModelInfo* model) {
    size_t start = 0;
    while (true) {
        const size_t colon = values.find(':', start);
        const auto value =
            values.substr(start, colon == std::string_view::npos ? colon : colon - start);
        if (const auto verdict = numberOrVariable(value, model); verdict != kOk) return verdict;
        if (colon == std::string_view::npos) return kOk;
        start = colon + 1;
    }
}

std::string_view numbered(const TokenRow& row, std::string_view countError,
                          std::string_view numberError) {
    if (row.count != 2) return countError;
    return isNumber(row.t(2)) ? kOk : numberError;
}

std::string_view variableAssignment(const TokenRow& row, const ModelInfo* model) {
    if (!isVarInRange(model, isVar(row.t(1)))) return "Var Range Error!";
    if (row.t(2) != "=") return "= Error!";
    return row.count == 3 || row.count == 5 ? kOk : "Error!";
}

std::string_view checkStatement(const TokenRow& row, const ModelInfo* model) {
    const std::string& t1 = row.t(1);
    if (t1.starts_with("DO") || t1.starts_with("EO")) return outputAssignment(row, model);
    if (t1.size() >= 2 && (t1[0] == 'P' || t1[0] == 'E') && axisIndex(t1[1]) >= 0)
        return registerAssignment(row, model);
    // Conditions and axis moves are the assembler's to check: it knows their operands.
    if (isAnyOf(t1, {"IF", "ELSEIF", "WHILE", "LOOPWHILE"})) return kOk;

    if (t1 == "TOC" || startsWithAny(t1, {"TP", "HSPD", "LSPD", "ACC", "DEC", "SSPD", "SYNTIME",
                                          "SYNCFG", "SYNPOS", "JOY", "SCV", "DRV"}))
        return parameter(row, model, true);
    if (isAnyOf(t1, {"DELAY", "TR", "DN", "EDIO", "BDT"}) ||
        startsWithAny(t1, {"LT", "SR", "SL", "APAR", "CPAR", "KPAR"}))
        return parameter(row, model, false);
    if (isAnyOf(t1,
                {"WAITX",   "WAITY",   "WAITZ",   "WAITU",   "INC",   "ABS",   "ABORT", "ABORTX",
                 "ABORTY",  "ABORTZ",  "ABORTU",  "STOP",    "STOPX", "STOPY", "STOPZ", "STOPU",
                 "ECLEARX", "ECLEARY", "ECLEARZ", "ECLEARU", "STORE", "RW"}) ||
        startsWithAny(t1, {"SYNON", "SYNOFF"}))
        return row.count == 1 ? kOk : "Token Error!";

    if (startsWithAny(t1, {"HLHOME", "LHOME", "HOME", "ZHOME", "ZOME"})) return homing(row);
    if (isAnyOf(t1, {"JOGX", "JOGY", "JOGZ", "JOGU"})) return jog(row);
    if (t1.size() >= 4 && startsWithAny(t1, {"ARC", "CIR"}) && (t1[3] == 'P' || t1[3] == 'N'))
        return arcValues(std::string_view(t1).substr(4), model);

    if (t1 == "GOSUB") return numbered(row, "Error GOSUB!", "Error SUB Number!");
    if (t1 == "PRG") return numbered(row, "Error PRG!", "Error PRG Number!");
    if (t1 == "SUB") return numbered(row, "Error SUB!", "Error SUB Number!");
    if (t1 == "ENDSUB") return row.count == 1 ? kOk : "Error ENDSUB!";
    if (isAnyOf(t1, {"ELSE", "ENDWHILE", "ENDIF", "END", "REPEAT"}))
        return row.count == 1 ? kOk : "Error!";

    if (isVar(t1) >= 0) return variableAssignment(row, model);
    if (t1[0] == 'I') return std::count(t1.begin(), t1.end(), ':') == 3 ? kOk : "Error with :";
    if (axisIndex(t1[0]) >= 0) return kOk;
    return "Unknown Error!";
}

// SUB and PRG numbers must be unique. The pair reported is the first one a row-by-row
// comparison meets: the earliest row that has a later twin, reported at that twin.
std::optional<size_t> firstDuplicate(const TokenTable& table, std::string_view keyword) {
    std::unordered_map<int32_t, size_t> firstRowOf;
    std::optional<size_t> bestFirst, bestTwin;
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].t(1) != keyword) continue;
        const int32_t number = numberValue(table[i].t(2)).value_or(0);
        const auto [it, inserted] = firstRowOf.emplace(number, i);
        if (inserted) continue;
        // A first row's earliest twin is met first; an earlier first row wins.
        if (!bestFirst || it->second < *bestFirst) {
            bestFirst = it->second;
            bestTwin = i;
        }
    }
    return bestTwin;
}

} // namespace

std::string CheckProg(const TokenRow& row, const ModelInfo* model) {
    return std::string(checkStatement(row, model));
}

std::optional<PhaseError> CheckProgram(const TokenTable& table, const ModelInfo* model) {
    for (const auto& row : table) {
        std::string verdict = CheckProg(row, model);
        if (verdict != kOk) return PhaseError{std::move(verdict), row.line()};
    }

    const auto end = std::find_if(table.begin(), table.end(),
                                  [](const TokenRow& row) { return row.t(1) == "END"; });
    if (end == table.end()) return PhaseError{"Missing END!", 0, false};

    bool insideSub = false;
    for (auto row = end + 1; row != table.end(); ++row) {
        if (row->t(1) == "SUB") {
            if (insideSub) return PhaseError{"Extra SUB!", row->line()};
            insideSub = true;
        } else if (row->t(1) == "ENDSUB") {
            if (!insideSub) return PhaseError{"Extra ENDSUB!", row->line()};
            insideSub = false;
        }
    }

    if (const auto twin = firstDuplicate(table, "SUB"))
        return PhaseError{"Duplicate SUB!", table[*twin].line()};
    if (const auto twin = firstDuplicate(table, "PRG"))
        return PhaseError{"Duplicate PRG!", table[*twin].line()};
    return std::nullopt;
}

} // namespace progsmith
