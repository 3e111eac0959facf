#pragma once
// Settings a controller stores as plain numbers: written with NAME=value (answered "OK"), read
// back with NAME. Values outside the range, or settings newer than the controller's firmware,
// are refused. STORE keeps them over a power cycle.

#include <cstdint>
#include <string_view>

namespace simulator {

struct ParameterInfo {
    std::string_view name;
    int64_t minimum;
    int64_t maximum;
    std::string_view initial;
    bool fractional = false; // accepts a decimal fraction such as 2.5 and keeps the text
    int minimumFirmware = 0;
};

const ParameterInfo* findParameter(std::string_view name);
const ParameterInfo* parametersBegin();
const ParameterInfo* parametersEnd();

} // namespace simulator
