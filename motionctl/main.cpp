// motionctl: the suite from the command line. One command per run, named by the first argument;
// each command's file holds its options and its work.

#include "motionctl/command.h"
#include "motionctl/inputs.h"
#include "motionctl/output.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <iterator>

namespace motionctl {
namespace {

const Command* const kCommands[] = {
    &kCompileCommand, &kDecompileCommand, &kDownloadCommand, &kUploadCommand, &kClearCommand,
    &kSendCommand,    &kStatusCommand,    &kParamsCommand,   &kScanCommand,   &kRunCommand,
};

constexpr const char* kLinkHelp =
    "LINK is --port P [--baud B] [--id I]:\n"
    "  P  COM<n> (as Motiondesk resolves it, through its port assignments), a device path\n"
    "     (/dev/ttyUSB0, /dev/serial/by-id/...), usb:<product> (usb:KTR01) or\n"
    "     tcp:<host>[:<port>] (default port 10001)\n"
    "  B  baud rate of a serial line, default 9600\n"
    "  I  device ID 01..99, default 01; a list and ranges (01,03,05-08) run the command once\n"
    "     per ID on the same line, and the run fails if any ID fails\n";

constexpr const char* kExitHelp =
    "Exit codes: 0 done; 1 the program does not compile or an expectation fails; 2 usage;\n"
    "3 a verify found a different slot; 4 a link or controller failure; 5 a file cannot be read\n"
    "or written.\n";

void printOverview(std::FILE* to) {
    std::string text =
        "Usage: motionctl COMMAND [ARGUMENTS] [--json]\n\n"
        "Compiles, downloads, verifies, uploads and runs controller programs without a window.\n\n"
        "Commands:\n";
    for (const Command* command : kCommands) {
        text += "  " + std::string(command->name) + " " + command->synopsis + "\n";
        text += "      " + std::string(command->summary) + "\n";
    }
    text += "\n" + std::string(kLinkHelp) +
            "\n--json writes one JSON object per line on standard output.\n"
            "motionctl COMMAND --help describes a command.\n\n" +
            kExitHelp;
    std::fputs(text.c_str(), to);
}

// Text broken into lines of at most width characters at blanks.
QString wrapped(const QString& text, int width) {
    QString lines, line;
    for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            lines += line + "\n";
            line.clear();
        }
        line += (line.isEmpty() ? "" : " ") + word;
    }
    return lines + line;
}

const Command* findCommand(const char* name) {
    for (const Command* command : kCommands)
        if (std::strcmp(command->name, name) == 0) return command;
    return nullptr;
}

int runCommand(const Command& command, const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(wrapped(command.details, 80));
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    parser.addOption(help);
    parser.addOption({"json", "One JSON object per line on standard output."});
    command.addOptions(parser);
    const bool parsed = parser.parse(arguments);
    Output out(command.name, parsed && parser.isSet("json"));
    if (!parsed) return out.usage(parser.errorText().toStdString());
    if (parser.isSet(help)) {
        std::string text = parser.helpText().toStdString();
        // Qt's first line names the program only; the command goes with it.
        const auto end = text.find('\n');
        text.replace(0, end,
                     "Usage: motionctl " + std::string(command.name) + " " + command.synopsis +
                         "\n");
        const bool takesLink = std::strstr(command.synopsis, "LINK") != nullptr;
        std::fputs(
            (text + (takesLink ? "\n" + std::string(kLinkHelp) : "") + "\n" + kExitHelp).c_str(),
            stdout);
        return kDone;
    }
    try {
        return command.run(parser, out);
    } catch (const Stop& stop) {
        return stop.code;
    }
}

} // namespace
} // namespace motionctl

int main(int argc, char* argv[]) {
    using namespace motionctl;
    QCoreApplication app(argc, argv);
    // Without a command that is a usage error: the overview goes to standard error.
    if (argc < 2) {
        printOverview(stderr);
        return kUsage;
    }
    const bool help = std::strcmp(argv[1], "help") == 0;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
        (help && argc == 2)) {
        printOverview(stdout);
        return kDone;
    }
    // "help COMMAND" is "COMMAND --help".
    const Command* command = findCommand(argv[help ? 2 : 1]);
    if (!command) {
        std::fprintf(stderr, "motionctl: there is no command \"%s\".\nTry 'motionctl --help'.\n",
                     argv[help ? 2 : 1]);
        return kUsage;
    }
    QStringList arguments = app.arguments();
    arguments.removeAt(1);
    if (help) arguments = {arguments[0], "--help"};
    return runCommand(*command, arguments);
}
