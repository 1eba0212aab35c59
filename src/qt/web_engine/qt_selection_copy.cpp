#include "qt/web_engine/qt_selection_copy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>
#include <QWebEnginePage>
#include <memory>

namespace velcaro {
namespace {

bool holdsPageCopy(const QMimeData* data) {
    return data && (data->hasText() || data->hasHtml());
}

} // namespace

void copyPageSelection(QWebEnginePage& page, int waitMs, QObject* receiver,
                       std::function<void(bool copied)> answered) {
    struct Copy {
        std::function<void(bool)> answered;
        QMetaObject::Connection watch;
        bool done = false;
    };
    const auto copy = std::make_shared<Copy>();
    copy->answered = std::move(answered);
    const auto finish = [copy](bool copied) {
        if (copy->done)
            return;
        copy->done = true;
        QObject::disconnect(copy->watch);
        copy->answered(copied);
    };
    QClipboard* clipboard = QGuiApplication::clipboard();
    copy->watch =
        QObject::connect(clipboard, &QClipboard::dataChanged, receiver, [clipboard, finish] {
            if (holdsPageCopy(clipboard->mimeData()))
                finish(true);
        });
    // With nothing selected the clipboard stays as it was: the wait ends with the page's.
    QTimer::singleShot(waitMs, receiver, [finish] { finish(false); });
    page.triggerAction(QWebEnginePage::Copy);
}

void appendCopy(const QMimeData& copied, QString& text, QString& html) {
    if (!text.isEmpty() && !copied.text().isEmpty())
        text += u'\n';
    text += copied.text();
    html += copied.html();
}

} // namespace velcaro
