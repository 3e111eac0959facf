// The whole loader run in-process: set-up file, window, step timer, links and result file, with
// the real TCP link against a controller served from the test.

#include "job_harness.h"
#include "proglift/windows/job_window.h"
#include "proglift/windows/loader_program.h"
#include "support/sim_process.h"
#include "tcp_controller.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace proglift_testing;

namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "proglift_program_tests";
    static char* argv[] = {name, nullptr};
    static QApplication instance(argc, argv);
    return instance;
}

// Fast time-outs so that a silent peer costs a fraction of a second.
transport::LinkFactory tcpFactory(const ScratchFolder& folder) {
    return transport::LinkFactory::real(
        folder.str(), {.connectWaitMs = 2000, .replyTimeoutMs = 300, .replySilenceMs = 50});
}

void writeTcpSetup(const ScratchFolder& folder, const std::string& operation, int port,
                   const std::string& lineLimit = "1785") {
    folder.write("proglift_setup.txt",
                 crlfLines({"LIN:" + lineLimit, "COM:ETHERNET", "IPA:127.0.0.1",
                            "POR:" + std::to_string(port), "OPE:" + operation, "FIL:CompileOut.txt",
                            "MOD:QB-450"}));
}

// Sockets need the application to exist before they are made.
struct WithApplication {
    WithApplication() { application(); }
};

class LoaderProgram : public ::testing::Test, private WithApplication {
protected:
    std::vector<std::string> writeProgram(int count) {
        std::vector<std::string> lines;
        std::string bytes;
        for (int i = 0; i < count; ++i) {
            lines.push_back("CV" + std::to_string(i));
            bytes += lines.back() + "\r\n";
        }
        folder.write("CompileOut.txt", bytes + "\r\n");
        return lines;
    }

    simulator::ControllerModel controller{{.model = "QB-450"}};
    TcpController peer{controller};
    ScratchFolder folder;
};

} // namespace

TEST_F(LoaderProgram, DownloadOverTcpWritesTheProgramAndReportsSuccess) {
    writeTcpSetup(folder, "DOWNLOAD", peer.port());
    const auto lines = writeProgram(100);
    EXPECT_EQ(proglift::runLoader(folder.str(), tcpFactory(folder)), 0);
    EXPECT_EQ(peer.received(), joined(slotWrites(lines), slotClears(100, 169)));
    EXPECT_EQ(folder.read("DownloadOut.txt"), "DOWNLOAD SUCCESS!\r\n");
}

TEST_F(LoaderProgram, UploadOverTcpKeepsTheSlotTextOnlyEvenWhenRepliesComeInPieces) {
    for (int i = 0; i < 5; ++i)
        controller.setState("SA" + std::to_string(i) + "=CV" + std::to_string(i));
    controller.setState("SA2=X"); // a one-character slot is still a slot
    peer.set({.splitReplies = true, .terminator = "\r\n"});
    writeTcpSetup(folder, "UPLOAD", peer.port());
    EXPECT_EQ(proglift::runLoader(folder.str(), tcpFactory(folder)), 0);
    EXPECT_EQ(peer.received(), slotReads(0, 5));
    EXPECT_EQ(folder.read("UploadOut.txt"), "CV0\r\nCV1\r\nX\r\nCV3\r\nCV4\r\n");
}

TEST_F(LoaderProgram, ReplyThatNeverReachesItsCarriageReturnIsATimeOut) {
    peer.set({.terminator = ""});
    writeTcpSetup(folder, "DOWNLOAD", peer.port());
    writeProgram(80);
    EXPECT_EQ(proglift::runLoader(folder.str(), tcpFactory(folder)), 1);
    EXPECT_EQ(peer.received(), (std::vector<std::string>{"SA0=CV0"}));
    EXPECT_EQ(folder.read("DownloadOut.txt"),
              "DOWNLOAD FAILED!\r\nNo Reply to Command: SA0=CV0\r\n");
}

TEST_F(LoaderProgram, TcpPeerThatClosesOrFallsSilentEndsTheRunWithItsText) {
    struct Case {
        int closeAfter, silentAfter;
        const char* text;
    };
    const Case cases[] = {
        {20, -1, "Could not open TCP/IP socket!"},
        {-1, 20, "No Reply to Command: SA20=CV20"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        simulator::ControllerModel model({.model = "QB-450"});
        TcpController failing(model);
        failing.set({.closeAfterCommands = c.closeAfter, .silentAfterCommands = c.silentAfter});
        writeTcpSetup(folder, "DOWNLOAD", failing.port());
        writeProgram(50);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(proglift::runLoader(folder.str(), tcpFactory(folder)), 1);
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_EQ(failing.received().size(), 21u);
        EXPECT_EQ(folder.read("DownloadOut.txt"),
                  std::string("DOWNLOAD FAILED!\r\n") + c.text +
                      "; slots 0 to 19 written; the controller holds a partial program\r\n");
    }
}

TEST_F(LoaderProgram, NobodyListeningFailsFast) {
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost, 0);
    const int port = closed.serverPort();
    closed.close();
    writeTcpSetup(folder, "UPLOAD", port);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(proglift::runLoader(folder.str(), tcpFactory(folder)), 1);
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(folder.read("UploadOut.txt"), "UPLOAD FAILED!\r\nCould not open TCP/IP socket!\r\n");
}

TEST_F(LoaderProgram, NoValidOperationEndsWithoutWritingAnything) {
    folder.write("proglift_setup.txt", crlfLines({"LIN:1785", "COM:SERIAL", "OPE:download"}));
    EXPECT_EQ(proglift::runLoader(folder.str(), tcpFactory(folder)), 0);
    EXPECT_EQ(folder.fileCount(), 1u);
}

