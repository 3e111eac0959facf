// Colours that read on a light and a dark palette; windows placed on a screen that is there.

#include "motiondesk/ui/colours.h"
#include "motiondesk/ui/lamp.h"
#include "motiondesk/ui/window_places.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// WCAG's contrast ratio of two colours.
double contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double x = luminance(a) + 0.05, y = luminance(b) + 0.05;
    return x > y ? x / y : y / x;
}

TEST(Colours, EveryMeaningfulColourReadsOnALightAndADarkPalette) {
    QPalette light;
    light.setColor(QPalette::Window, QColor(239, 239, 239));
    light.setColor(QPalette::WindowText, Qt::black);
    light.setColor(QPalette::Base, Qt::white);
    light.setColor(QPalette::Text, Qt::black);
    for (const QPalette& palette : {light, ui::darkPalette()}) {
        const QColor window = palette.color(QPalette::Window);
        const QColor base = palette.color(QPalette::Base);
        EXPECT_GT(contrast(ui::goodText(palette), window), 4.5);
        EXPECT_GT(contrast(ui::badText(palette), window), 4.5);
        const ui::ProgramColours words = ui::programColours(palette);
        for (const QColor& colour : {words.block, words.statement, words.instruction, words.number})
            EXPECT_GT(contrast(colour, base), 4.5) << colour.name().toStdString();
        EXPECT_GT(contrast(ui::changedText(palette), ui::changedBackground(palette)), 4.5);
        // A dark lamp still shows as a disc on the window.
        EXPECT_GT(contrast(ui::darkLampFill(palette), window), 1.5);
    }
}

TEST(WindowPlaces, ARememberedPlaceIsUsedOnlyOnAScreenThatIsThere) {
    const std::vector<QRect> screens = {{0, 0, 1366, 728}, {1366, 0, 1920, 1040}};
    struct Case {
        QRect saved, own, expected;
    };
    const Case cases[] = {
        // Remembered on the second screen: there again.
        {{1500, 100, 800, 600}, {10, 10, 900, 700}, {1500, 100, 800, 600}},
        // Remembered on a screen that was unplugged: the window's own place.
        {{4000, 100, 800, 600}, {10, 10, 900, 700}, {10, 10, 900, 700}},
        // Nothing remembered, and larger than the small screen: shrunk onto it.
        {{}, {50, 40, 1500, 900}, {0, 0, 1366, 728}},
        // Over the edge of the screen that holds its centre: moved wholly onto that screen.
        {{1200, 500, 800, 600}, {0, 0, 100, 100}, {1366, 440, 800, 600}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ui::placeOnScreens(c.saved, c.own, screens), c.expected)
            << c.saved.x() << "," << c.saved.y();
}

} // namespace
