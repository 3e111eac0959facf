#include "simulator/inprocess_serial_link.h"
#include "simulator/serial_bus.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using namespace simulator;

// Commands built from pieces the controller knows, glued to random bytes and numbers, so the
// random walk reaches deep into the handlers instead of bouncing off the first character.
std::string randomCommand(std::mt19937& random) {
    static const char* pieces[] = {"SA",     "SR",
                                   "SASTAT", "SPC",
                                   "MP",     "V",
                                   "X",      "T",
                                   "SSPD",   "DN=",
                                   "DB=",    "HSPD=",
                                   "PX=",    "LT=",
                                   "DO1=",   "EDIO=",
                                   "J+",     "H-",
                                   "RT=",    "=",
                                   "-",      "9999999999999999999999",
                                   "F",      "0",
                                   "1",      "KTR",
                                   "?"};
    std::uniform_int_distribution<int> count(0, 4), piece(0, std::size(pieces) - 1), byte(0, 255);
    std::string command;
    for (int n = count(random); n >= 0; --n) {
        command += pieces[piece(random)];
        if (byte(random) < 40) command.push_back(char(byte(random)));
    }
    return command;
}

TEST(Robustness, RandomCommandsNeverBreakTheModel) {
    std::mt19937 random(20260101);
    ControllerModel controller;
    int64_t now = 0;
    controller.setTimeSource([&] { return now; });
    for (int i = 0; i < 50'000; ++i) {
        now += 997;
        const std::string reply = controller.execute(randomCommand(random));
        ASSERT_EQ(reply.find('\r'), std::string::npos);
    }
    controller.execute("RT=0");
    EXPECT_EQ(controller.execute("VER"), "V223");
}

TEST(Robustness, RandomBytesNeverBreakTheBusOrTheLink) {
    std::mt19937 random(99);
    std::uniform_int_distribution<int> byte(0, 255), length(0, 200);
    SerialBus bus;
    auto& first = bus.add({.deviceId = "01"});
    bus.add({.deviceId = "02"});
    InProcessSerialLink link(bus, 1);
    ASSERT_TRUE(link.open({1, 9600}));
    for (int i = 0; i < 5'000; ++i) {
        std::string bytes = i % 2 ? "@0" + std::to_string(1 + i % 2) : "";
        for (int n = length(random); n > 0; --n)
            bytes.push_back(char(byte(random)));
        link.write(bytes);
        while (link.readChar(101).status == transport::ReadResult::Char) {
        }
    }
    first.execute("RT=0");
    link.write("\r@01VER\r");
    std::string reply;
    for (auto r = link.readChar(101); r.status == transport::ReadResult::Char;
         r = link.readChar(101))
        reply.push_back(r.ch);
    EXPECT_EQ(reply.substr(reply.size() - 5), "V223\r");
}

} // namespace
