#pragma once
// proglift_setup.txt: the loader's job as Motiondesk hands it over, lines of the form key, one
// separator character, value. Lines are matched by key, so any order works; Motiondesk writes
// them in the order each job has always had.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace jobfiles {

enum LoaderOperationKind : int16_t { NoOperation = 0, DownloadOrClear = 1, Upload = 2 };

struct LoaderSetup {
    // Number of program slots; nullopt until a LIN line holds a positive whole number.
    std::optional<int32_t> LineLimit;
    std::string LineLimitText; // the LIN value as written, for the failure text
    int16_t SerialPort = 0;    // serial port number
    int32_t EthernetPort = 0;  // the same POR value as a TCP port, which may pass 32767
    std::string BaudRate;
    std::string DeviceName;
    int16_t LoaderOperation = NoOperation;
    bool ClearOnly = false;
    int16_t LinkType = 0; // transport::LinkKind, 0 when none was named
    std::string EthernetAddress;
    std::string ProgramFileName;
    std::string ModelCode;
};

// The set-up lines: LIN, COM, then POR, BAU and DEV (download) or DEV, POR and BAU (upload and
// clear), OPE, FIL, MOD; IPA after COM for a TCP link.
std::vector<std::string> loaderSetupLines(const LoaderSetup& setup);

// Applies the lines in order; a later line with the same key wins, unknown keys and values that
// are not understood leave the value as it was.
LoaderSetup ParseLoaderSetup(const std::vector<std::string>& lines);

// Reads folder/proglift_setup.txt; a missing or unreadable file gives the defaults
// (LoaderOperation 0: nothing to do).
LoaderSetup ReadLoaderSetup(const std::string& folder);

} // namespace jobfiles
