// motionctl compile PROGRAM.prg [--model M] [-o OUT]
// motionctl decompile COMPILED [--model M] [-o OUT]

#include "motionctl/command.h"
#include "motionctl/inputs.h"

#include "common/textfile.h"
#include "progsmith/compiler/decompiler.h"
#include "progsmith/compiler/indent.h"

namespace motionctl {

namespace {

void compileOptions(QCommandLineParser& parser) {
    parser.addPositionalArgument("PROGRAM.prg", "The program text.");
    addModelOption(parser);
    addOutputOption(parser, "the compiled lines");
}

void decompileOptions(QCommandLineParser& parser) {
    parser.addPositionalArgument("COMPILED",
                                 "Compiled lines (CompileOut.txt, UploadOut.txt, .cpg).");
    addModelOption(parser);
    addOutputOption(parser, "the program text");
}

// With --json the lines go into the object, unless they went to a file.
void report(const QCommandLineParser& parser, const std::string& input, const std::string& model,
            const std::vector<std::string>& lines, FileKind kind, Output& out) {
    if (!out.json() || parser.isSet("output")) writeResult(parser, lines, kind, out);
    QJsonObject object{{"file", jsonText(input)},
                       {"model", QString::fromStdString(model)},
                       {"lines", qint64(lines.size())}};
    if (parser.isSet("output")) {
        object["output"] = parser.value("output");
    } else {
        object["text"] = jsonLines(lines);
    }
    out.object(object);
}

int compile(const QCommandLineParser& parser, Output& out) {
    const std::string model = modelOption(parser, out);
    const std::string path = onlyArgument(parser, out, "program file");
    if (!isProgramText(path))
        return out.usage(path + " is no program text: its name must end in .prg.");
    const ProgramLines program = readProgram(path, model, out);
    report(parser, path, model, program.lines, FileKind::Compiled, out);
    return kDone;
}

int decompile(const QCommandLineParser& parser, Output& out) {
    const std::string model = modelOption(parser, out);
    const std::string path = onlyArgument(parser, out, "compiled file");
    if (isProgramText(path))
        return out.usage(path + " is program text already; decompile reads compiled lines.");
    const ProgramLines program = readProgram(path, model, out);
    const std::string text = progsmith::AddSpacesToProg(
        progsmith::Decompiler(compilerModel(model)).DecompileProgram(program.lines));
    report(parser, path, model, common::splitLines(text), FileKind::Text, out);
    return kDone;
}

} // namespace

const Command kCompileCommand{
    "compile",
    "PROGRAM.prg [--model M] [-o OUT]",
    "compiled lines to OUT (default: standard output)",
    "Compiles the program text for the model. An error is reported as <file>:<line>: <message> "
    "and ends with exit code 1.",
    compileOptions,
    compile};

const Command kDecompileCommand{
    "decompile",
    "COMPILED [--model M] [-o OUT]",
    "indented program text",
    "Turns compiled lines back into program text, indented by its blocks.",
    decompileOptions,
    decompile};

} // namespace motionctl
