// Any bytes through the compile pipeline: the first byte picks the model (or none), the rest is
// the program text. A crash, a hang, an unknown message or a jump that lands nowhere is a find.

#include "progsmith/compiler/compile_phases.h"
#include "tests/progsmith/compile_invariants.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const auto models = progsmith::allModels();
    const size_t choice = data[0] % (models.size() + 1);
    const progsmith::ModelInfo* model = choice < models.size() ? &models[choice] : nullptr;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    const auto outcome = progsmith::compileProgram(text, model);
    int sourceLines = 1;
    for (const char c : text)
        sourceLines += c == '\r' || c == '\n';
    const std::string violation = progsmith::testing::invariantViolation(outcome, sourceLines);
    if (!violation.empty()) {
        std::fprintf(stderr, "%s\n", violation.c_str());
        std::abort();
    }
    return 0;
}