TEST_F(LoaderProgram, CancelledUploadIsReportedInsteadOfLeavingTheLastResult) {
    folder.write("UploadOut.txt", "CV1\r\nXX\r\n");
    for (int i = 0; i < 1785; ++i)
        controller.setState("SA" + std::to_string(i) + "=CV" + std::to_string(i));
    peer.set({.replyDelayMs = 20});
    writeTcpSetup(folder, "UPLOAD", peer.port());
    // The user clicks Cancel once the window is up and reading has begun; the controller answers
    // slowly, so the upload is far from its end.
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [this] {
        if (peer.received().size() < 3) return;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == "CompilerForm" && window->isVisible())
                window->findChild<QPushButton*>("Cancel")->click();
        }
    });
    clicker.start(20);
    EXPECT_EQ(proglift::runLoader(folder.str(), tcpFactory(folder)), 1);
    EXPECT_LT(peer.received().size(), 100u);
    EXPECT_EQ(folder.read("UploadOut.txt"), "UPLOAD FAILED!\r\nUpload cancelled!\r\n");
}

// A result that cannot be written (its temporary file cannot be made, as on a full disk) gives way
// to the failure, and a temporary file an earlier run left is gone. An earlier result that cannot
// be removed stops the run before anything is sent, since it could not report what it did.
TEST_F(LoaderProgram, EarlierResultNeverStandsForThisRun) {
    for (const bool removable : {true, false}) {
        LoaderBench bench;
        bench.writeSetup(Link::Serial, "DOWNLOAD", "KT-210");
        bench.writeProgram(10);
        const std::string path = bench.folder.str() + "/DownloadOut.txt";
        bench.folder.write("DownloadOut.txt.tmp4242", "DOWNLOAD SUCC");
        if (removable) bench.folder.write("DownloadOut.txt", "DOWNLOAD SUCCESS!\r\n");
        // Every name the temporary could take is held; or the result's own name.
        const std::string temporary = path + ".tmp" + std::to_string(::getpid());
        for (int attempt = 0; attempt < (removable ? 100 : 1); ++attempt) {
            const std::string blocked = !removable     ? path
                                        : attempt == 0 ? temporary
                                                       : temporary + std::to_string(attempt);
            std::filesystem::create_directories(blocked + "/x");
        }
        EXPECT_EQ(proglift::runLoader(bench.folder.str(), bench.factory()), 1);
        EXPECT_FALSE(bench.folder.exists("DownloadOut.txt.tmp4242"));
        EXPECT_EQ(bench.commands().size(), removable ? 85u : 0u);
        if (!removable) continue;
        EXPECT_EQ(bench.folder.read("DownloadOut.txt"),
                  "DOWNLOAD FAILED!\r\nCould not write the result " + path + ": File exists\r\n");
    }
}

// Clearing every slot of a slow controller takes minutes; closing the window ends it.
TEST_F(LoaderProgram, ClosingTheWindowEndsAClear) {
    using testing_support::SimProcess;
    SimProcess sim({"--pty", QString::fromStdString(folder.str() + "/ports/COM1"), "--fault",
                    "slow:5", "--log", "{dir}/commands.log"});
    std::filesystem::create_directories(folder.path() / "ports");
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    folder.write("proglift_setup.txt", crlfLines({"LIN:1785", "COM:SERIAL", "POR:1", "BAU:9600",
                                                  "DEV:01", "OPE:CLEAR", "MOD:KT-210"}));
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&sim] {
        if (SimProcess::readLog(sim.path("commands.log")).size() < 5) return;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->objectName() == "DownloadForm") window->close();
    });
    closer.start(20);
    EXPECT_EQ(proglift::runLoader(folder.str(), transport::LinkFactory::real(folder.str())), 1);
    const auto sent = SimProcess::readLog(sim.path("commands.log")).size();
    EXPECT_LT(sent, 100);
    EXPECT_EQ(folder.read("DownloadOut.txt"),
              "DOWNLOAD FAILED!\r\nDownload cancelled!; slots 0 to " + std::to_string(sent - 1) +
                  " emptied; the controller holds a partial program\r\n");
}

TEST(JobWindow, NamesCaptionAndTextsFollowTheJob) {
    application();
    proglift::JobWindow download(proglift::JobWindow::Kind::Download);
    EXPECT_EQ(download.objectName(), "DownloadForm");
    EXPECT_EQ(download.windowTitle(), "SA Download");
    EXPECT_EQ(download.findChild<QPushButton*>("Cancel"), nullptr);

    proglift::JobWindow upload(proglift::JobWindow::Kind::Upload);
    EXPECT_EQ(upload.objectName(), "CompilerForm");
    EXPECT_EQ(upload.windowTitle(), "SA Upload");
    upload.showPhase("Uploading the program...");
    upload.setProgressMaximum(1785);
    for (int slot = 0; slot <= 12; ++slot) {
        upload.showCommand("SA" + std::to_string(slot));
        upload.setProgressValue(slot / 2);
    }
    EXPECT_EQ(upload.findChild<QLabel*>("label")->text(), "Uploading the program...");
    EXPECT_EQ(upload.findChild<QProgressBar*>("Progress")->maximum(), 1785);
    // Commands come faster than frames; the last one shows within a frame or two.
    auto* progressLabel = upload.findChild<QLabel*>("ProgressLabel");
    auto* progress = upload.findChild<QProgressBar*>("Progress");
    QElapsedTimer deadline;
    deadline.start();
    while ((progressLabel->text() != "SA12" || progress->value() != 6) && deadline.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(progressLabel->text(), "SA12");
    EXPECT_EQ(progress->value(), 6);
}
