#pragma once
// One serial-port control: a byte link that is opened with port settings and can be opened again
// with the same ones. The real one wraps QSerialPort (the only file that includes it); tests use
// scripted and in-process ones.

#include "link/byte_link.h"
#include "link/serial_settings.h"

namespace transport {

class SerialLink : public ByteLink {
public:
    // Opens port COM<settings.portNumber> with the settings. False on failure, with errorText()
    // saying why.
    virtual bool open(const SerialSettings& settings) = 0;
    // Opens again with the settings of the last open().
    virtual bool reopen() = 0;
};

} // namespace transport
