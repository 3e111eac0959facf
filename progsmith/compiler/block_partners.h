#pragma once
// The partners of the program's blocks (IF with ELSEIF, ELSE and ENDIF; WHILE with ENDWHILE;
// REPEAT with LOOPWHILE), found for every row at once. Each answer is the one a scan from that
// row would give, row by row with a depth count, stopping at a program or subroutine boundary;
// but the whole table is built in one pass over the rows, so deeply nested programs cost no
// more per row than flat ones.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace progsmith {

enum class RowKind : uint8_t {
    Other,
    If,
    ElseIf,
    Else,
    EndIf,
    While,
    EndWhile,
    Repeat,
    LoopWhile,
    Prg,
    End,
    EndSub,
    Sub
};

// The words that open, divide and close blocks and programs, with their kinds.
struct BlockWord {
    std::string_view word;
    RowKind kind;
};
std::span<const BlockWord> blockWords();

// The kind of a row by its first token.
RowKind kindOf(std::string_view t1);
// PRG, END, ENDSUB and SUB end every block scan.
bool isBoundary(RowKind kind);

// What an ELSE or ELSEIF at depth 0 means to a forward scan for an IF block's partner: the
// partner itself, a row to pass over, or a mismatch.
enum class ElseAtDepthZero { Partner, PassOver, Mismatch };

// A partner row, or the error a scan ends with.
using Partner = std::variant<size_t, std::string>;

class BlockPartners {
public:
    explicit BlockPartners(std::vector<RowKind> kinds);

    RowKind kind(size_t row) const { return kinds_[row]; }

    // Forward from an IF, ELSEIF or ELSE row: its ENDIF, or its ELSE/ELSEIF as elses says;
    // "Missing ENDIF" or "Mismatch IF!".
    Partner endIf(size_t row, ElseAtDepthZero elses) const;
    // Forward from a WHILE row: its ENDWHILE, or "Missing ENDWHILE".
    Partner endWhile(size_t row) const;
    // Back from an ENDWHILE row: its WHILE; "Missing ENDWHILE" or "Mismatch WHILE!".
    Partner whileOf(size_t row) const;
    // Back from a LOOPWHILE row: its REPEAT; "Unexpected END" (and the like for the other
    // boundaries) or "Mismatch LOOPWHILE!".
    Partner repeatOf(size_t row) const;

private:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    std::vector<RowKind> kinds_;
    // Per position x from 0 to the row count: the first boundary row at or after x, the last
    // boundary row before x (kNone when there is none).
    std::vector<size_t> nextBoundary_;
    std::vector<size_t> previousBoundary_;
    // The block depths before each position, and where each first drops below its starting
    // depth (forward) or last lay below it (backward): the partners of the depth counts.
    std::vector<size_t> endIfAfter_;
    std::vector<size_t> elseAfter_;
    std::vector<size_t> endWhileAfter_;
    std::vector<size_t> whileBefore_;
    std::vector<size_t> repeatBefore_;
};

} // namespace progsmith
