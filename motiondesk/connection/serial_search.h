#pragma once
// The search for controllers on the serial ports, one step per timer tick so the window stays
// responsive: first every port 1..ComMax is tried once to see which can be opened, then each of
// those at each of the five baud rates, asking device IDs 01 to 09 for their name with "DN".
// A controller answers with a name containing "KTR".

#include <cstdint>
#include <string>

namespace transport {
class SerialLink;
}
namespace ui {
class UserInterface;
}

namespace connection {

class SerialSearch {
public:
    // port is the search's own serial-port control; ui shows "No Port Available!".
    // emptyReadMs is how long one empty read waits; 31 empty reads in a row end an attempt.
    SerialSearch(transport::SerialLink& port, ui::UserInterface& ui, int emptyReadMs = 2);

    // One step. False when the search is over and its window should close.
    bool tick();
    // True when the last step opened a port (or opened it at another rate): a real adapter needs
    // a moment to switch before the next step writes to it.
    bool needsSettling() const { return settle_; }

    // What the caller sets before and reads after the search.
    bool StartSearch = true;
    bool SearchAll = false;
    bool SearchResult = false;
    int PortNumber = 1;
    std::string FoundBaud;
    std::string FoundID;
    std::string SearchAllString;
    std::string AddressID;

    // Where the search is, for the window.
    int ComMax = 15;
    uint32_t AvailablePort = 0;
    int Step = 1;
    int baudi = 1;
    int StartID = 1;
    int progress() const { return progress_; }
    const std::string& progressLabel() const { return label_; }

private:
    bool scanPort();
    bool nextUsablePort();
    bool nextBaudRate();
    bool nextDeviceId();
    bool listenForName();
    bool attemptOver();
    bool moveToNextPort();
    void advanceProgress(int amount);
    std::string tryingLabel() const;

    transport::SerialLink& port_;
    ui::UserInterface& ui_;
    int emptyReadMs_;
    int idCounter_ = 1;
    bool settle_ = false;
    int progress_ = 0;
    std::string label_;
};

// The baud rates the search tries, in order; rate number 1 is "9600".
inline constexpr const char* SearchBaudRates[] = {"9600", "19200", "38400", "57600", "115200"};
inline constexpr int ProgressMaximum = 1000;

} // namespace connection
