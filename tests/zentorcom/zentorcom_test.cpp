#include "link/usb_library.h"
#include "tests/support/sim_process.h"
#include "zentorcom/zentorcom.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>

#include <array>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The callers ask for the library's failure text by this option.
static_assert(transport::UsbOptionLastError == ZENTORCOM_OPTION_LAST_ERROR);

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

// Whoever made the socket folder, or can write into it, could pose as a device. Such a folder is
// refused by the library, which says why on stderr and as its last error, and by the simulator.
TEST_F(UsbStandIn, SocketFolderThatIsNotTheUsersOwnIsRefused) {
    ASSERT_TRUE(startSim({}));
    const std::string folder = sim->path("usb").toStdString();
    const std::string link = folder + "-link";
    std::filesystem::create_directory_symlink(folder, link);
    const std::tuple<std::string, mode_t, uid_t, const char*> cases[] = {
        {folder, 0770, ::geteuid(), "other users can write to it"},
        {link, 0700, ::geteuid(), "it is a symbolic link"},
        {folder, 0700, 65534, "it belongs to another user"}, // only root can give it away
    };
    for (const auto& [used, mode, owner, reason] : cases) {
        if (owner != ::geteuid() && ::geteuid() != 0) continue;
        ASSERT_EQ(::chmod(folder.c_str(), mode) | ::chown(folder.c_str(), owner, gid_t(-1)), 0);
        qputenv("ZENTORCOM_DIR", QByteArray::fromStdString(used));
        const std::string message = "USB socket folder " + used + " is not safe: " + reason;
        int32_t count = -1;
        EXPECT_EQ(ZENTORCOM(fnZentorComGetNumDevices)(&count), 0) << message;
        std::array<uint8_t, 257> text{};
        EXPECT_EQ(
            ZENTORCOM(fnZentorComGetProductString)(0, text.data(), ZENTORCOM_OPTION_LAST_ERROR), 1);
        EXPECT_EQ(reinterpret_cast<const char*>(text.data()), message);
        QProcess program;
        program.start(OPEN_AND_STAY, {kLibrary, "0", "exit"});
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.readAllStandardError().toStdString(), "libZentorCom: " + message + "\n");
        SimProcess second({"--usb", QString::fromStdString(used), "--id", "02"});
        EXPECT_FALSE(second.start());
        EXPECT_TRUE(second.errorText().contains(QString::fromStdString(message)));
        ASSERT_EQ(::chown(folder.c_str(), ::geteuid(), ::getegid()), 0);
    }
    // A folder the simulator makes is the user's alone.
    SimProcess fresh({"--usb", "{dir}/usb"});
    ASSERT_TRUE(fresh.start());
    EXPECT_EQ(std::filesystem::status(fresh.path("usb").toStdString()).permissions(),
              std::filesystem::perms(0700));
}

} // namespace
