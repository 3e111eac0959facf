// Golden decompiles: tests/golden/<model>/<name>.upload.txt decompiled by the real progsmith,
// as Motiondesk runs it after an upload, must give exactly the bytes of <name>.DecompileOut.prg
// beside it. Adding a case is adding those two files.

#include "progsmith_process.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace progsmith::testing;

namespace {

constexpr std::string_view kUploadSuffix = ".upload.txt";

struct GoldenCase {
    std::string model;
    std::string name;
    fs::path folder;
};

std::vector<GoldenCase> goldenCases() {
    std::vector<GoldenCase> cases;
    const fs::path root = fs::path(SUITE_SOURCE_DIR) / "tests" / "golden";
    for (const auto& modelDir : fs::directory_iterator(root)) {
        if (!modelDir.is_directory()) continue;
        for (const auto& file : fs::directory_iterator(modelDir.path())) {
            const std::string fileName = file.path().filename().string();
            if (!fileName.ends_with(kUploadSuffix)) continue;
            cases.push_back({modelDir.path().filename().string(),
                             fileName.substr(0, fileName.size() - kUploadSuffix.size()),
                             modelDir.path()});
        }
    }
    std::sort(cases.begin(), cases.end(), [](const GoldenCase& a, const GoldenCase& b) {
        return a.folder / a.name < b.folder / b.name;
    });
    return cases;
}

std::string caseName(const ::testing::TestParamInfo<GoldenCase>& info) {
    std::string name = info.param.model + "_" + info.param.name;
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

class GoldenDecompile : public ::testing::TestWithParam<GoldenCase> {};

} // namespace

TEST_P(GoldenDecompile, DecompileOutMatchesByteForByte) {
    const GoldenCase& golden = GetParam();
    const fs::path expected = golden.folder / (golden.name + ".DecompileOut.prg");
    ASSERT_TRUE(fs::exists(expected)) << expected;
    ExeFolder folder("golden_decompile");
    folder.write("UploadOut.txt",
                 readBytes(golden.folder / (golden.name + std::string(kUploadSuffix))));
    folder.writeSetup(golden.model, "DECOMPILE", "UploadOut.txt");
    ASSERT_TRUE(folder.run());
    ASSERT_TRUE(folder.has("DecompileOut.prg"));
    EXPECT_EQ(folder.read("DecompileOut.prg"), readBytes(expected));
    EXPECT_FALSE(folder.has("CompileOut.txt"));
}

INSTANTIATE_TEST_SUITE_P(Models, GoldenDecompile, ::testing::ValuesIn(goldenCases()), caseName);
