#pragma once
// The files through which Motiondesk hands its jobs to Progsmith and Proglift, all in the EXE
// folder, and the two helper programs. Each file has its one writer and its one reader in this
// room, so the programs on either side cannot drift apart.

#include <string>

namespace jobfiles {

inline constexpr const char* kProgramFile = "Program.prg";
inline constexpr const char* kCompilerSetupFile = "progsmith_setup.txt";
inline constexpr const char* kLoaderSetupFile = "proglift_setup.txt";
inline constexpr const char* kCompileResultFile = "CompileOut.txt";
inline constexpr const char* kDecompileResultFile = "DecompileOut.prg";
inline constexpr const char* kDownloadResultFile = "DownloadOut.txt";
inline constexpr const char* kUploadResultFile = "UploadOut.txt";
inline constexpr const char* kCompilerProgram = "progsmith";
inline constexpr const char* kLoaderProgram = "proglift";

// folder + "/" + name (no second slash after a folder that ends in one).
std::string pathIn(const std::string& folder, const std::string& name);

// A path with "*" in it names no file: the helpers read and write nothing there.
bool hasWildcard(const std::string& path);

// A set-up line is a three-character key, one separator character that is not looked at (a
// colon in the files Motiondesk writes) and the value.
struct SetupEntry {
    std::string key;
    std::string value;
};
SetupEntry splitSetupLine(const std::string& line);

} // namespace jobfiles
