#pragma once
// What every window builds its controls with: named buttons that never act on Enter, and the
// conversion of the single-byte (Latin-1) texts of the controllers and their files.

#include <QString>

#include <string>

class QPushButton;
class QWidget;

namespace ui {

// A push button with its object name, never the dialog's default: Enter in a field starts
// nothing.
QPushButton* button(const char* name, const char* caption, QWidget* parent = nullptr);

// Controller texts and file contents are single bytes; every byte is one character.
QString fromLatin1(const std::string& text);
std::string toLatin1(const QString& text);

} // namespace ui
