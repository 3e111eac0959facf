#include "job_harness.h"

#include <gtest/gtest.h>

using namespace proglift_testing;
using jobfiles::LoaderOutcome;

namespace {

struct SlotJob {
    const char* name;
    const char* operation;
    const char* model;
    int programLines;
    int firstEmptied, lastEmptied; // slots emptied after the program; none when first > last
    const char* result;            // second line of a failure, or empty for success
};

void PrintTo(const SlotJob& job, std::ostream* out) {
    *out << job.name;
}

const SlotJob slotJobs[] = {
    {"HundredLinesThenRestOfPage", "DOWNLOAD", "QB-450", 100, 100, 169, ""},
    {"WholePageNeedsNoEmptying", "DOWNLOAD", "QB-450", 85, 1, 0, ""},
    {"OverTheLimitSendsNothing", "DOWNLOAD", "KT-210", 1786, 1, 0,
     "Controller can only support up to 1785 lines of compiled code."},
    {"ClearEmptiesEverySlot", "CLEAR", "KT-210", 0, 0, 1784, ""},
};

class SlotJobs : public ::testing::TestWithParam<std::tuple<SlotJob, Link>> {};

std::string slotJobName(const ::testing::TestParamInfo<std::tuple<SlotJob, Link>>& info) {
    return std::string(std::get<0>(info.param).name) + "_" + linkName(std::get<1>(info.param));
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Links, SlotJobs,
                         ::testing::Combine(::testing::ValuesIn(slotJobs),
                                            ::testing::Values(Link::Serial, Link::Usb,
                                                              Link::Ethernet)),
                         slotJobName);

TEST_P(SlotJobs, SendExactlyTheirCommandsAndReportThem) {
    const auto& [job, link] = GetParam();
    LoaderBench bench(job.model);
    bench.controller->setState("SA1784=XX");
    bench.writeSetup(link, job.operation, job.model);
    const auto lines = bench.writeProgram(job.programLines);
    const jobfiles::LoaderOutcome outcome = bench.run();
    const bool refused = *job.result != 0;
    EXPECT_EQ(outcome.success, !refused) << outcome.LastErrorText;
    const auto expected =
        refused ? std::vector<std::string>{}
                : joined(job.operation == std::string("CLEAR") ? std::vector<std::string>{}
                                                               : slotWrites(lines),
                         slotClears(job.firstEmptied, job.lastEmptied));
    EXPECT_EQ(bench.commands(), expected);
    EXPECT_EQ(bench.folder.read("DownloadOut.txt"),
              refused ? std::string("DOWNLOAD FAILED!\r\n") + job.result + "\r\n"
                      : "DOWNLOAD SUCCESS!\r\n");
}

// The models with 170-line pages are not reached over USB.
TEST(Download, FullProgramOnLongPagesIsEmptiedUpToTheLastSlot) {
    for (const Link link : {Link::Serial, Link::Ethernet}) {
        SCOPED_TRACE(linkName(link));
        LoaderBench bench("QW-310");
        bench.writeSetup(link, "DOWNLOAD", "QW-310");
        const auto lines = bench.writeProgram(1750);
        EXPECT_TRUE(bench.run().success);
        EXPECT_EQ(bench.commands(), joined(slotWrites(lines), slotClears(1750, 1784)));
    }
}

TEST(Download, SetupThatCannotBeTrustedSendsNothing) {
    struct Case {
        const char* operation;
        const char* lineLimit;
        const char* model;
        const char* text;
    };
    const Case cases[] = {
        {"DOWNLOAD", "abc", "KT-210", "Invalid line limit \"abc\"!"},
        {"DOWNLOAD", "0", "KT-210", "Invalid line limit \"0\"!"},
        {"DOWNLOAD", "-85", "KT-210", "Invalid line limit \"-85\"!"},
        {"DOWNLOAD", "1785", "KT-999", "Unknown controller model \"KT-999\"!"},
        // Cleared slot by slot, this limit would keep the loader busy for days.
        {"CLEAR", "2147483647", "KT-210",
         "Line limit 2147483647 is more than the 1785 slots of any controller!"},
        {"DOWNLOAD", "1786", "KT-210",
         "Line limit 1786 is more than the 1785 slots of any controller!"},
    };
    for (const auto& c : cases)
        for (const Link link : {Link::Serial, Link::Ethernet}) {
            SCOPED_TRACE(std::string(c.text) + " over " + linkName(link));
            LoaderBench bench;
            bench.writeSetup(link, c.operation, c.model, c.lineLimit);
            bench.writeProgram(3);
            EXPECT_FALSE(bench.run().success);
            EXPECT_TRUE(bench.commands().empty());
            EXPECT_EQ(bench.folder.read("DownloadOut.txt"),
                      std::string("DOWNLOAD FAILED!\r\n") + c.text + "\r\n");
        }
}

TEST(Download, WindowShowsPhasesCurrentCommandAndProgress) {
    LoaderBench bench("QB-450");
    bench.writeSetup(Link::Serial, "DOWNLOAD", "QB-450");
    bench.writeProgram(100);
    bench.run();
    EXPECT_EQ(bench.display.phases,
              (std::vector<std::string>{"Downloading new code...", "Clearing current page..."}));
    EXPECT_EQ(bench.display.lastCommand, "SA169=");
    EXPECT_EQ(bench.display.commandsShown, 170);
    EXPECT_EQ(bench.display.progressMaximum, 170);
}

TEST(Download, SerialLineThatDropsPartWayIsReportedAsACommunicationError) {
    LoaderBench bench;
    bench.controller->faults().setPlan(
        {.kind = simulator::FaultKind::Disconnect, .afterCommands = 10, .onlyCommand = ""});
    bench.writeSetup(Link::Serial, "DOWNLOAD", "KT-210");
    bench.writeProgram(100);
    EXPECT_FALSE(bench.run().success);
    const std::string result = bench.folder.read("DownloadOut.txt");
    EXPECT_EQ(result.rfind("DOWNLOAD FAILED!\r\n", 0), 0u) << result;
    EXPECT_NE(result.find("Communication Error!"), std::string::npos) << result;
}

TEST(Download, GarbageRepliesToSlotWritesAreNotLookedAt) {
    LoaderBench bench;
    bench.controller->faults().setPlan(
        {.kind = simulator::FaultKind::Garbage, .onlyCommand = "SA1"});
    bench.writeSetup(Link::Serial, "DOWNLOAD", "KT-210");
    const auto lines = bench.writeProgram(20);
    EXPECT_TRUE(bench.run().success);
    EXPECT_EQ(bench.commands(), joined(slotWrites(lines), slotClears(20, 84)));
}

TEST(Download, UsbLineTooLongForOneBlockFailsWithOverflow) {
    LoaderBench bench;
    bench.writeSetup(Link::Usb, "DOWNLOAD", "KT-210");
    // "SA1=" and 61 characters: one more than a 64-byte block holds.
    bench.folder.write("CompileOut.txt", "VR1\r\n" + std::string(61, 'C') + "\r\n\r\n");
    EXPECT_FALSE(bench.run().success);
    EXPECT_EQ(bench.commands(), (std::vector<std::string>{"SA0=VR1"}));
    EXPECT_EQ(
        bench.folder.read("DownloadOut.txt"),
        "DOWNLOAD FAILED!\r\nCommand string overflow!; slot 0 written; the controller holds a "
        "partial program\r\n");
}

TEST(Download, LinkThatCannotBeOpenedIsReportedAndNothingIsSent) {
    struct Case {
        const char* name;
        std::vector<std::string> setup;
        const char* text;
    };
    const Case cases[] = {
        {"serial port not there",
         {"LIN:1785", "COM:SERIAL", "POR:9", "BAU:9600", "DEV:01", "OPE:DOWNLOAD",
          "FIL:CompileOut.txt", "MOD:KT-210"},
         "Could not open serial port! No such file or directory"},
        {"no USB device with that ID",
         {"LIN:1785", "COM:USB", "DEV:02", "POR:1", "BAU:9600", "OPE:DOWNLOAD",
          "FIL:CompileOut.txt", "MOD:KT-210"},
         "Could not find USB device!"},
        {"model without a USB key",
         {"LIN:1785", "COM:USB", "DEV:01", "POR:1", "BAU:9600", "OPE:DOWNLOAD",
          "FIL:CompileOut.txt", "MOD:QB-440"},
         "Could not find USB device!"},
        {"no link named",
         {"LIN:1785", "POR:1", "BAU:9600", "DEV:01", "OPE:DOWNLOAD", "FIL:CompileOut.txt",
          "MOD:KT-210"},
         "Unknown communication method!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoaderBench bench;
        std::string setup;
        for (const auto& line : c.setup)
            setup += line + "\r\n";
        bench.folder.write("proglift_setup.txt", setup);
        bench.writeProgram(10);
        EXPECT_FALSE(bench.run().success);
        EXPECT_TRUE(bench.commands().empty());
        EXPECT_EQ(bench.folder.read("DownloadOut.txt"),
                  std::string("DOWNLOAD FAILED!\r\n") + c.text + "\r\n");
    }
}

TEST(DownloadOverEthernet, ConnectionThatFailsOrIsClosedEndsTheJob) {
    for (const bool closedPartWay : {false, true}) {
        SCOPED_TRACE(closedPartWay ? "closed part-way" : "never connected");
        LoaderBench bench;
        bench.writeSetup(Link::Ethernet, "DOWNLOAD", "KT-210");
        bench.writeProgram(50);
        bench.tcpConnects = closedPartWay;
        bench.controller->faults().setPlan(
            {.kind = simulator::FaultKind::Disconnect, .afterCommands = 20, .onlyCommand = ""});
        EXPECT_FALSE(bench.run().success);
        EXPECT_EQ(bench.folder.read("DownloadOut.txt"),
                  std::string("DOWNLOAD FAILED!\r\nCould not open TCP/IP socket!") +
                      (closedPartWay ? "; slots 0 to 19 written; the controller holds a partial "
                                       "program"
                                     : "") +
                      "\r\n");
        // The command that met the dropped line reached the controller but was never answered.
        EXPECT_EQ(bench.commands().size(), closedPartWay ? 21u : 0u);
    }
}
