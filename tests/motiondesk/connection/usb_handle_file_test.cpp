#include "motiondesk/connection/usb_handle_file.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

TEST(UsbHandleFile, RecordingReplacesTheLineOfThatIndexAndKeepsTheOthers) {
    EXPECT_EQ(connection::withUsbHandle({"0,123", "1,567"}, 1, 901), (Lines{"0,123", "1,901"}));
}

TEST(UsbHandleFile, RecordingAnUnknownIndexAppendsItsLine) {
    EXPECT_EQ(connection::withUsbHandle({"0,123", "1,567"}, 2, 44),
              (Lines{"0,123", "1,567", "2,44"}));
    EXPECT_EQ(connection::withUsbHandle({}, 0, 7), (Lines{"0,7"}));
}

TEST(UsbHandleFile, LinesItDoesNotUnderstandAreKeptAsTheyAre) {
    const Lines damaged = {"", "garbage", std::string("\xff\x01,", 3), "10,5", "1,567", "1,999"};
    EXPECT_EQ(connection::withUsbHandle(damaged, 1, 3),
              (Lines{"", "garbage", std::string("\xff\x01,", 3), "10,5", "1,3", "1,999"}));
}

TEST(UsbHandleFile, RecordedHandleIsTheFirstLineOfThatIndex) {
    const Lines lines = {"nonsense", "10,5", "1,567", "1,999", " 2 , 8 "};
    EXPECT_EQ(connection::recordedUsbHandle(lines, 1), 567);
    EXPECT_EQ(connection::recordedUsbHandle(lines, 2), 8);
    EXPECT_EQ(connection::recordedUsbHandle(lines, 0), std::nullopt);
    EXPECT_EQ(connection::recordedUsbHandle({"1,xyz"}, 1), std::nullopt);
    EXPECT_EQ(connection::recordedUsbHandle({"1,"}, 1), std::nullopt);
}

} // namespace
