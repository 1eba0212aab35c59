#include "page_scripts/page_scripts.h"

#include <QFile>
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
    return body ? [body.textContent.length, body.getElementsByTagName('*').length] : [0, 0];
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
