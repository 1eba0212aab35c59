// The captured-text window on the real Qt bindings, offscreen: keys and screen readers.

#include "shell/application.h"
#include "support/qt_helpers.h"
#include "text_window/form3.h"

#include <QFileDialog>
#include <QPushButton>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace velcaro;
using namespace velcaro::testing;

namespace {

class QtForm3 : public ::testing::Test {
protected:
    void SetUp() override {
        app.form3().Show();
        window = topLevel(QStringLiteral("Form3"));
        ASSERT_NE(window, nullptr);
        text = window->findChild<QTextEdit*>(QStringLiteral("RichTextBox1"));
        window->activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == window);
    }
    void TearDown() override {
        if (app.form3().isLoaded())
            app.form3().Unload();
        QTest::qWait(0);
    }
    QPushButton* button(const char* name) {
        return window->findChild<QPushButton*>(QLatin1String(name));
    }

    RecordingQtPlatform platform;
    Application app{platform};
    QWidget* window = nullptr;
    QTextEdit* text = nullptr;
};

TEST_F(QtForm3, ScreenReadersHearANameForEveryControl) {
    EXPECT_EQ(accessibleName(text), QStringLiteral("Testo catturato"));
    EXPECT_EQ(accessibleName(button("Command1")), QStringLiteral("Fine"));
    EXPECT_EQ(button("Command1")->text(), QStringLiteral("F I N E")) << "the caption stays";
    EXPECT_EQ(unnamedControls(window), QStringList());
}

TEST_F(QtForm3, EscapeClosesTheWindowAsFINEDoes) {
    text->setFocus();
    QTest::keyClick(text, Qt::Key_Escape);
    EXPECT_FALSE(app.form3().isLoaded());
    EXPECT_EQ(platform.quits, 1) << "no other window is open";
}

TEST_F(QtForm3, EnterPressesTheFocusedButton) {
    bool dialogOpened = false;
    whenDialogAppears<QFileDialog>([&dialogOpened](QFileDialog* dialog) {
        dialogOpened = true;
        dialog->reject();
    });
    button("Command2")->setFocus();
    QTest::keyClick(button("Command2"), Qt::Key_Return);
    EXPECT_TRUE(dialogOpened) << "Salva Testo .TXT";
    EXPECT_TRUE(app.form3().isLoaded());

    button("Command1")->setFocus();
    QTest::keyClick(button("Command1"), Qt::Key_Enter);
    EXPECT_FALSE(app.form3().isLoaded()) << "F I N E";
}

} // namespace
