// The plot's history and its recording, without a window.

#include "motiondesk/plot/plot_history.h"
#include "motiondesk/plot/recording.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

namespace {

using plot::columnIndex;

plot::Sample sample(long long ms, double position, bool home = false) {
    plot::Sample s;
    s.ms = ms;
    s.values[columnIndex("position")] = position;
    s.values[columnIndex("home")] = home;
    return s;
}

TEST(PlotHistory, AGapEndsATraceAndThinningKeepsTheExtremes) {
    plot::History history;
    for (int i = 0; i < 1000; ++i)
        history.add(sample(i * 10, i == 500 ? 9999 : i % 7, i >= 300));
    history.addGap();
    history.add(sample(20000, 5));
    history.add(sample(20010, 6));

    const auto position = history.column(columnIndex("position"), 0, 30, 50);
    ASSERT_EQ(position.size(), 2u); // the gap splits the trace
    EXPECT_LE(position[0].size(), 100u);
    double highest = 0;
    for (const auto& p : position[0])
        highest = std::max(highest, p.value);
    EXPECT_EQ(highest, 9999); // a spike survives the thinning
    EXPECT_EQ(position[1].size(), 2u);

    // A lamp is a step: its change is drawn upright.
    const auto home = history.column(columnIndex("home"), 2.9, 3.1, 1000);
    ASSERT_EQ(home.size(), 1u);
    bool upright = false;
    for (size_t i = 1; i < home[0].size(); ++i)
        upright = upright || (home[0][i].seconds == home[0][i - 1].seconds &&
                              home[0][i].value != home[0][i - 1].value);
    EXPECT_TRUE(upright);

    // Inside the gap nothing is read; before and after it the last sample is.
    EXPECT_EQ(history.at(5.005)->values[columnIndex("position")], 9999);
    EXPECT_FALSE(history.at(15.0));
    EXPECT_EQ(history.at(20.005)->values[columnIndex("position")], 5);
    EXPECT_FALSE(history.at(-1));
}

TEST(PlotHistory, OnlyTheLastTenMinutesAreKept) {
    plot::History history;
    for (long long ms = 0; ms <= 11 * 60 * 1000; ms += 1000)
        history.add(sample(ms, double(ms)));
    EXPECT_EQ(history.size(), 601u);
    EXPECT_FALSE(history.at(30.0));
}

TEST(Recording, StreamsEveryRowWithItsTimeAndStopsOnAFullDisk) {
    testing_support::ScratchFolder folder;
    const std::string path = folder.str() + "/run.csv";
    plot::Recording recording;
    ASSERT_FALSE(recording.start(path, {7}));
    ASSERT_TRUE(recording.add(sample(5000, 12), {std::nullopt}));
    ASSERT_TRUE(recording.add(sample(5040, -3.5, true), {42.0}));
    EXPECT_FALSE(recording.stop());
    const std::string text = folder.read("run.csv");
    const std::string header = text.substr(0, text.find('\n'));
    EXPECT_EQ(header.rfind("time_ms,position,encoder,", 0), 0u);
    EXPECT_EQ(header.substr(header.size() - 3), ",V7");
    const std::string second = text.substr(text.find('\n') + 1);
    EXPECT_EQ(second.rfind("0,12,0,", 0), 0u) << second;
    EXPECT_NE(text.find("\n40,-3.5,0,"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 4), ",42\n");

    plot::Recording full;
    ASSERT_FALSE(full.start("/dev/full"));
    bool written = true;
    for (int i = 0; i < 200 && written; ++i)
        written = full.add(sample(i, i));
    EXPECT_FALSE(written);
    EXPECT_FALSE(full.active());
    EXPECT_NE(full.failure().find("No space left on device"), std::string::npos) << full.failure();
}

} // namespace
