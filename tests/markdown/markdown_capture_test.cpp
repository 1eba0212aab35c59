// `velcaro --capture --format md` as a user runs it, on a generated page with a menu, a
// sidebar, an article and a footer: rendered by cmark-gfm, its words are those of the TXT capture
// of the same page, for the whole page and with --main; relative addresses come out absolute.
#include "rendered_words.h"
#include "rtf/generated_page.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

using namespace velcaro::markdown::test;

namespace {

struct Capture {
    bool ok = false;
    QString out;
    QString err;
};

Capture capture(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(VELCARO_EXE),
                  QStringList{QStringLiteral("--capture")} + arguments);
    Capture run;
    if (!process.waitForFinished(120000))
        return run;
    run.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QByteArray page() {
    QByteArray article = velcaro::rtf::test::generatedPage(5);
    article = article.mid(article.indexOf("<body>") + 6);
    article.chop(int(qstrlen("</body></html>")));
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Prova</title></head><body>"
           "<nav><ul><li><a href=\"uno.html\">Uno</a></li><li><a href=\"due.html\">Due</a></li>"
           "</ul></nav><aside>" +
           QByteArray("<p>Altri articoli, notizie del giorno e pubblicità.</p>").repeated(40) +
           "</aside><article><h1>Titolo</h1>"
           "<p>Vedi <a href=\"altre/pagina.html#parte\">la pagina</a>, "
           "<img src=\"img/logo.png\" alt=\"Il logo\"> e <a href=\"javascript:apri()\">apri</a>."
           "</p><ol><li>uno<ul><li>dentro `a|b`</li></ul></li><li>due</li></ol>"
           "<pre><code class=\"language-cpp\">int main() { return 0; }\n</code></pre>" +
           article + "</article><footer><p>Piè di pagina, contatti</p></footer></body></html>";
}

} // namespace

TEST(MarkdownCapture, RendersToTheWordsOfTheTextCaptureWholeAndMain) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("articolo.html"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(page());
    file.close();

    QStringList wholeWords;
    for (const QStringList& scope : {QStringList(), QStringList{QStringLiteral("--main")}}) {
        const Capture text = capture(scope + QStringList{path});
        const Capture markdown =
            capture(scope + QStringList{QStringLiteral("--format"), QStringLiteral("md"), path});
        ASSERT_TRUE(text.ok && markdown.ok) << text.err.toStdString() << markdown.err.toStdString();
        const QString html = renderMarkdown(markdown.out);
        ASSERT_FALSE(html.isNull()) << "cmark-gfm did not run";
        const QStringList want = wordsOf(text.out);
        EXPECT_EQ(wordsOf(textOfHtml(html)), want) << markdown.out.toStdString();

        if (scope.isEmpty()) {
            const QString base = QUrl::fromLocalFile(dir.path()).toString();
            EXPECT_TRUE(markdown.out.contains(
                QStringLiteral("[la pagina](%1/altre/pagina.html#parte)").arg(base)));
            EXPECT_TRUE(
                markdown.out.contains(QStringLiteral("![Il logo](%1/img/logo.png)").arg(base)));
            EXPECT_TRUE(html.contains(QStringLiteral(" e apri.</p>")));
            EXPECT_TRUE(html.contains(QStringLiteral("<code class=\"language-cpp\">")));
            wholeWords = want;
        } else {
            EXPECT_FALSE(markdown.err.contains(QStringLiteral("pagina intera")));
            EXPECT_FALSE(want.contains(QStringLiteral("contatti")));
            EXPECT_TRUE(wholeWords.contains(QStringLiteral("contatti")));
        }
    }
}
