#pragma once
// Pieces the benchmarks against controller-sim share: finding the built programs, starting the
// simulator on a pseudo-terminal, a serial port that counts what crosses the line, and a user
// interface that prints instead of showing dialogs.

#include "motiondesk/transport/serial_port_link.h"
#include "motiondesk/transport/usb_library.h"
#include "motiondesk/ui/user_interface.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

namespace bench_support {

// A program of the build (controller-sim, EXE/progsmith ...) looked for beside the benchmark
// and up to two folders above it; empty when there is none.
inline QString besideBuild(const QString& relative) {
    QDir dir(QCoreApplication::applicationDirPath());
    for (int up = 0; up < 3; ++up, dir.cdUp())
        if (QFileInfo(dir.filePath(relative)).exists()) return dir.filePath(relative);
    return {};
}

// controller-sim on a pseudo-terminal linked as <folder>/ports/COM1; true once it is ready.
inline bool startSimulator(QProcess& sim, const QString& folder, int baud, bool wireTime,
                           QStringList more = {}) {
    QDir(folder).mkpath("ports");
    QStringList arguments = {"--pty", folder + "/ports/COM1", "--baud", QString::number(baud)};
    if (wireTime) arguments << "--wire-time";
    sim.start(besideBuild("controller-sim"), arguments + more);
    while (sim.waitForReadyRead(10000))
        while (sim.canReadLine())
            if (sim.readLine().trimmed() == "ready") return true;
    return false;
}

// Counts the characters that cross the line in both directions, and the frames written.
class CountingLink final : public transport::SerialLink {
public:
    explicit CountingLink(std::string exeFolder) : port_(std::move(exeFolder)) {}
    bool open(int portNumber, const std::string& settings) override {
        return port_.open(portNumber, settings);
    }
    void close() override { port_.close(); }
    bool isOpen() const override { return port_.isOpen(); }
    bool reopen() override { return port_.reopen(); }
    bool write(const std::string& bytes) override {
        characters += static_cast<long long>(bytes.size());
        ++frames;
        if (recording) recorded.push_back(bytes);
        return port_.write(bytes);
    }
    transport::SerialReadResult readChar(int silenceMs) override {
        const auto result = port_.readChar(silenceMs);
        if (result.status == transport::SerialReadResult::Char) ++characters;
        return result;
    }
    std::string errorText() const override { return port_.errorText(); }

    long long characters = 0;
    long long frames = 0;
    bool recording = false;
    std::vector<std::string> recorded;

private:
    transport::SerialPortLink port_;
};

// No dialogs in a benchmark: every message is printed and counted.
class PrintingUi final : public ui::UserInterface {
public:
    void showMessage(const std::string& text) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        ++messages;
    }
    bool askYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> openFileName(const ui::FileDialog&) override { return {}; }
    std::optional<std::string> saveFileName(const ui::FileDialog&) override { return {}; }
    void quitProgram() override {}
    int messages = 0;
};

class NoUsb final : public transport::UsbLibrary {
public:
    bool available() override { return false; }
    int32_t GetNumDevices(int32_t&) override { return 0; }
    int32_t GetProductString(int32_t, uint8_t*, int32_t) override { return 0; }
    int32_t SetTimeouts(int32_t, int32_t) override { return 0; }
    int32_t Open(int32_t, int32_t&) override { return 0; }
    int32_t SendRecv(int32_t, const uint8_t*, int32_t, int32_t, uint8_t*) override { return 0; }
    int32_t Flush(int32_t) override { return 0; }
    int32_t Close(int32_t) override { return 0; }
};

// "[runs [seconds per run]]" from the command line. Plain numbers only: options meant for other
// benchmarks (--benchmark_...) are passed over.
struct Repeats {
    int runs;
    double seconds;
};
inline Repeats repeatsFrom(int argc, char** argv, int runs, double seconds) {
    std::vector<double> numbers;
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-') numbers.push_back(std::atof(argv[i]));
    return {numbers.size() > 0 ? std::max(1, int(numbers[0])) : runs,
            numbers.size() > 1 ? std::max(0.5, numbers[1]) : seconds};
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace bench_support
