#pragma once

#include "qt/web_engine/qt_guarded_page.h"
#include "qt/web_engine/qt_page_copier.h"
#include "qt/web_engine/qt_page_printer.h"
#include "qt/web_page.h"

#include <QPointer>
#include <QWebEngineView>

namespace velcaro {

// WebPage over a QWebEngineView.
class QtWebPage : public WebPage {
public:
    explicit QtWebPage(QWidget* parent);
    ~QtWebPage() override;

    QWidget* widget() override { return view_; }
    void load(const QUrl& url) override;
    bool hasDocument() const override;
    void print() override;
    void preview() override;
    void selectAll() override;
    bool selectMainText() override;
    void copy() override;
    void clearSelection() override;

private:
    // Shows `page` in the view.
    void usePage(QtGuardedPage* page);
    QWebEngineView& view();
    QtGuardedPage& page();
    // The view, for printing, select-all and copy: fails at once with error `failure` when
    // the page's process has ended.
    QWebEngineView& liveView(int failure);

    QPointer<QWebEngineView> view_;
    QtGuardedPage* page_; // a child of the view
    QtPagePrinter printer_;
    QtPageCopier copier_;
};

} // namespace velcaro
