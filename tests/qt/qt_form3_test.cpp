// The captured-text window on the real Qt bindings, offscreen: its layout in pixels at the
// screen's DPI (this test also runs as qt_form3_test_144dpi, on a screen of 144 logical DPI),
// its fonts and place on the screen, keys, screen readers, and the reading of its text for
// recovery.

#include "platform/rich_text_box.h"
#include "shell/application.h"
#include "support/qt_helpers.h"
#include "text_window/form3.h"

#include <QFileDialog>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextTable>
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

// The layout at an outer size of 10020 x 7020 twips, whole in pixels at both DPIs: the text
// area 9700 x 6090 twips at (30, 390), the buttons' left edges at 8995, 7420 and 5845 twips.
struct PixelLayout {
    double dpi;
    QRect text;
    int lefts[3];
    int buttonHeight;
};
constexpr PixelLayout kLayouts[] = {
    {96, QRect(2, 26, 647, 406), {600, 495, 390}, 22},
    {144, QRect(3, 39, 970, 609), {900, 742, 585}, 33},
};

TEST_F(QtForm3, TheDesignedLayoutGrowsWithTheScreensLogicalDpi) {
    const double dpi = window->screen()->logicalDotsPerInchX();
    const auto layout = std::find_if(std::begin(kLayouts), std::end(kLayouts),
                                     [dpi](const PixelLayout& l) { return l.dpi == dpi; });
    ASSERT_NE(layout, std::end(kLayouts)) << "no worked values at " << dpi << " DPI";
    app.form3().Me().setHeight(7020);
    app.form3().Me().setWidth(10020);
    QTRY_COMPARE(text->geometry(), layout->text);
    for (int i = 0; i < 3; ++i) {
        QPushButton* b = button(QByteArray("Command").append(char('1' + i)).constData());
        EXPECT_EQ(b->x(), layout->lefts[i]) << b->text().toStdString();
        EXPECT_EQ(b->height(), layout->buttonHeight);
    }
}

TEST_F(QtForm3, ALargerSystemFontCutsNoCaption) {
    app.form3().Unload();
    const QFont system = QApplication::font();
    QFont large = system;
    large.setPointSize(16);
    QApplication::setFont(large);
    app.form3().Show();
    QApplication::setFont(system);
    EXPECT_EQ(cutCaptions(topLevel(QStringLiteral("Form3"))), QStringList());
}

TEST_F(QtForm3, AWindowLargerThanTheScreenOpensInsideIt) {
    app.form3().Unload();
    app.form3().Me().setWidth(30000);
    app.form3().Me().setHeight(30000);
    app.form3().Show();
    window = topLevel(QStringLiteral("Form3"));
    const QRect available = window->screen()->availableGeometry();
    EXPECT_TRUE(available.contains(window->frameGeometry()))
        << window->frameGeometry().width() << "x" << window->frameGeometry().height();
    text = window->findChild<QTextEdit*>(QStringLiteral("RichTextBox1"));
    QTRY_VERIFY2(text->geometry().bottom() < window->height(), "laid out for the fitted size");
}

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

TEST_F(QtForm3, TheTextIsReadForRecoveryAPartAtATimeAsTheTxtSaveHasIt) {
    QTextCursor cursor(text->document());
    cursor.insertText(QStringLiteral("Città\u00a0e caffè\u2028a capo\n"));
    cursor.insertTable(2, 2);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString(QStringLiteral("una riga lunga\n")).repeated(100000));
    std::optional<QString> read;
    RichTextBox& box = app.form3().RichTextBox1();
    box.readText([&read](const QString& t) { read = t; });
    EXPECT_FALSE(read) << "read from the event loop";
    QTRY_VERIFY(read);
    EXPECT_EQ(*read, text->toPlainText());

    // A reading started later ends later: once it has, the first would have ended too.
    read.reset();
    box.readText([&read](const QString& t) { read = t; });
    cursor.insertText(QStringLiteral("cambiato"));
    std::optional<QString> later;
    box.readText([&later](const QString& t) { later = t; });
    QTRY_VERIFY(later);
    EXPECT_FALSE(read) << "a change abandons the reading";
}

} // namespace
