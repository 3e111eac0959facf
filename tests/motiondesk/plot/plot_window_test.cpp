// The plot as the main window opens it: a scripted poll drawn and recorded, with the poll's own
// values and times.

#include "../main/main_window_fixture.h"

#include "motiondesk/plot/plot_window.h"
#include "motiondesk/windows/variables_window.h"
#include "support/modal_helpers.h"

#include <QComboBox>
#include <QPushButton>

namespace maintest {
namespace {

class PlotTest : public MainWindowTest {
protected:
    // The plot's time stamps come from the test's clock.
    session::WindowServices withClock() {
        session::WindowServices s = services();
        s.nowMs = [this] { return now; };
        return s;
    }
    plot::PlotWindow* openPlot() {
        window = std::make_unique<mainwindow::MainWindow>(withClock());
        driver.setRoot(window.get());
        click("PlotButton");
        return window->findChild<plot::PlotWindow*>("MotionPlot");
    }
    // One poll cycle at a time, the position the controller answers changing each time.
    void cycle(long long ms, int position) {
        now = ms;
        controller.replies["PX"] = std::to_string(position);
        tick();
    }
    long long now = 0;
};

TEST_F(PlotTest, ThePollIsDrawnAndRecordedWithItsOwnValuesAndTimes) {
    plot::PlotWindow* plot = openPlot();
    ASSERT_NE(plot, nullptr);
    EXPECT_TRUE(plot->isVisible());
    ui.fileNames.push_back(exe.str() + "/poll.csv");
    plot->findChild<QPushButton*>("RecordPlot")->click();
    ASSERT_TRUE(plot->recording());

    const int positions[] = {0, 150, 420, 420, 900};
    for (int i = 0; i < 5; ++i)
        cycle(1000 + i * 100, positions[i]);
    plot->redraw();
    const auto shown = plot->shownPoints("position");
    ASSERT_EQ(shown.size(), 1u);
    ASSERT_EQ(shown[0].size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(shown[0][size_t(i)].seconds, 1.0 + i * 0.1);
        EXPECT_EQ(shown[0][size_t(i)].value, positions[i]);
    }

    // Pausing and another time window change the picture, never the recording.
    plot->findChild<QPushButton*>("PausePlot")->click();
    const auto frozen = plot->shownRange();
    cycle(20000, 1234);
    plot->redraw();
    EXPECT_EQ(plot->shownRange(), frozen);
    plot->findChild<QPushButton*>("PausePlot")->click();
    plot->findChild<QComboBox*>("TimeWindow")->setCurrentIndex(1);
    plot->redraw();
    EXPECT_EQ(plot->shownRange(), std::make_pair(0.0, 60.0)); // a minute from the start

    // The link lost: the recording keeps what it has, the trace ends, and goes on after a gap.
    controller.vanished = true;
    cycle(20100, 0);
    controller.vanished = false;
    ui.clearMessages();
    plot->findChild<QPushButton*>("RecordPlot")->click();
    EXPECT_FALSE(plot->recording());

    const std::string csv = exe.read("poll.csv");
    std::vector<std::string> rows;
    for (size_t at = 0, end; (end = csv.find('\n', at)) != std::string::npos; at = end + 1)
        rows.push_back(csv.substr(at, end - at));
    ASSERT_EQ(rows.size(), 7u) << csv; // the header, five cycles and the one while paused
    const std::string times[] = {"0,0,",     "100,150,", "200,420,",
                                 "300,420,", "400,900,", "19000,1234,"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(rows[size_t(i) + 1].rfind(times[i], 0), 0u) << rows[size_t(i) + 1];
}

// A disk that fills stops the recording with a message; the plot goes on.
TEST_F(PlotTest, AFullDiskStopsTheRecordingWithAMessage) {
    plot::PlotWindow* plot = openPlot();
    ASSERT_NE(plot, nullptr);
    ui.fileNames.push_back("/dev/full");
    plot->findChild<QPushButton*>("RecordPlot")->click();
    ASSERT_TRUE(plot->recording());
    ui.clearMessages();
    for (int i = 0; i < 100 && plot->recording(); ++i)
        cycle(i * 10, i);
    EXPECT_FALSE(plot->recording());
    EXPECT_FALSE(plot->findChild<QPushButton*>("RecordPlot")->isChecked());
    const auto messages = ui.takeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("No space left on device"), std::string::npos) << messages[0];
    cycle(5000, 7);
    EXPECT_EQ(plot->history().size(), 65u) << "the plot goes on without the recording";
}

TEST_F(PlotTest, PickedVariablesAreDrawnFromTheVariablesWindow) {
    plot::PlotWindow* plot = openPlot();
    ASSERT_NE(plot, nullptr);
    controller.replies["V5"] = "77";
    testing_support::whenModalShown("VariableForm", [&](QWidget* opened) {
        auto* variables = static_cast<windows::VariablesWindow*>(opened);
        auto* picks = variables->findChild<QLineEdit*>("PlotVariables");
        picks->setText("v5, 200, 5, 7");
        emit picks->editingFinished();
        EXPECT_EQ(picks->text(), "5, 7");
        now = 3000;
        for (int i = 0; i < 5; ++i)
            variables->refreshTick();
        opened->close();
    });
    click("Command22");
    EXPECT_EQ(plot->variables(), (std::vector<int>{5, 7}));
    plot->redraw();
    const auto v5 = plot->shownVariable(5);
    ASSERT_EQ(v5.size(), 1u);
    EXPECT_EQ(v5[0].back().value, 77);
    EXPECT_DOUBLE_EQ(v5[0].back().seconds, 3.0);
}

} // namespace
} // namespace maintest
