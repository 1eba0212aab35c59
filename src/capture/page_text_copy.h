#pragma once

#include <QString>
#include <cstdint>
#include <functional>

namespace velcaro {

class Clipboard;
class RichTextBox;
class WebBrowser;

// The steps that take the whole text of the page shown in a browser through the clipboard:
// empty the clipboard, select all, copy, read what the copy left. "Copia testo Pag.Html"
// fills the captured-text window with them; the command-line capture, a file. Every step
// that fails is skipped without a word and the capture goes on with the next one.
class PageTextCopy {
public:
    // `browser` is asked for at each step: a window may be closed while the copy waits.
    PageTextCopy(std::function<WebBrowser&()> browser, Clipboard& clipboard);

    // What a copy takes: the whole page, or its main text (the whole page when none stands
    // out).
    enum class Scope { WholePage, MainText };

    // Selects and copies the page; false when the clipboard holds no copied text. A main text
    // that copies to no text at all is no main text: the whole page is copied instead.
    bool copy(Scope scope = Scope::WholePage);
    // Whether the last copy took the page's main text (a main text was asked for and found).
    bool tookMainText() const { return tookMainText_; }
    // Puts the copied text into the box as the captured-text window receives it; true when
    // it went in as RTF, with its formatting. `box` is asked for at each step.
    bool fill(const std::function<RichTextBox&()>& box);
    // The copy as an RTF document (the converter's, made from the copied HTML), or an empty
    // string when the clipboard has none.
    QString rtf();
    // The copy's HTML, as the engine put it on the clipboard, or an empty string.
    QString html();
    // Drops the page's selection.
    void clearSelection();

private:
    bool copyOnce(Scope scope);
    // The clipboard's text in `format`, or an empty string.
    QString copied(std::int16_t format);

    std::function<WebBrowser&()> browser_;
    Clipboard& clipboard_;
    int score_ = 0;
    bool tookMainText_ = false;
};

} // namespace velcaro
