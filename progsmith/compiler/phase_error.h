#pragma once
// The first error of a compile phase: its message and the source line it reports.

#include <string>

namespace progsmith {

struct PhaseError {
    std::string message;
    int line = 0;
    bool selectsLine = true; // false: the error names no line ("Missing END!")
};

} // namespace progsmith
