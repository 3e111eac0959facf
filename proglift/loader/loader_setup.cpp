#include "proglift/loader/loader_setup.h"

#include "common/numbers.h"
#include "common/textfile.h"
#include "link/connection_state.h"

namespace proglift {

namespace {

void applyOperation(LoaderSetup& setup, const std::string& value) {
    if (value == "UPLOAD") {
        setup.LoaderOperation = Upload;
        setup.ClearOnly = false;
    } else if (value == "DOWNLOAD") {
        setup.LoaderOperation = DownloadOrClear;
        setup.ClearOnly = false;
    } else if (value == "CLEAR") {
        setup.LoaderOperation = DownloadOrClear;
        setup.ClearOnly = true;
    }
}

void applyLinkType(LoaderSetup& setup, const std::string& value) {
    if (value == "USB")
        setup.LinkType = transport::LinkUsb;
    else if (value == "SERIAL")
        setup.LinkType = transport::LinkSerial;
    else if (value == "ETHERNET")
        setup.LinkType = transport::LinkEthernet;
}

void applyLineLimit(LoaderSetup& setup, const std::string& value) {
    setup.LineLimitText = value;
    const auto limit = common::toWholeNumber(value);
    // Zero or fewer slots cannot hold a program; the job reports it instead of "succeeding".
    if (limit && *limit > 0)
        setup.LineLimit = *limit;
    else
        setup.LineLimit.reset();
}

void applyPort(LoaderSetup& setup, const std::string& value) {
    setup.SerialPort = common::toWholeNumber16(value).value_or(setup.SerialPort);
    const auto port = common::toWholeNumber(value);
    if (port && *port >= 0 && *port <= 65535) setup.EthernetPort = *port;
}

void applyLine(LoaderSetup& setup, const std::string& line) {
    // The fourth character separates key and value; it is not looked at.
    const std::string key = line.substr(0, 3);
    const std::string value = line.size() > 4 ? line.substr(4) : std::string();
    if (key == "LIN")
        applyLineLimit(setup, value);
    else if (key == "POR")
        applyPort(setup, value);
    else if (key == "BAU")
        setup.BaudRate = value;
    else if (key == "DEV")
        setup.DeviceName = value;
    else if (key == "IPA")
        setup.EthernetAddress = value;
    else if (key == "FIL")
        setup.ProgramFileName = value;
    else if (key == "MOD")
        setup.ModelCode = value;
    else if (key == "OPE")
        applyOperation(setup, value);
    else if (key == "COM")
        applyLinkType(setup, value);
}

} // namespace

LoaderSetup ParseLoaderSetup(const std::vector<std::string>& lines) {
    LoaderSetup setup;
    for (const auto& line : lines) {
        if (!line.empty()) applyLine(setup, line);
    }
    return setup;
}

LoaderSetup ReadLoaderSetup(const std::string& folder) {
    const auto file = common::readTextFile(folder + "/" + LoaderSetupFileName);
    if (!file.ok()) return {};
    return ParseLoaderSetup(file.lines);
}

} // namespace proglift
