#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QDialog>
#include <functional>

class QLabel;
class QPdfDocument;
class QPdfView;

namespace velcaro {

// The print preview: the pages of a PDF made by the web engine, of which only those on
// screen are rendered, with page navigation, zoom, the page count and a button that prints.
class QtPrintPreview : public QDialog {
    Q_OBJECT
    Q_PROPERTY(int pageCount READ pageCount)
public:
    QtPrintPreview(const QByteArray& pdf, std::function<void()> print, QWidget* parent);
    ~QtPrintPreview() override;

    int pageCount() const;
    int currentPage() const;

private:
    void goToPage(int page);
    void zoomBy(double factor);
    void showPosition();

    QByteArray pdf_;
    QBuffer source_;
    QPdfDocument* document_;
    QPdfView* view_;
    QLabel* position_;
    std::function<void()> print_;
};

} // namespace velcaro
