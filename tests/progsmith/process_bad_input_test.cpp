// The real progsmith on inputs nobody should send it: it always ends by itself and leaves a
// complete result file (or, where it cannot write one, none at all).

#include "progsmith_process.h"

#include <gtest/gtest.h>

#include <random>

#include <sys/stat.h>

using namespace progsmith::testing;

namespace {

std::string failure(const std::string& message, int line) {
    return "Failed Compile!\r\n" + message + "\r\nLine: " + std::to_string(line) + "\r\n";
}

std::string compileIn(ExeFolder& folder, const std::string& program,
                      const std::string& model = "KT-210") {
    folder.write("Program.prg", program);
    folder.writeSetup(model);
    EXPECT_TRUE(folder.run());
    return folder.read("CompileOut.txt");
}

} // namespace

TEST(ProgsmithProcess, BinaryBytesGiveAFailureFile) {
    ExeFolder folder("binary");
    EXPECT_EQ(compileIn(folder, std::string("\0\x01\xfe\xff\r\nEND\r\n", 10)),
              failure("Unknown Error!", 1));

    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string noise;
    for (int i = 0; i < 50000; ++i)
        noise.push_back(static_cast<char>(byte(random)));
    const std::string result = compileIn(folder, noise);
    EXPECT_TRUE(result.starts_with("Failed Compile!\r\n")) << result.substr(0, 80);
    EXPECT_TRUE(result.ends_with("\r\n"));
}

TEST(ProgsmithProcess, HugeLineIsOneStatement) {
    ExeFolder folder("huge_line");
    EXPECT_EQ(compileIn(folder, "V1 = " + std::string(100000, '7') + "\r\nEND\r\n"),
              failure("Assignment Error!", 1));
    EXPECT_EQ(compileIn(folder, "' " + std::string(100000, 'x') + "\r\nEND\r\n"), "XX\r\n\r\n");
}

TEST(ProgsmithProcess, TwentyThousandLinesCompile) {
    ExeFolder folder("many_lines");
    std::string program, expected;
    for (int i = 0; i < 19999; ++i) {
        program += "V1 = V1 + 1\r\n";
        expected += "CV1\r\nVR1\r\nVR1\r\nOX1\r\n";
    }
    EXPECT_EQ(compileIn(folder, program + "END\r\n"), expected + "XX\r\n\r\n");
}

TEST(ProgsmithProcess, BlocksThatNeverCloseAreReported) {
    ExeFolder folder("unclosed");
    std::string whiles, ifs;
    for (int i = 0; i < 10000; ++i) {
        whiles += "WHILE V1 < 1\r\n";
        ifs += "IF V1 = 1\r\n";
    }
    EXPECT_EQ(compileIn(folder, whiles + "END\r\n"), failure("Missing ENDWHILE", 1));
    EXPECT_EQ(compileIn(folder, ifs + "END\r\n"), failure("Missing ENDIF", 1));
    EXPECT_EQ(compileIn(folder, "REPEAT\r\nEND\r\nSUB 1\r\n"), "RP0\r\nXX\r\nSS1\r\n\r\n");
}

TEST(ProgsmithProcess, UnknownModelHasNoInstructions) {
    ExeFolder folder("unknown_model");
    EXPECT_EQ(compileIn(folder, "PRG 1\r\nHSPD = 5\r\nEND\r\n", "KT-999"),
              failure("Unknown Command!", 2));
    EXPECT_EQ(compileIn(folder, "PRG 1\r\nV1 = 5\r\nEND\r\n", "KT-999"),
              failure("Var Range Error!", 2));
    EXPECT_EQ(compileIn(folder, "PRG 1\r\nEND\r\n", "kt-210"), "PS1\r\nXX\r\n\r\n");
}

TEST(ProgsmithProcess, MissingOrEmptySetupFile) {
    ExeFolder folder("setup");
    folder.write("Program.prg", "END\r\n");
    ASSERT_TRUE(folder.run());
    EXPECT_EQ(folder.read("CompileOut.txt"),
              "Failed Compile!\r\nCould not find configuration file\r\n");

    folder.write("progsmith_setup.txt", "");
    ASSERT_TRUE(folder.run());
    EXPECT_EQ(folder.read("CompileOut.txt"),
              "Failed Compile!\r\nNo operation in configuration file\r\n");
}

TEST(ProgsmithProcess, MissingProgramFile) {
    ExeFolder folder("no_program");
    folder.writeSetup("KT-210");
    ASSERT_TRUE(folder.run());
    EXPECT_EQ(folder.read("CompileOut.txt"), "Failed Compile!\r\nCould not find .prg file!\r\n");
}

TEST(ProgsmithProcess, FolderWithoutWriteAccessEndsWithoutAPartialFile) {
    ExeFolder folder("read_only");
    folder.write("Program.prg", "END\r\n");
    folder.writeSetup("KT-210");
    // Root writes anywhere; for root a directory in the result's place stops the write instead.
    if (::geteuid() == 0)
        fs::create_directory(folder.exe() / "CompileOut.txt");
    else
        fs::permissions(folder.exe(), fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_TRUE(folder.run());
    fs::permissions(folder.exe(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_FALSE(fs::is_regular_file(folder.exe() / "CompileOut.txt"));
    EXPECT_FALSE(folder.hasTemporaryFiles());
}

TEST(ProgsmithProcess, DecompileOfAMissingFileDoesNotWaitForAClick) {
    ExeFolder folder("decompile_missing");
    folder.writeSetup("KT-210", "DECOMPILE", "UploadOut.txt");
    ASSERT_TRUE(folder.run(20000));
    EXPECT_TRUE(folder.has("DecompileOut.prg"));
    EXPECT_FALSE(folder.has("CompileOut.txt"));
}
