// How long the loader takes to download a full program (1,785 lines) to controller-sim, against
// the same 1,785 exchanges made bare: SendCommand over the pseudo-terminal, write-and-wait over
// TCP. The download is timed as the program runs it (set-up file, link, window, step timer,
// result file), without the process start. A last run paces the pseudo-terminal at 115200 baud
// and sets the download against the time its characters need on the wire.
//
//   proglift_bench [runs]        (controller-sim is looked for beside the build; default 5 runs)

#include "link/clock.h"
#include "link/command_transport.h"
#include "link/serial_port_link.h"
#include "proglift/windows/loader_program.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int ProgramLines = 1785;

// Compiled lines of the lengths a real program has: operands, instructions, jumps, markers.
std::vector<std::string> compiledProgram() {
    const char* shapes[] = {"VR", "CV", "&84$", "&179$", "JI3$2", "AM", "OX1", "&8$255"};
    std::vector<std::string> lines;
    for (int i = 0; i < ProgramLines; ++i) {
        std::string line = shapes[i % 8];
        if (line.back() != '2' && line != "AM" && line != "OX1" && line != "&8$255")
            line += std::to_string((i * 7919) % 100000);
        lines.push_back(i == ProgramLines - 1 ? "XX" : line);
    }
    return lines;
}

std::vector<std::string> slotWrites(const std::vector<std::string>& lines) {
    std::vector<std::string> commands;
    for (size_t i = 0; i < lines.size(); ++i)
        commands.push_back("SA" + std::to_string(i) + "=" + lines[i]);
    return commands;
}

QString findSimulator() {
    QDir dir(QCoreApplication::applicationDirPath());
    for (int up = 0; up < 3; ++up) {
        if (QFileInfo(dir.filePath("controller-sim")).isExecutable())
            return dir.filePath("controller-sim");
        dir.cdUp();
    }
    return {};
}

// controller-sim on a pseudo-terminal (linked as ports/COM1 of folder) and on TCP.
class Simulator {
public:
    bool start(const QString& program, const QString& folder, int baud, bool wireTime) {
        QStringList arguments = {"--pty",  folder + "/ports/COM1", "--tcp", "0",
                                 "--baud", QString::number(baud)};
        if (wireTime) arguments << "--wire-time";
        process_.start(program, arguments);
        while (process_.waitForReadyRead(10000)) {
            while (process_.canReadLine()) {
                const QString line = QString::fromLatin1(process_.readLine()).trimmed();
                if (line.startsWith("tcp ")) tcpPort = line.section(' ', 1, 1).toInt();
                if (line == "ready") return true;
            }
        }
        return false;
    }
    ~Simulator() {
        process_.terminate();
        process_.waitForFinished(5000);
    }
    int tcpPort = 0;

private:
    QProcess process_;
};

void writeFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// One download run of the loader in folder; seconds, or a negative value on failure.
double timeDownload(const QString& folder, const std::string& linkLines, int baud) {
    writeFile(folder + "/proglift_setup.txt",
              "LIN:1785\r\n" + linkLines + "BAU:" + std::to_string(baud) +
                  "\r\nDEV:01\r\nOPE:DOWNLOAD\r\nFIL:CompileOut.txt\r\nMOD:KT-210\r\n");
    QElapsedTimer clock;
    clock.start();
    const std::string where = folder.toStdString();
    const int exitCode = proglift::runLoader(where, transport::LinkFactory::real(where));
    const double seconds = clock.nsecsElapsed() / 1e9;
    return exitCode == 0 ? seconds : -1;
}

double timeBareSerial(const QString& folder, const std::vector<std::string>& commands, int baud) {
    transport::ConnectionState state;
    state.LinkType = transport::LinkSerial;
    state.SerialPort = 1;
    state.BaudRate = std::to_string(baud);
    transport::SerialPortLink port(folder.toStdString());
    transport::RealClock clock;
    transport::CommandTransport transport(state, transport::TransportPolicy::proglift(), &port,
                                          nullptr, nullptr, clock);
    if (!transport.OpenSerialPort()) return -1;
    state.LinkOpen = true;
    QElapsedTimer timer;
    timer.start();
    std::string reply;
    for (const auto& command : commands)
        if (transport.SendCommand(command, reply) < 0) return -1;
    return timer.nsecsElapsed() / 1e9;
}

double timeBareTcp(int port, const std::vector<std::string>& commands) {
    QTcpSocket socket;
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket.connectToHost("127.0.0.1", static_cast<quint16>(port));
    if (!socket.waitForConnected(5000)) return -1;
    QElapsedTimer timer;
    timer.start();
    for (const auto& command : commands) {
        socket.write(command.data(), static_cast<qint64>(command.size()));
        QByteArray reply;
        while (!reply.contains('\r')) {
            if (!socket.waitForReadyRead(3000)) return -1;
            reply += socket.readAll();
        }
    }
    return timer.nsecsElapsed() / 1e9;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Series {
    explicit Series(const char* seriesName) : name(seriesName) {}
    const char* name;
    std::vector<double> seconds;
    bool failed = false;
    void add(double value) {
        if (value < 0)
            failed = true;
        else
            seconds.push_back(value);
    }
    double middle() const { return seconds.empty() ? 0 : median(seconds); }
};

void report(const Series& series) {
    if (series.failed || series.seconds.empty()) {
        std::printf("  %-34s FAILED\n", series.name);
        return;
    }
    std::printf("  %-34s median %8.1f ms over %zu runs\n", series.name, series.middle() * 1e3,
                series.seconds.size());
}

// Characters on the wire for the download: "@01" + command + CR out, "OK" + CR back.
double wireSeconds(const std::vector<std::string>& commands, int baud) {
    long long characters = 0;
    for (const auto& command : commands)
        characters += 3 + command.size() + 1 + 3;
    return characters * 10.0 / baud;
}

void writeProgram(const QString& folder, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines)
        bytes += line + "\r\n";
    writeFile(folder + "/CompileOut.txt", bytes + "\r\n");
}

