#include "jobfiles/compiler_setup.h"

#include "common/textfile.h"
#include "jobfiles/file_names.h"

namespace jobfiles {

CompilerSetup compileSetup(const std::string& modelCode) {
    return {modelCode, CompilerOperation::Compile, kProgramFile};
}

CompilerSetup decompileSetup(const std::string& modelCode) {
    return {modelCode, CompilerOperation::Decompile, kUploadResultFile};
}

std::vector<std::string> compilerSetupLines(const CompilerSetup& setup) {
    const char* operation = setup.operation == CompilerOperation::Compile ? "COMPILE" : "DECOMPILE";
    return {"MOD:" + setup.ModelCode, std::string("OPE:") + operation, "FIL:" + setup.FileName};
}

CompilerSetup parseCompilerSetup(const std::vector<std::string>& lines) {
    CompilerSetup setup;
    for (const auto& line : lines) {
        if (line.empty()) continue;
        const auto [key, value] = splitSetupLine(line);
        if (key == "MOD")
            setup.ModelCode = value;
        else if (key == "OPE")
            setup.operation =
                value == "COMPILE" ? CompilerOperation::Compile : CompilerOperation::Decompile;
        else if (key == "FIL")
            setup.FileName = value;
    }
    return setup;
}

std::optional<CompilerSetup> readCompilerSetup(const std::string& folder) {
    const std::string path = pathIn(folder, kCompilerSetupFile);
    if (hasWildcard(path)) return std::nullopt;
    const auto file = common::readTextFile(path);
    if (!file.ok()) return std::nullopt;
    return parseCompilerSetup(file.lines);
}

} // namespace jobfiles
