#pragma once
// Why a serial port cannot be used, told so that the user knows what to do: a device they may
// not open (which group owns it and how to join it), a device another program holds (which one,
// where that can be found out), an assigned adapter that is not plugged in, a COM entry that is
// no device at all. Plain system calls, so the windows can say it before anything is opened and
// the serial-port control can say it after an open failed.

#include <string>
#include <vector>

namespace transport {

// Where the holders of a device are looked for; tests point these at folders of their own.
struct HolderSearchPlaces {
    std::string procFolder = "/proc";
    std::vector<std::string> lockFolders = {"/run/lock", "/var/lock", "/tmp", "/var/tmp"};
};

struct HoldingProcess {
    int pid = 0;
    std::string program; // the command name of the process
    bool operator==(const HoldingProcess&) const = default;
};

struct HoldingProcesses {
    std::vector<HoldingProcess> processes;
    // Some processes could not be looked into (they belong to another user); the holder may be
    // one of them.
    bool incomplete = false;
};

// The processes that have the device open (from <proc>/<pid>/fd, where readable) or hold a lock
// file "LCK..<name>" on one of the names it was opened by, in pid order.
HoldingProcesses findHoldingProcesses(const std::string& device,
                                      const std::vector<std::string>& openedNames,
                                      const HolderSearchPlaces& places = {});

// How an open failed, as the serial-port control saw it.
enum class OpenFailure { NotFound, Refused, Other };

// The text for a failed open of COM<n> through path (its EXE/ports link or /dev/ttyS<n-1>):
// "Cannot open COM<n> (<device>): " followed by what happened and what to do about it; for a
// device opened by its path (portNumber 0) "Cannot open <device>: ". detail is
// the platform's own description, used where nothing better can be said.
std::string openFailureText(int portNumber, const std::string& path, OpenFailure failure,
                            const std::string& detail, const HolderSearchPlaces& places = {});

// How every such text begins, so a caller can tell an open failure of COM<n> from other failures.
std::string openFailurePrefix(int portNumber);

// The text for a port that failed under an exchange. When its device has gone, that is what is
// said (the platform's description is then only a stale error); else detail is kept.
std::string vanishedPortText(int portNumber, const std::string& path, const std::string& detail);

// What COM<n> leads to and, without opening it, what stands in the way of using it.
struct PortState {
    std::string shownTarget; // the link's target, or the fixed device; empty for no port
    std::string device;      // the device it resolves to, when that differs from shownTarget
    std::string problem;     // empty when nothing is known to be wrong
};
PortState describePortState(int portNumber, const std::string& exeFolder,
                            const HolderSearchPlaces& places = {});

// Text safe to show in the program's single-byte messages: bytes outside printable ASCII
// become \xNN.
std::string printableName(const std::string& name);

} // namespace transport
