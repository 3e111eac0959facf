#pragma once
// One serial-port control: what the transport needs of a port, nothing more. The real one wraps
// QSerialPort (the only file that includes it); tests use a scripted one.

#include <string>

namespace transport {

struct SerialReadResult {
    enum Status { Char, Silence, Error } status = Silence;
    char ch = 0;
};

class SerialLink {
public:
    virtual ~SerialLink() = default;

    // Applies the settings text (baud rate followed by ",N,8,1") and opens port number n
    // (COM<n>). False on failure, with errorText() saying why.
    virtual bool open(int portNumber, const std::string& settings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Reopens with the port and settings of the last open().
    virtual bool reopen() = 0;

    // Writes all bytes in one write. False on a runtime error of the port.
    virtual bool write(const std::string& bytes) = 0;
    // Takes exactly one received character, waiting for up to silenceMs if none is there yet.
    // Characters not taken stay in the port for the next exchange.
    virtual SerialReadResult readChar(int silenceMs) = 0;

    // Description of the last runtime error.
    virtual std::string errorText() const = 0;
};

} // namespace transport
