#include "motiondesk/connection/serial_search.h"

#include "link/serial_link.h"
#include "motiondesk/ui/user_interface.h"

#include <algorithm>
#include <cstdio>

namespace connection {
namespace {

constexpr int BaudRateCount = std::size(SearchBaudRates);
constexpr int LastSearchId = 9;
// An attempt is over when more than this many reads in a row found nothing.
constexpr int MostEmptyReads = 30;
// A line that never falls silent (noise at the wrong rate, a device streaming data) would keep
// an attempt reading for ever; after this many characters it is over like a silent one.
constexpr int MostCharactersPerAttempt = 1024;

std::string twoDigits(int number) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", number);
    return text;
}

} // namespace

SerialSearch::SerialSearch(transport::SerialLink& port, ui::UserInterface& ui, int emptyReadMs)
    : port_(port), ui_(ui), emptyReadMs_(emptyReadMs) {}

bool SerialSearch::tick() {
    settle_ = false;
    if (!StartSearch) {
        if (port_.isOpen()) port_.close();
        return false;
    }
    switch (Step) {
    case 1:
        return scanPort();
    case 2:
        return nextUsablePort();
    case 3:
        return nextBaudRate();
    default:
        return nextDeviceId();
    }
}

// Tries to open one port, only to learn whether it can be opened at all.
bool SerialSearch::scanPort() {
    label_ = "Checking Port " + std::to_string(PortNumber);
    progress_ = 0;
    advanceProgress(30 * PortNumber);
    if (port_.open({PortNumber, 9600})) {
        AvailablePort |= 1u << (PortNumber - 1);
        port_.close();
    }
    if (++PortNumber > ComMax) {
        Step = 2;
        PortNumber = 1;
    }
    return true;
}

bool SerialSearch::nextUsablePort() {
    if (AvailablePort == 0) {
        ui_.showMessage("No Port Available!");
        return false;
    }
    if (AvailablePort & (1u << (PortNumber - 1))) {
        label_ = "Found Port " + std::to_string(PortNumber) + ".";
        advanceProgress(30);
        baudi = 1;
        Step = 3;
        return true;
    }
    return ++PortNumber <= ComMax;
}

bool SerialSearch::nextBaudRate() {
    advanceProgress(10);
    FoundBaud = SearchBaudRates[baudi - 1];
    label_ = tryingLabel();
    idCounter_ = StartID;
    Step = 4;
    // A port that could be opened during the scan but not now has nothing to ask at this rate.
    const auto settings = transport::serialSettingsFor(PortNumber, FoundBaud);
    if (!settings || !port_.open(*settings)) {
        idCounter_ = LastSearchId;
        return attemptOver();
    }
    settle_ = true;
    return true;
}

bool SerialSearch::nextDeviceId() {
    FoundID = twoDigits(idCounter_);
    label_ = tryingLabel() + " ID:" + FoundID;
    if (!port_.write("@" + FoundID + "DN\r")) return attemptOver();
    return listenForName();
}

// Reads until the line has been silent for a while. Every reply line naming a controller ends
// the plain search, or is listed by the search for all.
// The silence that ends an attempt is the one of MostEmptyReads + 1 empty reads in a row, waited
// for at once: short waits one after another would each come back a little late.
bool SerialSearch::listenForName() {
    std::string reply;
    int characters = 0;
    const int silenceMs = (MostEmptyReads + 1) * emptyReadMs_;
    while (characters < MostCharactersPerAttempt) {
        const transport::ReadResult read = port_.readChar(silenceMs);
        if (read.status != transport::ReadResult::Char) break;
        ++characters;
        if (read.ch != '\r') {
            reply += read.ch;
            continue;
        }
        if (reply.find("KTR") != std::string::npos) {
            if (!SearchAll) {
                port_.close();
                SearchResult = true;
                return false;
            }
            SearchAllString += "Found on Com Port:" + std::to_string(PortNumber) +
                               " Baud:" + FoundBaud + " ID:" + FoundID + "\r\n";
        }
        reply.clear();
    }
    return attemptOver();
}

bool SerialSearch::attemptOver() {
    if (++idCounter_ <= LastSearchId) return true;
    if (port_.isOpen()) port_.close();
    Step = 3;
    if (++baudi <= BaudRateCount) return true;
    return moveToNextPort();
}

bool SerialSearch::moveToNextPort() {
    Step = 2;
    return ++PortNumber <= ComMax;
}

void SerialSearch::advanceProgress(int amount) {
    progress_ = std::min(progress_ + amount, ProgressMaximum);
}

std::string SerialSearch::tryingLabel() const {
    return "Trying Port " + std::to_string(PortNumber) + ", Baud:" + FoundBaud;
}

} // namespace connection
