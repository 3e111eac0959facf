#include "connection_harness.h"
#include "motiondesk/connection/comm_type_window.h"
#include "motiondesk/connection/search_window.h"
#include "support/modal_helpers.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using connection_testing::ConnectionHarness;
using testing_support::click;
using testing_support::whenModalShown;
using Messages = std::vector<std::string>;

TEST(SearchWindow, HasItsCaptionBarAndTimer) {
    ConnectionHarness world;
    session::WindowServices services = world.services();
    connection::SearchWindow window(services);
    EXPECT_EQ(window.objectName(), "SearchCom");
    EXPECT_EQ(window.windowTitle(), "Search KT Device");
    auto* bar = window.findChild<QProgressBar*>("Progress");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 1000);
    EXPECT_NE(window.findChild<QLabel*>("ProgressLabel"), nullptr);
    EXPECT_NE(window.findChild<QTimer*>("StatusTimer"), nullptr);
}

TEST(SearchWindow, CancelEndsTheSearchWithNothingFound) {
    ConnectionHarness world;
    for (int port = 1; port <= 15; ++port)
        world.portWithBus(port);
    world.controllerOn(15, "09", 115200);
    session::WindowServices services = world.services();
    services.timings.searchTickMs = 1;
    connection::CommTypeWindow window(services);

    QString labelWhenCancelled;
    whenModalShown("SearchCom", [&](QWidget* search) {
        auto* bar = search->findChild<QProgressBar*>("Progress");
        // Cancel once the search has got going.
        auto* waitForProgress = new QTimer(search);
        QObject::connect(waitForProgress, &QTimer::timeout, [=, &labelWhenCancelled] {
            if (bar->value() < 500) return;
            waitForProgress->stop();
            labelWhenCancelled = search->findChild<QLabel*>("ProgressLabel")->text();
            click(search, "Cancel");
        });
        waitForProgress->start(1);
    });
    click(&window, "SearchQW");

    EXPECT_TRUE(labelWhenCancelled.startsWith("Trying Port ")) << labelWhenCancelled.toStdString();
    EXPECT_EQ(world.ui.messages(),
              Messages{"Device not found!  Please check wiring and power inputs"});
    const auto& frames = world.portWithBus(15).frames();
    EXPECT_TRUE(frames.empty()) << "cancelled before reaching the last port";
}

} // namespace
