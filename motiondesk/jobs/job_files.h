#pragma once
// The files through which Motiondesk hands its jobs to Progsmith and Proglift, all in the EXE
// folder: the program to compile, the two set-up files, and the names of the result files.

#include <string>
#include <vector>

namespace transport {
struct ConnectionState;
}

namespace session {
struct ProgramValues;
}

namespace jobs {

inline constexpr const char* kProgramFile = "Program.prg";
inline constexpr const char* kCompilerSetupFile = "progsmith_setup.txt";
inline constexpr const char* kLoaderSetupFile = "proglift_setup.txt";
inline constexpr const char* kCompileResultFile = "CompileOut.txt";
inline constexpr const char* kDownloadResultFile = "DownloadOut.txt";
inline constexpr const char* kUploadResultFile = "UploadOut.txt";
inline constexpr const char* kDecompileResultFile = "DecompileOut.prg";
inline constexpr const char* kCompilerProgram = "progsmith";
inline constexpr const char* kLoaderProgram = "proglift";

// A program text as file lines: split at carriage returns, line feeds dropped; a text that does
// not end in a line feed first gets a carriage return and line feed, so its last line is kept.
std::vector<std::string> programFileLines(const std::string& text);

enum class CompilerJob { Compile, Decompile };
std::vector<std::string> compilerSetupLines(CompilerJob job, const std::string& modelName);

// The loader's eight lines; their order differs between the jobs, so Proglift reads them by key.
enum class LoaderJob { Download, Upload, Clear };
std::vector<std::string> loaderSetupLines(LoaderJob job, const transport::ConnectionState& state,
                                          const session::ProgramValues& program);

// folder + "/" + name.
std::string jobPath(const std::string& folder, const std::string& name);

} // namespace jobs
