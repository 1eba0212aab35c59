#include "text_window/form3.h"

#include "browser_window/form1.h"
#include "platform/command_button.h"
#include "platform/file_dialog.h"
#include "platform/form_window.h"
#include "platform/message_box.h"
#include "platform/platform.h"
#include "platform/rich_text_box.h"
#include "platform/text_recovery.h"
#include "platform/timer.h"
#include "shell/application.h"
#include "shell/strings.h"
#include "text_window/form3_ui.h"

#include <QDir>
#include <QLocale>

namespace velcaro {

Form3::Form3(Application& app) : Form(app) {}

Form3::~Form3() = default;

QString Form3::pageCaption() {
    return QStringLiteral("Velcaro - Testo della pagina");
}

QString Form3::mainTextCaption() {
    return QStringLiteral("Velcaro - Testo principale della pagina");
}

QString Form3::noMainTextCaption() {
    return QStringLiteral("Velcaro - Testo della pagina intera (nessun testo principale "
                          "riconosciuto)");
}

QString Form3::restoredCaption() {
    return QStringLiteral("Velcaro - Testo ripristinato");
}

const char* Form3::designedRtf() {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1040{\\fonttbl{\\f0\\fswiss MS Sans "
           "Serif;}}\r\n"
           "\\viewkind4\\uc1\\pard\\f0\\fs17 RichTextBox1\r\n"
           "\\par }\r\n";
}

void Form3::createUi() {
    ui_ = app_.platform().createForm3Ui(*this);
}

void Form3::destroyUi() {
    ui_.reset();
}

FormWindow& Form3::uiWindow() const {
    return ui_->window();
}

RichTextBox& Form3::RichTextBox1() {
    Load();
    return ui_->RichTextBox1();
}

CommandButton& Form3::Command1() {
    Load();
    return ui_->Command1();
}

CommandButton& Form3::Command2() {
    Load();
    return ui_->Command2();
}

CommandButton& Form3::Command3() {
    Load();
    return ui_->Command3();
}

Timer& Form3::keepTimer() {
    Load();
    return ui_->keepTimer();
}

TextRecovery& Form3::recovery() {
    return app_.platform().textRecovery();
}

// Keeps the window at its minimum size, fits the text area to the window and places the
// button row against the right edge. Every size is read afresh: setting the window's height
// or width runs this handler again, nested, for the new size.
void Form3::Form_Resize() {
    if (Me().WindowState() == WindowMinimized)
        return;

    if (app_.form3().Me().Height() > kMinHeight) {
        const double buttonHeight = Command1().Height();
        const double height = Me().Height();
        RichTextBox1().setHeight(static_cast<float>(height - buttonHeight - kHeightAllowance));
    } else {
        Me().setHeight(kMinHeight);
    }

    if (Me().Width() > kMinWidth) {
        const double width = Me().Width();
        RichTextBox1().setWidth(static_cast<float>(width - kWidthAllowance));
    } else {
        Me().setWidth(kMinWidth);
    }

    // The row's tests: Command1 adds the margin, the two save buttons subtract it. The
    // asymmetry is the designed behaviour, kept on purpose.
    placeButton(Command1(), 1, kRightMargin);
    placeButton(Command2(), 2, -kRightMargin);
    placeButton(Command3(), 3, -kRightMargin);
}

double Form3::rowWidth(int buttonsInRow) {
    CommandButton* row[] = {&Command1(), &Command2(), &Command3()};
    double sum = 0;
    for (int i = 0; i < buttonsInRow; ++i)
        sum += row[i]->Width();
    return sum;
}

void Form3::placeButton(CommandButton& button, int buttonsInRow, double testOffset) {
    const double widths = rowWidth(buttonsInRow);
    const float testSum = static_cast<float>(widths + testOffset);
    if (testSum < Me().Width()) {
        button.setLeft(static_cast<float>(Me().Width() - (widths + kRightMargin)));
    } else {
        button.setLeft(kFallbackLeft);
    }
}

// "F I N E": closes the window; its text goes with it.
void Form3::Command1_Click() {
    Unload();
}

void Form3::Command2_Click() {
    save(QStringLiteral("/TESTO.TXT"), RichTextBox::rtfText,
         QStringLiteral("Salvato il testo nel file: "));
}

void Form3::Command3_Click() {
    save(QStringLiteral("/TESTO.RTF"), RichTextBox::rtfRTF,
         QStringLiteral("Salvato il testo di tipo RTF nel file: "));
}

// Proposes the file in the application folder in the browser window's save dialog, writes
// the content to the chosen file and confirms. A blank chosen name (a cancel) saves nothing.
void Form3::save(const QString& suffix, int fileType, const QString& prompt) {
    const QString defaultName = app_.appPath() + suffix;
    app_.form1().CommonDialog1().setFileName(defaultName);
    app_.form1().CommonDialog1().ShowSave();
    const QString chosen = app_.form1().CommonDialog1().FileName();
    if (trimSpaces(chosen).isEmpty())
        return;
    RichTextBox1().SaveFile(chosen, fileType);
    app_.MsgBox(prompt + chosen);
}

void Form3::RichTextBox1_Change() {
    holdsText_ = true;
    keepTimer().start();
}

void Form3::keepText() {
    TextRecovery& kept = recovery();
    RichTextBox1().readText([&kept](const QString& text) { kept.keep(text); });
}

void Form3::keepTextNow() {
    if (isLoaded() && holdsText_)
        recovery().keepNow(RichTextBox1().Text());
}

// Closing the window discards its text, as "F I N E" says.
void Form3::Form_Unload() {
    holdsText_ = false;
    keepTimer().stop();
    recovery().discard();
}

void Form3::offerLeftText() {
    const std::optional<LeftText> left = recovery().takeLeftText(kMaxLeftTextBytes);
    if (!left)
        return;
    if (!left->tooLongPath.isEmpty()) {
        app_.platform().messageBox().MsgBox(
            QStringLiteral("L'ultima volta Velcaro è terminato con la finestra del testo "
                           "catturato ancora aperta, ma il testo che conteneva (%1) è troppo "
                           "lungo per essere riaperto.\n\nNon è stato aperto ed è conservato "
                           "nel file:\n%2\n\nSi può leggere con un editor di testo, o "
                           "eliminare per liberare spazio: Velcaro non lo proporrà più.")
                .arg(QLocale(QLocale::Italian)
                         .formattedDataSize(left->tooLongBytes, 1,
                                            QLocale::DataSizeTraditionalFormat),
                     QDir::toNativeSeparators(left->tooLongPath)));
        return;
    }
    const bool restore = app_.platform().messageBox().ask(
        QStringLiteral("L'ultima volta Velcaro è terminato con la finestra del testo catturato "
                       "ancora aperta.\n\nRiaprire il testo che conteneva?"),
        QStringLiteral("Ripristina"), QStringLiteral("Scarta"));
    if (!restore) {
        recovery().dropLeftText();
        return;
    }
    Load();
    Me().setCaption(restoredCaption());
    Show();
    RichTextBox1().setText(left->text);
    // The left text's file becomes this run's as it is: nothing to write again.
    recovery().restoreLeftText();
    keepTimer().stop();
    SetFocus();
}

} // namespace velcaro
