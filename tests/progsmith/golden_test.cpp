// Golden files: tests/golden/<model>/<name>.prg compiled by the real progsmith must give exactly
// the bytes of <name>.CompileOut.txt beside it. Adding a case is adding those two files.

#include "progsmith_process.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace progsmith::testing;

namespace {

constexpr std::string_view kProgramSuffix = ".prg";
constexpr std::string_view kExpectedSuffix = ".CompileOut.txt";

// Every program of the corpus; a decompile case's expected .DecompileOut.prg is no program.
// A program without its expected result fails its test rather than being left out.
std::vector<GoldenCase> compileCases() {
    auto cases = goldenCases(kProgramSuffix);
    std::erase_if(cases, [](const GoldenCase& c) { return c.name.ends_with(".DecompileOut"); });
    return cases;
}

std::string caseName(const ::testing::TestParamInfo<GoldenCase>& info) {
    return goldenCaseName(info.param);
}

class GoldenCompile : public ::testing::TestWithParam<GoldenCase> {};

} // namespace

TEST_P(GoldenCompile, CompileOutMatchesByteForByte) {
    const GoldenCase& golden = GetParam();
    ASSERT_TRUE(fs::exists(golden.file(kExpectedSuffix)))
        << golden.file(kProgramSuffix) << " has no " << kExpectedSuffix << " beside it";
    ExeFolder folder("golden");
    folder.write("Program.prg", readBytes(golden.file(kProgramSuffix)));
    folder.writeSetup(golden.model);
    ASSERT_TRUE(folder.run());
    EXPECT_EQ(folder.read("CompileOut.txt"), readBytes(golden.file(kExpectedSuffix)));
}

INSTANTIATE_TEST_SUITE_P(Models, GoldenCompile, ::testing::ValuesIn(compileCases()), caseName);

TEST(GoldenCorpus, EveryModelHasACase) {
    std::set<std::string> models;
    for (const auto& golden : compileCases())
        models.insert(golden.model);
    EXPECT_EQ(models.size(), 13u);
}
