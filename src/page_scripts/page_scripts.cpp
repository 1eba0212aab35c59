#include "page_scripts/page_scripts.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVariantList>

namespace velcaro::page_scripts {
namespace {

const char kReleaseFocus[] = R"(
(function () {
    var active = document.activeElement;
    if (active && active !== document.body && typeof active.blur === 'function')
        active.blur();
    window.getSelection().removeAllRanges();
    var body = document.body;
    if (!body)
        return [0, 0];
    // A page hidden as a whole (its body or root invisible until a script shows it) shows no
    // text, whatever its document holds.
    var shown = [document.documentElement, body].every(function (e) {
        var style = getComputedStyle(e);
        return style.display !== 'none' && style.visibility !== 'hidden' && style.opacity !== '0';
    });
    return [shown ? body.textContent.length : 0, body.getElementsByTagName('*').length];
})()
)";

QString resource(const QString& name) {
    QFile file(QStringLiteral(":/velcaro/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

QString copyKeeper() {
    return QStringLiteral(
        "['copy', 'selectstart'].forEach(function (type) {"
        "  window.addEventListener(type, function (e) { e.stopImmediatePropagation(); }, true);"
        "});");
}

QString releaseFocus() {
    return QString::fromLatin1(kReleaseFocus);
}

QString documentLanguage() {
    return QStringLiteral("document.documentElement ? document.documentElement.lang : ''");
}

QString showsText() {
    return QStringLiteral("!!document.body && /\\S/.test(document.body.innerText)");
}

QString pageLinks() {
    return QStringLiteral(R"((() => {
    const seen = new Set(), links = [], next = [];
    for (const a of document.querySelectorAll('a[href], area[href]')) {
        if (links.length >= %1)
            break;
        const href = a.href;
        if (typeof href === 'string' && href && !seen.has(href)) {
            seen.add(href);
            links.push(href);
        }
    }
    let canonical = '';
    for (const link of document.querySelectorAll('link[rel][href]')) {
        const rel = link.rel.toLowerCase().split(/\s+/);
        if (rel.includes('next') && next.length < 16)
            next.push(link.href);
        if (rel.includes('canonical') && !canonical)
            canonical = link.href;
    }
    const challenge = !!document.querySelector(
        '#challenge-form, #challenge-running, #challenge-stage, #cf-challenge-running, ' +
        '.cf-browser-verification, .g-recaptcha, .h-captcha, #px-captcha, ' +
        'iframe[src*="captcha"], iframe[src*="challenges."], script[src*="/challenge-platform/"]');
    const password = !!document.querySelector('input[type=password]');
    return JSON.stringify({links, next, canonical, challenge, password});
})())")
        .arg(PageLinks::kMaxLinks);
}

PageLinks readPageLinks(const QVariant& answer) {
    PageLinks read;
    const QJsonObject object = QJsonDocument::fromJson(answer.toString().toUtf8()).object();
    if (object.isEmpty())
        return read;
    read.answered = true;
    const auto texts = [](const QJsonValue& value, int most) {
        QStringList list;
        for (const QJsonValue& item : value.toArray()) {
            if (list.size() >= most)
                break;
            if (item.isString())
                list << item.toString();
        }
        return list;
    };
    read.links = texts(object.value(QStringLiteral("links")), PageLinks::kMaxLinks);
    read.next = texts(object.value(QStringLiteral("next")), 16);
    read.canonical = object.value(QStringLiteral("canonical")).toString();
    read.challengeMarker = object.value(QStringLiteral("challenge")).toBool();
    read.passwordField = object.value(QStringLiteral("password")).toBool();
    return read;
}

QString mainTextFinder() {
    static const QString script = resource(QStringLiteral("main_text_finder.js"));
    return script;
}

int copyWaitMs(const QVariant& measures) {
    const QVariantList m = measures.toList();
    const auto at = [&m](int i) {
        return i < m.size() ? m[i].toDouble() : 0.0;
    };
    const double waitMs = kCopyBaseWaitMs + at(0) / kCharsPerMs + at(1) / kElementsPerMs +
                          at(1) * at(1) / kElementsSquaredPerMs;
    return static_cast<int>(qMin<double>(kCopyMaxWaitMs, waitMs));
}

bool measuredText(const QVariant& measures) {
    return !measures.isValid() || measures.toList().value(0).toDouble() > 0;
}

} // namespace velcaro::page_scripts
