#include "qt/qt_form1_ui.h"

#include "browser_window/form1.h"
#include "browser_window/form1_layout.h"
#include "qt/qt_key_filters.h"
#include "qt/qt_window_widget.h"
#include "qt/twips.h"

#include <QAction>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <algorithm>
#include <limits>

namespace velcaro {
namespace {

using namespace form1_layout;

// The label was drawn for a narrower font than today's desktop defaults: it may widen up to
// the address box, and its font shrinks (to 7 points at the least) until the caption fits.
constexpr double kLabelRoom = kText1.left - kLabel1.left - 30;

void fitCaption(QLabel* label, int roomPixels) {
    QFont font = label->font();
    while (QFontMetrics(font).horizontalAdvance(label->text()) > roomPixels &&
           font.pointSizeF() > 7)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
    label->resize(std::min(roomPixels, QFontMetrics(font).horizontalAdvance(label->text()) + 2),
                  label->height());
}

QtWindowWidget* makeWindow(const QString& title) {
    auto* widget = new QtWindowWidget(QStringLiteral("Form1"));
    widget->setWindowTitle(title);
    widget->setControlFontSize(kFontSize);
    widget->setAttribute(Qt::WA_DeleteOnClose, false);
    return widget;
}

QLineEdit* makeText1(QWidget* client) {
    auto* edit = new QLineEdit(client);
    edit->setObjectName(QStringLiteral("Text1"));
    edit->setMaxLength(std::numeric_limits<int>::max());
    edit->setGeometry(Twips::toPixels(kText1));
    return edit;
}

} // namespace

QtForm1Ui::QtForm1Ui(Form1& form, const QString& title)
    : QtFormUi(form, makeWindow(title)), window_(widget_),
      text1_(makeText1(widget_->client()), kText1.height), browser_(widget_->client()) {
    browser_.area()->setGeometry(Twips::toPixels(kWebBrowser1));
    buildAddressRow();
    buildMenu();
    window_.setClientSize(kClientWidth, kClientHeight);
    widget_->onResize = handler(&Form1::Form_Resize);
    widget_->onClose = handler(&Form1::Unload);
}

QtForm1Ui::~QtForm1Ui() = default;

void QtForm1Ui::buildAddressRow() {
    QWidget* client = widget_->client();
    auto* label = new QLabel(QStringLiteral("Sito Internet:"), client);
    label->setObjectName(QStringLiteral("Label1"));
    label->setGeometry(Twips::toPixels(kLabel1));
    fitCaption(label, Twips::toPixels(kLabelRoom));

    auto* go = new QPushButton(QStringLiteral("GO"), client);
    go->setObjectName(QStringLiteral("Command1"));
    go->setGeometry(Twips::toPixels(kCommand1));
    QObject::connect(go, &QPushButton::clicked, widget_, handler(&Form1::Command1_Click));

    auto* browse = new QPushButton(QStringLiteral("..."), client);
    browse->setObjectName(QStringLiteral("Command2"));
    browse->setAccessibleName(QStringLiteral("Scegli un file"));
    browse->setGeometry(Twips::toPixels(kCommand2));
    QObject::connect(browse, &QPushButton::clicked, widget_, handler(&Form1::Command2_Click));

    auto* edit = client->findChild<QLineEdit*>(QStringLiteral("Text1"));
    // The label names the address box for screen readers.
    label->setBuddy(edit);
    edit->installEventFilter(new MenuShortcutFilter(widget_, edit));
    edit->installEventFilter(new KeyPressFilter(
        [form = &form_, alive = alive_](std::int16_t& keyAscii) {
            if (*alive)
                form->dispatch([form, &keyAscii] { form->Text1_KeyPress(keyAscii); });
        },
        edit));
    // Enter presses the focused button, as Space does.
    for (QPushButton* button : {go, browse}) {
        button->setAutoDefault(true);
        button->installEventFilter(new MenuShortcutFilter(widget_, button));
    }

    QWidget::setTabOrder(browser_.area(), edit);
    QWidget::setTabOrder(edit, go);
    QWidget::setTabOrder(go, browse);
    edit->setFocus();
}

void QtForm1Ui::buildMenu() {
    QMenu* file = widget_->menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    struct Item {
        const char* name;
        QString caption;
        QKeySequence shortcut;
        void (Form1::*handler)();
    };
    const Item items[] = {
        {"mnuFilePrint", QStringLiteral("&Print"), QKeySequence(Qt::CTRL | Qt::Key_P),
         &Form1::mnuFilePrint_Click},
        {"mnuFilePrintPreview", QStringLiteral("Print Preview..."),
         QKeySequence(Qt::CTRL | Qt::Key_R), &Form1::mnuFilePrintPreview_Click},
        {"mnuCopia_Testo", QStringLiteral("Copia testo Pag.Html"),
         QKeySequence(Qt::CTRL | Qt::Key_C), &Form1::mnuCopia_Testo_Click},
        {"mnuCopia_Testo_Principale", QStringLiteral("Copia testo principale"),
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &Form1::mnuCopia_Testo_Principale_Click},
        {"mnuFileExit", QStringLiteral("E&xit"), QKeySequence(), &Form1::mnuFileExit_Click},
    };
    for (const Item& item : items) {
        QAction* action = file->addAction(item.caption);
        action->setObjectName(QString::fromLatin1(item.name));
        action->setShortcut(item.shortcut);
        QObject::connect(action, &QAction::triggered, widget_, handler(item.handler));
    }
}

} // namespace velcaro
