#pragma once

// The browser window shown on the real Qt bindings, offscreen, with a folder for the test's
// pages: what the tests of the capture and of hostile pages start from.

#include "shell/application.h"
#include "support/qt_helpers.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace velcaro::testing {

class BrowserWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        app.form1().Show();
        form1 = topLevel(QStringLiteral("Form1"));
        ASSERT_NE(form1, nullptr);
        edit = form1->findChild<QLineEdit*>(QStringLiteral("Text1"));
    }
    void TearDown() override {
        if (app.form3().isLoaded())
            app.form3().Unload();
        if (app.form1().isLoaded())
            app.form1().Unload();
        QTest::qWait(50);
    }

    // A menu command of the browser window, by its name.
    QAction* action(const char* name) { return form1->findChild<QAction*>(QLatin1String(name)); }

    // Ctrl+C from the address box; the text of the captured-text window, or null.
    // The window is activated first: without a window manager it can lose activation while a
    // page loads, and the menu's shortcut needs an active window.
    QTextEdit* captureWithKeys() {
        form1->activateWindow();
        if (!QTest::qWaitFor([this] { return QApplication::activeWindow() == form1; }, 5000))
            return nullptr;
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
        QWidget* form3 = topLevel(QStringLiteral("Form3"));
        return form3 ? form3->findChild<QTextEdit*>(QStringLiteral("RichTextBox1")) : nullptr;
    }

    RecordingQtPlatform platform;
    Application app{platform};
    QTemporaryDir dir;
    QWidget* form1 = nullptr;
    QLineEdit* edit = nullptr;
};

} // namespace velcaro::testing
