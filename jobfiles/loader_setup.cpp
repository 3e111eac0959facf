#include "jobfiles/loader_setup.h"

#include "common/link_kind.h"
#include "common/numbers.h"
#include "common/textfile.h"
#include "jobfiles/file_names.h"

namespace jobfiles {

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
    const auto [key, value] = splitSetupLine(line);
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

std::string operationText(const LoaderSetup& setup) {
    if (setup.LoaderOperation == Upload) return "UPLOAD";
    return setup.ClearOnly ? "CLEAR" : "DOWNLOAD";
}

std::string linkText(int16_t linkType) {
    switch (linkType) {
    case transport::LinkUsb:
        return "USB";
    case transport::LinkEthernet:
        return "ETHERNET";
    default:
        return "SERIAL";
    }
}

} // namespace

std::vector<std::string> loaderSetupLines(const LoaderSetup& setup) {
    std::vector<std::string> lines{"LIN:" + setup.LineLimitText, "COM:" + linkText(setup.LinkType)};
    if (setup.LinkType == transport::LinkEthernet) lines.push_back("IPA:" + setup.EthernetAddress);
    const std::string dev = "DEV:" + setup.DeviceName;
    const bool tcp = setup.LinkType == transport::LinkEthernet;
    const std::string por = "POR:" + std::to_string(tcp ? setup.EthernetPort : setup.SerialPort);
    const std::string bau = "BAU:" + setup.BaudRate;
    const bool download = setup.LoaderOperation == DownloadOrClear && !setup.ClearOnly;
    if (download)
        lines.insert(lines.end(), {por, bau, dev});
    else
        lines.insert(lines.end(), {dev, por, bau});
    lines.insert(lines.end(), {"OPE:" + operationText(setup), "FIL:" + setup.ProgramFileName,
                               "MOD:" + setup.ModelCode});
    return lines;
}

LoaderSetup ParseLoaderSetup(const std::vector<std::string>& lines) {
    LoaderSetup setup;
    for (const auto& line : lines) {
        if (!line.empty()) applyLine(setup, line);
    }
    return setup;
}

LoaderSetup ReadLoaderSetup(const std::string& folder) {
    const auto file = common::readTextFile(pathIn(folder, kLoaderSetupFile));
    if (!file.ok()) return {};
    return ParseLoaderSetup(file.lines);
}

} // namespace jobfiles
