#pragma once
// progsmith_setup.txt: the compiler's job as Motiondesk hands it over. Three lines, MOD (the
// model code), OPE (COMPILE or DECOMPILE) and FIL (the file to work on, in Progsmith's folder),
// read by key in any order.

#include <optional>
#include <string>
#include <vector>

namespace jobfiles {

enum class CompilerOperation { None, Compile, Decompile };

struct CompilerSetup {
    std::string ModelCode;
    CompilerOperation operation = CompilerOperation::None;
    std::string FileName;
};

// Compile Program.prg, or decompile UploadOut.txt, for the model.
CompilerSetup compileSetup(const std::string& modelCode);
CompilerSetup decompileSetup(const std::string& modelCode);

std::vector<std::string> compilerSetupLines(const CompilerSetup& setup);

// A later line with the same key wins; an OPE other than COMPILE is a decompile.
CompilerSetup parseCompilerSetup(const std::vector<std::string>& lines);

// folder/progsmith_setup.txt; nullopt when there is no such file (or the folder has a "*").
std::optional<CompilerSetup> readCompilerSetup(const std::string& folder);

} // namespace jobfiles
