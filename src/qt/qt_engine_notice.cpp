#include "qt/qt_engine_notice.h"

#include "platform/engine_age.h"
#include "platform/velcaro_error.h"
#include "qt/web_engine_loader.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

namespace velcaro {
namespace {

constexpr int kMargin = 6;

} // namespace

void QtEngineNotice::tellWhenOutdated(QWidget* area) {
    QTimer::singleShot(kDelayMs, area, [area] {
        WebEngineFacts facts;
        try {
            facts = webEngineFacts();
        } catch (const VelcaroError&) {
            // Without its module there is no engine to tell of; GO reports why.
            return;
        }
        const EngineAge age = EngineAge::of(facts.securityPatchVersion, facts.chromiumVersion,
                                            EngineAge::referenceDate());
        if (age.outdated)
            new QtEngineNotice(area, age.warning());
    });
}

QtEngineNotice::QtEngineNotice(QWidget* area, const QString& text)
    : QLabel(text, area->parentWidget()), area_(area) {
    setObjectName(QStringLiteral("EngineNotice"));
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // The system's font, as the dialogs: this is no designed control.
    setFont(QApplication::font());
    setMargin(kMargin);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::ToolTipBase));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::ToolTipText));
    setPalette(colours);
    area->installEventFilter(this);
    area->window()->setAccessibleDescription(text);
    place();
    raise();
    show();
    QTimer::singleShot(kShownMs, this, [this] {
        shownLongEnough_ = true;
        goWhenDue();
    });
}

void QtEngineNotice::place() {
    if (!area_)
        return;
    const int width = area_->width();
    setGeometry(area_->x(), area_->y(), width, heightForWidth(width));
}

void QtEngineNotice::goWhenDue() {
    if (!area_ || !shownLongEnough_ || !area_->isVisible())
        return;
    area_->window()->setAccessibleDescription({});
    deleteLater();
}

bool QtEngineNotice::eventFilter(QObject* watched, QEvent* event) {
    if (watched == area_) {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            place();
        else if (event->type() == QEvent::Show) {
            // GO showed the area, with the engine's view in it: the notice stays above.
            raise();
            goWhenDue();
        }
    }
    return QLabel::eventFilter(watched, event);
}

} // namespace velcaro
