#pragma once

#include <QWidget>

class QWebEngineView;

namespace velcaro {

// A thin line along the top edge of the browser area while a page loads, as long as the
// loaded part of the page; it goes when the load ends, whether or not the page could be loaded. It
// lies over the page and takes no room of the designed layout.
class QtLoadProgressLine : public QWidget {
public:
    explicit QtLoadProgressLine(QWebEngineView& view);

    static constexpr int kThickness = 3;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showProgress(int percent);
    void place();

    int percent_ = 0;
};

} // namespace velcaro
