#include "tests/support/sim_process.h"
#include "zentorcom/zentorcom.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>

#include <array>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <unistd.h>

namespace {

using testing_support::SimProcess;

constexpr const char* kLibrary = SUITE_EXE_DIR "/libZentorCom.so";

// The library as a program sees it: loaded by name, functions looked up one by one.
struct Library {
    Library() : handle(dlopen(kLibrary, RTLD_NOW)) {}
    template <typename F> F get(const char* name) {
        return reinterpret_cast<F>(dlsym(handle, name));
    }
    void* handle;
};

Library& library() {
    static Library lib;
    return lib;
}

#define ZENTORCOM(name) library().get<decltype(&name)>(#name)

using Block = std::array<uint8_t, 64>;

Block command(const std::string& text) {
    Block block{};
    std::memcpy(block.data(), text.data(), std::min<size_t>(text.size(), 64));
    return block;
}

std::string text(const Block& block) {
    return std::string(reinterpret_cast<const char*>(block.data()),
                       strnlen(reinterpret_cast<const char*>(block.data()), 64));
}

// A simulator publishing its USB devices in its own folder, which the library is pointed at.
class UsbStandIn : public ::testing::Test {
protected:
    bool startSim(QStringList extra) {
        sim = std::make_unique<SimProcess>(QStringList{"--usb", "{dir}/usb"} + extra);
        qputenv("ZENTORCOM_DIR", sim->path("usb").toLocal8Bit());
        return sim->start();
    }
    int32_t openDevice(int32_t index) {
        int32_t handle = 0;
        EXPECT_EQ(ZENTORCOM(fnZentorComOpen)(index, &handle), 1);
        return handle;
    }
    std::pair<int32_t, Block> exchange(int32_t handle, const std::string& commandText) {
        Block send = command(commandText);
        Block receive;
        receive.fill(0xEE);
        const int32_t status =
            ZENTORCOM(fnZentorComSendRecv)(handle, send.data(), 64, 64, receive.data());
        return {status, receive};
    }

