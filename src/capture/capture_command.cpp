// "Copia testo Pag.Html" and "Copia testo principale": move the whole text of the shown page,
// or its main text, into the captured-text window through the clipboard.

#include "browser_window/form1.h"
#include "capture/page_text_copy.h"
#include "capture/skip_on_failure.h"
#include "platform/form_window.h"
#include "platform/platform.h"
#include "shell/application.h"
#include "text_window/form3.h"

#include <QScopeGuard>

namespace velcaro {

void Form1::mnuCopia_Testo_Click() {
    capture(PageTextCopy::Scope::WholePage);
}

void Form1::mnuCopia_Testo_Principale_Click() {
    capture(PageTextCopy::Scope::MainText);
}

void Form1::capture(PageTextCopy::Scope scope) {
    if (capturing_)
        return;
    capturing_ = true;
    const auto done = qScopeGuard([this] { capturing_ = false; });

    PageTextCopy capture([this]() -> WebBrowser& { return WebBrowser1(); },
                         app_.platform().clipboard());
    if (capture.copy(scope)) {
        Form3& form3 = app_.form3();
        skipOnFailure([&] { form3.Load(); });
        // The title says what the window holds; it tells, without stopping the user, when a
        // page had no main text and the whole page was taken instead.
        skipOnFailure([&] {
            form3.Me().setCaption(scope == PageTextCopy::Scope::WholePage ? Form3::pageCaption()
                                  : capture.tookMainText()                ? Form3::mainTextCaption()
                                                           : Form3::noMainTextCaption());
        });
        skipOnFailure([&] { form3.Show(); });
        // The RTF comes with its formatting, and the window takes the focus for it.
        if (capture.fill([&form3]() -> RichTextBox& { return form3.RichTextBox1(); }))
            skipOnFailure([&] { form3.SetFocus(); });
    } else {
        skipOnFailure([&] { app_.MsgBox(QStringLiteral("Non trovo nessun testo copiato !!!")); });
    }
    capture.clearSelection();
}

} // namespace velcaro
