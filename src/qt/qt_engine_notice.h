#pragma once

#include <QLabel>
#include <QPointer>

namespace velcaro {

// Told once a start, when the web engine's security fixes are more than a year old: what the
// user should know and do, over the top of the browser area (where the page will be, shown or
// not), as the load line lies over it. It takes no input and changes no control or caption
// of the window. Screen readers hear it as the window's description while it shows. It goes
// once GO has shown the browser area, and not before kShownMs, so that it can be read.
class QtEngineNotice : public QLabel {
public:
    // Asks the engine module, kDelayMs after the call, what it is, and shows the notice over
    // `area` when it is outdated. The delay lets the window be drawn and take keys first:
    // loading the engine's libraries stops the program for a moment.
    static void tellWhenOutdated(QWidget* area);

    static constexpr int kDelayMs = 500;
    static constexpr int kShownMs = 15000;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QtEngineNotice(QWidget* area, const QString& text);
    void place();
    // Goes once the area shows a page and kShownMs are over.
    void goWhenDue();

    QPointer<QWidget> area_;
    bool shownLongEnough_ = false;
};

} // namespace velcaro
