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

// A message's text: it may name a file as the file dialog gave it (UTF-8, as the system names
// files) beside controller texts (single bytes). Text that is valid UTF-8 is read as such, any
// other as Latin-1, so "Jörg" shows as the user saw it in the dialog.
QString messageText(const std::string& text);

} // namespace ui
