// controller-sim: simulated controllers on a pseudo-terminal, TCP and the USB stand-in.

#include "simulator/serial_bus.h"
#include "simulator/sim/command_log_file.h"
#include "simulator/sim/program_file.h"
#include "simulator/sim/pty_endpoint.h"
#include "simulator/sim/sim_options.h"
#include "simulator/sim/tcp_endpoint.h"
#include "simulator/sim/usb_endpoint.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <sys/prctl.h>
#include <unistd.h>
#include <vector>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &byte, 1);
}

// SIGTERM, SIGINT and SIGHUP end the event loop, so every endpoint is taken down in order and
// the links and sockets the simulator made are removed.
void quitOnSignals(QCoreApplication& app, std::unique_ptr<QSocketNotifier>& notifier) {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        sigaction(s, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    notifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, &app, &QCoreApplication::quit);
}

int fail(const std::string& text) {
    std::cerr << "controller-sim: " << text << "\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // Wire-time pacing wakes on microsecond deadlines; the default slack of 50 us per timer
    // would lengthen every reply of a fast line.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    QCoreApplication app(argc, argv);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string error;
    auto options = simulator::parseSimOptions(arguments, error);
    if (!options) {
        if (error.empty()) return std::cout << simulator::simUsage(), 0;
        return fail(error + "\n" + simulator::simUsage());
    }

    std::unique_ptr<QSocketNotifier> signalNotifier;
    quitOnSignals(app, signalNotifier);

    simulator::CommandLogFile log;
    if (!log.open(options->logFile)) return fail("cannot write " + options->logFile);

    simulator::ProgramTraceFile trace;
    if (!trace.open(options->traceFile, options->traceLimit))
        return fail("cannot write " + options->traceFile);

    simulator::SerialBus bus;
    bus.setWireTime(options->wireTime);
    for (const auto& id : options->ids) {
        simulator::ControllerConfig config = options->controller;
        config.deviceId = id;
        auto& controller = bus.add(config);
        if (trace.isOpen())
            controller.setProgramTrace(
                [&trace, id](std::string_view line) { trace.write(id, line); });
        if (!options->programFile.empty() &&
            !simulator::loadCompiledFile(options->programFile, controller, error))
            return fail(error);
        for (const auto& assignment : options->state)
            if (!controller.setState(assignment))
                return fail("start state not accepted: " + assignment);
        controller.faults().setPlan(options->fault);
    }

    std::unique_ptr<simulator::PtyEndpoint> pty;
    if (!options->ptyLink.empty()) {
        pty = std::make_unique<simulator::PtyEndpoint>(bus, log);
        if (!pty->start(options->ptyLink)) return fail(pty->errorText());
        std::cout << "pty " << options->ptyLink << " " << pty->terminalPath() << "\n";
    }

    std::unique_ptr<simulator::TcpEndpoint> tcp;
    if (options->tcpPort >= 0) {
        auto* controller = bus.find(options->tcpId.empty() ? options->ids.front() : options->tcpId);
        tcp = std::make_unique<simulator::TcpEndpoint>(*controller, log);
        if (!tcp->start(options->tcpPort)) return fail("tcp: " + tcp->errorText().toStdString());
        std::cout << "tcp " << tcp->port() << "\n";
    }

    std::vector<std::unique_ptr<simulator::UsbEndpoint>> usb;
    if (!options->usbFolder.empty()) {
        for (auto* controller : bus.controllers()) {
            usb.push_back(std::make_unique<simulator::UsbEndpoint>(*controller, log));
            if (!usb.back()->start(options->usbFolder)) return fail(usb.back()->errorText());
            std::cout << "usb " << usb.back()->socketPath() << "\n";
        }
    }

    // Programs run, and the axes move, whether or not a host is asking.
    QTimer clock;
    bool tracing = trace.isOpen();
    QObject::connect(&clock, &QTimer::timeout, [&bus, &trace, &tracing] {
        for (auto* controller : bus.controllers())
            controller->advance();
        trace.flush();
        if (tracing && trace.full()) {
            // Here, between runs: the sink cannot be dropped while the interpreter calls it.
            for (auto* controller : bus.controllers())
                controller->setProgramTrace({});
            tracing = false;
        }
    });
    clock.start(10);

    std::cout << "ready" << std::endl;
    const int result = app.exec();
    usb.clear();
    tcp.reset();
    pty.reset();
    return result;
}
