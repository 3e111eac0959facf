#include "motiondesk/ui/lamp.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

QColor centrePixel(ui::Lamp& lamp) {
    lamp.resize(lamp.sizeHint());
    const QImage image = lamp.grab().toImage();
    return image.pixelColor(image.width() / 2 + 2, image.height() / 2 + 2);
}

TEST(Lamp, LitAndDarkDifferPlainlyInBrightnessAndColour) {
    ui::Lamp lamp(nullptr, QColor(220, 0, 0));
    const QColor dark = centrePixel(lamp);
    lamp.setLit(true);
    const QColor lit = centrePixel(lamp);

    EXPECT_GT(lit.lightness() - dark.lightness(), 40);
    EXPECT_GT(lit.hsvSaturation(), 150) << "a lit lamp shows its colour";
    EXPECT_EQ(lit.hsvHue(), 0) << "in its own hue";
    EXPECT_LT(dark.hsvSaturation(), 20) << "a dark lamp is grey";
}

TEST(Lamp, LitStateIsReadableAsProperty) {
    ui::Lamp lamp;
    lamp.setLit(true);
    EXPECT_TRUE(lamp.property("lit").toBool());
    lamp.setProperty("lit", false);
    EXPECT_FALSE(lamp.isLit());
}

} // namespace
