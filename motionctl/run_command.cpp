// motionctl run PROGRAM.prg|COMPILED --sim [--model M] [--seconds S] [--input DI3=1@0.5]
//               [--expect V1=10] [--trace FILE]

#include "motionctl/command.h"
#include "motionctl/inputs.h"

#include "common/numbers.h"
#include "controller/status_decoding.h"
#include "simulator/virtual_run.h"

#include <cmath>
#include <cstdio>

namespace motionctl {

namespace {

// A day of controller time is more than any check needs; the run is virtual, so even that is
// quick for a program that mostly waits.
constexpr double kLongestRunSeconds = 86400;
// Statements traced before the trace stops, so a tight loop cannot fill the disk.
constexpr int64_t kTraceLineLimit = 1'000'000;

void options(QCommandLineParser& parser) {
    parser.addPositionalArgument("PROGRAM",
                                 "Program text (.prg, compiled first) or compiled lines.");
    parser.addOption({"sim", "Run on the built-in simulated controller, in virtual time."});
    addModelOption(parser);
    parser.addOption({"seconds",
                      "Controller time to run for, unless both programs end first (default 10).",
                      "S"});
    parser.addOption({"input",
                      "An input at a controller time, NAME=VALUE@SECONDS: DI3=1@0.5, AI1=512@2, "
                      "LIMIT+=1@1 (repeatable).",
                      "NAME=VALUE@S"});
    parser.addOption({"expect",
                      "After the run, the controller must answer the query NAME with VALUE: "
                      "V1=10, PX=0, DO=1 (repeatable).",
                      "NAME=VALUE"});
    parser.addOption(
        {"trace", "Write every executed statement with its source line to FILE.", "FILE"});
}

struct Expectation {
    std::string name, expected, actual;
    bool ok = false;
};

bool sameValue(const std::string& expected, const std::string& actual) {
    const auto a = common::toWholeNumber(expected);
    const auto b = common::toWholeNumber(actual);
    if (a && b) return *a == *b;
    return expected == actual;
}

std::string stateText(int state) {
    return controller::programStatusText(state).value_or(std::to_string(state));
}

std::string seconds(int64_t us) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", double(us) / 1e6);
    return text;
}

// "<thread> <slot> <compiled line>..." with the controller time before it and the source line
// after the slot.
class Trace {
public:
    Trace(std::string file, const simulator::VirtualRun& run) : file_(std::move(file)), run_(run) {}

