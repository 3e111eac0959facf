#pragma once
// A TCP connection to a controller as a byte link, on a QTcpSocket used with its waiting calls:
// an exchange blocks its caller like one on the serial line. Connecting starts at once and is
// waited for (up to the connect wait) when the first command is written.

#include "link/byte_link.h"
#include "link/tcp_timings.h"

#include <QElapsedTimer>

#include <memory>
#include <string>

class QTcpSocket;

namespace transport {

class TcpLink final : public ByteLink {
public:
    explicit TcpLink(TcpTimings timings = {});
    ~TcpLink() override;

    // Starts connecting and returns at once; false when the host or port cannot be used.
    bool connectTo(const std::string& host, int port);
    // Waits for the connection until the connect wait has passed since connectTo.
    bool waitConnected();

    void close() override;
    bool isOpen() const override;
    bool write(const std::string& bytes) override;
    ReadResult readChar(int silenceMs) override;
    std::size_t discardInput() override;
    std::string errorText() const override { return errorText_; }

    const TcpTimings& timings() const { return timings_; }

private:
    bool lost();

    TcpTimings timings_;
    std::unique_ptr<QTcpSocket> socket_;
    QElapsedTimer sinceConnect_;
    std::string errorText_;
};

} // namespace transport
