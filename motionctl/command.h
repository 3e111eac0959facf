#pragma once
// One command of motionctl: its name, what --help says about it, its options and what it does.
// Each command lives in a file of its own and defines its one Command; main() picks it by name.

#include <QCommandLineParser>

#include <string>

namespace motionctl {

// What a script or build server learns from the exit status.
enum ExitCode : int {
    kDone = 0,
    kFailed = 1,         // the program does not compile, or an expectation failed
    kUsage = 2,          // unknown option, missing argument, value out of range
    kVerifyMismatch = 3, // a verify found a slot that differs from what was written
    kLinkFailure = 4,    // the link or the controller failed
    kFileFailure = 5,    // a file cannot be read or written
};

class Output;

struct Command {
    const char* name;
    const char* synopsis; // the arguments after the command name
    const char* summary;  // one line for motionctl --help
    const char* details;  // what motionctl COMMAND --help says below the synopsis
    void (*addOptions)(QCommandLineParser& parser);
    int (*run)(const QCommandLineParser& parser, Output& out);
};

extern const Command kCompileCommand;
extern const Command kDecompileCommand;
extern const Command kDownloadCommand;
extern const Command kUploadCommand;
extern const Command kClearCommand;
extern const Command kSendCommand;
extern const Command kStatusCommand;
extern const Command kParamsCommand;
extern const Command kScanCommand;
extern const Command kRunCommand;

} // namespace motionctl
