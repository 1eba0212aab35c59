#include "capture/page_text_copy.h"

#include "capture/skip_on_failure.h"
#include "platform/clipboard.h"
#include "platform/rich_text_box.h"
#include "platform/web_browser.h"

#include <cstdint>
#include <utility>

namespace velcaro {
namespace {

// Whether the clipboard holds `code`; a probe that fails counts as present, since the
// capture goes on with the addition that follows it.
bool presentOrFailed(Clipboard& clipboard, std::int16_t code) {
    try {
        return clipboard.GetFormat(code);
    } catch (...) {
        return true;
    }
}

} // namespace

PageTextCopy::PageTextCopy(std::function<WebBrowser&()> browser, Clipboard& clipboard)
    : browser_(std::move(browser)), clipboard_(clipboard) {}

bool PageTextCopy::copy(Scope scope) {
    const bool copied = copyOnce(scope);
    if (!tookMainText_ || !this->copied(clipformat::kText).trimmed().isEmpty())
        return copied;
    return copyOnce(Scope::WholePage);
}

bool PageTextCopy::copyOnce(Scope scope) {
    tookMainText_ = false;
    skipOnFailure([&] { clipboard_.Clear(); });
    if (scope == Scope::MainText)
        skipOnFailure([&] { tookMainText_ = browser_().selectMainText(); });
    else
        skipOnFailure([&] { browser_().ExecWB(olecmd::kSelectAll, olecmd::kDontPromptUser); });
    skipOnFailure([&] { browser_().ExecWB(olecmd::kCopy, olecmd::kDontPromptUser); });

    // The format score: plain text 1, bitmap 2, device-independent bitmap 4, RTF 8.
    score_ = 0;
    if (presentOrFailed(clipboard_, clipformat::kText))
        score_ += 1;
    if (presentOrFailed(clipboard_, clipformat::kBitmap))
        score_ += 2;
    if (presentOrFailed(clipboard_, clipformat::kDib))
        score_ += 4;
    if (presentOrFailed(clipboard_, clipformat::kRtf))
        score_ += 8;

    // Both probes are made; a failure while making them counts as copied text.
    bool copied = true;
    skipOnFailure([&] {
        const bool alt = clipboard_.GetFormat(clipformat::kRtfAlt);
        const bool rtf = clipboard_.GetFormat(clipformat::kRtf);
        copied = alt || rtf;
    });
    return copied;
}

bool PageTextCopy::fill(const std::function<RichTextBox&()>& box) {
    // A score of 8 or 9 (RTF, with or without text) puts in the clipboard's plain text, any
    // other score the RTF: the designed branches, kept as they are on purpose.
    if (score_ == 8 || score_ == 9) {
        skipOnFailure([&] { box().setText(clipboard_.GetText(clipformat::kText)); });
        skipOnFailure([&] { box().Refresh(); });
        return false;
    }
    skipOnFailure([&] { box().setTextRTF(clipboard_.GetText(clipformat::kRtf)); });
    skipOnFailure([&] { box().Refresh(); });
    return true;
}

QString PageTextCopy::rtf() {
    return copied(clipformat::kRtf);
}

QString PageTextCopy::html() {
    return copied(clipformat::kHtml);
}

QString PageTextCopy::copied(std::int16_t format) {
    try {
        return clipboard_.GetText(format);
    } catch (...) {
        return {};
    }
}

void PageTextCopy::clearSelection() {
    skipOnFailure([&] { browser_().ExecWB(olecmd::kClearSelection, olecmd::kDontPromptUser); });
}

} // namespace velcaro
