#include "motiondesk/ui/colours.h"

namespace ui {

bool isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() <
           palette.color(QPalette::WindowText).lightness();
}

QColor goodText(const QPalette& palette) {
    return isDark(palette) ? QColor(110, 220, 130) : QColor(20, 110, 40);
}

QColor badText(const QPalette& palette) {
    return isDark(palette) ? QColor(255, 120, 110) : QColor(190, 20, 20);
}

ProgramColours programColours(const QPalette& palette) {
    if (isDark(palette))
        return {QColor(130, 170, 255), QColor(210, 150, 255), QColor(90, 210, 220),
                QColor(255, 180, 100), palette.color(QPalette::PlaceholderText)};
    return {QColor(20, 60, 170), QColor(120, 40, 150), QColor(0, 110, 120), QColor(170, 80, 0),
            palette.color(QPalette::PlaceholderText)};
}

QColor darkLampFill(const QPalette& palette) {
    return isDark(palette) ? palette.color(QPalette::Window).lighter(220) : QColor(70, 70, 70);
}

QColor darkLampRim(const QPalette& palette) {
    return isDark(palette) ? palette.color(QPalette::WindowText).darker(150) : QColor(35, 35, 35);
}

QColor changedBackground(const QPalette& palette) {
    return isDark(palette) ? QColor(110, 95, 20) : QColor(255, 242, 168);
}

QColor changedText(const QPalette& palette) {
    return palette.color(QPalette::Text);
}

QColor threadTint(const QPalette& palette, int thread) {
    if (isDark(palette)) return thread == 0 ? QColor(30, 90, 45) : QColor(35, 60, 110);
    return thread == 0 ? QColor(200, 240, 200) : QColor(205, 222, 250);
}

QColor faultTint(const QPalette& palette) {
    return isDark(palette) ? QColor(120, 40, 40) : QColor(250, 205, 205);
}

QPalette darkPalette() {
    QPalette palette;
    const QColor window(45, 45, 48), base(30, 30, 32), text(230, 230, 230);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, QColor(255, 80, 80));
    palette.setColor(QPalette::Light, QColor(80, 80, 84));
    palette.setColor(QPalette::Midlight, QColor(62, 62, 66));
    palette.setColor(QPalette::Mid, QColor(38, 38, 40));
    palette.setColor(QPalette::Dark, QColor(25, 25, 27));
    palette.setColor(QPalette::Shadow, QColor(10, 10, 10));
    palette.setColor(QPalette::Highlight, QColor(60, 110, 190));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(120, 170, 255));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(120, 120, 120));
    palette.setColor(QPalette::Disabled, QPalette::Base, window);
    return palette;
}

} // namespace ui
