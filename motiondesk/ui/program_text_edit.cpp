#include "motiondesk/ui/program_text_edit.h"

#include "motiondesk/ui/colours.h"
#include "motiondesk/ui/widgets.h"
#include "progsmith/compiler/keywords.h"

#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>

namespace ui {

namespace {

bool isWordCharacter(QChar c) {
    return c.isLetterOrNumber() || c == '_';
}

} // namespace

ProgramHighlighter::ProgramHighlighter(QTextDocument* document, const std::string& modelName)
    : QSyntaxHighlighter(document) {
    for (const auto& keyword : progsmith::programKeywords(progsmith::findModel(modelName))) {
        const QString word = QString::fromLatin1(keyword.word.c_str());
        (keyword.numbered ? numbered_ : words_).insert(word, int(keyword.kind));
    }
    formats_[progsmith::Keyword::Block].setFontWeight(QFont::Bold);
    formats_[progsmith::Keyword::Statement].setFontWeight(QFont::Bold);
    comment_.setFontItalic(true);
    setPalette(QPalette());
}

void ProgramHighlighter::setPalette(const QPalette& palette) {
    const ProgramColours colours = programColours(palette);
    formats_[progsmith::Keyword::Block].setForeground(colours.block);
    formats_[progsmith::Keyword::Statement].setForeground(colours.statement);
    formats_[progsmith::Keyword::Instruction].setForeground(colours.instruction);
    number_.setForeground(colours.number);
    comment_.setForeground(colours.comment);
    rehighlight();
}

int ProgramHighlighter::kindOf(const QString& word) const {
    const QString upper = word.toUpper();
    if (const auto found = words_.find(upper); found != words_.end()) return *found;
    qsizetype stem = upper.size();
    while (stem > 0 && upper[stem - 1].isDigit())
        --stem;
    if (stem == upper.size() || stem == 0) return -1;
    const auto found = numbered_.find(upper.left(stem));
    return found != numbered_.end() ? *found : -1;
}

// Words are runs of letters and digits; a run that starts with a digit is a number.
void ProgramHighlighter::highlightBlock(const QString& text) {
    qsizetype end = text.size();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\'' || text[i] == ';') {
            end = i;
            setFormat(int(i), int(text.size() - i), comment_);
            break;
        }
    }
    for (qsizetype i = 0; i < end;) {
        if (!isWordCharacter(text[i])) {
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < end && isWordCharacter(text[j]))
            ++j;
        const QString run = text.mid(i, j - i);
        if (run[0].isDigit()) {
            setFormat(int(i), int(j - i), number_);
        } else if (const int kind = kindOf(run); kind >= 0) {
            setFormat(int(i), int(j - i), formats_[kind]);
        }
        i = j;
    }
}

