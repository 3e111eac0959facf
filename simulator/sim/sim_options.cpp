#include "simulator/sim/sim_options.h"

#include <charconv>
#include <cstdlib>
#include <unistd.h>

namespace simulator {
namespace {

std::optional<int> parseNumber(const std::string& text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool validId(const std::string& id) {
    return id.size() == 2 && isdigit(static_cast<unsigned char>(id[0])) &&
           isdigit(static_cast<unsigned char>(id[1])) && id != "00";
}

std::vector<std::string> splitCommas(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) return parts;
        start = comma + 1;
    }
}

// Applies one option with its value; returns an error text, empty on success.
std::string apply(SimOptions& o, const std::string& name, const std::string& value) {
    if (name == "--model") {
        if (!findModel(value)) return "unknown model " + value;
        o.controller.model = value;
    } else if (name == "--firmware") {
        auto n = parseNumber(value);
        if (!n || *n < 0 || *n > 9999) return "firmware must be a number such as 223";
        o.controller.firmware = *n;
    } else if (name == "--baud") {
        auto n = parseNumber(value);
        if (!n || !baudCodeForRate(*n)) return "baud must be 9600, 19200, 38400, 57600 or 115200";
        o.controller.baudRate = *n;
    } else if (name == "--id") {
        o.ids = splitCommas(value);
        for (size_t i = 0; i < o.ids.size(); ++i) {
            if (!validId(o.ids[i])) return "device IDs are two digits 01 to 99: " + o.ids[i];
            for (size_t j = 0; j < i; ++j)
                if (o.ids[j] == o.ids[i]) return "device ID " + o.ids[i] + " given twice";
        }
    } else if (name == "--state") {
        if (value.find('=') == std::string::npos) return "--state takes KEY=VALUE";
        o.state.push_back(value);
    } else if (name == "--fault") {
        auto plan = parseFault(value);
        if (!plan) return "unknown fault " + value;
        o.fault = *plan;
    } else if (name == "--pty") {
        o.ptyLink = value;
    } else if (name == "--tcp") {
        auto n = parseNumber(value);
        if (!n || *n < 0 || *n > 65535) return "tcp port must be 0 to 65535";
        o.tcpPort = *n;
    } else if (name == "--tcp-id") {
        if (!validId(value)) return "device IDs are two digits 01 to 99: " + value;
        o.tcpId = value;
    } else if (name == "--usb") {
        o.usbFolder = value == "auto" ? defaultUsbFolder() : value;
    } else if (name == "--log") {
        o.logFile = value;
    } else if (name == "--program") {
        o.programFile = value;
    } else if (name == "--trace") {
        o.traceFile = value;
    } else if (name == "--trace-limit") {
        auto n = parseNumber(value);
        if (!n || *n < 1) return "--trace-limit takes a number of lines, 1 or more";
        o.traceLimit = *n;
    } else {
        return "unknown option " + name;
    }
    return {};
}

} // namespace

std::string defaultUsbFolder() {
    if (const char* folder = std::getenv("ZENTORCOM_DIR"); folder && *folder) return folder;
    return "/tmp/zentorcom-" + std::to_string(getuid());
}

std::optional<SimOptions> parseSimOptions(const std::vector<std::string>& arguments,
                                          std::string& error) {
    SimOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--help") {
            error.clear();
            return std::nullopt;
        }
        if (name == "--wire-time") {
            options.wireTime = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            error = "missing value for " + name;
            return std::nullopt;
        }
        error = apply(options, name, arguments[++i]);
        if (!error.empty()) return std::nullopt;
    }
    if (!options.tcpId.empty()) {
        bool known = false;
        for (const auto& id : options.ids)
            known = known || id == options.tcpId;
        if (!known) {
            error = "--tcp-id " + options.tcpId + " is not one of the --id values";
            return std::nullopt;
        }
    }
    if (options.ptyLink.empty() && options.tcpPort < 0 && options.usbFolder.empty()) {
        error = "nothing to serve: give --pty, --tcp and/or --usb";
        return std::nullopt;
    }
    return options;
}

std::string simUsage() {
    return R"(usage: controller-sim [options]
Serves simulated controllers on a pseudo-terminal, TCP and/or the USB stand-in.
  --pty PATH          create a pseudo-terminal and a symbolic link PATH to it
  --tcp PORT          listen on 127.0.0.1:PORT (0: any free port, printed as "tcp <port>")
  --usb DIR|auto      publish each controller as a USB device socket in DIR
                      (auto: $ZENTORCOM_DIR, else /tmp/zentorcom-<uid>)
  --model CODE        controller model, e.g. KT-210 (default), QB-450
  --firmware N        firmware version, answered to VER as V<N> (default 223)
  --id ID[,ID...]     device IDs on the line, one controller each (default 01)
  --baud RATE         the controllers' own baud rate (default 9600)
  --tcp-id ID         the controller TCP talks to (default the first ID)
  --program FILE      load a compiled file (CompileOut.txt) into the program slots at start,
                      before the --state values (so --state SR=1 runs it)
  --state KEY=VALUE   start state, repeatable: any set command (HSPD=5000, V7=3, SA0=...) or
                      PX, EX, DI, DO, AI1, AI2, SASTAT[0|1], SPC[0|1], LTS, SYNS, LIMIT+, LIMIT-,
                      HOMEIN, LATCHIN, ZINDEX
  --fault FAULT       no-reply | slow:MS | bare-cr | garbage | disconnect:N | forget (set
                      commands answered OK but not carried out), optionally
                      followed by @PREFIX to hit only commands starting with PREFIX
  --wire-time         pace serial replies at 10 bits per character of the baud rate
  --log FILE          append "<endpoint> <id> <command>" for every command received
  --trace FILE        write "<id> <thread> <slot> <line>[ V<n>=<value>]" for every program
                      slot executed (" fault: <reason>" where a thread stopped in state 4)
  --trace-limit N     stop the trace after N lines with a line saying so (default 1000000)
Prints one line per endpoint, then "ready". Ends cleanly on SIGTERM or SIGINT.
)";
}

} // namespace simulator
