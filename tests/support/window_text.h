#pragma once

// The text the browser window's capture gives of a page, to hold the command-line capture to.

#include "batch_capture/capture_options.h"
#include "browser_window/form1.h"
#include "platform/rich_text_box.h"
#include "platform/text_box.h"
#include "shell/application.h"
#include "support/qt_helpers.h"
#include "text_window/form3.h"

#include <QFile>

namespace velcaro::testing {

// The window's capture of `page`: GO, "Copia testo Pag.Html" after the command-line capture's
// wait for the page's own scripts, then the bytes "Salva Testo .TXT" writes into `savePath`.
inline QByteArray windowText(const QString& page, const QString& savePath) {
    RecordingQtPlatform platform;
    Application app(platform);
    app.form1().Show();
    QWidget* form1 = topLevel(QStringLiteral("Form1"));
    form1->activateWindow();
    app.form1().Text1().setText(page);
    app.form1().Command1_Click();
    if (!waitForLoad(engineView(form1)))
        return "<not loaded>";
    QTest::qWait(CaptureOptions::kDefaultSettleMs);
    app.form1().mnuCopia_Testo_Click();
    app.form3().RichTextBox1().SaveFile(savePath, RichTextBox::rtfText);
    app.form3().Unload();
    app.form1().Unload();
    QFile saved(savePath);
    return saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray("<missing>");
}

} // namespace velcaro::testing
