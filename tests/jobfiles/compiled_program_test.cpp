#include "jobfiles/compiled_program.h"

#include "support/scratch_folder.h"

#include <gtest/gtest.h>

using namespace jobfiles;
using testing_support::crlfLines;
using testing_support::ScratchFolder;
using Lines = std::vector<std::string>;

TEST(CompiledFile, ClosingEmptyLineIsNotAProgramLine) {
    ScratchFolder folder;
    folder.write("CompileOut.txt", crlfLines({"VR1", "CV1", "", "XX", ""}));
    const auto program = LoadDownloadFile(folder.str(), "CompileOut.txt", 1785);
    ASSERT_TRUE(program.ok) << program.errorText;
    EXPECT_EQ(program.lines, (Lines{"VR1", "CV1", "", "XX"}));
}

TEST(CompiledFile, FileWithoutClosingEmptyLineKeepsItsLastLine) {
    ScratchFolder folder;
    folder.write("a.txt", "VR1\r\nXX\r\n");
    EXPECT_EQ(LoadDownloadFile(folder.str(), "a.txt", 1785).lines, (Lines{"VR1", "XX"}));
    folder.write("b.txt", "VR1\nXX");
    EXPECT_EQ(LoadDownloadFile(folder.str(), "b.txt", 1785).lines, (Lines{"VR1", "XX"}));
}

TEST(CompiledFile, OnlyTheClosingLineMeansAnEmptyProgram) {
    ScratchFolder folder;
    folder.write("CompileOut.txt", "\r\n");
    const auto program = LoadDownloadFile(folder.str(), "CompileOut.txt", 1785);
    EXPECT_TRUE(program.ok);
    EXPECT_TRUE(program.lines.empty());
}

TEST(CompiledFile, MissingOrEmptyFileIsRefusedWithItsPath) {
    ScratchFolder folder;
    const std::string path = folder.str() + "/CompileOut.txt";
    auto program = LoadDownloadFile(folder.str(), "CompileOut.txt", 1785);
    EXPECT_FALSE(program.ok);
    EXPECT_EQ(program.errorText, "File " + path + " does not exist!");

    folder.write("CompileOut.txt", "");
    program = LoadDownloadFile(folder.str(), "CompileOut.txt", 1785);
    EXPECT_FALSE(program.ok);
    EXPECT_EQ(program.errorText, "File " + path + " is empty!");
}

TEST(CompiledFile, CarriageReturnOrNulInsideALineIsRefused) {
    ScratchFolder folder;
    folder.write("cr.txt", "VR1\r\nCV\r1\r\nXX\r\n\r\n");
    auto program = LoadDownloadFile(folder.str(), "cr.txt", 1785);
    EXPECT_FALSE(program.ok);
    EXPECT_EQ(program.errorText, "Invalid character (CR or NUL) in the compiled line for slot 1!");

    folder.write("nul.txt", std::string("VR1\r\nCV1\r\nX\0X\r\n\r\n", 17));
    program = LoadDownloadFile(folder.str(), "nul.txt", 1785);
    EXPECT_FALSE(program.ok);
    EXPECT_EQ(program.errorText, "Invalid character (CR or NUL) in the compiled line for slot 2!");
}

TEST(CompiledFile, BytesAboveAsciiPassUnchanged) {
    ScratchFolder folder;
    folder.write("CompileOut.txt", "&84$1\xE9\r\n\r\n");
    EXPECT_EQ(LoadDownloadFile(folder.str(), "CompileOut.txt", 1785).lines, (Lines{"&84$1\xE9"}));
}

TEST(CompiledFile, LineTooLongForACompiledLineIsRefused) {
    ScratchFolder folder;
    folder.write("CompileOut.txt", "VR1\r\n" + std::string(LongestCompiledLine, 'C') + "\r\n\r\n");
    const auto program = LoadDownloadFile(folder.str(), "CompileOut.txt", 1785);
    EXPECT_FALSE(program.ok);
    EXPECT_EQ(program.errorText, "The compiled line for slot 1 is too long!");
}

TEST(CompiledFile, ReadingStopsOnceTheProgramIsKnownToBeTooLong) {
    ScratchFolder folder;
    std::string bytes;
    for (int i = 0; i < 100000; ++i)
        bytes += "CV1\r\n";
    folder.write("CompileOut.txt", bytes);
    const auto program = LoadDownloadFile(folder.str(), "CompileOut.txt", 1785);
    EXPECT_TRUE(program.ok);
    EXPECT_EQ(program.lines.size(), 1787u); // enough to refuse it, no more
}
