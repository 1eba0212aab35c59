// "Copia testo Pag.Html": moves the whole text of the shown page into the captured-text
// window through the clipboard.

#include "browser_window/form1.h"
#include "platform/clipboard.h"
#include "platform/platform.h"
#include "platform/rich_text_box.h"
#include "platform/web_browser.h"
#include "shell/application.h"
#include "text_window/form3.h"

#include <QScopeGuard>
#include <cstdint>
#include <utility>

namespace velcaro {
namespace {

// Runs one step of the capture; a step that fails is skipped without a word and the
// command goes on with the next one.
template <typename Step> void skipOnFailure(Step&& step) {
    try {
        std::forward<Step>(step)();
    } catch (...) {
    }
}

// Whether the clipboard holds `code`; a probe that fails counts as present, since the
// command goes on with the addition that follows it.
bool presentOrFailed(Clipboard& clipboard, std::int16_t code) {
    try {
        return clipboard.GetFormat(code);
    } catch (...) {
        return true;
    }
}

} // namespace

void Form1::mnuCopia_Testo_Click() {
    if (capturing_)
        return;
    capturing_ = true;
    const auto done = qScopeGuard([this] { capturing_ = false; });
    Clipboard& clipboard = app_.platform().clipboard();

    skipOnFailure([&] { clipboard.Clear(); });
    skipOnFailure([&] { WebBrowser1().ExecWB(olecmd::kSelectAll, olecmd::kDontPromptUser); });
    skipOnFailure([&] { WebBrowser1().ExecWB(olecmd::kCopy, olecmd::kDontPromptUser); });

    // The format score: plain text 1, bitmap 2, device-independent bitmap 4, RTF 8.
    std::int16_t score = 0;
    if (presentOrFailed(clipboard, clipformat::kText))
        score += 1;
    if (presentOrFailed(clipboard, clipformat::kBitmap))
        score += 2;
    if (presentOrFailed(clipboard, clipformat::kDib))
        score += 4;
    if (presentOrFailed(clipboard, clipformat::kRtf))
        score += 8;

    // Both probes are made; a failure while making them counts as copied text.
    bool copied = true;
    skipOnFailure([&] {
        const bool alt = clipboard.GetFormat(clipformat::kRtfAlt);
        const bool rtf = clipboard.GetFormat(clipformat::kRtf);
        copied = alt || rtf;
    });

    if (copied) {
        Form3& form3 = app_.form3();
        skipOnFailure([&] { form3.Load(); });
        skipOnFailure([&] { form3.Show(); });
        // A score of 8 or 9 (RTF, with or without text) puts in the clipboard's plain text,
        // any other score the RTF: the designed branches, kept as they are on purpose.
        if (score == 8 || score == 9) {
            skipOnFailure(
                [&] { form3.RichTextBox1().setText(clipboard.GetText(clipformat::kText)); });
            skipOnFailure([&] { form3.RichTextBox1().Refresh(); });
        } else {
            skipOnFailure(
                [&] { form3.RichTextBox1().setTextRTF(clipboard.GetText(clipformat::kRtf)); });
            skipOnFailure([&] { form3.RichTextBox1().Refresh(); });
            skipOnFailure([&] { form3.SetFocus(); });
        }
    } else {
        skipOnFailure([&] { app_.MsgBox(QStringLiteral("Non trovo nessun testo copiato !!!")); });
    }

    skipOnFailure([&] { WebBrowser1().ExecWB(olecmd::kClearSelection, olecmd::kDontPromptUser); });
}

} // namespace velcaro
