#include "simulator/parameter_table.h"

#include <array>

namespace simulator {
namespace {

constexpr int64_t kSpeedMax = 6'000'000;
constexpr int64_t kWide = 2'147'483'647;

constexpr std::array<ParameterInfo, 38> parameters{{
    // Motion
    {"HSPD", 0, kSpeedMax, "1000"},
    {"LSPD", 0, kSpeedMax, "300"},
    {"ACC", 0, 1'000'000, "300"},
    {"DEC", 0, 1'000'000, "300", false, 230},
    {"SSPDM", 0, 9, "0"},
    {"SCV", 0, 1, "0"},
    {"EO", 0, 1, "1"},
    {"SYNC", 1, 3, "1"},
    {"SYNP", -kWide - 1, kWide, "0"},
    {"SYNT", 0, 30, "0"},
    // Polarity and boot behaviour
    {"POL", 0, 16383, "0"},
    {"SLOAD", 0, 3, "0"},
    {"TOC", 0, 1'000'000, "0", false, 222},
    {"DOBOOT", 0, 3, "0", false, 222},
    {"EOBOOT", 0, 1, "0", false, 227},
    {"EDEC", 0, 1, "0", false, 230},
    {"HCA", 0, 1'000'000, "0", false, 230},
    {"LCA", 0, 1'000'000, "0", false, 230},
    {"RZ", 0, 1, "0", false, 230},
    {"IERR", 0, 1, "0", false, 222},
    {"RT", 0, 1, "0"},
    // Closed-loop correction
    {"SL", 0, 1, "0"},
    {"SLT", 0, kWide, "1"},
    {"SLE", 0, kWide, "1"},
    {"SLA", 0, 1000, "1"},
    {"SLR", 0, 1'000'000, "1", true},
    // Joystick
    {"JV1", -kWide - 1, kWide, "0"},
    {"JV3", -kWide - 1, kWide, "0"},
    {"JV5", -kWide - 1, kWide, "0"},
    {"JL1", -kWide - 1, kWide, "0"},
    {"JL2", -kWide - 1, kWide, "0"},
    {"JL3", -kWide - 1, kWide, "0"},
    {"JL4", -kWide - 1, kWide, "0"},
    // Digital I/O control
    {"EDIO", 0, 1, "0"},
    // Microstep driver settings as the controller holds them for transfer
    {"DRVMS", 2, 500, "16"},
    {"DRVRC", 100, 3000, "1000"},
    {"DRVIC", 100, 3000, "500"},
    {"DRVIT", 1, 100, "50"},
}};

static_assert(
    [] {
        for (size_t i = 0; i < parameters.size(); ++i)
            for (size_t j = i + 1; j < parameters.size(); ++j)
                if (parameters[i].name == parameters[j].name) return false;
        return true;
    }(),
    "parameter names are unique");

} // namespace

const ParameterInfo* findParameter(std::string_view name) {
    for (const auto& p : parameters)
        if (p.name == name) return &p;
    return nullptr;
}

const ParameterInfo* parametersBegin() {
    return parameters.data();
}
const ParameterInfo* parametersEnd() {
    return parameters.data() + parameters.size();
}

} // namespace simulator
