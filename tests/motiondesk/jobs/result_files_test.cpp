#include "motiondesk/jobs/result_files.h"

#include "support/scratch_folder.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;
using jobs::EmptyResult;

TEST(JobResults, TheFirstLineDecidesAndAFailureIsShownWhole) {
    const auto failed = jobs::judgeResult({"Failed Compile!", "Unknown Command!", "Line: 3"},
                                          "CompileOut.txt", EmptyResult::Failure);
    EXPECT_FALSE(failed.success);
    EXPECT_EQ(failed.message, "Failed Compile!\r\nUnknown Command!\r\nLine: 3\r\n");
    EXPECT_FALSE(jobs::judgeResult({"DOWNLOAD FAILED!", "x"}, "f", EmptyResult::Failure).success);
    // Only the two spellings count; small letters are a success.
    const auto small = jobs::judgeResult({"failed, but not really"}, "f", EmptyResult::Failure);
    EXPECT_TRUE(small.success);
    EXPECT_EQ(small.message, "Done!");
    EXPECT_TRUE(jobs::judgeResult({"XX", "Failed"}, "f", EmptyResult::Failure).success);
}

TEST(JobResults, AnEmptyResultIsASuccessOnlyWhereItCanBeOne) {
    EXPECT_TRUE(jobs::judgeResult({}, "DecompileOut.prg", EmptyResult::Success).success);
    const auto empty = jobs::judgeResult({}, "CompileOut.txt", EmptyResult::Failure);
    EXPECT_FALSE(empty.success);
    EXPECT_EQ(empty.message, "CompileOut.txt is empty: the job left no result.");
}

// A failure report of any size or content stays a readable message box.
TEST(JobResults, AFailureReportIsShownReadably) {
    Lines lines{"UPLOAD FAILED!", std::string("bin\0ary\x01", 8), std::string(500, 'x')};
    for (int i = 0; i < 100; ++i)
        lines.push_back("line");
    const auto shown = jobs::judgeResult(lines, "f", EmptyResult::Failure).message;
    EXPECT_NE(shown.find("bin?ary?\r\n"), std::string::npos);
    EXPECT_NE(shown.find(std::string(200, 'x') + "...\r\n"), std::string::npos);
    EXPECT_NE(shown.find("(63 more lines)\r\n"), std::string::npos);
    EXPECT_EQ(shown.find('\0'), std::string::npos);
}

TEST(JobResults, CompiledLinesAndTheFailedLine) {
    EXPECT_EQ(jobs::CountCompiledLines(Lines(11, "CV1")), 10);
    EXPECT_EQ(jobs::CountCompiledLines({}), 0);
    EXPECT_EQ(jobs::ReadFailedLine({"Failed Compile!", "Line: 4 bad", "Line: 12"}), 12);
    EXPECT_EQ(jobs::ReadFailedLine({"Failed Compile!", "Could not find .prg file!"}), std::nullopt);
    EXPECT_EQ(jobs::ReadFailedLine({"Failed Compile!", "Line: x"}), std::nullopt);
}

TEST(JobResults, AMissingOrOversizedResultIsAJobError) {
    testing_support::ScratchFolder folder;
    EXPECT_THROW(jobs::readResultLines(folder.str() + "/CompileOut.txt", 100), jobs::JobError);
    folder.write("CompileOut.txt", std::string(101, 'x'));
    EXPECT_THROW(jobs::readResultLines(folder.str() + "/CompileOut.txt", 100), jobs::JobError);
    folder.write("CompileOut.txt", "CV1\r\nXX\r\n\r\n");
    EXPECT_EQ(jobs::readResultLines(folder.str() + "/CompileOut.txt", 100),
              (Lines{"CV1", "XX", ""}));
}

} // namespace
