#include "motiondesk/jobs/job_files.h"

#include "link/connection_state.h"
#include "motiondesk/session/program_values.h"

namespace jobs {

std::vector<std::string> programFileLines(const std::string& text) {
    const std::string whole = !text.empty() && text.back() == '\n' ? text : text + "\r\n";
    std::vector<std::string> lines;
    std::string current;
    for (const char c : whole) {
        if (c == '\r') {
            lines.push_back(std::move(current));
            current.clear();
        } else if (c != '\n') {
            current.push_back(c);
        }
    }
    // Text after the last carriage return (a final bare line feed ended it) is still a line.
    if (!current.empty()) lines.push_back(std::move(current));
    return lines;
}

std::vector<std::string> compilerSetupLines(CompilerJob job, const std::string& modelName) {
    if (job == CompilerJob::Compile) return {"MOD:" + modelName, "OPE:COMPILE", "FIL:Program.prg"};
    return {"MOD:" + modelName, "OPE:DECOMPILE", "FIL:UploadOut.txt"};
}

std::vector<std::string> loaderSetupLines(LoaderJob job, const transport::ConnectionState& state,
                                          const session::ProgramValues& program) {
    const std::string lin = "LIN:" + program.LineLimit;
    const std::string com = state.LinkType == transport::LinkUsb ? "COM:USB" : "COM:SERIAL";
    const std::string dev = "DEV:" + state.DeviceName;
    const std::string por = "POR:" + std::to_string(state.SerialPort);
    const std::string bau = "BAU:" + state.BaudRate;
    const std::string fil = "FIL:CompileOut.txt";
    const std::string mod = "MOD:" + program.ModelName;
    switch (job) {
    case LoaderJob::Download:
        return {lin, com, por, bau, dev, "OPE:DOWNLOAD", fil, mod};
    case LoaderJob::Upload:
        return {lin, com, dev, por, bau, "OPE:UPLOAD", fil, mod};
    case LoaderJob::Clear:
        break;
    }
    return {lin, com, dev, por, bau, "OPE:CLEAR", fil, mod};
}

std::string jobPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

} // namespace jobs
