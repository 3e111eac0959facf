#include "progsmith/compiler/compile_pipeline.h"

#include "progsmith/compiler/assembler.h"
#include "progsmith/compiler/clean.h"
#include "progsmith/compiler/syntax_check.h"
#include "progsmith/compiler/tokeniser.h"

namespace progsmith {

CompileOutcome compileProgram(std::string_view source, const ModelInfo* model) {
    const TokenTable tokens = Tokenise(Clean(source));
    if (auto error = CheckProgram(tokens, model)) return {{}, std::move(error)};
    auto result = Assemble(tokens, model);
    if (result.error) return {{}, std::move(result.error)};
    return {std::move(result.lines), std::nullopt};
}

} // namespace progsmith
