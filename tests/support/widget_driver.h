#pragma once
// Works a window's controls by object name, as a user would: click, type, choose, read. A name
// that matches no control of the right kind fails the test with the name.

#include "support/qt_printing.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>
#include <gtest/gtest.h>

namespace testing_support {

class WidgetDriver {
public:
    explicit WidgetDriver(QWidget* root = nullptr) : root_(root) {}
    void setRoot(QWidget* root) { root_ = root; }
    QWidget* root() const { return root_; }

    template <typename Widget> Widget* find(const char* name) const {
        Widget* widget = nullptr;
        if (root_) {
            if (root_->objectName() == QLatin1String(name)) widget = qobject_cast<Widget*>(root_);
            if (!widget) widget = root_->findChild<Widget*>(QString::fromLatin1(name));
        }
        EXPECT_NE(widget, nullptr) << "no control " << name;
        return widget;
    }

    void click(const char* name) const {
        if (auto* button = find<QAbstractButton>(name)) button->click();
    }
    void type(const char* name, const QString& text) const {
        QWidget* widget = find<QWidget>(name);
        if (auto* field = qobject_cast<QLineEdit*>(widget))
            field->setText(text);
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget))
            plain->setPlainText(text);
        else if (auto* rich = qobject_cast<QTextEdit*>(widget))
            rich->setPlainText(text);
        else if (auto* list = qobject_cast<QComboBox*>(widget))
            list->setEditText(text);
        else if (widget)
            ADD_FAILURE() << name << " takes no typing";
    }
    void choose(const char* name, const QString& item) const {
        if (auto* list = find<QComboBox>(name)) list->setCurrentText(item);
    }

    // What the control shows: a label's or field's text, a list's current text, a text box's
    // plain text, a list widget's rows joined by "|".
    QString text(const char* name) const {
        QWidget* widget = find<QWidget>(name);
        if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
        if (auto* field = qobject_cast<QLineEdit*>(widget)) return field->text();
        if (auto* list = qobject_cast<QComboBox*>(widget)) return list->currentText();
        if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) return plain->toPlainText();
        if (auto* rich = qobject_cast<QTextEdit*>(widget)) return rich->toPlainText();
        if (auto* rows = qobject_cast<QListWidget*>(widget)) {
            QStringList texts;
            for (int i = 0; i < rows->count(); ++i)
                texts << rows->item(i)->text();
            return texts.join('|');
        }
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
        return {};
    }
    bool ticked(const char* name) const {
        auto* box = find<QAbstractButton>(name);
        return box && box->isChecked();
    }
    bool enabled(const char* name) const {
        auto* widget = find<QWidget>(name);
        return widget && widget->isEnabled();
    }
    // A lamp is lit when its "lit" property is true.
    bool lit(const char* name) const {
        auto* widget = find<QWidget>(name);
        return widget && widget->property("lit").toBool();
    }

private:
    QWidget* root_;
};

} // namespace testing_support
