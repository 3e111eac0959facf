#pragma once
// What several commands read and write: the model option, a program given as text (.prg) or as
// compiled lines, and an output file that is never left half-written.

#include "motionctl/output.h"

#include <QCommandLineParser>
#include <QJsonArray>

#include <string>
#include <vector>

namespace progsmith {
struct ModelInfo;
}

namespace motionctl {

// Thrown once the reason has been told: main() ends with code.
struct Stop {
    int code;
};

// Options that several commands share.
void addModelOption(QCommandLineParser& parser);
void addOutputOption(QCommandLineParser& parser, const char* what);

// The --model code, KT-210 when absent; a code that is none of the thirteen stops with a usage
// error that lists them.
std::string modelOption(const QCommandLineParser& parser, Output& out);
const progsmith::ModelInfo* compilerModel(const std::string& code);
// Program slots of a model.
int slotCount(const std::string& code);

// The one positional argument, or a usage error naming what is missing or extra.
std::string onlyArgument(const QCommandLineParser& parser, Output& out, const char* what);

struct ProgramLines {
    std::vector<std::string> lines;
    // The source line of each compiled line, when the program was compiled from its text.
    std::vector<int> sourceLines;
    bool compiledHere = false;
};

// A name ending in .prg (any case) is program text and is compiled for the model: an error stops
// with "<file>:<line>: <message>" and code 1. Any other file is compiled lines (a CompileOut.txt,
// an UploadOut.txt, a .cpg), one per line, the final empty line allowed.
ProgramLines readProgram(const std::string& path, const std::string& model, Output& out);
bool isProgramText(const std::string& path);

// The text of a file the user named (up to maxBytes), or a stop with code 5 saying why not.
std::vector<std::string> readTextLines(const std::string& path, long long maxBytes,
                                       const std::string& kind, Output& out);

// Lines to the -o file, each ended by CR LF as every file of the suite is written (through a
// temporary file and a rename), or without -o to standard output, each ended by LF. A compiled
// program's file ends with one empty line, as the compiler writes it.
enum class FileKind { Text, Compiled };
void writeResult(const QCommandLineParser& parser, const std::vector<std::string>& lines,
                 FileKind kind, Output& out);
void writeLines(const std::string& path, std::vector<std::string> lines, FileKind kind,
                Output& out);
void writeFile(const std::string& path, const std::string& bytes, Output& out);

// With several IDs each controller's file is path with "-<id>" before its extension.
std::string perIdPath(const std::string& path, const std::string& id, bool severalIds);

// Lines as a JSON array of texts.
QJsonArray jsonLines(const std::vector<std::string>& lines);

// Text as one line of output: bytes outside printable ASCII as \xNN.
std::string printable(const std::string& text);
// True when every byte is printable ASCII: what a controller answers (garbage on the line is not).
bool isPrintable(const std::string& text);

// Lines of text, split at LF (a CR before it is dropped).
std::string joinLines(const std::vector<std::string>& lines);

} // namespace motionctl
