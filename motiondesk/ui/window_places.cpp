#include "motiondesk/ui/window_places.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace ui {

namespace {

QSettings places() {
    return QSettings("motiondesk", "windows");
}

bool isPlacedWindow(QObject* watched) {
    auto* widget = qobject_cast<QDialog*>(watched);
    return widget && widget->isWindow() && !widget->objectName().isEmpty() &&
           !qobject_cast<QMessageBox*>(widget);
}

} // namespace

QRect placeOnScreens(const QRect& saved, const QRect& own, const std::vector<QRect>& screens) {
    if (screens.empty()) return saved.isValid() ? saved : own;
    QRect place = own;
    const QRect* screen = &screens.front();
    if (saved.isValid()) {
        for (const QRect& candidate : screens)
            if (candidate.contains(saved.center())) {
                place = saved;
                screen = &candidate;
                break;
            }
    }
    if (place == own)
        for (const QRect& candidate : screens)
            if (candidate.contains(own.center())) screen = &candidate;
    place.setWidth(std::min(place.width(), screen->width()));
    place.setHeight(std::min(place.height(), screen->height()));
    place.moveLeft(std::clamp(place.left(), screen->left(), screen->right() + 1 - place.width()));
    place.moveTop(std::clamp(place.top(), screen->top(), screen->bottom() + 1 - place.height()));
    return place;
}

WindowPlaces::WindowPlaces(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

bool WindowPlaces::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) &&
        isPlacedWindow(watched)) {
        auto* window = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show)
            restore(window);
        else
            remember(window);
    }
    return false;
}

void WindowPlaces::restore(QWidget* window) {
    if (window->property("placed").toBool()) return;
    window->setProperty("placed", true);
    std::vector<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back(screen->availableGeometry());
    const QRect saved = places().value(window->objectName() + "/geometry").toRect();
    const QRect place = placeOnScreens(saved, window->geometry(), screens);
    window->resize(place.size());
    window->move(place.topLeft());
}

void WindowPlaces::remember(QWidget* window) {
    places().setValue(window->objectName() + "/geometry", window->geometry());
}

} // namespace ui
