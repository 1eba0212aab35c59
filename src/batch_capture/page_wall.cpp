#include "batch_capture/page_wall.h"

#include "platform/capture_engine.h"

#include <QRegularExpression>

namespace velcaro {
namespace {

QRegularExpression words(const char* pattern) {
    return QRegularExpression(QString::fromUtf8(pattern),
                              QRegularExpression::CaseInsensitiveOption |
                                  QRegularExpression::UseUnicodePropertiesOption);
}

// The words of each wall, in English and Italian, the languages most walls are shown in here.
const QRegularExpression& challengeWords() {
    static const QRegularExpression re =
        words("just a moment|checking (your|if the site connection is) (browser|secure)|"
              "verify(ing)? (that )?you are (a )?human|are you a robot|attention required|"
              "ddos protection|security check|captcha|unusual traffic|access denied|"
              "verifica (che sei|di essere) (un )?uman|non sono un robot|controllo di sicurezza");
    return re;
}
const QRegularExpression& scriptWords() {
    static const QRegularExpression re =
        words("(enable|turn on|activate) javascript|javascript (is|must be) (disabled|enabled|"
              "required)|requires javascript|(attiva|abilita)(re)? (il )?javascript|"
              "javascript (è )?(disattivato|disabilitato|necessario)");
    return re;
}
const QRegularExpression& cookieWords() {
    static const QRegularExpression re =
        words("(enable|turn on|allow) cookies|cookies (are|must be) (disabled|enabled|required)|"
              "(attiva|abilita)(re)? i cookie|cookie (sono )?(disattivati|disabilitati)");
    return re;
}
const QRegularExpression& consentWords() {
    static const QRegularExpression re =
        words("accept (all )?cookies|we value your privacy|cookie (consent|preferences|policy)|"
              "consent to|accetta (tutti )?(i )?cookie|consenso|la tua privacy");
    return re;
}
const QRegularExpression& loginWords() {
    static const QRegularExpression re = words("sign in|log ?in|password|accedi|accesso|autentica");
    return re;
}

} // namespace

PageWall pageWall(int httpStatus, const QString& title, const QString& text,
                  const PageLinks& facts) {
    if (facts.challengeMarker)
        return PageWall::Challenge;
    const bool refused =
        httpStatus == 401 || httpStatus == 403 || httpStatus == 429 || httpStatus == 503;
    const QString shown = text.simplified();
    if (!refused && shown.size() > kMaxWallChars)
        return PageWall::None;
    const QString said = title + u'\n' + shown;
    if (challengeWords().match(said).hasMatch())
        return PageWall::Challenge;
    if (scriptWords().match(said).hasMatch())
        return PageWall::NeedsScript;
    if (cookieWords().match(said).hasMatch())
        return PageWall::NeedsCookies;
    if ((facts.passwordField || httpStatus == 401) && loginWords().match(said).hasMatch())
        return PageWall::Login;
    if (consentWords().match(said).hasMatch() && shown.size() < kMaxWallChars / 3)
        return PageWall::Consent;
    return PageWall::None;
}

} // namespace velcaro
