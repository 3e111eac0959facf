#pragma once
// Working a modal window from a test: the click that opens it blocks in the window's own event
// loop, so the test hands over what to do with it beforehand.

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <gtest/gtest.h>

namespace testing_support {

// Runs action on the modal window named name as soon as it is up (checked every 5 ms, for up
// to five seconds).
inline void whenModalShown(const QString& name, std::function<void(QWidget*)> action) {
    auto* timer = new QTimer;
    const QDeadlineTimer deadline(5000);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool shown = modal && modal->objectName() == name && modal->isVisible();
        if (!shown && !deadline.hasExpired()) return;
        timer->stop();
        timer->deleteLater();
        if (shown)
            action(modal);
        else
            ADD_FAILURE() << "no modal window " << name.toStdString();
    });
    timer->start();
}

inline void click(QWidget* window, const char* name) {
    auto* button = window->findChild<QAbstractButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

} // namespace testing_support
