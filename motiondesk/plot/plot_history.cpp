#include "motiondesk/plot/plot_history.h"

#include <algorithm>
#include <cmath>

namespace plot {

namespace {

// Thins one run to at most two points per bucket (the lowest and the highest, in time order),
// keeping its first and last point.
template <typename Get>
std::vector<Point> thin(std::size_t begin, std::size_t end, Get get, double from, double to,
                        std::size_t buckets) {
    std::vector<Point> out;
    if (begin >= end) return out;
    if (end - begin <= 2 * buckets) {
        for (std::size_t i = begin; i < end; ++i)
            out.push_back(get(i));
        return out;
    }
    const double width = (to - from) / double(std::max<std::size_t>(1, buckets));
    std::size_t i = begin;
    while (i < end) {
        const Point first = get(i);
        const double bucketEnd = from + (std::floor((first.seconds - from) / width) + 1) * width;
        Point low = first, high = first;
        std::size_t j = i;
        for (; j < end && get(j).seconds < bucketEnd; ++j) {
            const Point p = get(j);
            if (p.value < low.value) low = p;
            if (p.value > high.value) high = p;
        }
        // A bucket that holds one value draws as one point.
        if (low.value == high.value) {
            out.push_back(first);
        } else if (low.seconds <= high.seconds) {
            out.push_back(low);
            out.push_back(high);
        } else {
            out.push_back(high);
            out.push_back(low);
        }
        i = j;
    }
    // The run ends where its last sample is.
    if (out.back().seconds != get(end - 1).seconds) out.push_back(get(end - 1));
    return out;
}

} // namespace

void History::add(const Sample& sample) {
    const long long sequence = firstSequence_ + (long long)samples_.size();
    samples_.push_back({sample, gapPending_});
    if (gapPending_) gaps_.push_back(sequence);
    const long long number = sequence / kBlock;
    while (firstBlock_ + (long long)blocks_.size() <= number)
        blocks_.emplace_back();
    Block& block = blocks_[std::size_t(number - firstBlock_)];
    if (gapPending_ && sequence % kBlock != 0) block.broken = true;
    const double seconds = double(sample.ms) / 1000.0;
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        const Point point{seconds, sample.values[i]};
        if (block.count == 0 || point.value < block.low[i].value) block.low[i] = point;
        if (block.count == 0 || point.value > block.high[i].value) block.high[i] = point;
    }
    ++block.count;
    gapPending_ = false;
    latestMs_ = std::max(latestMs_, sample.ms);
    dropOld();
}

void History::addGap() {
    if (!samples_.empty()) gapPending_ = true;
    for (auto& [number, readings] : variables_)
        if (!readings.empty()) variableGapPending_[number] = true;
}

void History::addVariable(int number, long long ms, double value) {
    bool& gap = variableGapPending_[number];
    variables_[number].push_back({ms, value, gap});
    gap = false;
    latestMs_ = std::max(latestMs_, ms);
    dropOld();
}

void History::clear() {
    samples_.clear();
    gaps_.clear();
    blocks_.clear();
    firstSequence_ = 0;
    firstBlock_ = 0;
    variables_.clear();
    variableGapPending_.clear();
    gapPending_ = false;
    latestMs_ = 0;
}

void History::dropOld() {
    const long long oldest = latestMs_ - kKeepMs;
    while (!samples_.empty() && samples_.front().sample.ms < oldest) {
        samples_.pop_front();
        ++firstSequence_;
    }
    while (!gaps_.empty() && gaps_.front() < firstSequence_)
        gaps_.pop_front();
    // A block that has lost samples at its front is drawn sample by sample until it goes.
    while (!blocks_.empty() && (firstBlock_ + 1) * kBlock <= firstSequence_) {
        blocks_.pop_front();
        ++firstBlock_;
    }
    for (auto& [number, readings] : variables_)
        while (!readings.empty() && readings.front().ms < oldest)
            readings.pop_front();
}

