// Writing a file whole or not at all, beside a planted link or what a killed writer left.

#include "common/atomic_file.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using testing_support::ScratchFolder;

TEST(AtomicFile, ATemporaryIsNeverWrittenThroughALinkAndLeftoversAreRemoved) {
    ScratchFolder folder;
    const std::string path = folder.str() + "/commsetup.ini";
    const std::string temporary = path + ".tmp" + std::to_string(::getpid());
    folder.write("victim", "precious");
    // Planted in the temporary's place (a shared folder without the kernel's link protection),
    // and a temporary that a writer killed before its rename left.
    ASSERT_EQ(::symlink((folder.str() + "/victim").c_str(), temporary.c_str()), 0);
    folder.write("commsetup.ini.tmp4242", "half");
    folder.write("commsetup.ini.tmpx", "not ours");

    ASSERT_EQ(common::replaceFile(path, "COM1\r\n"), 0);
    EXPECT_EQ(folder.read("commsetup.ini"), "COM1\r\n");
    EXPECT_EQ(folder.read("victim"), "precious");
    EXPECT_FALSE(folder.exists("commsetup.ini.tmp4242"));
    EXPECT_TRUE(folder.exists("commsetup.ini.tmpx"));
    EXPECT_EQ(folder.fileCount(), 3u);

    // Rewriting in place never follows a link either.
    ASSERT_EQ(::symlink((folder.str() + "/victim").c_str(), (folder.str() + "/link").c_str()), 0);
    EXPECT_NE(common::overwriteFile(folder.str() + "/link", "x"), 0);
    EXPECT_EQ(folder.read("victim"), "precious");
}

} // namespace
