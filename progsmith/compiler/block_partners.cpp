#include "progsmith/compiler/block_partners.h"

#include <utility>

namespace progsmith {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

// Depth before each position 0..n: the opener adds one, the closer takes one away.
std::vector<int> depthsBefore(const std::vector<RowKind>& kinds, RowKind opener, RowKind closer) {
    std::vector<int> depth(kinds.size() + 1, 0);
    for (size_t i = 0; i < kinds.size(); ++i)
        depth[i + 1] = depth[i] + (kinds[i] == opener) - (kinds[i] == closer);
    return depth;
}

// For every position x, the first y > x whose depth is below depth[x] (kNone when none).
std::vector<size_t> nextBelow(const std::vector<int>& depth) {
    std::vector<size_t> next(depth.size(), kNone);
    std::vector<size_t> waiting;
    for (size_t y = 0; y < depth.size(); ++y) {
        while (!waiting.empty() && depth[y] < depth[waiting.back()]) {
            next[waiting.back()] = y;
            waiting.pop_back();
        }
        waiting.push_back(y);
    }
    return next;
}

// For every position x, the last y < x whose depth is below depth[x] (kNone when none).
std::vector<size_t> previousBelow(const std::vector<int>& depth) {
    std::vector<size_t> previous(depth.size(), kNone);
    std::vector<size_t> lower;
    for (size_t x = 0; x < depth.size(); ++x) {
        while (!lower.empty() && depth[lower.back()] >= depth[x])
            lower.pop_back();
        if (!lower.empty()) previous[x] = lower.back();
        lower.push_back(x);
    }
    return previous;
}

bool isElse(RowKind kind) {
    return kind == RowKind::Else || kind == RowKind::ElseIf;
}

// For every position x, the first ELSE or ELSEIF row k >= x at depth[x] that is reached without
// the depth dropping below depth[x] on the way. Built from the end: a lower depth met on the way
// back hides every ELSE deeper than it from the positions before it.
std::vector<size_t> elsesAtSameDepth(const std::vector<RowKind>& kinds,
                                     const std::vector<int>& depth) {
    std::vector<size_t> found(depth.size(), kNone);
    std::vector<std::pair<int, size_t>> nearest; // depths strictly rising
    for (size_t x = depth.size(); x-- > 0;) {
        while (!nearest.empty() && nearest.back().first > depth[x])
            nearest.pop_back();
        if (x < kinds.size() && isElse(kinds[x])) {
            if (!nearest.empty() && nearest.back().first == depth[x])
                nearest.back().second = x;
            else
                nearest.emplace_back(depth[x], x);
        }
        if (!nearest.empty() && nearest.back().first == depth[x]) found[x] = nearest.back().second;
    }
    return found;
}

const char* unexpected(RowKind boundary) {
    switch (boundary) {
    case RowKind::End:
        return "Unexpected END";
    case RowKind::EndSub:
        return "Unexpected ENDSUB!";
    case RowKind::Sub:
        return "Unexpected SUB!";
    default:
        return "Unexpected PRG!";
    }
}

// The earlier of two rows, kNone counting as never.
size_t earlier(size_t a, size_t b) {
    return a < b ? a : b;
}

} // namespace

std::span<const BlockWord> blockWords() {
    static constexpr BlockWord words[] = {
        {"IF", RowKind::If},         {"ELSEIF", RowKind::ElseIf},
        {"ELSE", RowKind::Else},     {"ENDIF", RowKind::EndIf},
        {"WHILE", RowKind::While},   {"ENDWHILE", RowKind::EndWhile},
        {"REPEAT", RowKind::Repeat}, {"LOOPWHILE", RowKind::LoopWhile},
        {"PRG", RowKind::Prg},       {"END", RowKind::End},
        {"ENDSUB", RowKind::EndSub}, {"SUB", RowKind::Sub},
    };
    return words;
}

RowKind kindOf(std::string_view t1) {
    for (const BlockWord& word : blockWords())
        if (t1 == word.word) return word.kind;
    return RowKind::Other;
}

bool isBoundary(RowKind kind) {
    return kind == RowKind::Prg || kind == RowKind::End || kind == RowKind::EndSub ||
           kind == RowKind::Sub;
}

BlockPartners::BlockPartners(std::vector<RowKind> kinds) : kinds_(std::move(kinds)) {
    const size_t n = kinds_.size();
    nextBoundary_.assign(n + 1, kNone);
    for (size_t x = n; x-- > 0;)
        nextBoundary_[x] = isBoundary(kinds_[x]) ? x : nextBoundary_[x + 1];
    previousBoundary_.assign(n + 1, kNone);
    for (size_t x = 1; x <= n; ++x)
        previousBoundary_[x] = isBoundary(kinds_[x - 1]) ? x - 1 : previousBoundary_[x - 1];

    // A closer at row i takes the depth below its start at position i + 1.
    const auto ifDepth = depthsBefore(kinds_, RowKind::If, RowKind::EndIf);
    endIfAfter_ = nextBelow(ifDepth);
    elseAfter_ = elsesAtSameDepth(kinds_, ifDepth);
    endWhileAfter_ = nextBelow(depthsBefore(kinds_, RowKind::While, RowKind::EndWhile));
    // An opener at row i lies below the depth of every position after it up to its closer.
    whileBefore_ = previousBelow(depthsBefore(kinds_, RowKind::While, RowKind::EndWhile));
    repeatBefore_ = previousBelow(depthsBefore(kinds_, RowKind::Repeat, RowKind::LoopWhile));
}

Partner BlockPartners::endIf(size_t row, ElseAtDepthZero elses) const {
    const size_t start = row + 1;
    const size_t close = endIfAfter_[start] == kNone ? kNone : endIfAfter_[start] - 1;
    const size_t other = elses == ElseAtDepthZero::PassOver ? kNone : elseAfter_[start];
    const size_t first = earlier(earlier(close, other), nextBoundary_[start]);
    if (first == kNone || first == nextBoundary_[start]) return std::string("Missing ENDIF");
    if (first == close) return close;
    if (elses == ElseAtDepthZero::Mismatch) return std::string("Mismatch IF!");
    return other;
}

Partner BlockPartners::endWhile(size_t row) const {
    const size_t start = row + 1;
    const size_t close = endWhileAfter_[start] == kNone ? kNone : endWhileAfter_[start] - 1;
    if (close == kNone || nextBoundary_[start] < close) return std::string("Missing ENDWHILE");
    return close;
}

Partner BlockPartners::whileOf(size_t row) const {
    const size_t open = whileBefore_[row];
    const size_t boundary = previousBoundary_[row];
    if (boundary != kNone && (open == kNone || boundary > open))
        return std::string("Missing ENDWHILE");
    if (open == kNone) return std::string("Mismatch WHILE!");
    return open;
}

Partner BlockPartners::repeatOf(size_t row) const {
    const size_t open = repeatBefore_[row];
    const size_t boundary = previousBoundary_[row];
    if (boundary != kNone && (open == kNone || boundary > open))
        return std::string(unexpected(kinds_[boundary]));
    if (open == kNone) return std::string("Mismatch LOOPWHILE!");
    return open;
}

} // namespace progsmith
