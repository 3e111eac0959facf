#pragma once
// Finds a window's controls by object name and connects their handlers. A name that matches no
// control of the window is recorded rather than skipped in silence, so each window's tests can
// show that every name it binds is one of its controls.

#include <QAbstractButton>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace ui {

class ControlBinder {
public:
    explicit ControlBinder(QWidget* window) : window_(window) {}

    // The control of that name and kind; nullptr (and the name recorded) when there is none.
    template <typename Widget> Widget* find(const std::string& name) {
        auto* widget = window_->findChild<Widget*>(QString::fromStdString(name));
        if (!widget) unbound_.push_back(name);
        return widget;
    }

    // Runs action when the button is clicked (by the mouse, the keyboard or a test).
    void onClicked(const std::string& name, std::function<void()> action) {
        if (auto* button = find<QAbstractButton>(name))
            QObject::connect(button, &QAbstractButton::clicked, window_,
                             [action = std::move(action)] { action(); });
    }

    // Runs action whenever the box changes by the user's hand: a click, the keyboard, or an
    // assistive tool's toggle, all of which emit toggled. The window blocks the box's signals
    // while it sets the box itself.
    void onToggled(const std::string& name, std::function<void()> action) {
        if (auto* box = find<QAbstractButton>(name))
            QObject::connect(box, &QAbstractButton::toggled, window_,
                             [action = std::move(action)](bool) { action(); });
    }

    // Names bound so far that matched no control.
    const std::vector<std::string>& unbound() const { return unbound_; }

private:
    QWidget* window_;
    std::vector<std::string> unbound_;
};

} // namespace ui
