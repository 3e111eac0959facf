#pragma once
// Where the windows open: each window by its name where the user last left it, sized as they
// left it, remembered in the user's own configuration (~/.config/motiondesk/windows.conf, never
// the program folder). A place that no screen shows any more (a monitor that was unplugged) is
// not used, and no window opens larger than the screen it is on.

#include <QObject>
#include <QRect>

#include <vector>

class QWidget;

namespace ui {

// The rectangle a window of that frame is shown in: the remembered one when a screen (given by
// its available area) holds its centre, else the window's own; either way moved and shrunk to
// lie within that screen. saved is empty when nothing was remembered.
QRect placeOnScreens(const QRect& saved, const QRect& own, const std::vector<QRect>& screens);

// Installed on the application: every named dialog (not the message boxes) is placed when it is
// shown and remembered when it is hidden.
class WindowPlaces final : public QObject {
public:
    explicit WindowPlaces(QObject* parent = nullptr);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void restore(QWidget* window);
    void remember(QWidget* window);
};

} // namespace ui