    void add(int64_t us, std::string_view line) {
        if (lines_ > kTraceLineLimit) return;
        if (lines_++ == kTraceLineLimit) {
            text_ += "trace stopped: the limit of " + std::to_string(kTraceLineLimit) +
                     " statements was reached\n";
            return;
        }
        const auto first = line.find(' ');
        const auto second = first == std::string_view::npos ? first : line.find(' ', first + 1);
        text_ += seconds(us) + " ";
        if (second == std::string_view::npos) {
            text_.append(line);
            text_ += '\n';
            return;
        }
        text_.append(line.substr(0, second));
        const int slot = std::atoi(std::string(line.substr(first + 1, second - first - 1)).c_str());
        if (const int source = run_.sourceLine(slot); source > 0)
            text_ += " " + file_ + ":" + std::to_string(source);
        text_.append(line.substr(second));
        text_ += '\n';
    }
    const std::string& text() const { return text_; }

private:
    std::string file_;
    const simulator::VirtualRun& run_;
    std::string text_;
    int64_t lines_ = 0;
};

int run(const QCommandLineParser& parser, Output& out) {
    if (!parser.isSet("sim"))
        return out.usage("run needs --sim: it runs the program on the built-in simulated "
                         "controller.");
    const std::string model = modelOption(parser, out);
    const std::string path = onlyArgument(parser, out, "program to run");
    double limit = 10;
    if (parser.isSet("seconds")) {
        bool ok = false;
        limit = parser.value("seconds").toDouble(&ok);
        if (!ok || !(limit > 0) || limit > kLongestRunSeconds)
            return out.usage("--seconds " + parser.value("seconds").toStdString() +
                             " is no time between 0 and 86400 seconds.");
    }
    simulator::ControllerConfig config;
    config.model = model;
    // What the options ask is checked on a controller of its own before the run.
    simulator::VirtualRun scratch(config);
    std::vector<simulator::TimedInput> inputs;
    for (const QString& text : parser.values("input")) {
        const auto input = simulator::parseTimedInput(text.toStdString());
        if (!input)
            return out.usage("--input " + text.toStdString() +
                             " is not NAME=VALUE or NAME=VALUE@SECONDS.");
        if (!scratch.apply(input->assignment))
            return out.usage("--input " + text.toStdString() +
                             ": the simulated controller does not take " + input->assignment + ".");
        inputs.push_back(*input);
    }
    std::vector<Expectation> expectations;
    for (const QString& text : parser.values("expect")) {
        const std::string assignment = text.toStdString();
        const auto equals = assignment.find('=');
        if (equals == 0 || equals == std::string::npos || equals + 1 == assignment.size())
            return out.usage("--expect " + assignment + " is not NAME=VALUE.");
        Expectation expectation{assignment.substr(0, equals), assignment.substr(equals + 1), {}};
        const std::string answer = scratch.value(expectation.name);
        if (answer.empty() || answer.front() == '?')
            return out.usage("--expect " + assignment +
                             ": the simulated controller answers no "
                             "query " +
                             expectation.name + ".");
        expectations.push_back(expectation);
    }

    const ProgramLines program = readProgram(path, model, out);
    simulator::VirtualRun sim(config);
    std::string error;
    if (!sim.load(program.lines, error)) return out.fail(kFileFailure, path + ": " + error);
    sim.setSourceLines(program.sourceLines);
    Trace trace(path, sim);
    std::function<void(int64_t, std::string_view)> sink;
    if (parser.isSet("trace"))
        sink = [&trace](int64_t us, std::string_view line) { trace.add(us, line); };
    const simulator::RunEnd end =
        sim.run(int64_t(std::llround(limit * 1e6)), inputs, std::move(sink));
    if (parser.isSet("trace")) writeFile(parser.value("trace").toStdString(), trace.text(), out);

    bool ok = true;
    QJsonArray programs;
    std::string summary = path + " on a simulated " + model + ": " + seconds(end.elapsedUs) +
                          " s of controller time, " + std::to_string(end.statements) +
                          " statements";
    for (int thread = 0; thread < 2; ++thread) {
        const int state = end.states[thread];
        QJsonObject shown{{"program", thread},
                          {"state", QString::fromStdString(stateText(state))},
                          {"slot", end.counters[thread]}};
        if (const int line = sim.sourceLine(end.counters[thread]); line > 0) shown["line"] = line;
        programs.append(shown);
        if (state == 4) {
            ok = false;
            std::string where = "slot " + std::to_string(end.counters[thread]);
            if (shown.contains("line"))
                where += " (" + path + ":" + std::to_string(shown["line"].toInt()) + ")";
            shown["fault"] = QString::fromStdString(sim.faultReason(thread));
            out.note(path + ": program " + std::to_string(thread) + " stopped with an error at " +
                     where + ": " + sim.faultReason(thread) + ".");
        }
        summary += "; program " + std::to_string(thread) + " " + stateText(state);
    }
    out.line(summary);
    QJsonArray checked;
    for (Expectation& expectation : expectations) {
        expectation.actual = sim.value(expectation.name);
        expectation.ok = sameValue(expectation.expected, expectation.actual);
        ok = ok && expectation.ok;
        checked.append(QJsonObject{{"name", jsonText(expectation.name)},
                                   {"expected", jsonText(expectation.expected)},
                                   {"actual", jsonText(expectation.actual)},
                                   {"ok", expectation.ok}});
        out.line((expectation.ok ? "ok      " : "FAILED  ") + expectation.name + " = " +
                 expectation.actual + (expectation.ok ? "" : ", expected " + expectation.expected));
    }
    out.object(QJsonObject{{"program", jsonText(path)},
                           {"model", QString::fromStdString(model)},
                           {"seconds", double(end.elapsedUs) / 1e6},
                           {"statements", qint64(end.statements)},
                           {"programs", programs},
                           {"expectations", checked},
                           {"ok", ok}});
    return ok ? kDone : kFailed;
}

} // namespace

const Command kRunCommand{
    "run",
    "PROGRAM.prg|COMPILED --sim [--model M] [--seconds S] [--input DI3=1@0.5] [--expect V1=10] "
    "[--trace FILE]",
    "run on the simulated controller in virtual time and check the result",
    "Runs program 0 (and program 1 when there is one) on a simulated controller of the model, "
    "in virtual time: as fast as the machine allows, for --seconds of controller time or until "
    "both programs have ended. Each --input is applied at its controller time; then each "
    "--expect is checked against the controller's answer to its query. Exit code 1 when an "
    "expectation fails or a program stops with an error.",
    options,
    run};

} // namespace motionctl
