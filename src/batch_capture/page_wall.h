#pragma once

#include <QString>

namespace velcaro {

struct PageLinks;

// What may stand in for a page's content: the page a site shows a client it does not trust,
// or one that only asks for something first.
enum class PageWall {
    None,
    // An anti-bot challenge or a captcha.
    Challenge,
    // A login form in place of the page.
    Login,
    // A cookie consent wall with nothing behind it.
    Consent,
    // A page whose only text asks to enable JavaScript.
    NeedsScript,
    // A page whose only text asks to enable cookies.
    NeedsCookies,
};

// What the page taken is, judged from what it shows: its HTTP status, title and copied text,
// and what its document holds (`facts`). A wall is a short page: the known words of a
// challenge, or of a request for JavaScript, cookies, consent or a login, in a page of little
// text (or any text under an HTTP 401, 403, 429 or 503), or a challenge's own elements. A
// page of real content that mentions such words in passing is content.
PageWall pageWall(int httpStatus, const QString& title, const QString& text,
                  const PageLinks& facts);

// Texts longer than this are content, whatever words they hold, unless the page carries a
// challenge's own elements.
constexpr int kMaxWallChars = 1500;

} // namespace velcaro
