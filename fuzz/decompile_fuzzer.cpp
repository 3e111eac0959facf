// Any bytes through the decompiler and the indentation: the first byte picks the model (or none),
// the rest is a compiled file. A crash, a hang, a text that is not whole CR LF lines, or an
// indentation that loses or adds a line is a find.

#include "common/textfile.h"
#include "progsmith/compiler/decompiler.h"
#include "progsmith/compiler/indent.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const auto models = progsmith::allModels();
    const size_t choice = data[0] % (models.size() + 1);
    const progsmith::ModelInfo* model = choice < models.size() ? &models[choice] : nullptr;
    const std::vector<std::string> lines =
        common::splitLines(std::string(reinterpret_cast<const char*>(data + 1), size - 1));

    const std::string text = progsmith::Decompiler(model).DecompileProgram(lines);
    const std::string indented = progsmith::AddSpacesToProg(text);
    const auto crs = [](const std::string& s) { return std::count(s.begin(), s.end(), '\r'); };
    const auto lfs = [](const std::string& s) { return std::count(s.begin(), s.end(), '\n'); };
    const char* violation = nullptr;
    if (!text.empty() && !text.ends_with("\r\n"))
        violation = "text does not end in CR LF";
    else if (crs(text) != lfs(text))
        violation = "a line end that is not CR LF";
    else if (crs(text) > 2 * static_cast<long>(lines.size()))
        violation = "more than two lines each";
    else if (crs(indented) != crs(text))
        violation = "indentation changed the line count";
    if (violation) {
        std::fprintf(stderr, "%s\n", violation);
        std::abort();
    }
    return 0;
}
