#pragma once
// Colours that mean something (a link that is up or lost, a problem, the words of a program, a
// lamp that is dark) taken from the palette they are shown on, so they stay readable on a light
// and on a dark palette alike. No window sets a colour of its own.

#include <QColor>
#include <QPalette>

namespace ui {

// A palette whose window is darker than its text.
bool isDark(const QPalette& palette);

// Text that says all is well, or that something is wrong.
QColor goodText(const QPalette& palette);
QColor badText(const QPalette& palette);

// The words of a program.
struct ProgramColours {
    QColor block, statement, instruction, number, comment;
};
ProgramColours programColours(const QPalette& palette);

// The fill and the rim of a lamp that is dark.
QColor darkLampFill(const QPalette& palette);
QColor darkLampRim(const QPalette& palette);

// A value that changed since the last look: its box's background and text.
QColor changedBackground(const QPalette& palette);
QColor changedText(const QPalette& palette);

// The background of the line a program thread (0 or 1) runs next.
QColor threadTint(const QPalette& palette, int thread);

// The background of a line where a program stopped with a fault.
QColor faultTint(const QPalette& palette);

// The Fusion style's dark palette, for "motiondesk --dark".
QPalette darkPalette();

} // namespace ui
