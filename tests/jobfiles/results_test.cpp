// The result files: what each helper writes, and how Motiondesk judges what it reads back.

#include "jobfiles/results.h"

#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Lines = std::vector<std::string>;
using namespace jobfiles;
using testing_support::ScratchFolder;

// Every writer's result, read back and judged as Motiondesk judges it.
TEST(Results, WhatEachHelperWritesIsJudgedAsItMeant) {
    ScratchFolder folder;
    const auto path = [&](const char* name) { return folder.str() + "/" + name; };
    const auto judged = [&](const char* name, EmptyResult empty) {
        return judgeResult(readResultFile(path(name), 1 << 20).lines, name, empty);
    };
    ASSERT_TRUE(writeCompiledLines(path("CompileOut.txt"), {"VR1", "CV5"}));
    EXPECT_EQ(folder.read("CompileOut.txt"), "VR1\r\nCV5\r\n\r\n");
    EXPECT_TRUE(judged("CompileOut.txt", EmptyResult::Failure).success);
    EXPECT_EQ(CountCompiledLines(readResultFile(path("CompileOut.txt"), 100).lines), 2);

    ASSERT_TRUE(writeCompileError(path("CompileOut.txt"), "Unknown Command!", 3));
    const ResultVerdict error = judged("CompileOut.txt", EmptyResult::Failure);
    EXPECT_FALSE(error.success);
    EXPECT_EQ(error.message, "Failed Compile!\r\nUnknown Command!\r\nLine: 3\r\n");
    EXPECT_EQ(ReadFailedLine(readResultFile(path("CompileOut.txt"), 100).lines), 3);

    struct Case {
        const char* file;
        std::function<bool(const std::string& path)> write;
        bool success;
        std::string bytes;
    };
    const Case cases[] = {
        {"DownloadOut.txt",
         [](auto& p) {
             return writeDownloadResult(p, {true, "", {}});
         },
         true, "DOWNLOAD SUCCESS!\r\n"},
        {"UploadOut.txt",
         [](auto& p) {
             return writeUploadResult(p, {true, "", {"VR1", "XX"}});
         },
         true, "VR1\r\nXX\r\n"},
        {"DecompileOut.prg",
         [](auto& p) {
             return writeDecompiledLines(p, {"PRG 0", "END"});
         },
         true, "PRG 0\r\nEND\r\n"},
        {"DownloadOut.txt",
         [](auto& p) {
             return writeDownloadResult(p, {false, "No Response!", {}});
         },
         false, "DOWNLOAD FAILED!\r\nNo Response!\r\n"},
        {"UploadOut.txt",
         [](auto& p) {
             return writeUploadResult(p, {false, "No Reply to Command: SA3", {"VR1"}});
         },
         false, "UPLOAD FAILED!\r\nNo Reply to Command: SA3\r\n"},
        {"DecompileOut.prg", [](auto& p) { return writeDecompileFailure(p); }, false,
         "FAILED DECOMPILE\r\n"},
        {"CompileOut.txt",
         [](auto& p) { return writeRunFailure(p, kCompileFailedText, "No .prg file"); }, false,
         "Failed Compile!\r\nNo .prg file\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        ASSERT_TRUE(c.write(path(c.file)));
        EXPECT_EQ(folder.read(c.file), c.bytes);
        EXPECT_EQ(judged(c.file, EmptyResult::Failure).success, c.success);
    }
    EXPECT_EQ(folder.fileCount(), 4u); // no temporary file left behind
}

TEST(Results, UploadWritesEveryLineHoweverLongAndNoLineEndOfASlot) {
    ScratchFolder folder;
    const std::string path = folder.str() + "/UploadOut.txt";
    LoaderOutcome outcome{true, "", {}};
    std::string expected;
    for (int slot = 0; slot < 1785; ++slot) {
        outcome.uploadedLines.push_back("&84$" + std::to_string(100000 + slot) + "0000000000");
        expected += outcome.uploadedLines.back() + "\r\n";
    }
    ASSERT_GT(expected.size(), 32767u);
    ASSERT_TRUE(writeUploadResult(path, outcome));
    EXPECT_EQ(folder.read("UploadOut.txt"), expected);
    // A line end inside a slot would add a line and shift every later slot.
    ASSERT_TRUE(writeUploadResult(path, {true, "", {"VR1", "C\rV\n1", "XX"}}));
    EXPECT_EQ(folder.read("UploadOut.txt"), "VR1\r\nCV1\r\nXX\r\n");
    ASSERT_TRUE(writeUploadResult(path, {true, "", {}}));
    EXPECT_EQ(folder.read("UploadOut.txt"), "");
    EXPECT_FALSE(
        writeDownloadResult("/nonexistent-folder-for-proglift/DownloadOut.txt", {true, "", {}}));
}

TEST(Results, TheFirstLineDecidesAndAFailureIsShownWhole) {
    EXPECT_FALSE(judgeResult({"DOWNLOAD FAILED!", "x"}, "f", EmptyResult::Failure).success);
    // Only the two spellings count; small letters are a success.
    const auto small = judgeResult({"failed, but not really"}, "f", EmptyResult::Failure);
    EXPECT_TRUE(small.success);
    EXPECT_EQ(small.message, "Done!");
    EXPECT_TRUE(judgeResult({"XX", "Failed"}, "f", EmptyResult::Failure).success);
    // An empty result is a success only where it can be one.
    EXPECT_TRUE(judgeResult({}, "DecompileOut.prg", EmptyResult::Success).success);
    const auto empty = judgeResult({}, "CompileOut.txt", EmptyResult::Failure);
    EXPECT_FALSE(empty.success);
    EXPECT_EQ(empty.message, "CompileOut.txt is empty: the job left no result.");
}

// A failure report of any size or content stays a readable message box.
TEST(Results, AFailureReportIsShownReadably) {
    Lines lines{"UPLOAD FAILED!", std::string("bin\0ary\x01", 8), std::string(500, 'x')};
    for (int i = 0; i < 100; ++i)
        lines.push_back("line");
    const auto shown = judgeResult(lines, "f", EmptyResult::Failure).message;
    EXPECT_NE(shown.find("bin?ary?\r\n"), std::string::npos);
    EXPECT_NE(shown.find(std::string(200, 'x') + "...\r\n"), std::string::npos);
    EXPECT_NE(shown.find("(63 more lines)\r\n"), std::string::npos);
    EXPECT_EQ(shown.find('\0'), std::string::npos);
}

TEST(Results, TheFailedLineAndAResultThatCannotBeRead) {
    EXPECT_EQ(ReadFailedLine({"Failed Compile!", "Line: 4 bad", "Line: 12"}), 12);
    EXPECT_EQ(ReadFailedLine({"Failed Compile!", "Could not find .prg file!"}), std::nullopt);
    EXPECT_EQ(ReadFailedLine({"Failed Compile!", "Line: x"}), std::nullopt);
    EXPECT_EQ(CountCompiledLines({}), 0);

    ScratchFolder folder;
    const std::string path = folder.str() + "/CompileOut.txt";
    EXPECT_EQ(readResultFile(path, 100).error, "File " + path + " does not exist!");
    folder.write("CompileOut.txt", std::string(101, 'x'));
    EXPECT_TRUE(readResultFile(path, 100).error);
    folder.write("CompileOut.txt", "CV1\r\nXX\r\n\r\n");
    EXPECT_EQ(readResultFile(path, 100).lines, (Lines{"CV1", "XX", ""}));
}

} // namespace
