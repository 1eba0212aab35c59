#include "qt/web_engine/qt_load_progress_line.h"

#include <QEvent>
#include <QPainter>
#include <QWebEngineView>
#include <algorithm>

namespace velcaro {
namespace {

// Shown from the start of a load, so that a slow first answer is seen too.
constexpr int kStartPercent = 5;

} // namespace

QtLoadProgressLine::QtLoadProgressLine(QWebEngineView& view) : QWidget(view.parentWidget()) {
    setObjectName(QStringLiteral("ProgressLine"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
    parentWidget()->installEventFilter(this);
    connect(&view, &QWebEngineView::loadStarted, this, [this] { showProgress(kStartPercent); });
    connect(&view, &QWebEngineView::loadProgress, this,
            [this](int percent) { showProgress(std::max(percent, kStartPercent)); });
    connect(&view, &QWebEngineView::loadFinished, this, &QWidget::hide);
    connect(&view, &QObject::destroyed, this, &QObject::deleteLater);
}

void QtLoadProgressLine::showProgress(int percent) {
    percent_ = std::clamp(percent, 0, 100);
    place();
    raise();
    show();
}

void QtLoadProgressLine::place() {
    setGeometry(0, 0, std::max(1, parentWidget()->width() * percent_ / 100), kThickness);
}

bool QtLoadProgressLine::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        place();
    return QWidget::eventFilter(watched, event);
}

void QtLoadProgressLine::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), palette().color(QPalette::Highlight));
}

} // namespace velcaro
