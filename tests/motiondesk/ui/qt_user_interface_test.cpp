#include "motiondesk/ui/qt_user_interface.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct SeenBox {
    QString title;
    QString text;
    QStringList buttons;
};

// Reads the box that is open at the next turn of the event loop, then presses the button whose
// text is pressText.
void answerNextBox(SeenBox& seen, const QString& pressText) {
    QTimer::singleShot(0, [&seen, pressText] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen.title = box->windowTitle();
        seen.text = box->text();
        for (QAbstractButton* button : box->buttons()) {
            seen.buttons << button->text().remove('&');
            if (button->text().remove('&') == pressText) button->click();
        }
    });
}

// A file name comes from the dialog in UTF-8; a controller's reply is single bytes.
TEST(QtUserInterface, AMessageShowsFileNamesAsTheDialogGaveThemAndRepliesByteForByte) {
    ui::QtUserInterface userInterface;
    SeenBox seen;
    answerNextBox(seen, "OK");
    userInterface.showMessage("File /home/J\xc3\xb6rg/a.prg does not exist!");
    EXPECT_EQ(seen.text, QString::fromUtf8("File /home/J\u00f6rg/a.prg does not exist!"));
    answerNextBox(seen, "OK");
    userInterface.showMessage("?TOC=\xe9");
    EXPECT_EQ(seen.text, QString::fromUtf8("?TOC=\u00e9"));
}

TEST(QtUserInterface, MessageIsAPlainBoxWithOneOkButtonAndNoTitle) {
    ui::QtUserInterface userInterface;
    SeenBox seen;
    answerNextBox(seen, "OK");
    userInterface.showMessage("No Response!");

    EXPECT_EQ(seen.text, "No Response!");
    EXPECT_EQ(seen.title, "");
    EXPECT_EQ(seen.buttons, QStringList{"OK"});
}

TEST(QtUserInterface, QuestionIsTrueOnlyForYes) {
    ui::QtUserInterface userInterface;
    SeenBox seen;
    answerNextBox(seen, "Yes");
    EXPECT_TRUE(userInterface.askYesNo("Are you sure you want to clear?"));
    EXPECT_EQ(seen.buttons.size(), 2);

    answerNextBox(seen, "No");
    EXPECT_FALSE(userInterface.askYesNo("Are you sure you want to clear?"));
}

TEST(QtUserInterface, QuestionCarriesItsTitle) {
    ui::QtUserInterface userInterface;
    SeenBox seen;
    answerNextBox(seen, "No");
    EXPECT_FALSE(userInterface.askYesNo("Are you sure you want to save parameters to flash?",
                                        "Store to Flash"));
    EXPECT_EQ(seen.title, "Store to Flash");
    EXPECT_EQ(seen.text, "Are you sure you want to save parameters to flash?");
}

TEST(QtUserInterface, FileFiltersBecomeQtNameFilters) {
    EXPECT_EQ(ui::qtNameFilter("KT-210 Program Files (*.prg)|*.prg"),
              "KT-210 Program Files (*.prg)");
    EXPECT_EQ(ui::qtNameFilter("Programs|*.prg"), "Programs (*.prg)");
    EXPECT_EQ(ui::qtNameFilter("Programs (*.prg)|*.prg|All Files (*.*)|*.*"),
              "Programs (*.prg);;All Files (*.*)");
}

TEST(QtUserInterface, MessageTextKeepsLatin1Bytes) {
    ui::QtUserInterface userInterface;
    SeenBox seen;
    answerNextBox(seen, "OK");
    userInterface.showMessage("Temperatur 20\xb0");
    EXPECT_EQ(seen.text, QString::fromUtf8("Temperatur 20\u00b0"));
}

} // namespace
