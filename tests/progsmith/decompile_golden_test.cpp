// Golden decompiles: tests/golden/<model>/<name>.upload.txt decompiled by the real progsmith,
// as Motiondesk runs it after an upload, must give exactly the bytes of <name>.DecompileOut.prg
// beside it. Adding a case is adding those two files.

#include "progsmith_process.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace progsmith::testing;

namespace {

constexpr std::string_view kUploadSuffix = ".upload.txt";

std::string caseName(const ::testing::TestParamInfo<GoldenCase>& info) {
    return goldenCaseName(info.param);
}

class GoldenDecompile : public ::testing::TestWithParam<GoldenCase> {};

} // namespace

TEST_P(GoldenDecompile, DecompileOutMatchesByteForByte) {
    const GoldenCase& golden = GetParam();
    const fs::path expected = golden.file(".DecompileOut.prg");
    ASSERT_TRUE(fs::exists(expected)) << expected;
    ExeFolder folder("golden_decompile");
    folder.write("UploadOut.txt", readBytes(golden.file(kUploadSuffix)));
    folder.writeSetup(golden.model, "DECOMPILE", "UploadOut.txt");
    ASSERT_TRUE(folder.run());
    ASSERT_TRUE(folder.has("DecompileOut.prg"));
    EXPECT_EQ(folder.read("DecompileOut.prg"), readBytes(expected));
    EXPECT_FALSE(folder.has("CompileOut.txt"));
}

INSTANTIATE_TEST_SUITE_P(Models, GoldenDecompile, ::testing::ValuesIn(goldenCases(kUploadSuffix)),
                         caseName);
