#include "window_sequence.h"

#include "browser_window/form1.h"
#include "measure_error.h"
#include "page_set.h"
#include "platform/rich_text_box.h"
#include "platform/text_box.h"
#include "text_window/form3.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>

namespace velcaro::bench {
namespace {

constexpr int kLoadTimeoutMs = 60 * 1000;

// Waits in an event loop for the view's next loadFinished; false on a failed load or a
// time-out. The view is reached through Qt's meta-object system, as the tests reach it.
bool waitForLoad(QWidget* view) {
    QSignalSpy loaded(view, SIGNAL(loadFinished(bool)));
    QEventLoop loop;
    QObject::connect(view, SIGNAL(loadFinished(bool)), &loop, SLOT(quit()));
    QTimer::singleShot(kLoadTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return !loaded.isEmpty() && loaded.first().first().toBool();
}

} // namespace

WindowSequence::WindowSequence() : app_(platform_) {}

BatchTimes WindowSequence::run(const QStringList& pages, const QString& folder) {
    require(QDir().mkpath(folder), "cannot make the window's text folder");
    app_.form1().Show();
    form1_ = testing::topLevel(QStringLiteral("Form1"));
    require(form1_, "Form1 is not shown");

    BatchTimes times;
    QElapsedTimer clock;
    clock.start();
    for (const QString& page : pages) {
        capture(page, PageSet::textFile(folder, page));
        if (++times.pages == 1)
            times.firstPageSeconds = clock.nsecsElapsed() / 1e9;
    }
    times.seconds = clock.nsecsElapsed() / 1e9;
    times.afterFirstSeconds = times.seconds - times.firstPageSeconds;
    return times;
}

std::string WindowSequence::shownMessages() const {
    const QStringList& shown = platform_.messages.prompts;
    return shown.isEmpty() ? std::string() : ": " + shown.join(QStringLiteral(" | ")).toStdString();
}

void WindowSequence::capture(const QString& page, const QString& textFile) {
    form1_->activateWindow();
    app_.form1().Text1().setText(page);
    app_.form1().Command1_Click();
    if (!view_)
        view_ = testing::engineView(form1_);
    require(view_, "no web view in Form1 after GO" + shownMessages());
    require(waitForLoad(view_), "the window did not load " + page.toStdString());

    app_.form1().mnuCopia_Testo_Click();
    require(platform_.messages.prompts.isEmpty(),
            "the capture of " + page.toStdString() + " showed a message" + shownMessages());
    app_.form3().RichTextBox1().SaveFile(textFile, RichTextBox::rtfText);
}

} // namespace velcaro::bench