// A run that sends nothing: what the program costs besides its exchanges (start delay, window,
// link, files).
double timeEmptyDownload(const QString& folder, const std::string& linkLines, int baud,
                         const std::vector<std::string>& program) {
    writeProgram(folder, {});
    const double seconds = timeDownload(folder, linkLines, baud);
    writeProgram(folder, program);
    return seconds;
}

int compareLinks(const QString& simulator, const std::vector<std::string>& commands, int runs) {
    QTemporaryDir folder;
    Simulator sim;
    const auto program = compiledProgram();
    if (!QDir(folder.path()).mkpath("ports") || !sim.start(simulator, folder.path(), 9600, false)) {
        std::fprintf(stderr, "controller-sim did not start\n");
        return 1;
    }
    const std::string tcpLines =
        "COM:ETHERNET\r\nIPA:127.0.0.1\r\nPOR:" + std::to_string(sim.tcpPort) + "\r\n";
    Series ptyDownload{"pseudo-terminal: download"}, ptyBare{"pseudo-terminal: bare exchanges"};
    Series tcpDownload{"TCP: download"}, tcpBare{"TCP: bare exchanges"};
    Series ptyEmpty{"pseudo-terminal: run sending nothing"}, tcpEmpty{"TCP: run sending nothing"};
    const std::string ptyLines = "COM:SERIAL\r\nPOR:1\r\n";
    writeProgram(folder.path(), program);
    for (int run = 0; run < runs; ++run) {
        ptyDownload.add(timeDownload(folder.path(), ptyLines, 9600));
        ptyBare.add(timeBareSerial(folder.path(), commands, 9600));
        ptyEmpty.add(timeEmptyDownload(folder.path(), ptyLines, 9600, program));
        tcpDownload.add(timeDownload(folder.path(), tcpLines, 9600));
        tcpBare.add(timeBareTcp(sim.tcpPort, commands));
        tcpEmpty.add(timeEmptyDownload(folder.path(), tcpLines, 9600, program));
    }
    std::printf("%d-line download against %d bare exchanges of the same commands\n", ProgramLines,
                ProgramLines);
    for (const Series* series :
         {&ptyDownload, &ptyBare, &ptyEmpty, &tcpDownload, &tcpBare, &tcpEmpty})
        report(*series);
    std::printf("  ratio download / bare: pseudo-terminal %.2fx, TCP %.2fx (target 1.3x)\n",
                ptyDownload.middle() / ptyBare.middle(), tcpDownload.middle() / tcpBare.middle());
    std::printf("  less a run sending nothing: pseudo-terminal %.2fx, TCP %.2fx\n",
                (ptyDownload.middle() - ptyEmpty.middle()) / ptyBare.middle(),
                (tcpDownload.middle() - tcpEmpty.middle()) / tcpBare.middle());
    return ptyDownload.failed || ptyBare.failed || tcpDownload.failed || tcpBare.failed ||
           ptyEmpty.failed || tcpEmpty.failed;
}

int compareWithWire(const QString& simulator, const std::vector<std::string>& commands, int runs) {
    constexpr int Baud = 115200;
    QTemporaryDir folder;
    Simulator sim;
    if (!QDir(folder.path()).mkpath("ports") || !sim.start(simulator, folder.path(), Baud, true)) {
        std::fprintf(stderr, "controller-sim did not start\n");
        return 1;
    }
    Series download{"115200 baud, paced: download"}, bare{"115200 baud, paced: bare exchanges"};
    writeProgram(folder.path(), compiledProgram());
    for (int run = 0; run < runs; ++run) {
        download.add(timeDownload(folder.path(), "COM:SERIAL\r\nPOR:1\r\n", Baud));
        bare.add(timeBareSerial(folder.path(), commands, Baud));
    }
    const double wire = wireSeconds(commands, Baud);
    report(download);
    report(bare);
    std::printf("  characters on the wire need %.1f ms: download %.2fx, bare %.2fx the wire time\n",
                wire * 1e3, download.middle() / wire, bare.middle() / wire);
    return download.failed || bare.failed;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    // Options meant for other benchmarks (scripts/bench passes its arguments to all) are ignored.
    const bool runsGiven = argc > 1 && argv[1][0] >= '1' && argv[1][0] <= '9';
    const int runs = runsGiven ? std::max(1, std::atoi(argv[1])) : 5;
    const QString simulator = findSimulator();
    if (simulator.isEmpty()) {
        std::fprintf(stderr, "controller-sim not found near %s\n",
                     qPrintable(QCoreApplication::applicationDirPath()));
        return 1;
    }
    const auto commands = slotWrites(compiledProgram());
    int failures = compareLinks(simulator, commands, runs);
    failures += compareWithWire(simulator, commands, runs);
    return failures == 0 ? 0 : 1;
}
