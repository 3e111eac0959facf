#pragma once
// The words of the program language, for whoever shows programs (the editors' highlighting):
// the block words, the statements that are no device instruction, and every device instruction
// and quantity the model has, read from the same tables the compiler works from.

#include "progsmith/compiler/model_tables.h"

#include <string>
#include <vector>

namespace progsmith {

struct Keyword {
    enum Kind { Block, Statement, Instruction } kind;
    std::string word;
    bool numbered = false; // a channel, bit or thread number follows the word (DO2, SR1, APAR3)
};

// No duplicates; a model of nullptr has the block words and statements only.
std::vector<Keyword> programKeywords(const ModelInfo* model);

} // namespace progsmith
