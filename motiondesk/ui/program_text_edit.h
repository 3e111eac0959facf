#pragma once
// The program text box of the main window and of the program editor: a fixed-width font, the
// line numbers in a margin (the numbers the compiler reports in "Line: n"), and the words of
// the program language highlighted. Its text travels as Latin-1 bytes with CR LF line ends.

#include <QHash>
#include <QPlainTextEdit>
#include <QSyntaxHighlighter>

#include <array>
#include <set>
#include <string>
#include <vector>

namespace ui {

// Block words, statements and the model's instructions, in the compiler's own word list;
// numbers and comments (from ' or ;) in their own colours.
class ProgramHighlighter final : public QSyntaxHighlighter {
public:
    ProgramHighlighter(QTextDocument* document, const std::string& modelName);
    // The colours of the words for text shown on the palette.
    void setPalette(const QPalette& palette);

protected:
    void highlightBlock(const QString& text) override;

private:
    // The keyword's kind, or -1 for a word that is none.
    int kindOf(const QString& word) const;

    QHash<QString, int> words_;
    QHash<QString, int> numbered_; // words that a number follows
    QTextCharFormat formats_[3];
    QTextCharFormat number_;
    QTextCharFormat comment_;
};

class ProgramTextEdit final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ProgramTextEdit(const std::string& modelName, QWidget* parent = nullptr);

    // The text with CR LF after every line but the last (as typed: a final line end stays one).
    std::string programText() const;
    void setProgramText(const std::string& text);
    // Focus to the box and program line n (from 1) selected, without its line end.
    void selectProgramLine(int line);

    int lineNumberAreaWidth() const;

    // The program simulator's marks: a dot in the margin at each breakpoint line; the line each
    // program thread runs next tinted, with the thread's number beside its line number (0 where
    // a thread has no line). Both are shown where the line numbers are.
    void setBreakpointLines(std::set<int> lines);
    // The box scrolls to the line of the thread `follow`; a thread that stopped with a fault has
    // its line tinted as a problem.
    void setNextLines(std::array<int, 2> lines, int follow = 0,
                      std::array<bool, 2> faulted = {false, false});
    const std::array<int, 2>& nextLines() const { return nextLines_; }
    // The program line (from 1) shown at a height in the margin; 0 below the last.
    int lineAt(int y) const;

signals:
    // A click on a line number.
    void lineNumberClicked(int line);

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class LineNumberArea;
    void paintLineNumbers(QPaintEvent* event);
    void updateLineNumberArea(const QRect& rect, int dy);

    void showNextLines();

    QWidget* lineNumbers_;
    ProgramHighlighter* highlighter_;
    std::set<int> breakpoints_;
    std::array<int, 2> nextLines_{0, 0};
    std::array<bool, 2> faulted_{false, false};
    int follow_ = 0;
};

} // namespace ui
