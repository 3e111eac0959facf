#pragma once
// The samples the plot shows: the poll's cycles of the last ten minutes and the readings of the
// picked variables, each with its time. A gap (the link was lost) ends a trace where it was;
// nothing is drawn across it. What a time window shows is thinned to about one point per pixel
// column, keeping each column's lowest and highest value, so ten minutes draw as fast as ten
// seconds: every 64 samples in a row keep their lowest and highest value per column, and a long
// window is drawn from those blocks instead of each sample.

#include "motiondesk/plot/plot_columns.h"

#include <array>
#include <cstddef>
#include <deque>
#include <map>
#include <optional>
#include <vector>

namespace plot {

struct Point {
    double seconds;
    double value;
};
// Runs of points with no gap inside them.
using Segments = std::vector<std::vector<Point>>;

class History {
public:
    // The longest time window; older samples are dropped.
    static constexpr long long kKeepMs = 10 * 60 * 1000;

    void add(const Sample& sample);
    // The link was lost: the traces end at the last value read.
    void addGap();
    // A reading of variable V<number>.
    void addVariable(int number, long long ms, double value);
    void clear();

    // The latest time seen (0 before the first sample).
    long long latestMs() const { return latestMs_; }
    bool empty() const { return samples_.empty(); }
    std::size_t size() const { return samples_.size(); }

    // The column's points between the two times, thinned to at most 2 * buckets points per run.
    // Lamp columns come as steps (each change drawn upright).
    Segments column(std::size_t index, double fromSeconds, double toSeconds,
                    std::size_t buckets) const;
    Segments variable(int number, double fromSeconds, double toSeconds, std::size_t buckets) const;
    // Every column's value at a time: the last sample at or before it; nothing before the first
    // sample or inside a gap.
    std::optional<Sample> at(double seconds) const;
    std::optional<double> variableAt(int number, double seconds) const;

    static constexpr long long kBlock = 64;

private:
    struct Entry {
        Sample sample;
        bool gapBefore = false;
    };
    // Samples kBlock * n .. kBlock * (n + 1) - 1 by sequence number, when no gap lies inside.
    struct Block {
        std::array<Point, kColumnCount> low{}, high{};
        long long count = 0;
        bool broken = false; // a gap lies inside: its samples are drawn one by one
    };
    const Entry& entry(long long sequence) const {
        return samples_[std::size_t(sequence - firstSequence_)];
    }
    // The run's points of a column, from blocks where they lie wholly inside.
    std::vector<Point> runPoints(std::size_t index, long long begin, long long end) const;
    struct Reading {
        long long ms;
        double value;
        bool gapBefore;
    };
    void dropOld();

    std::deque<Entry> samples_;
    long long firstSequence_ = 0; // of samples_.front()
    std::deque<long long> gaps_;  // the sequence numbers of the samples a gap lies before
    std::deque<Block> blocks_;
    long long firstBlock_ = 0; // the block number of blocks_.front()
    std::map<int, std::deque<Reading>> variables_;
    bool gapPending_ = false;
    std::map<int, bool> variableGapPending_;
    long long latestMs_ = 0;
};

} // namespace plot
