#pragma once
// A small driver that works the program's windows from a script file, for the end-to-end test
// and the screenshots: it clicks buttons, fills lists, answers message boxes, prints what the
// controls show and saves pictures of windows, all by object name. It runs only when the
// environment variable MOTIONDESK_SCRIPT names a script; a user never meets it.
//
// A name is an object name, looked for in the window in front first, or "Window/Control".
// One command per line, blank lines and lines starting with # ignored:
//   wait <name> [ms]              until a visible window or control of that name exists
//   waitgone <name> [ms]          until no visible one does
//   waittext <name> <text> [ms]   until the control's text contains <text>
//   waitchange <name> [ms]        until the control's text differs from what it was when the
//                                 wait began
//   click <name>                  presses a button (queued, so a modal window it opens can be
//                                 worked by the next commands)
//   select <name> <row>           chooses a row of a list
//   key <name> <key>              presses Return, F1, Up or Down in a control (queued, as a click)
//   settext <name> <text>         sets the text of a list, field or text box ("\n" in a text
//                                 box's text is a line end)
//   clickline <name> <line>       clicks the line's number in a program text box's margin
//   print <name>                  writes "<name>=<text>" to standard output (a text box's line
//                                 ends as "\n")
//   selection <name>              writes "<name>.selection=<selected text>" of a text box
//   answer [button] [ms]          waits for a message box, prints "message=<text>" and presses
//                                 the button (OK when none is given)
//   waitbox [ms]                  waits for a message box and prints "message=<text>", leaving it
//                                 open
//   say <text>                    writes the text to standard output
//   sleep <ms>                    lets the program run that long
//   grab <name> <file.png>        saves a picture of the window or control
//   close <name>                  closes the window
//   quit                          ends the program with exit code 0
// A wait that runs out prints why and ends the program with exit code 3.

#include <QObject>
#include <QStringList>

class QTimer;
class QWidget;

namespace testing_support {

class WindowScript : public QObject {
    Q_OBJECT
public:
    // Nothing when MOTIONDESK_SCRIPT is not set; the caller keeps the returned object alive.
    static WindowScript* startFromEnvironment(QObject* parent);

    WindowScript(QStringList lines, QObject* parent);

private:
    void step();
    // True when the command is done, false when it is still waiting.
    bool run(const QStringList& words);
    bool waitUntil(bool condition, const QStringList& words, int timeoutIndex);
    // Waits for a message box and prints its text; presses the button when press.
    bool answer(const QStringList& words, bool press);
    void fail(const QString& why);

    QStringList lines_;
    int next_ = 0;
    qint64 waitingSince_ = -1;
    bool clickQueued_ = false;
    QString baseline_;
    QTimer* timer_;
};

} // namespace testing_support