    std::unique_ptr<SimProcess> sim;
};

TEST(ZentorComLibrary, ExportsExactlyTheSevenFunctions) {
    QProcess nm;
    nm.start("nm", {"-D", "--defined-only", kLibrary});
    ASSERT_TRUE(nm.waitForFinished(10000));
    std::set<std::string> exported;
    for (const QByteArray& line : nm.readAllStandardOutput().split('\n'))
        if (const auto fields = line.split(' '); fields.size() == 3)
            exported.insert(fields[2].toStdString());
    EXPECT_EQ(exported, (std::set<std::string>{
                            "fnZentorComGetNumDevices", "fnZentorComGetProductString",
                            "fnZentorComSetTimeouts", "fnZentorComOpen", "fnZentorComSendRecv",
                            "fnZentorComFlush", "fnZentorComClose"}));
}

TEST_F(UsbStandIn, EnumeratesDevicesInNameOrderWithZeroTerminatedProductText) {
    ASSERT_TRUE(startSim({"--model", "QB-450", "--id", "04,01"})) << sim->errorText().toStdString();
    int32_t count = -1;
    ASSERT_EQ(ZENTORCOM(fnZentorComGetNumDevices)(&count), 1);
    ASSERT_EQ(count, 2);
    for (auto [index, expected] : {std::pair{0, "B4501"}, std::pair{1, "B4504"}}) {
        std::array<uint8_t, 257> buffer;
        buffer.fill(0xEE);
        ASSERT_EQ(ZENTORCOM(fnZentorComGetProductString)(index, buffer.data(), 0), 1);
        EXPECT_STREQ(reinterpret_cast<const char*>(buffer.data()), expected);
        EXPECT_EQ(buffer[256], 0);
    }
    std::array<uint8_t, 257> buffer{};
    EXPECT_EQ(ZENTORCOM(fnZentorComGetProductString)(2, buffer.data(), 0), 0);
}

TEST_F(UsbStandIn, NoSimulatorMeansNoDevices) {
    qputenv("ZENTORCOM_DIR", "/nonexistent/zentorcom-test");
    int32_t count = -1;
    EXPECT_EQ(ZENTORCOM(fnZentorComGetNumDevices)(&count), 1);
    EXPECT_EQ(count, 0);
    int32_t handle = 0;
    EXPECT_EQ(ZENTORCOM(fnZentorComOpen)(0, &handle), 0);
}

TEST_F(UsbStandIn, ExchangesZeroPaddedBlocksAndFullLengthReplies) {
    const std::string line64(64, 'A');
    ASSERT_TRUE(startSim(
        {"--state", QString::fromStdString("SA0=" + line64), "--log", "{dir}/commands.log"}));
    const int32_t handle = openDevice(0);
    EXPECT_EQ(ZENTORCOM(fnZentorComFlush)(handle), 1);
    auto [status, reply] = exchange(handle, "VER");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(text(reply), "V223");
    EXPECT_EQ(std::count(reply.begin() + 4, reply.end(), 0), 60);
    auto [status64, reply64] = exchange(handle, "SA0");
    EXPECT_EQ(std::string(reply64.begin(), reply64.end()), line64);
    EXPECT_EQ(SimProcess::readLog(sim->path("commands.log")),
              (QStringList{"usb 01 VER", "usb 01 SA0"}));
    EXPECT_EQ(ZENTORCOM(fnZentorComClose)(handle), 1);
    EXPECT_EQ(ZENTORCOM(fnZentorComClose)(handle), 0);
}

TEST_F(UsbStandIn, OpenDeviceRefusesASecondOpenUntilClosed) {
    ASSERT_TRUE(startSim({}));
    const int32_t first = openDevice(0);
    int32_t second = 0;
    EXPECT_EQ(ZENTORCOM(fnZentorComOpen)(0, &second), 0);
    EXPECT_EQ(exchange(first + 1, "VER").first, 0) << "a handle the device never issued";
    ASSERT_EQ(ZENTORCOM(fnZentorComClose)(first), 1);
    EXPECT_EQ(ZENTORCOM(fnZentorComOpen)(0, &second), 1);
}

TEST_F(UsbStandIn, HandleOfAKilledProgramBlocksOpenUntilAnotherProgramClosesIt) {
    ASSERT_TRUE(startSim({}));
    QProcess earlierRun;
    earlierRun.start(OPEN_AND_STAY, {kLibrary, "0", "stay"});
    ASSERT_TRUE(earlierRun.waitForReadyRead(10000));
    const QStringList opened = QString(earlierRun.readLine()).trimmed().split(' ');
    ASSERT_EQ(opened.value(0), "1");
    const int32_t staleHandle = opened.value(1).toInt();
    earlierRun.kill();
    ASSERT_TRUE(earlierRun.waitForFinished(10000));

    int32_t handle = 0;
    EXPECT_EQ(ZENTORCOM(fnZentorComOpen)(0, &handle), 0);
    EXPECT_EQ(ZENTORCOM(fnZentorComClose)(staleHandle), 1);
    EXPECT_EQ(ZENTORCOM(fnZentorComOpen)(0, &handle), 1);
    EXPECT_EQ(exchange(handle, "DN").second[0], 'K');
}

TEST_F(UsbStandIn, ProgramThatEndsNormallyGivesItsDeviceBack) {
    ASSERT_TRUE(startSim({}));
    QProcess loader;
    loader.start(OPEN_AND_STAY, {kLibrary, "0", "exit"});
    ASSERT_TRUE(loader.waitForFinished(10000));
    EXPECT_TRUE(loader.readAll().startsWith("1 "));
    int32_t handle = 0;
    EXPECT_EQ(ZENTORCOM(fnZentorComOpen)(0, &handle), 1);
}

TEST_F(UsbStandIn, SilentDeviceGivesAllZeroBlockAfterTheReadTimeout) {
    ASSERT_TRUE(startSim({"--fault", "no-reply@PX"}));
    ZENTORCOM(fnZentorComSetTimeouts)(300, 300);
    const int32_t handle = openDevice(0);
    QElapsedTimer clock;
    clock.start();
    auto [status, reply] = exchange(handle, "PX");
    const qint64 elapsed = clock.elapsed();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(std::count(reply.begin(), reply.end(), 0), 64);
    EXPECT_GE(elapsed, 280);
    EXPECT_LT(elapsed, 3000);
    EXPECT_EQ(text(exchange(handle, "VER").second), "V223") << "the device still answers others";
}

TEST_F(UsbStandIn, SlowDeviceWithinTheTimeoutStillAnswers) {
    ASSERT_TRUE(startSim({"--fault", "slow:20"}));
    ZENTORCOM(fnZentorComSetTimeouts)(1000, 1000);
    const int32_t handle = openDevice(0);
    EXPECT_EQ(text(exchange(handle, "VER").second), "V223");
}

TEST_F(UsbStandIn, UnpluggedDeviceStopsAnsweringAndLeavesTheList) {
    ASSERT_TRUE(startSim({"--fault", "disconnect:1"}));
    ZENTORCOM(fnZentorComSetTimeouts)(300, 300);
    const int32_t handle = openDevice(0);
    EXPECT_EQ(text(exchange(handle, "VER").second), "V223");
    auto [status, reply] = exchange(handle, "VER");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(std::count(reply.begin(), reply.end(), 0), 64);
    int32_t count = -1;
    ZENTORCOM(fnZentorComGetNumDevices)(&count);
    EXPECT_EQ(count, 0);
}

TEST_F(UsbStandIn, VanishedDeviceGivesAllZeroBlockAtOnce) {
    ASSERT_TRUE(startSim({}));
    const int32_t handle = openDevice(0);
    ASSERT_TRUE(sim->stop());
    QElapsedTimer clock;
    clock.start();
    auto [status, reply] = exchange(handle, "PX");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(std::count(reply.begin(), reply.end(), 0), 64);
    EXPECT_LT(clock.elapsed(), 1000);
    int32_t count = -1;
    ZENTORCOM(fnZentorComGetNumDevices)(&count);
    EXPECT_EQ(count, 0) << "its socket is gone";
}

struct UnsafeFolder {
    const char* reason;
    // Makes the simulator's folder unsafe; returns the folder to point the library at.
    std::function<std::string(const std::string& folder)> spoil;
    bool needsRoot; // only root can give a folder to another user
};

// Whoever made the socket folder first, or can write into it, could pose as a device and receive
// every command of a download. Such a folder is refused, and the library says why: on stderr, and
// as its last error for the program that found no devices.
TEST_F(UsbStandIn, SocketFolderThatIsNotTheUsersOwnIsRefused) {
    namespace fs = std::filesystem;
    const UnsafeFolder cases[] = {
        {"other users can write to it",
         [](const std::string& folder) {
             fs::permissions(folder, fs::perms(0777));
             return folder;
         },
         false},
        {"other users can write to it",
         [](const std::string& folder) {
             fs::permissions(folder, fs::perms(0770));
             return folder;
         },
         false},
        {"it is a symbolic link",
         [](const std::string& folder) {
             fs::create_directory_symlink(folder, folder + "-link");
             return folder + "-link";
         },
         false},
        {"it belongs to another user",
         [](const std::string& folder) {
             EXPECT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
             return folder;
         },
         true},
    };
    ASSERT_TRUE(startSim({}));
    const std::string folder = sim->path("usb").toStdString();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        if (c.needsRoot && ::geteuid() != 0) continue;
        const std::string used = c.spoil(folder);
        qputenv("ZENTORCOM_DIR", QByteArray::fromStdString(used));
        const std::string message = "USB socket folder " + used + " is not safe: " + c.reason;
        int32_t count = -1;
        EXPECT_EQ(ZENTORCOM(fnZentorComGetNumDevices)(&count), 0);
        std::array<uint8_t, 257> buffer{};
        EXPECT_EQ(
            ZENTORCOM(fnZentorComGetProductString)(0, buffer.data(), ZENTORCOM_OPTION_LAST_ERROR),
            1);
        EXPECT_EQ(reinterpret_cast<const char*>(buffer.data()), message);
        QProcess program;
        program.start(OPEN_AND_STAY, {kLibrary, "0", "exit"});
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_TRUE(program.readAllStandardOutput().startsWith("0 "));
        EXPECT_EQ(program.readAllStandardError().toStdString(), "libZentorCom: " + message + "\n");

        fs::permissions(folder, fs::perms(0700));
        EXPECT_EQ(::chown(folder.c_str(), ::geteuid(), ::getegid()), 0);
        qputenv("ZENTORCOM_DIR", QByteArray::fromStdString(folder));
        EXPECT_EQ(ZENTORCOM(fnZentorComGetNumDevices)(&count), 1);
        EXPECT_EQ(count, 1) << "the device is there again once the folder is safe";
    }
}

TEST(ControllerSimUsbFolder, IsMadeForTheUserAloneAndAnUnsafeOneIsRefused) {
    namespace fs = std::filesystem;
    SimProcess fresh({"--usb", "{dir}/usb"});
    ASSERT_TRUE(fresh.start()) << fresh.errorText().toStdString();
    EXPECT_EQ(fs::status(fresh.path("usb").toStdString()).permissions(), fs::perms(0700));

    QTemporaryDir scratch;
    const std::string open = scratch.filePath("usb").toStdString();
    fs::create_directory(open);
    fs::permissions(open, fs::perms(0777));
    SimProcess refused({"--usb", QString::fromStdString(open)});
    EXPECT_FALSE(refused.start());
    EXPECT_TRUE(refused.errorText().contains(QString::fromStdString(
        "USB socket folder " + open + " is not safe: other users can write to it")))
        << refused.errorText().toStdString();
    EXPECT_EQ(refused.process().exitCode(), 2);
}

} // namespace
