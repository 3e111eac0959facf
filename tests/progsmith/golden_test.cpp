// Golden files: tests/golden/<model>/<name>.prg compiled by the real progsmith must give exactly
// the bytes of <name>.CompileOut.txt beside it. Adding a case is adding those two files.

#include "progsmith_process.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace progsmith::testing;

namespace {

struct GoldenCase {
    std::string model;
    fs::path program;
    fs::path expected;
};

std::vector<GoldenCase> goldenCases() {
    std::vector<GoldenCase> cases;
    const fs::path root = fs::path(SUITE_SOURCE_DIR) / "tests" / "golden";
    for (const auto& modelDir : fs::directory_iterator(root)) {
        if (!modelDir.is_directory()) continue;
        for (const auto& file : fs::directory_iterator(modelDir.path())) {
            const std::string name = file.path().filename().string();
            if (file.path().extension() != ".prg" || name.ends_with(".DecompileOut.prg")) continue;
            fs::path expected = file.path();
            expected.replace_extension(".CompileOut.txt");
            if (!fs::exists(expected)) continue;
            cases.push_back({modelDir.path().filename().string(), file.path(), expected});
        }
    }
    std::sort(cases.begin(), cases.end(),
              [](const GoldenCase& a, const GoldenCase& b) { return a.program < b.program; });
    return cases;
}

std::string caseName(const ::testing::TestParamInfo<GoldenCase>& info) {
    std::string name = info.param.model + "_" + info.param.program.stem().string();
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

class GoldenCompile : public ::testing::TestWithParam<GoldenCase> {};

} // namespace

TEST_P(GoldenCompile, CompileOutMatchesByteForByte) {
    const GoldenCase& golden = GetParam();
    ExeFolder folder("golden");
    folder.write("Program.prg", readBytes(golden.program));
    folder.writeSetup(golden.model);
    ASSERT_TRUE(folder.run());
    EXPECT_EQ(folder.read("CompileOut.txt"), readBytes(golden.expected));
}

INSTANTIATE_TEST_SUITE_P(Models, GoldenCompile, ::testing::ValuesIn(goldenCases()), caseName);

TEST(GoldenCorpus, EveryModelHasACase) {
    std::set<std::string> models;
    for (const auto& golden : goldenCases())
        models.insert(golden.model);
    EXPECT_EQ(models.size(), 13u);
}
