#pragma once
// A link to a controller that carries characters: a serial port or a TCP connection. What the
// command exchange needs of it, nothing more; tests put scripted and in-process links behind it.

#include <cstddef>
#include <string>

namespace transport {

struct ReadResult {
    enum Status { Char, Silence, Error } status = Silence;
    char ch = 0;
};

class ByteLink {
public:
    virtual ~ByteLink() = default;

    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Writes all bytes. False on a failure of the link, with errorText() saying why.
    virtual bool write(const std::string& bytes) = 0;
    // Takes exactly one received character, waiting for up to silenceMs if none is there yet.
    // Characters not taken stay in the link for the next exchange.
    virtual ReadResult readChar(int silenceMs) = 0;

    // Drops every character that has arrived and not been taken; returns how many there were.
    virtual std::size_t discardInput() = 0;

    // Description of the last failure.
    virtual std::string errorText() const = 0;
};

} // namespace transport
