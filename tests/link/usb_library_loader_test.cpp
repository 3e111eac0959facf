// Loading the USB library by name from the program's folders.

#include "link/command_transport.h"
#include "link/usb_library_loader.h"
#include "recording_clock.h"
#include "scripted_ui.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

using transport::LoadedUsbLibrary;

TEST(UsbLibraryLoader, LoadsFromFirstFolderThatHasIt) {
    QTemporaryDir empty;
    LoadedUsbLibrary library({empty.path().toStdString(), FAKE_USB_FOLDER});

    ASSERT_TRUE(library.available()) << library.loadError();
    EXPECT_EQ(library.loadedFrom(), std::string(FAKE_USB_FOLDER) + "/libZentorCom.so");

    int32_t count = 0;
    EXPECT_EQ(library.GetNumDevices(count), 1);
    EXPECT_EQ(count, 2);
    uint8_t product[257] = {};
    EXPECT_EQ(library.GetProductString(1, product, 0), 1);
    EXPECT_EQ(transport::BytesToText(product, sizeof product), "FAKE02");
    int32_t handle = 0;
    EXPECT_EQ(library.Open(1, handle), 1);
    EXPECT_EQ(handle, 101);
    EXPECT_EQ(library.Close(handle), 1);
}

TEST(UsbLibraryLoader, ExchangeRunsThroughLoadedLibrary) {
    LoadedUsbLibrary library({FAKE_USB_FOLDER});
    transport::ConnectionState state;
    state.LinkType = transport::LinkUsb;
    testing_support::ScriptedUi ui;
    testing_support::RecordingClock clock;
    transport::CommandTransport transport(state, transport::TransportPolicy::motiondesk(), nullptr,
                                          &library, &ui, clock);

    std::string reply;
    EXPECT_EQ(transport.SendCommand("#09VER", reply), 1);
    EXPECT_EQ(reply, "VER");
    EXPECT_EQ(state.UsbResult, 1);
}

TEST(UsbLibraryLoader, MissingLibraryMakesEveryCallFail) {
    QTemporaryDir empty;
    LoadedUsbLibrary library({empty.path().toStdString()});

    EXPECT_FALSE(library.available());
    EXPECT_FALSE(library.loadError().empty());
    int32_t count = -1;
    int32_t handle = -1;
    uint8_t block[64] = {};
    uint8_t product[257] = {};
    EXPECT_EQ(library.GetNumDevices(count), 0);
    EXPECT_EQ(library.GetProductString(0, product, 0), 0);
    EXPECT_EQ(library.SetTimeouts(5000, 5000), 0);
    EXPECT_EQ(library.Open(0, handle), 0);
    EXPECT_EQ(library.SendRecv(handle, block, 64, 64, block), 0);
    EXPECT_EQ(library.Flush(handle), 0);
    EXPECT_EQ(library.Close(handle), 0);
    EXPECT_EQ(count, -1);
    EXPECT_EQ(handle, -1);
}

} // namespace
