#include "qt/qt_form3_ui.h"

#include "qt/qt_window_widget.h"
#include "rtf/rtf_reader.h"
#include "text_window/form3.h"
#include "text_window/form3_layout.h"

#include <QPushButton>
#include <QShortcut>
#include <QTextEdit>
#include <QTimer>

namespace velcaro {
namespace {

using namespace form3_layout;

QtWindowWidget* makeWindow() {
    auto* widget = new QtWindowWidget(QStringLiteral("Form3"));
    widget->setWindowTitle(Form3::pageCaption());
    widget->setControlFontSize(kFontSize);
    return widget;
}

QTextEdit* makeText(QWidget* client) {
    auto* edit = new QTextEdit(client);
    edit->setObjectName(QStringLiteral("RichTextBox1"));
    edit->setAccessibleName(QStringLiteral("Testo catturato"));
    edit->setAcceptRichText(true);
    edit->setTabChangesFocus(true);
    rtf::readRtf(QByteArray(Form3::designedRtf()), *edit->document());
    edit->document()->clearUndoRedoStacks();
    return edit;
}

QTimer* makeKeepTimer(QWidget* window, const std::function<void()>& timeout) {
    auto* timer = new QTimer(window);
    timer->setSingleShot(true);
    timer->setInterval(Form3::kKeepDelayMs);
    QObject::connect(timer, &QTimer::timeout, window, timeout);
    return timer;
}

// Enter presses the focused button, as Space does. `spoken`, when given, is what a screen
// reader says instead of the caption.
QPushButton* makeButton(QWidget* client, const char* name, const QString& caption,
                        const QString& spoken = {}) {
    auto* button = new QPushButton(caption, client);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(true);
    button->setAccessibleName(spoken);
    return button;
}

} // namespace

QtForm3Ui::QtForm3Ui(Form3& form)
    : QtFormUi(form, makeWindow()), window_(widget_),
      text_(makeText(widget_->client()), kRichTextBox1),
      command1_(makeButton(widget_->client(), "Command1", QStringLiteral("F I N E"),
                           QStringLiteral("Fine")),
                kCommand1),
      command2_(makeButton(widget_->client(), "Command2", QStringLiteral("Salva Testo .TXT")),
                kCommand2),
      command3_(makeButton(widget_->client(), "Command3", QStringLiteral("Salva Testo .RTF")),
                kCommand3),
      keepTimer_(makeKeepTimer(widget_, handler(&Form3::keepText))) {
    QWidget* client = widget_->client();
    auto* text = client->findChild<QTextEdit*>(QStringLiteral("RichTextBox1"));
    const char* names[] = {"Command1", "Command2", "Command3"};
    void (Form3::*clicks[])() = {&Form3::Command1_Click, &Form3::Command2_Click,
                                 &Form3::Command3_Click};
    QWidget* previous = text;
    for (int i = 0; i < 3; ++i) {
        auto* button = client->findChild<QPushButton*>(QLatin1String(names[i]));
        QObject::connect(button, &QPushButton::clicked, widget_, handler(clicks[i]));
        QWidget::setTabOrder(previous, button);
        previous = button;
    }
    QObject::connect(text, &QTextEdit::textChanged, widget_, handler(&Form3::RichTextBox1_Change));
    text->setFocus();
    // Escape closes the window as "F I N E" does.
    auto* escape = new QShortcut(QKeySequence::Cancel, widget_);
    QObject::connect(escape, &QShortcut::activated, widget_, handler(&Form3::Command1_Click));
    window_.setClientSize(kClientWidth, kClientHeight);
    widget_->onResize = handler(&Form3::Form_Resize);
    widget_->onClose = handler(&Form3::Unload);
}

QtForm3Ui::~QtForm3Ui() = default;

} // namespace velcaro
