#include "qt/print/qt_print_preview.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QKeySequence>
#include <QLabel>
#include <QPdfDocument>
#include <QPdfPageNavigator>
#include <QPdfView>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

namespace velcaro {
namespace {

constexpr double kZoomStep = 1.25;
constexpr double kMinZoom = 0.1;
constexpr double kMaxZoom = 8.0;

} // namespace

QtPrintPreview::QtPrintPreview(const QByteArray& pdf, std::function<void()> print, QWidget* parent)
    : QDialog(parent), pdf_(pdf), source_(&pdf_), document_(new QPdfDocument(this)),
      view_(new QPdfView(this)), position_(new QLabel(this)), print_(std::move(print)) {
    setObjectName(QStringLiteral("PrintPreview"));
    setWindowTitle(QStringLiteral("Velcaro - Anteprima di stampa"));
    source_.open(QIODevice::ReadOnly);
    document_->load(&source_);

    view_->setObjectName(QStringLiteral("PreviewPages"));
    view_->setAccessibleName(QStringLiteral("Pagine dell'anteprima"));
    view_->setPageMode(QPdfView::PageMode::MultiPage);
    view_->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    view_->setDocument(document_);
    position_->setObjectName(QStringLiteral("PreviewPosition"));

    auto* tools = new QToolBar(this);
    tools->setAccessibleName(QStringLiteral("Strumenti dell'anteprima"));
    // The button that shows the tools a narrow window has no room for.
    if (auto* more = tools->findChild<QWidget*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("Altri strumenti"));
    auto add = [&](const QString& text, QKeySequence key, std::function<void()> act) {
        QAction* a = tools->addAction(text);
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, std::move(act));
        return a;
    };
    // Page Up and Page Down scroll the pages themselves.
    add(QStringLiteral("Pagina precedente"), QKeySequence(),
        [this] { goToPage(currentPage() - 1); });
    add(QStringLiteral("Pagina successiva"), QKeySequence(),
        [this] { goToPage(currentPage() + 1); });
    tools->addWidget(position_);
    tools->addSeparator();
    add(QStringLiteral("Riduci"), QKeySequence::ZoomOut, [this] { zoomBy(1 / kZoomStep); });
    add(QStringLiteral("Ingrandisci"), QKeySequence::ZoomIn, [this] { zoomBy(kZoomStep); });
    add(QStringLiteral("Adatta alla larghezza"), QKeySequence(),
        [this] { view_->setZoomMode(QPdfView::ZoomMode::FitToWidth); });
    add(QStringLiteral("Pagina intera"), QKeySequence(),
        [this] { view_->setZoomMode(QPdfView::ZoomMode::FitInView); });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* printButton =
        buttons->addButton(QStringLiteral("&Stampa..."), QDialogButtonBox::ActionRole);
    printButton->setObjectName(QStringLiteral("PreviewPrint"));
    buttons->addButton(QStringLiteral("&Chiudi"), QDialogButtonBox::RejectRole);
    connect(printButton, &QPushButton::clicked, this, [this] {
        if (print_)
            print_();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tools);
    layout->addWidget(view_, 1);
    layout->addWidget(buttons);
    connect(view_->pageNavigator(), &QPdfPageNavigator::currentPageChanged, this,
            &QtPrintPreview::showPosition);
    showPosition();
    resize(860, 860);
}

// The view renders in a thread of its own from the document, which reads from the buffer: they
// go in that order, before the buffer and the bytes.
QtPrintPreview::~QtPrintPreview() {
    delete view_;
    delete document_;
}

int QtPrintPreview::pageCount() const {
    return document_->pageCount();
}

int QtPrintPreview::currentPage() const {
    return view_->pageNavigator()->currentPage();
}

void QtPrintPreview::goToPage(int page) {
    if (page >= 0 && page < pageCount())
        view_->pageNavigator()->jump(page, QPointF(), view_->zoomFactor());
}

void QtPrintPreview::zoomBy(double factor) {
    view_->setZoomMode(QPdfView::ZoomMode::Custom);
    view_->setZoomFactor(std::clamp(view_->zoomFactor() * factor, kMinZoom, kMaxZoom));
}

void QtPrintPreview::showPosition() {
    position_->setText(
        QStringLiteral("  Pagina %1 di %2  ").arg(currentPage() + 1).arg(pageCount()));
}

} // namespace velcaro
