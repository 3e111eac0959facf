#pragma once
// What the plot and a recording hold of each poll cycle: one number per column, in this order.
// Value columns are drawn as traces against time, lamp columns as step traces of 0 and 1; the
// others are recorded only.

#include <array>
#include <cstddef>

namespace plot {

enum class ColumnKind { Value, Lamp, Recorded };

struct Column {
    const char* name;    // the CSV header and the control names ("Show_position")
    const char* caption; // the legend
    ColumnKind kind;
};

inline constexpr Column kColumns[] = {
    {"position", "Position", ColumnKind::Value},
    {"encoder", "Encoder", ColumnKind::Value},
    {"delta", "Delta", ColumnKind::Value},
    {"speed", "Speed", ColumnKind::Value},
    {"analog_in1", "Analog in 1", ColumnKind::Value},
    {"analog_in2", "Analog in 2", ColumnKind::Value},
    {"program_line", "Program line", ColumnKind::Value},
    {"limit_plus", "+Limit", ColumnKind::Lamp},
    {"limit_minus", "-Limit", ColumnKind::Lamp},
    {"home", "Home", ColumnKind::Lamp},
    {"z_index", "Z index", ColumnKind::Lamp},
    {"latch_input", "Latch input", ColumnKind::Lamp},
    {"in1", "In 1", ColumnKind::Lamp},
    {"in2", "In 2", ColumnKind::Lamp},
    {"in3", "In 3", ColumnKind::Lamp},
    {"in4", "In 4", ColumnKind::Lamp},
    {"out1", "Out 1", ColumnKind::Lamp},
    {"out2", "Out 2", ColumnKind::Lamp},
    {"moving", "Moving", ColumnKind::Lamp},
    {"program_state", "Program state", ColumnKind::Recorded},
    {"start_in", "Start in", ColumnKind::Recorded},
    {"abort_in", "Abort in", ColumnKind::Recorded},
    {"s_curve", "S-curve", ColumnKind::Recorded},
    {"driver_enable", "Driver enable", ColumnKind::Recorded},
    {"latch_position", "Latch position", ColumnKind::Recorded},
    {"latch_encoder", "Latch encoder", ColumnKind::Recorded},
};
inline constexpr std::size_t kColumnCount = std::size(kColumns);

// One poll cycle: its time in milliseconds (from the start of the plot) and its numbers.
struct Sample {
    long long ms = 0;
    std::array<double, kColumnCount> values{};
};

// The index of a column by name; kColumnCount when there is none.
constexpr std::size_t columnIndex(const char* name) {
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        const char* a = kColumns[i].name;
        const char* b = name;
        while (*a && *a == *b)
            ++a, ++b;
        if (*a == *b) return i;
    }
    return kColumnCount;
}

} // namespace plot