std::vector<Point> History::runPoints(std::size_t index, long long begin, long long end) const {
    std::vector<Point> points;
    long long at = begin;
    while (at < end) {
        const long long number = at / kBlock;
        const bool whole =
            at % kBlock == 0 && at + kBlock <= end && number >= firstBlock_ && at >= firstSequence_;
        if (whole) {
            const Block& block = blocks_[std::size_t(number - firstBlock_)];
            if (!block.broken && block.count == kBlock) {
                const Point& low = block.low[index];
                const Point& high = block.high[index];
                if (low.value == high.value) {
                    points.push_back({double(entry(at).sample.ms) / 1000.0, low.value});
                } else {
                    points.push_back(low.seconds <= high.seconds ? low : high);
                    points.push_back(low.seconds <= high.seconds ? high : low);
                }
                at += kBlock;
                continue;
            }
        }
        const Entry& e = entry(at);
        points.push_back({double(e.sample.ms) / 1000.0, e.sample.values[index]});
        ++at;
    }
    // The run ends where its last sample is.
    const Entry& last = entry(end - 1);
    if (points.back().seconds != double(last.sample.ms) / 1000.0)
        points.push_back({double(last.sample.ms) / 1000.0, last.sample.values[index]});
    return points;
}

Segments History::column(std::size_t index, double fromSeconds, double toSeconds,
                         std::size_t buckets) const {
    Segments segments;
    if (index >= kColumnCount) return segments;
    const bool lamp = kColumns[index].kind == ColumnKind::Lamp;
    const auto seconds = [](const Entry& e) { return double(e.sample.ms) / 1000.0; };
    auto first = std::lower_bound(samples_.begin(), samples_.end(), fromSeconds,
                                  [&](const Entry& e, double s) { return seconds(e) < s; });
    // The sample before the window carries the trace in from its left edge.
    if (first != samples_.begin() && !first->gapBefore) --first;
    auto last = std::upper_bound(samples_.begin(), samples_.end(), toSeconds,
                                 [&](double s, const Entry& e) { return s < seconds(e); });
    long long begin = firstSequence_ + (first - samples_.begin());
    const long long end = firstSequence_ + (last - samples_.begin());
    while (begin < end) {
        // The run ends at the next gap.
        const auto gap = std::upper_bound(gaps_.begin(), gaps_.end(), begin);
        const long long runEnd = gap == gaps_.end() ? end : std::min(end, *gap);
        const std::vector<Point> points = runPoints(index, begin, runEnd);
        std::vector<Point> run;
        if (lamp) {
            // A lamp is drawn by its changes: a step at each, and its last value to the end.
            for (const Point& p : points) {
                if (!run.empty() && run.back().value == p.value) continue;
                if (!run.empty()) run.push_back({p.seconds, run.back().value});
                run.push_back(p);
            }
            if (run.back().seconds != points.back().seconds) run.push_back(points.back());
        } else {
            const auto get = [&](std::size_t i) { return points[i]; };
            run = thin(0, points.size(), get, fromSeconds, toSeconds, buckets);
        }
        segments.push_back(std::move(run));
        begin = runEnd;
    }
    return segments;
}

Segments History::variable(int number, double fromSeconds, double toSeconds,
                           std::size_t buckets) const {
    Segments segments;
    const auto found = variables_.find(number);
    if (found == variables_.end()) return segments;
    const auto& readings = found->second;
    std::size_t begin = 0;
    while (begin < readings.size() && double(readings[begin].ms) / 1000.0 < fromSeconds)
        ++begin;
    if (begin > 0 && (begin == readings.size() || !readings[begin].gapBefore)) --begin;
    std::size_t end = begin;
    while (end < readings.size() && double(readings[end].ms) / 1000.0 <= toSeconds)
        ++end;
    while (begin < end) {
        std::size_t runEnd = begin + 1;
        while (runEnd < end && !readings[runEnd].gapBefore)
            ++runEnd;
        const auto get = [&](std::size_t i) {
            return Point{double(readings[i].ms) / 1000.0, readings[i].value};
        };
        segments.push_back(thin(begin, runEnd, get, fromSeconds, toSeconds, buckets));
        begin = runEnd;
    }
    return segments;
}

std::optional<Sample> History::at(double seconds) const {
    const long long ms = std::llround(seconds * 1000.0);
    auto after = std::upper_bound(samples_.begin(), samples_.end(), ms,
                                  [](long long t, const Entry& e) { return t < e.sample.ms; });
    if (after == samples_.begin()) return std::nullopt;
    // Inside a gap: the sample after it starts a new run.
    if (after != samples_.end() && after->gapBefore) return std::nullopt;
    if (after == samples_.end() && gapPending_) return std::nullopt;
    return std::prev(after)->sample;
}

std::optional<double> History::variableAt(int number, double seconds) const {
    const auto found = variables_.find(number);
    if (found == variables_.end()) return std::nullopt;
    const long long ms = std::llround(seconds * 1000.0);
    std::optional<double> value;
    for (std::size_t i = 0; i < found->second.size() && found->second[i].ms <= ms; ++i)
        value = found->second[i].value;
    return value;
}

} // namespace plot
