#include "motionctl/inputs.h"

#include "motionctl/command.h"

#include "common/atomic_file.h"
#include "common/controller_models.h"
#include "common/textfile.h"
#include "jobfiles/compiled_program.h"
#include "jobfiles/program_file.h"
#include "progsmith/compiler/compile_phases.h"
#include "progsmith/compiler/model_tables.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace motionctl {

namespace {

// A compiled file holds at most a few dozen kilobytes; a larger one is no compiled program.
constexpr long long kLargestCompiledFileBytes = 1 << 20;

std::string knownModels() {
    std::string list;
    for (const common::ControllerModel& model : common::kControllerModels)
        list += (list.empty() ? "" : ", ") + std::string(model.code);
    return list;
}

// Compiled lines are upper-case letters, digits and the signs & $ -, without blanks: a line with
// a blank or a lower-case letter is program text, and an empty line would end the program there.
std::optional<std::string> compiledLineProblem(const std::string& line) {
    if (line.empty())
        return std::string("an empty line before the end: the program would stop there.");
    for (unsigned char c : line)
        if (c <= ' ' || c > '~' || (c >= 'a' && c <= 'z'))
            return "\"" + printable(line) +
                   "\" is no compiled line (program text is compiled when its name ends in .prg).";
    return std::nullopt;
}

} // namespace

std::string printable(const std::string& text) {
    std::string shown;
    for (unsigned char c : text) {
        if (c >= ' ' && c <= '~') {
            shown.push_back(char(c));
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
        shown += escaped;
    }
    return shown;
}

bool isPrintable(const std::string& text) {
    for (unsigned char c : text)
        if (c < ' ' || c > '~') return false;
    return true;
}

void addModelOption(QCommandLineParser& parser) {
    parser.addOption(
        {"model",
         "The controller model (default KT-210): " + QString::fromStdString(knownModels()) + ".",
         "M"});
}

void addOutputOption(QCommandLineParser& parser, const char* what) {
    parser.addOption(
        {{"o", "output"}, QString("Write %1 to OUT (default: standard output).").arg(what), "OUT"});
}

std::string modelOption(const QCommandLineParser& parser, Output& out) {
    if (!parser.isSet("model")) return "KT-210";
    const std::string code = parser.value("model").toStdString();
    if (!common::findControllerModel(code))
        throw Stop{
            out.usage("there is no model \"" + code + "\"; the models are " + knownModels() + ".")};
    return code;
}

const progsmith::ModelInfo* compilerModel(const std::string& code) {
    return progsmith::findModel(code);
}

int slotCount(const std::string& code) {
    const auto* model = common::findControllerModel(code);
    return model ? model->slotCount : 0;
}

std::string onlyArgument(const QCommandLineParser& parser, Output& out, const char* what) {
    const QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty()) throw Stop{out.usage(std::string("name the ") + what + ".")};
    if (arguments.size() > 1)
        throw Stop{out.usage("unexpected argument \"" + arguments[1].toStdString() + "\".")};
    return arguments[0].toStdString();
}

bool isProgramText(const std::string& path) {
    if (path.size() < 4) return false;
    return strcasecmp(path.c_str() + path.size() - 4, ".prg") == 0;
}

std::vector<std::string> readTextLines(const std::string& path, long long maxBytes,
                                       const std::string& kind, Output& out) {
    common::ChosenText file = common::readChosenTextFile(path, maxBytes, kind);
    if (!file.ok()) throw Stop{out.fail(kFileFailure, file.problem)};
    return std::move(file.lines);
}