class LineNumberArea final : public QWidget {
public:
    explicit LineNumberArea(ProgramTextEdit* editor) : QWidget(editor), editor_(editor) {
        setObjectName("LineNumbers");
    }
    QSize sizeHint() const override { return {editor_->lineNumberAreaWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { editor_->paintLineNumbers(event); }
    void mousePressEvent(QMouseEvent* event) override {
        if (const int line = editor_->lineAt(qRound(event->position().y())); line > 0)
            emit editor_->lineNumberClicked(line);
    }

private:
    ProgramTextEdit* editor_;
};

ProgramTextEdit::ProgramTextEdit(const std::string& modelName, QWidget* parent)
    : QPlainTextEdit(parent), lineNumbers_(new LineNumberArea(this)) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
    highlighter_ = new ProgramHighlighter(document(), modelName);
    highlighter_->setPalette(palette());
    connect(this, &QPlainTextEdit::blockCountChanged, this,
            [this] { setViewportMargins(lineNumberAreaWidth(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, &ProgramTextEdit::updateLineNumberArea);
    setViewportMargins(lineNumberAreaWidth(), 0, 0, 0);
}

std::string ProgramTextEdit::programText() const {
    QString text = toPlainText();
    text.replace('\n', QLatin1String("\r\n"));
    return toLatin1(text);
}

void ProgramTextEdit::setProgramText(const std::string& text) {
    QString shown = fromLatin1(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace('\r', '\n');
    setPlainText(shown);
}

void ProgramTextEdit::selectProgramLine(int line) {
    setFocus();
    const QTextBlock block = document()->findBlockByNumber(line - 1);
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    centerCursor();
}

int ProgramTextEdit::lineNumberAreaWidth() const {
    int digits = 1;
    for (int count = qMax(1, blockCount()); count >= 10; count /= 10)
        ++digits;
    digits = qMax(digits, 3);
    // Room for a breakpoint's dot and a thread's number before the line number.
    const int marks =
        breakpoints_.empty() && nextLines_ == std::array<int, 2>{0, 0} && !isReadOnly() ? 0 : 3;
    return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * (digits + marks);
}

void ProgramTextEdit::setBreakpointLines(std::set<int> lines) {
    breakpoints_ = std::move(lines);
    setViewportMargins(lineNumberAreaWidth(), 0, 0, 0);
    lineNumbers_->update();
}

void ProgramTextEdit::setNextLines(std::array<int, 2> lines, int follow,
                                   std::array<bool, 2> faulted) {
    if (lines == nextLines_ && follow == follow_ && faulted == faulted_) return;
    nextLines_ = lines;
    follow_ = follow == 1 ? 1 : 0;
    faulted_ = faulted;
    setViewportMargins(lineNumberAreaWidth(), 0, 0, 0);
    showNextLines();
    lineNumbers_->update();
}

// Each thread's next line tinted across the box, and shown.
void ProgramTextEdit::showNextLines() {
    QList<QTextEdit::ExtraSelection> tints;
    for (size_t thread = 0; thread < nextLines_.size(); ++thread) {
        const QTextBlock block = document()->findBlockByNumber(nextLines_[thread] - 1);
        if (!block.isValid()) continue;
        QTextEdit::ExtraSelection tint;
        tint.cursor = QTextCursor(block);
        tint.format.setBackground(faulted_[thread] ? faultTint(palette())
                                                   : threadTint(palette(), int(thread)));
        tint.format.setProperty(QTextFormat::FullWidthSelection, true);
        tints.append(tint);
    }
    setExtraSelections(tints);
    if (nextLines_[0] > 0 || nextLines_[1] > 0) {
        const int shown = nextLines_[size_t(follow_)] > 0 ? nextLines_[size_t(follow_)]
                                                          : nextLines_[0] + nextLines_[1];
        const QTextBlock block = document()->findBlockByNumber(shown - 1);
        if (block.isValid()) {
            QTextCursor cursor(block);
            setTextCursor(cursor);
            ensureCursorVisible();
        }
    }
}

int ProgramTextEdit::lineAt(int y) const {
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid()) {
        const int height = qRound(blockBoundingRect(block).height());
        if (y >= top && y < top + height) return block.blockNumber() + 1;
        top += height;
        block = block.next();
    }
    return 0;
}

// The words keep colours that read well on the palette the box is shown with.
void ProgramTextEdit::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        highlighter_->setPalette(palette());
        showNextLines();
    }
}

void ProgramTextEdit::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    lineNumbers_->setGeometry(QRect(area.left(), area.top(), lineNumberAreaWidth(), area.height()));
}

void ProgramTextEdit::updateLineNumberArea(const QRect& rect, int dy) {
    if (dy)
        lineNumbers_->scroll(0, dy);
    else
        lineNumbers_->update(0, rect.y(), lineNumbers_->width(), rect.height());
}

void ProgramTextEdit::paintLineNumbers(QPaintEvent* event) {
    QPainter painter(lineNumbers_);
    painter.fillRect(event->rect(), palette().color(QPalette::AlternateBase));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    const int width = lineNumbers_->width() - 4;
    const int unit = fontMetrics().horizontalAdvance(QLatin1Char('9'));
    const QColor numbers = palette().color(QPalette::PlaceholderText);
    while (block.isValid() && top <= event->rect().bottom()) {
        const int height = qRound(blockBoundingRect(block).height());
        const int line = block.blockNumber() + 1;
        if (block.isVisible() && top + height >= event->rect().top()) {
            painter.setPen(numbers);
            painter.drawText(0, top, width, fontMetrics().height(), Qt::AlignRight,
                             QString::number(line));
            if (breakpoints_.count(line)) {
                const int size = qMin(unit, fontMetrics().height()) - 1;
                painter.setRenderHint(QPainter::Antialiasing);
                painter.setPen(Qt::NoPen);
                painter.setBrush(badText(palette()));
                painter.drawEllipse(
                    QRect(3, top + (fontMetrics().height() - size) / 2, size, size));
            }
            for (size_t thread = 0; thread < nextLines_.size(); ++thread) {
                if (nextLines_[thread] != line) continue;
                painter.setPen(palette().color(QPalette::Text));
                painter.drawText(4 + unit * (1 + int(thread)), top, unit, fontMetrics().height(),
                                 Qt::AlignLeft, QString::number(thread));
            }
        }
        top += height;
        block = block.next();
    }
}

} // namespace ui
