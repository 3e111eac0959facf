#include "job_harness.h"

#include <gtest/gtest.h>

using namespace proglift_testing;

namespace {

// Fills slots 0 .. n-1 of the controller and returns what they hold.
std::vector<std::string> fillSlots(simulator::ControllerModel& controller, int count) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        lines.push_back(i % 7 == 3 ? "XX" : "CV" + std::to_string(i));
        controller.setState("SA" + std::to_string(i) + "=" + lines.back());
    }
    return lines;
}

std::string crlfJoined(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

} // namespace

TEST(Upload, ReadsSlotsUpToTheFirstEmptyOneOverEveryLink) {
    for (const Link link : {Link::Serial, Link::Usb, Link::Ethernet}) {
        SCOPED_TRACE(linkName(link));
        LoaderBench bench;
        const auto lines = fillSlots(*bench.controller, 12);
        bench.writeSetup(link, "UPLOAD", "KT-210");
        EXPECT_TRUE(bench.run().success);
        EXPECT_EQ(bench.commands(), slotReads(0, 12));
        EXPECT_EQ(bench.folder.read("UploadOut.txt"), crlfJoined(lines));
    }
}

TEST(Upload, FullControllerIsReadUpToTheLimitOverEveryLink) {
    for (const Link link : {Link::Serial, Link::Usb, Link::Ethernet}) {
        SCOPED_TRACE(linkName(link));
        LoaderBench bench;
        const auto lines = fillSlots(*bench.controller, 1785);
        bench.writeSetup(link, "UPLOAD", "KT-210");
        EXPECT_TRUE(bench.run().success);
        EXPECT_EQ(bench.commands(), slotReads(0, 1785));
        EXPECT_EQ(bench.folder.read("UploadOut.txt"), crlfJoined(lines));
    }
}

TEST(Upload, EmptyControllerGivesAnEmptyFile) {
    LoaderBench bench;
    bench.folder.write("UploadOut.txt", "CV1\r\nXX\r\n");
    bench.writeSetup(Link::Serial, "UPLOAD", "KT-210");
    EXPECT_TRUE(bench.run().success);
    EXPECT_EQ(bench.commands(), slotReads(0, 0));
    EXPECT_TRUE(bench.folder.exists("UploadOut.txt"));
    EXPECT_EQ(bench.folder.read("UploadOut.txt"), "");
}

TEST(Upload, FailurePartWayKeepsNoUploadedLines) {
    LoaderBench bench;
    fillSlots(*bench.controller, 30);
    bench.controller->faults().setPlan(
        {.kind = simulator::FaultKind::NoReply, .onlyCommand = "SA17"});
    bench.writeSetup(Link::Serial, "UPLOAD", "KT-210");
    EXPECT_FALSE(bench.run().success);
    EXPECT_EQ(bench.commands(), slotReads(0, 17));
    EXPECT_EQ(bench.folder.read("UploadOut.txt"),
              "UPLOAD FAILED!\r\nNo Reply to Command: SA17\r\n");
}

TEST(Upload, LinkProblemsFailTheUploadWithTheirText) {
    struct Case {
        Link link;
        const char* lineLimit;
        const char* setupOverride; // a line replacing COM, or empty
        const char* text;
    };
    const Case cases[] = {
        {Link::Serial, "x", "", "Invalid line limit \"x\"!"},
        {Link::Ethernet, "10000", "",
         "Line limit 10000 is more than the 1785 slots of any controller!"},
        {Link::Serial, "1785", "COM:RS485", "Communication Error!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        LoaderBench bench;
        fillSlots(*bench.controller, 3);
        bench.writeSetup(c.link, "UPLOAD", "KT-210", c.lineLimit);
        if (*c.setupOverride) {
            bench.folder.write("proglift_setup.txt", crlfLines({"LIN:1785", c.setupOverride,
                                                                "OPE:UPLOAD", "MOD:KT-210"}));
        }
        EXPECT_FALSE(bench.run().success);
        EXPECT_TRUE(bench.commands().empty());
        EXPECT_EQ(bench.folder.read("UploadOut.txt"),
                  std::string("UPLOAD FAILED!\r\n") + c.text + "\r\n");
    }
}