ProgramLines readProgram(const std::string& path, const std::string& model, Output& out) {
    ProgramLines program;
    if (isProgramText(path)) {
        const auto text = jobfiles::programText(
            readTextLines(path, jobfiles::kLargestProgramFileBytes, "program", out));
        progsmith::CompileOutcome outcome = progsmith::compileProgram(text, compilerModel(model));
        if (outcome.error) {
            const auto& error = *outcome.error;
            const std::string where =
                error.selectsLine ? path + ":" + std::to_string(error.line) : path;
            throw Stop{out.fail(kFailed, where + ": " + error.message)};
        }
        if (outcome.lines.size() > size_t(slotCount(model)))
            throw Stop{out.fail(kFailed, path + ": the program compiles to " +
                                             std::to_string(outcome.lines.size()) + " lines; the " +
                                             model + " has " + std::to_string(slotCount(model)) +
                                             " program slots.")};
        program.lines = std::move(outcome.lines);
        program.sourceLines = std::move(outcome.sourceLines);
        program.compiledHere = true;
        return program;
    }
    const common::ChosenFile file = common::readChosenFile(path, kLargestCompiledFileBytes);
    if (file.status != common::ChosenFile::Status::Ok)
        throw Stop{
            out.fail(kFileFailure, common::chosenFileProblem(file, path, "compiled program"))};
    std::istringstream in(file.bytes);
    jobfiles::CompiledProgram compiled =
        jobfiles::readCompiledProgram(in, path, size_t(slotCount(model)));
    if (!compiled.ok) throw Stop{out.fail(kFileFailure, path + ": " + compiled.errorText)};
    if (!compiled.lines.empty() && (compiled.lines.front().find("FAILED") != std::string::npos ||
                                    compiled.lines.front().find("Failed") != std::string::npos))
        throw Stop{out.fail(kFileFailure, path + " holds no program: it reports \"" +
                                              compiled.lines.front() + "\".")};
    if (compiled.lines.size() > size_t(slotCount(model)))
        throw Stop{out.fail(kFileFailure, path + " has more compiled lines than the " + model +
                                              " has program slots (" +
                                              std::to_string(slotCount(model)) + ").")};
    for (size_t i = 0; i < compiled.lines.size(); ++i)
        if (const auto problem = compiledLineProblem(compiled.lines[i]))
            throw Stop{
                out.fail(kFileFailure, path + ":" + std::to_string(i + 1) + ": " + *problem)};
    program.lines = std::move(compiled.lines);
    return program;
}

std::string perIdPath(const std::string& path, const std::string& id, bool severalIds) {
    if (!severalIds) return path;
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    const bool extension =
        dot != std::string::npos && dot > 0 && (slash == std::string::npos || dot > slash + 1);
    if (!extension) return path + "-" + id;
    return path.substr(0, dot) + "-" + id + path.substr(dot);
}

QJsonArray jsonLines(const std::vector<std::string>& lines) {
    QJsonArray array;
    for (const std::string& line : lines)
        array.append(jsonText(line));
    return array;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// A regular file (or a link to one) is replaced through a temporary file and a rename, so it is
// never half-written; a link stays a link. A device or a pipe (/dev/stdout, a FIFO) is written
// straight into.
void writeFile(const std::string& path, const std::string& bytes, Output& out) {
    const auto failed = [&](int error) {
        return Stop{out.fail(
            kFileFailure, "File " + path + " could not be written: " + std::strerror(error) + ".")};
    };
    struct stat entry {};
    std::string target = path;
    if (::lstat(path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode)) {
        char* resolved = ::realpath(path.c_str(), nullptr);
        if (!resolved) throw failed(errno);
        target = resolved;
        std::free(resolved);
    }
    if (::stat(target.c_str(), &entry) == 0 && !S_ISREG(entry.st_mode)) {
        if (S_ISDIR(entry.st_mode))
            throw Stop{out.fail(kFileFailure, "File " + path + " is a folder.")};
        const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) throw failed(errno);
        std::size_t written = 0;
        while (written < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
            if (n < 0) {
                const int error = errno;
                ::close(fd);
                throw failed(error);
            }
            written += std::size_t(n);
        }
        ::close(fd);
        return;
    }
    if (const int error = common::replaceFile(target, bytes); error != 0) throw failed(error);
}

void writeLines(const std::string& path, std::vector<std::string> lines, FileKind kind,
                Output& out) {
    if (kind == FileKind::Compiled) lines.emplace_back();
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    writeFile(path, bytes, out);
}

void writeResult(const QCommandLineParser& parser, const std::vector<std::string>& lines,
                 FileKind kind, Output& out) {
    if (parser.isSet("output"))
        writeLines(parser.value("output").toStdString(), lines, kind, out);
    else
        out.write(joinLines(lines));
}

} // namespace motionctl
