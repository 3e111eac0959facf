#include "connection_harness.h"
#include "motiondesk/connection/serial_search.h"
#include "support/scripted_serial_link.h"

#include <gtest/gtest.h>

namespace {

using connection_testing::ConnectionHarness;
using Frames = std::vector<std::string>;

// Every frame a full pass over one port sends: IDs 01 to 09 at each of the five rates.
Frames fullPassFrames() {
    Frames frames;
    for (int rate = 0; rate < 5; ++rate)
        for (int id = 1; id <= 9; ++id)
            frames.push_back("@0" + std::to_string(id) + "DN");
    return frames;
}

class Search : public testing::Test {
protected:
    // Runs the search to its end, one tick at a time, as its window's timer would.
    void runSearch(bool searchAll) {
        link = world.services().makeSerialLink();
        search = std::make_unique<connection::SerialSearch>(*link, world.ui);
        search->SearchAll = searchAll;
        for (ticks = 1;; ++ticks) {
            const bool goOn = search->tick();
            progressSeen.push_back(search->progress());
            labelsSeen.push_back(search->progressLabel());
            if (!goOn) break;
            ASSERT_LT(ticks, 100000) << "the search never ends";
        }
    }
    bool sawLabel(const std::string& label) const {
        return std::find(labelsSeen.begin(), labelsSeen.end(), label) != labelsSeen.end();
    }

    ConnectionHarness world;
    std::unique_ptr<transport::SerialLink> link;
    std::unique_ptr<connection::SerialSearch> search;
    std::vector<int> progressSeen;
    std::vector<std::string> labelsSeen;
    int ticks = 0;
};

TEST_F(Search, FindsAControllerAfterTryingEveryRateAndIdOnTheEarlierPorts) {
    world.portWithBus(1);
    world.portWithBus(2);
    world.controllerOn(3, "02", 38400);
    runSearch(false);

    EXPECT_TRUE(search->SearchResult);
    EXPECT_EQ(search->PortNumber, 3);
    EXPECT_EQ(search->FoundBaud, "38400");
    EXPECT_EQ(search->FoundID, "02");
    EXPECT_EQ(world.framesOn(1), fullPassFrames());
    EXPECT_EQ(world.framesOn(2), fullPassFrames());
    const Frames fullPass = fullPassFrames();
    Frames onPort3(fullPass.begin(), fullPass.begin() + 18);
    onPort3.insert(onPort3.end(), {"@01DN", "@02DN"});
    EXPECT_EQ(world.framesOn(3), onPort3);
    EXPECT_EQ(world.portWithBus(3).frames().back().lineBaud, 38400);
    EXPECT_FALSE(link->isOpen()) << "the port is released for the main window";
    EXPECT_TRUE(world.ui.messages().empty());
}

TEST_F(Search, SearchAllListsEveryControllerOnTheLine) {
    world.controllerOn(1, "01", 9600);
    world.controllerOn(1, "04", 9600);
    world.controllerOn(2, "03", 115200);
    runSearch(true);

    EXPECT_EQ(search->SearchAllString, "Found on Com Port:1 Baud:9600 ID:01\r\n"
                                       "Found on Com Port:1 Baud:9600 ID:04\r\n"
                                       "Found on Com Port:2 Baud:115200 ID:03\r\n");
    EXPECT_EQ(world.framesOn(1), fullPassFrames()) << "search all goes on after a find";
}

TEST_F(Search, ControllersWithIdTenOrAboveAreNotFound) {
    world.controllerOn(1, "10", 9600);
    runSearch(false);
    EXPECT_FALSE(search->SearchResult);
    EXPECT_EQ(world.framesOn(1), fullPassFrames());
}

TEST_F(Search, WithoutAnyUsablePortItSaysSoAfterScanningFifteenPorts) {
    runSearch(false);
    EXPECT_EQ(world.ui.messages(), (std::vector<std::string>{"No Port Available!"}));
    EXPECT_EQ(ticks, 16) << "fifteen ports scanned, then the end";
    EXPECT_FALSE(search->SearchResult);
}

TEST_F(Search, CancelClosesThePortAtTheNextTick) {
    world.controllerOn(4, "09", 9600);
    link = world.services().makeSerialLink();
    connection::SerialSearch search(*link, world.ui);
    while (!(search.Step == 4 && link->isOpen()))
        ASSERT_TRUE(search.tick());
    search.StartSearch = false;
    EXPECT_FALSE(search.tick());
    EXPECT_FALSE(link->isOpen());
    EXPECT_FALSE(search.SearchResult);
}

TEST_F(Search, ShowsWhereItIsAndKeepsProgressWithinTheBar) {
    for (int port = 1; port <= 15; ++port)
        world.portWithBus(port);
    world.controllerOn(15, "09", 115200);
    runSearch(false);

    EXPECT_EQ(labelsSeen.front(), "Checking Port 1");
    EXPECT_EQ(progressSeen.front(), 30);
    EXPECT_EQ(labelsSeen[14], "Checking Port 15");
    EXPECT_EQ(progressSeen[14], 450);
    EXPECT_EQ(labelsSeen[15], "Found Port 1.");
    EXPECT_EQ(progressSeen[15], 480);
    EXPECT_EQ(labelsSeen[16], "Trying Port 1, Baud:9600");
    EXPECT_EQ(progressSeen[16], 490);
    EXPECT_EQ(labelsSeen[17], "Trying Port 1, Baud:9600 ID:01");
    EXPECT_TRUE(sawLabel("Trying Port 15, Baud:115200 ID:09"));
    EXPECT_EQ(*std::max_element(progressSeen.begin(), progressSeen.end()), 1000);
    EXPECT_EQ(progressSeen.back(), 1000);
    EXPECT_TRUE(search->SearchResult);
}

TEST_F(Search, ALineThatNeverFallsSilentDoesNotHoldTheSearch) {
    testing_support::ScriptedSerialLink noisy;
    noisy.responder = [](const std::string&) { return std::string(3000, 'x'); };
    connection::SerialSearch search(noisy, world.ui);
    search.ComMax = 1;
    int ticks = 0;
    while (search.tick())
        ASSERT_LT(++ticks, 1000);
    EXPECT_EQ(noisy.writes.size(), 45u);
    EXPECT_FALSE(search.SearchResult);
}

TEST_F(Search, AnswersWithoutTheModelWordAreNotAFind) {
    testing_support::ScriptedSerialLink line;
    line.responder = [](const std::string& frame) {
        return frame == "@03DN\r" ? std::string("#03QW310\r") : std::string();
    };
    connection::SerialSearch search(line, world.ui);
    search.ComMax = 1;
    while (search.tick()) {
    }
    EXPECT_FALSE(search.SearchResult);
    EXPECT_EQ(line.opens.front(), (std::pair<int, std::string>{1, "9600,N,8,1"}));
    EXPECT_EQ(line.opens.back(), (std::pair<int, std::string>{1, "115200,N,8,1"}));
}

} // namespace
