#include "progsmith/compiler/keywords.h"

#include "progsmith/compiler/block_partners.h"

#include <set>
#include <string_view>

namespace progsmith {

namespace {

// Statements the compiler knows by name that are no device instruction of the code tables.
constexpr std::string_view kStatementWords[] = {"GOSUB", "DELAY", "WAITX",
                                                "WAITY", "WAITZ", "WAITU"};
constexpr std::string_view kAxisLetters = "XYZU";

// Forms that are operand lines of another statement ("target X") have no word of their own.
bool isWord(const std::string& text) {
    if (text.empty()) return false;
    for (const char c : text)
        if (!(c >= 'A' && c <= 'Z') && !(c >= '0' && c <= '9')) return false;
    return true;
}

// "LT<a>=V" stands for LTX, LTY, LTZ and LTU; "DO<n>=" for DO followed by a number.
// STOP and ABORT without an axis stop every axis.
void addInstruction(const FormInfo& info, std::vector<Keyword>& keywords,
                    std::set<std::pair<std::string, bool>>& seen) {
    std::string_view name = info.name.substr(0, info.name.find('='));
    const bool numbered = name.ends_with("<n>");
    if (numbered) name.remove_suffix(3);
    std::vector<std::string> words;
    if (name.ends_with("<a>")) {
        name.remove_suffix(3);
        for (const char axis : kAxisLetters)
            words.push_back(std::string(name) + axis);
        if (info.packing == Packing::AllAxesOrAxis) words.emplace_back(name);
    } else {
        words.emplace_back(name);
    }
    for (std::string& word : words)
        if (isWord(word) && seen.emplace(word, numbered).second)
            keywords.push_back({Keyword::Instruction, std::move(word), numbered});
}

} // namespace

std::vector<Keyword> programKeywords(const ModelInfo* model) {
    std::vector<Keyword> keywords;
    std::set<std::pair<std::string, bool>> seen;
    for (const BlockWord& word : blockWords())
        if (seen.emplace(std::string(word.word), false).second)
            keywords.push_back({Keyword::Block, std::string(word.word)});
    for (const std::string_view word : kStatementWords)
        if (seen.emplace(std::string(word), false).second)
            keywords.push_back({Keyword::Statement, std::string(word)});
    if (!model) return keywords;
    for (size_t i = 0; i < kFormCount; ++i) {
        const Form form = static_cast<Form>(i);
        if (codeOf(model, form) < 0) continue;
        addInstruction(formInfo(form), keywords, seen);
    }
    return keywords;
}

} // namespace progsmith
