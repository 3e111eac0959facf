#include "progsmith/compiler/job_driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

using namespace progsmith;
namespace fs = std::filesystem;

namespace {

class RecordedMessages : public UserMessages {
public:
    void showMessage(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

class JobDriver : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("job_driver_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(folder_ / name, std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) {
        std::ifstream in(folder_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    bool has(const std::string& name) { return fs::exists(folder_ / name); }

    // Loads and ticks until the run ends; returns the number of ticks it took.
    int run(CompilerJob& job) {
        job.load();
        int ticks = 0;
        while (!job.finished() && ticks < 100) {
            job.tick();
            ++ticks;
        }
        return ticks;
    }

    fs::path folder_;
    RecordedMessages messages_;
};

constexpr const char* kSetup = "MOD:KT-210\r\nOPE:COMPILE\r\nFIL:Program.prg\r\n";

} // namespace

TEST_F(JobDriver, CompileShowsOnePhasePerTickAndWritesTheLinesAndAnEmptyLine) {
    write("progsmith_setup.txt", kSetup);
    write("Program.prg", "HSPD=1000\r\nV1 = 2\r\nEND\r\n");
    CompilerJob job(folder_.string(), messages_);
    job.load();
    EXPECT_EQ(job.model(), findModel("KT-210"));
    const std::vector<std::pair<std::string, int>> shown{{"Cleaning up program...", 100},
                                                         {"Checking syntax...", 200},
                                                         {"Creating assembly...", 300}};
    for (const auto& [caption, progress] : shown) {
        job.tick();
        EXPECT_EQ(job.caption(), caption);
        EXPECT_EQ(job.progress(), progress);
        EXPECT_FALSE(job.finished());
        EXPECT_FALSE(has("CompileOut.txt"));
    }
    job.tick();
    EXPECT_TRUE(job.finished());
    EXPECT_EQ(job.progress(), 800);
    EXPECT_EQ(read("CompileOut.txt"), "&84$1000\r\nCV2\r\nVR1\r\nAM\r\nXX\r\n\r\n");
    EXPECT_FALSE(has("DecompileOut.prg"));
}

TEST_F(JobDriver, FailedPhaseWritesMessageAndLine) {
    write("progsmith_setup.txt", kSetup);
    write("Program.prg", "' demo\r\n\r\nV1 = 1\r\n\r\n\r\n\r\nSTOPY\r\nEND\r\n");
    CompilerJob job(folder_.string(), messages_);
    run(job);
    EXPECT_EQ(read("CompileOut.txt"), "Failed Compile!\r\nUnknown Command!\r\nLine: 7\r\n");
    ASSERT_TRUE(job.selection().has_value());
    EXPECT_EQ(job.selection()->start, 24u);
    EXPECT_EQ(job.selection()->length, 5u);
}

TEST_F(JobDriver, MissingEndSelectsNoLine) {
    write("progsmith_setup.txt", kSetup);
    write("Program.prg", "V1 = 1\r\n");
    CompilerJob job(folder_.string(), messages_);
    EXPECT_EQ(run(job), 3);
    EXPECT_EQ(read("CompileOut.txt"), "Failed Compile!\r\nMissing END!\r\nLine: 0\r\n");
    EXPECT_FALSE(job.selectedLine().has_value());
}

TEST_F(JobDriver, EveryLineEndCountsWhenLoading) {
    write("progsmith_setup.txt", kSetup);
    write("Program.prg", "V1 = 1\nV2 = 2\rQQ\r\nEND");
    CompilerJob job(folder_.string(), messages_);
    run(job);
    EXPECT_EQ(job.orgProgram(), "V1 = 1\r\nV2 = 2\r\nQQ\r\nEND\r\n");
    EXPECT_EQ(read("CompileOut.txt"), "Failed Compile!\r\nUnknown Error!\r\nLine: 3\r\n");
}

TEST_F(JobDriver, MissingSetupFileFailsAtOnceForEitherOperation) {
    CompilerJob job(folder_.string(), messages_);
    job.load();
    EXPECT_TRUE(job.finished());
    EXPECT_EQ(read("CompileOut.txt"), "Failed Compile!\r\nCould not find configuration file\r\n");
}

TEST_F(JobDriver, SetupFileWithoutOperationEndsWithAFailureFile) {
    write("progsmith_setup.txt", "MOD:KT-210\r\nFIL:Program.prg\r\n");
    write("Program.prg", "END\r\n");
    CompilerJob job(folder_.string(), messages_);
    job.load();
    EXPECT_TRUE(job.finished());
    EXPECT_EQ(read("CompileOut.txt"), "Failed Compile!\r\nNo operation in configuration file\r\n");

    write("progsmith_setup.txt", "");
    CompilerJob empty(folder_.string(), messages_);
    empty.load();
    EXPECT_TRUE(empty.finished());
    EXPECT_EQ(read("CompileOut.txt"), "Failed Compile!\r\nNo operation in configuration file\r\n");
}

TEST_F(JobDriver, MissingProgramFileFails) {
    write("progsmith_setup.txt", kSetup);
    CompilerJob job(folder_.string(), messages_);
    EXPECT_EQ(run(job), 1);
    EXPECT_EQ(read("CompileOut.txt"), "Failed Compile!\r\nCould not find .prg file!\r\n");
}

TEST_F(JobDriver, WildcardInTheFileNameCompilesAnEmptyProgram) {
    write("progsmith_setup.txt", "MOD:KT-210\r\nOPE:COMPILE\r\nFIL:*.prg\r\n");
    CompilerJob job(folder_.string(), messages_);
    run(job);
    EXPECT_EQ(read("CompileOut.txt"), "Failed Compile!\r\nMissing END!\r\nLine: 0\r\n");
}

// Not even the earlier run's: it is removed when the run loads.
TEST_F(JobDriver, CancelEndsTheRunWithoutAResultFile) {
    write("progsmith_setup.txt", kSetup);
    write("Program.prg", "END\r\n");
    write("CompileOut.txt", "VR1\r\nXX\r\n\r\n");
    CompilerJob job(folder_.string(), messages_);
    job.load();
    job.tick();
    job.cancel();
    EXPECT_TRUE(job.finished());
    job.tick();
    EXPECT_FALSE(has("CompileOut.txt"));
}

TEST_F(JobDriver, DecompileRunReadsTheCompiledFileAndWritesDecompileOut) {
    write("progsmith_setup.txt", "MOD:KT-210\r\nOPE:DECOMPILE\r\nFIL:UploadOut.txt\r\n");
    write("UploadOut.txt", "&84$1000\r\nXX\r\n");
    CompilerJob job(folder_.string(), messages_);
    EXPECT_EQ(run(job), 3);
    EXPECT_EQ(job.progress(), 1000);
    EXPECT_EQ(read("DecompileOut.prg"), "HSPD=1000\r\nEND\r\n");
    EXPECT_FALSE(has("CompileOut.txt"));
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(JobDriver, DecompileOfAMissingFileShowsAMessageAndGoesOn) {
    write("progsmith_setup.txt", "MOD:KT-210\r\nOPE:DECOMPILE\r\nFIL:UploadOut.txt\r\n");
    CompilerJob job(folder_.string(), messages_);
    run(job);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0],
              "File " + (folder_ / "UploadOut.txt").string() + " does not exist!");
    EXPECT_EQ(read("DecompileOut.prg"), "");
}

TEST_F(JobDriver, UnwritableResultLeavesNoFileBehind) {
    write("progsmith_setup.txt", kSetup);
    write("Program.prg", "END\r\n");
    // A directory in the result's place makes the final rename fail, even for root.
    fs::create_directory(folder_ / "CompileOut.txt");
    CompilerJob job(folder_.string(), messages_);
    run(job);
    EXPECT_TRUE(job.finished());
    EXPECT_FALSE(job.resultWritten());
    for (const auto& entry : fs::directory_iterator(folder_))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos);
}
