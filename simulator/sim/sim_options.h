#pragma once
// controller-sim's command line.

#include "simulator/controller_model.h"
#include "simulator/faults.h"
#include "simulator/sim/program_file.h"

#include <optional>
#include <string>
#include <vector>

namespace simulator {

struct SimOptions {
    ControllerConfig controller;        // model, firmware and baud rate of every controller
    std::vector<std::string> ids{"01"}; // one controller per ID, all on the same line
    std::string programFile;            // compiled file loaded into every controller's slots
    std::vector<std::string> state;     // KEY=VALUE start state for every controller
    FaultPlan fault;
    bool wireTime = false;
    std::string ptyLink;   // symbolic link to create to the pseudo-terminal
    int tcpPort = -1;      // -1: no TCP; 0: any free port
    std::string tcpId;     // controller that TCP talks to (first ID when empty)
    std::string usbFolder; // folder for the USB device sockets; empty: no USB
    std::string logFile;
    std::string traceFile; // one line per executed program slot
    int64_t traceLimit = ProgramTraceFile::kDefaultLineLimit;
};

// Reads the arguments (without the program name). On failure returns nullopt and sets error.
std::optional<SimOptions> parseSimOptions(const std::vector<std::string>& arguments,
                                          std::string& error);

std::string simUsage();

// $ZENTORCOM_DIR, or /tmp/zentorcom-<uid>.
std::string defaultUsbFolder();

} // namespace simulator
