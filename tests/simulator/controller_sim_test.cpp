#include "tests/support/sim_process.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QTcpSocket>
#include <QThread>

#include <csignal>

namespace {

using testing_support::SimProcess;

// Reads from the device until a CR arrives or nothing comes for silenceMs.
QByteArray readReply(QIODevice& device, int silenceMs = 300) {
    QByteArray reply;
    while (!reply.endsWith('\r')) {
        if (device.bytesAvailable() == 0 && !device.waitForReadyRead(silenceMs)) break;
        reply += device.read(1);
    }
    return reply;
}

QByteArray exchange(QIODevice& device, const QByteArray& bytes, int silenceMs = 300) {
    device.write(bytes);
    return readReply(device, silenceMs);
}

// Everything that arrives until the device has been quiet for 300 ms.
QByteArray drain(QIODevice& device) {
    QByteArray all = device.readAll();
    while (device.waitForReadyRead(300))
        all += device.readAll();
    return all;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

bool openPort(QSerialPort& port, const QString& path, int baud) {
    port.setPortName(path);
    port.setBaudRate(baud);
    return port.open(QIODevice::ReadWrite);
}

TEST(ControllerSimPty, AnswersOnlyWhenTheLineRunsAtItsOwnRate) {
    SimProcess sim(
        {"--pty", "{dir}/COM1", "--baud", "19200", "--id", "01,04", "--log", "{dir}/commands.log"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    QSerialPort port;
    ASSERT_TRUE(openPort(port, sim.path("COM1"), 9600)) << port.errorString().toStdString();
    EXPECT_EQ(exchange(port, "@01DN\r"), "");
    port.setBaudRate(19200);
    EXPECT_EQ(exchange(port, "@01DN\r"), "KTR01\r");
    EXPECT_EQ(exchange(port, "@04DN\r"), "KTR04\r");
    EXPECT_EQ(exchange(port, "@00HSPD=5\r"), "") << "a broadcast gets no reply";
    EXPECT_EQ(exchange(port, "@04HSPD\r"), "5\r");
    EXPECT_EQ(exchange(port, "@02DN\r"), "");
    EXPECT_EQ(SimProcess::readLog(sim.path("commands.log")),
              (QStringList{"pty 01 DN", "pty 04 DN", "pty 00 HSPD=5", "pty 04 HSPD"}));
}

TEST(ControllerSimPty, LineSurvivesTheHostClosingAndReopeningThePort) {
    SimProcess sim({"--pty", "{dir}/COM1"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    for (int round = 0; round < 3; ++round) {
        QSerialPort port;
        ASSERT_TRUE(openPort(port, sim.path("COM1"), 9600));
        EXPECT_EQ(exchange(port, "@01VER\r"), "V223\r") << "round " << round;
    }
}

TEST(ControllerSimPty, RepliesShapedByEachFault) {
    struct Case {
        const char* fault;
        QByteArray expected; // empty: no reply at all
    };
    for (const Case& c : {Case{"bare-cr", "\r"}, Case{"no-reply", ""}, Case{"slow:30", "V223\r"},
                          Case{"bare-cr@PX", "V223\r"}}) {
        SimProcess sim({"--pty", "{dir}/COM1", "--fault", c.fault});
        ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
        QSerialPort port;
        ASSERT_TRUE(openPort(port, sim.path("COM1"), 9600));
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(exchange(port, "@01VER\r"), c.expected) << c.fault;
        if (QByteArray(c.fault) == "slow:30") {
            EXPECT_GE(clock.elapsed(), 5 * 30 - 10);
        }
    }
}

TEST(ControllerSimPty, GarbageIsRubbishEndedByACarriageReturn) {
    SimProcess sim({"--pty", "{dir}/COM1", "--fault", "garbage"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    QSerialPort port;
    ASSERT_TRUE(openPort(port, sim.path("COM1"), 9600));
    const QByteArray reply = exchange(port, "@01VER\r");
    EXPECT_TRUE(reply.endsWith('\r'));
    EXPECT_NE(reply, "V223\r");
}

TEST(ControllerSimPty, DisconnectDropsTheTerminalAndItsLink) {
    SimProcess sim({"--pty", "{dir}/COM1", "--fault", "disconnect:1"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    QSerialPort port;
    ASSERT_TRUE(openPort(port, sim.path("COM1"), 9600));
    EXPECT_EQ(exchange(port, "@01VER\r"), "V223\r");
    EXPECT_EQ(exchange(port, "@01VER\r"), "");
    EXPECT_FALSE(QFileInfo(sim.path("COM1")).isSymLink());
    EXPECT_TRUE(sim.stop()) << "the simulator itself lives on";
}

TEST(ControllerSimPty, WireTimeMakesRepliesTakeTheirTimeOnTheLine) {
    const QByteArray line(60, 'L');
    SimProcess sim({"--pty", "{dir}/COM1", "--wire-time", "--state", "SA0=" + QString(line)});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    QSerialPort port;
    ASSERT_TRUE(openPort(port, sim.path("COM1"), 9600));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(exchange(port, "@01SA0\r"), line + "\r");
    // 7 characters in and 61 out at 10 bits each, 9600 bit/s: about 71 ms.
    EXPECT_GE(clock.elapsed(), 65);
}

TEST(ControllerSimTcp, BareCommandsInTextAndCrOut) {
    SimProcess sim(
        {"--tcp", "0", "--id", "03", "--state", "SA0=LINE 0", "--log", "{dir}/commands.log"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", quint16(sim.tcpPort()));
    ASSERT_TRUE(socket.waitForConnected(5000));
    EXPECT_EQ(exchange(socket, "DN"), "KTR03\r");
    EXPECT_EQ(exchange(socket, "SA0"), "LINE 0\r");
    EXPECT_EQ(exchange(socket, "SA1"), "\r") << "an empty slot is a lone CR";
    socket.write("V1=4\rV1\r");
    EXPECT_EQ(readReply(socket), "OK\r");
    EXPECT_EQ(readReply(socket), "4\r");
    EXPECT_EQ(SimProcess::readLog(sim.path("commands.log")),
              (QStringList{"tcp 03 DN", "tcp 03 SA0", "tcp 03 SA1", "tcp 03 V1=4", "tcp 03 V1"}));
}

TEST(ControllerSimTcp, DisconnectClosesTheConnection) {
    SimProcess sim({"--tcp", "0", "--fault", "disconnect:1"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", quint16(sim.tcpPort()));
    ASSERT_TRUE(socket.waitForConnected(5000));
    EXPECT_EQ(exchange(socket, "VER"), "V223\r");
    socket.write("VER");
    EXPECT_TRUE(socket.state() == QAbstractSocket::UnconnectedState ||
                socket.waitForDisconnected(5000));
}

TEST(ControllerSimProcess, SignalsEndItCleanlyAndRemoveWhatItMade) {
    for (int signal : {SIGTERM, SIGINT}) {
        SimProcess sim({"--pty", "{dir}/COM1", "--usb", "{dir}/usb", "--tcp", "0"});
        ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
        ASSERT_TRUE(QFileInfo(sim.path("COM1")).isSymLink());
        ASSERT_TRUE(QFileInfo::exists(sim.path("usb/KTR01.sock")));
        ::kill(pid_t(sim.process().processId()), signal);
        ASSERT_TRUE(sim.process().waitForFinished(5000));
        EXPECT_EQ(sim.process().exitCode(), 0);
        EXPECT_FALSE(QFileInfo(sim.path("COM1")).isSymLink());
        EXPECT_TRUE(QDir(sim.path("usb")).isEmpty());
    }
}

TEST(ControllerSimProcess, RefusesBadOptionsWithAMessage) {
    for (const QStringList& arguments :
         {QStringList{"--tcp", "0", "--model", "XX-1"}, QStringList{"--tcp", "0", "--id", "1"},
          QStringList{"--tcp", "0", "--id", "02,02"}, QStringList{"--tcp", "0", "--baud", "1234"},
          QStringList{"--tcp", "0", "--fault", "x"}, QStringList{"--tcp", "0", "--state", "NOPE=1"},
          QStringList{"--tcp", "0", "--trace-limit", "0"}, QStringList{}, QStringList{"--pty"}}) {
        SimProcess sim(arguments);
        EXPECT_FALSE(sim.start(5000)) << arguments.join(' ').toStdString();
        EXPECT_EQ(sim.process().exitCode(), 2) << arguments.join(' ').toStdString();
    }
}

TEST(ControllerSimProcess, ProgramFileRunsOnSrOneAndIsTracedWhileNoHostAsks) {
    SimProcess sim({"--tcp", "0", "--program", "{dir}/CompileOut.txt", "--trace", "{dir}/trace"});
    // V1 = V1 + 1 and DELAY = 20 in an endless loop.
    writeFile(sim.path("CompileOut.txt"),
              "PS0\r\nCV1\r\nVR1\r\nVR1\r\nOX1\r\nDD20\r\nJR-5\r\n\r\n");
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", quint16(sim.tcpPort()));
    ASSERT_TRUE(socket.waitForConnected(5000));
    EXPECT_EQ(exchange(socket, "SA4"), "OX1\r");
    EXPECT_EQ(exchange(socket, "SA7"), "\r");
    EXPECT_EQ(exchange(socket, "SR=1"), "OK\r");
    QThread::msleep(300);
    EXPECT_EQ(exchange(socket, "SASTAT"), "1\r");
    EXPECT_GE(exchange(socket, "V1").trimmed().toInt(), 5);
    const qsizetype asked = SimProcess::readLog(sim.path("trace")).size();
    QThread::msleep(300);
    const QStringList trace = SimProcess::readLog(sim.path("trace"));
    EXPECT_GE(trace.size(), asked + 20) << "the program goes on while nobody asks";
    EXPECT_EQ(trace.mid(0, 4),
              (QStringList{"01 0 4 OX1 V1=1", "01 0 5 DD20", "01 0 6 JR-5", "01 0 4 OX1 V1=2"}));
}

TEST(ControllerSimProcess, TraceStopsAtItsLimitWithALineSayingSo) {
    SimProcess sim({"--tcp", "0", "--program", "{dir}/CompileOut.txt", "--trace", "{dir}/trace",
                    "--trace-limit", "50", "--state", "SR=1"});
    // V1 = V1 + 1 in an endless loop without DELAY.
    writeFile(sim.path("CompileOut.txt"), "PS0\r\nCV1\r\nVR1\r\nVR1\r\nOX1\r\nJR-4\r\n\r\n");
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    QThread::msleep(300);
    const QStringList trace = SimProcess::readLog(sim.path("trace"));
    ASSERT_EQ(trace.size(), 51);
    EXPECT_EQ(trace[49], "01 0 5 JR-4");
    EXPECT_EQ(trace[50], "trace stopped: the limit of 50 lines was reached");
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", quint16(sim.tcpPort()));
    ASSERT_TRUE(socket.waitForConnected(5000));
    EXPECT_EQ(exchange(socket, "SASTAT"), "1\r");
    EXPECT_GT(exchange(socket, "V1").trimmed().toInt(), 1000) << "the program runs on";
    EXPECT_EQ(SimProcess::readLog(sim.path("trace")).size(), 51);
}

TEST(ControllerSimProcess, RefusesACompiledFileThatReportsAFailedCompilation) {
    SimProcess sim({"--tcp", "0", "--program", "{dir}/CompileOut.txt"});
    writeFile(sim.path("CompileOut.txt"), "Failed Compile!\r\nMissing ENDIF\r\nLine: 7\r\n");
    EXPECT_FALSE(sim.start(5000));
    EXPECT_EQ(sim.process().exitCode(), 2);
    EXPECT_TRUE(
        sim.errorText().contains("failed compilation: Failed Compile! Missing ENDIF Line: 7"))
        << sim.errorText().toStdString();
}

TEST(ControllerSimProcess, RandomBytesOnEveryEndpointNeverKillIt) {
    SimProcess sim({"--pty", "{dir}/COM1", "--tcp", "0"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    QSerialPort port;
    ASSERT_TRUE(openPort(port, sim.path("COM1"), 9600));
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", quint16(sim.tcpPort()));
    ASSERT_TRUE(socket.waitForConnected(5000));
    QRandomGenerator random(4711);
    for (int round = 0; round < 200; ++round) {
        QByteArray noise(int(random.bounded(1, 300)), '\0');
        for (char& c : noise)
            c = char(random.bounded(256));
        if (round % 3 == 0) noise.prepend("@01");
        port.write(noise);
        socket.write(noise);
        port.waitForBytesWritten(100);
        socket.waitForBytesWritten(100);
    }
    drain(port);
    drain(socket);
    EXPECT_EQ(sim.process().state(), QProcess::Running);
    // The CR ends whatever frame the noise left open; VER's reply comes last.
    port.write("\r@01VER\r");
    EXPECT_TRUE(drain(port).endsWith("V223\r"));
    EXPECT_TRUE(sim.stop());
}

} // namespace
