#pragma once
// Program.prg: the program text Motiondesk hands to the compiler, one source line per file line.

#include <optional>
#include <string>
#include <vector>

namespace jobfiles {

// A program text as file lines: split at carriage returns, line feeds dropped; a text that does
// not end in a line feed first gets a carriage return and line feed, so its last line is kept.
std::vector<std::string> programFileLines(const std::string& text);

// The text of a program file as the compiler works on it: its lines (CR LF or LF ended), each
// followed by CR LF. nullopt when there is no such file.
std::optional<std::string> readProgramFile(const std::string& path);

} // namespace jobfiles
