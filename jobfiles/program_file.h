#pragma once
// Program.prg: the program text Motiondesk hands to the compiler, one source line per file line.

#include <optional>
#include <string>
#include <vector>

namespace jobfiles {

// Five times what any controller holds: a larger file is no program, and opening it would hold
// the window (half a MiB opens in about a tenth of a second: build/bench/program_open_bench).
inline constexpr long long kLargestProgramFileBytes = 512ll << 10;

// The program text of file lines, as the compiler works on it: each line followed by CR LF.
std::string programText(const std::vector<std::string>& lines);

// A program text as file lines: split at carriage returns, line feeds dropped; a text that does
// not end in a line feed first gets a carriage return and line feed, so its last line is kept.
std::vector<std::string> programFileLines(const std::string& text);

// The text of a program file as the compiler works on it: its lines (CR LF or LF ended), each
// followed by CR LF. nullopt when there is no such file.
std::optional<std::string> readProgramFile(const std::string& path);

} // namespace jobfiles
