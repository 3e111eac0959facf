#include "proglift/loader/result_files.h"

#include "support/scratch_folder.h"

#include <gtest/gtest.h>

using namespace proglift;
using testing_support::ScratchFolder;

TEST(ResultFiles, FailuresAreTwoLinesAndReplaceTheEarlierResult) {
    ScratchFolder folder;
    folder.write("DownloadOut.txt", "DOWNLOAD SUCCESS!\r\n");
    folder.write("UploadOut.txt", "VR1\r\nXX\r\n");
    ASSERT_TRUE(writeDownloadResult(folder.str(), {false, "No Response!", {}}));
    ASSERT_TRUE(writeUploadResult(folder.str(), {false, "No Reply to Command: SA3", {"VR1"}}));
    EXPECT_EQ(folder.read("DownloadOut.txt"), "DOWNLOAD FAILED!\r\nNo Response!\r\n");
    EXPECT_EQ(folder.read("UploadOut.txt"), "UPLOAD FAILED!\r\nNo Reply to Command: SA3\r\n");
    EXPECT_EQ(folder.fileCount(), 2u); // no temporary file left behind
}

TEST(ResultFiles, UploadWritesEveryLineHoweverLong) {
    ScratchFolder folder;
    JobOutcome outcome{true, "", {}};
    std::string expected;
    for (int slot = 0; slot < 1785; ++slot) {
        outcome.uploadedLines.push_back("&84$" + std::to_string(100000 + slot) + "0000000000");
        expected += outcome.uploadedLines.back() + "\r\n";
    }
    ASSERT_GT(expected.size(), 32767u);
    ASSERT_TRUE(writeUploadResult(folder.str(), outcome));
    EXPECT_EQ(folder.read("UploadOut.txt"), expected);
}

TEST(ResultFiles, UploadOfNoLinesIsAnEmptyFile) {
    ScratchFolder folder;
    folder.write("UploadOut.txt", "old\r\n");
    ASSERT_TRUE(writeUploadResult(folder.str(), {true, "", {}}));
    EXPECT_TRUE(folder.exists("UploadOut.txt"));
    EXPECT_EQ(folder.read("UploadOut.txt"), "");
}

TEST(ResultFiles, LineEndsInsideAnUploadedSlotDoNotShiftLaterSlots) {
    ScratchFolder folder;
    ASSERT_TRUE(writeUploadResult(folder.str(), {true, "", {"VR1", "C\rV\n1", "XX"}}));
    EXPECT_EQ(folder.read("UploadOut.txt"), "VR1\r\nCV1\r\nXX\r\n");
}

TEST(ResultFiles, UnwritableFolderIsReportedNotIgnored) {
    EXPECT_FALSE(writeDownloadResult("/nonexistent-folder-for-proglift", {true, "", {}}));
}
