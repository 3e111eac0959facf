#include "common/textfile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace common;
namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

fs::path scratchDir() {
    const auto dir = fs::temp_directory_path() / ("textfile_test_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir;
}

} // namespace

TEST(TextFile, EveryLineEndEndsALine) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(splitLines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(splitLines("a\rb\nc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(splitLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(splitLines(""), Lines{});
    EXPECT_EQ(splitLines("\r\n"), (Lines{""}));
    EXPECT_EQ(splitLines(std::string("x\0y\xE9", 4)), (Lines{std::string("x\0y\xE9", 4)}));
}

TEST(TextFile, WritesCrLfAndReadsItBack) {
    const auto path = scratchDir() / "lines.txt";
    ASSERT_TRUE(writeLinesAtomically(path.string(), {"one", "", "thr\xE9"}));
    EXPECT_EQ(readBytes(path), "one\r\n\r\nthr\xE9\r\n");
    const auto file = readTextFile(path.string());
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(file.lines, (std::vector<std::string>{"one", "", "thr\xE9"}));
    fs::remove_all(path.parent_path());
}

TEST(TextFile, MissingFileAndFailedWriteAreReported) {
    EXPECT_EQ(readTextFile("/nonexistent/dir/file.txt").status, FileStatus::Missing);
    EXPECT_FALSE(writeLinesAtomically("/nonexistent/dir/file.txt", {"x"}));
}

TEST(TextFile, AFailedWriteLeavesTheOldFileIntact) {
    const auto dir = scratchDir();
    const auto path = dir / "keep.txt";
    ASSERT_TRUE(writeLinesAtomically(path.string(), {"old"}));
    fs::create_directory(dir / "blocker.tmp");
    // Writing over a directory path fails; the original file is untouched.
    EXPECT_FALSE(writeLinesAtomically((dir / "blocker.tmp").string(), {"new"}));
    EXPECT_EQ(readBytes(path), "old\r\n");
    fs::remove_all(dir);
}
