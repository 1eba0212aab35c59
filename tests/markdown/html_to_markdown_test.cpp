// The Markdown converter: rendered by cmark-gfm, its words are the words of the web engine's
// own plain copy of the same page; the Markdown of each construct; deep and wide input.
#include "markdown/html_to_markdown.h"
#include "markdown/markdown_builder.h"
#include "rendered_words.h"
#include "rtf/engine_copy.h"
#include "rtf/generated_page.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velcaro::markdown;
using namespace velcaro::markdown::test;
using velcaro::rtf::test::copyPageInEngine;
using velcaro::rtf::test::EngineCopy;

namespace {

const QUrl kBase(QStringLiteral("https://example.org/docs/page.html"));

// One construct: its HTML as the engine copies it, and the Markdown it becomes (relative
// addresses resolved against kBase).
struct Case {
    const char* name;
    const char* html;
    const char* markdown;
};

const Case kCases[] = {
    {"nested lists",
     "<ol start=\"3\"><li>three<ul><li>inner <b>bold</b></li><li>second</li></ul></li>"
     "<li>four</li></ol>",
     "3. three\n   - inner **bold**\n   - second\n4. four\n"},
    // A cell spanning columns fills the first, the others are blank; short rows are padded.
    {"table",
     "<table><tr><th>Name</th><th>Value</th><th>Note</th></tr>"
     "<tr><td colspan=\"2\">a | b</td><td>c</td></tr><tr><td>short</td></tr></table>",
     "| Name | Value | Note |\n| --- | --- | --- |\n| a \\| b | | c |\n| short | | |\n"},
    {"code",
     "<p>Use <code>a ``b`` c</code> here</p>"
     "<pre><code class=\"language-python\">print(\"```\")\n</code></pre>",
     "Use ```a ``b`` c``` here\n\n````python\nprint(\"```\")\n````\n"},
    {"link and image",
     "<p><a href=\"../guide/intro.html#start\">guide</a>, <img src=\"img/logo.png\" alt=\"Logo\">"
     " and <a href=\"javascript:void(0)\">nothing</a>, <a href=\" VBScript:msgbox\">vb</a>"
     " <a href=\"data:text/html,<script>x</script>\">data</a> <a href=\"file:///etc/\">file</a>"
     " <a href=\"mailto:a@b.it\">mail</a> <a href=\"//cdn.org/x\">cdn</a></p>",
     "[guide](https://example.org/guide/intro.html#start), "
     "![Logo](https://example.org/docs/img/logo.png) and nothing, vb data file "
     "[mail](mailto:a@b.it) [cdn](https://cdn.org/x)\n"},
    {"quotes",
     "<blockquote><p>outer</p><blockquote><p>inner</p></blockquote></blockquote><p>after</p>",
     "> outer\n>\n> > inner\n\nafter\n"},
    {"emphasis from style",
     "<p><span style=\"font-weight: 700\">strong</span> and "
     "<span style=\"font-style: italic\">slanted</span> and "
     "<b style=\"font-weight: 400\">plain</b></p>",
     "**strong** and *slanted* and plain\n"},
    {"escapes",
     "<h2>C# #</h2><p>1. not a list *x* [y] &lt;z&gt; a_b _c_ &amp;copy; `t` a|b</p>"
     "<p>- dash</p>",
     "## C# \\#\n\n1\\. not a list \\*x\\* \\[y\\] \\<z> a_b \\_c\\_ \\&copy; \\`t\\` a\\|b\n\n"
     "\\- dash\n"},
    {"hidden",
     "<p>shown <span style=\"display:none\">gone</span>"
     "<span style=\"visibility:hidden\">invisible</span> end</p>",
     "shown end\n"},
    {"breaks and rule", "<p>line one<br>line two</p><hr><p>after</p>",
     "line one\\\nline two\n\n***\n\nafter\n"},
    {"scripts", "<p dir=\"rtl\">שלום <b>עולם</b></p><p>中文 <i>文字</i> 😀 café</p>",
     "שלום **עולם**\n\n中文 *文字* 😀 café\n"},
};

QString fixturePage(const char* name) {
    return QDir(QStringLiteral(VELCARO_FIXTURE_PAGES)).filePath(QString::fromUtf8(name));
}

QStringList renderedWords(const QString& markdown) {
    const QString html = renderMarkdown(markdown);
    EXPECT_FALSE(html.isNull()) << "cmark-gfm did not run";
    return wordsOf(textOfHtml(html));
}

} // namespace

// The fixture pages, a generated page and each construct of kCases, copied by the engine.
class EngineCopies : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const char* name : {"article.html", "tricky.html"})
            pages[fixturePage(name)] = copyPageInEngine(fixturePage(name));
        const auto write = [](const QString& name, const QByteArray& html) {
            QFile file(folder.filePath(name));
            if (file.open(QIODevice::WriteOnly))
                file.write(html);
            return file.fileName();
        };
        const QString generated =
            write(QStringLiteral("generated.html"), velcaro::rtf::test::generatedPage(11));
        pages[generated] = copyPageInEngine(generated);
        for (const Case& c : kCases) {
            const QString path =
                write(QString::fromUtf8(c.name) + QStringLiteral(".html"),
                      "<!DOCTYPE html><meta charset=\"utf-8\">" + QByteArray(c.html));
            cases[QString::fromUtf8(c.name)] = copyPageInEngine(path);
        }
    }
    static inline QTemporaryDir folder;
    static inline QHash<QString, EngineCopy> pages;
    static inline QHash<QString, EngineCopy> cases;
};

TEST_F(EngineCopies, RenderedWordsOfEachPageAreThoseOfTheEnginePlainCopy) {
    ASSERT_EQ(pages.size(), 3);
    for (auto it = pages.cbegin(); it != pages.cend(); ++it) {
        ASSERT_TRUE(it->ok) << "engine copy failed for " << it.key().toStdString();
        const QString markdown = htmlToMarkdown(it->html.toUtf8(), QUrl::fromLocalFile(it.key()));
        const QStringList want = wordsOf(it->text);
        EXPECT_GT(want.size(), 50) << it.key().toStdString();
        EXPECT_EQ(renderedWords(markdown), want) << it.key().toStdString() << "\n"
                                                 << markdown.toStdString();
    }
}

TEST_F(EngineCopies, TheFixtureArticleKeepsItsStructure) {
    const QString path = fixturePage("article.html");
    ASSERT_TRUE(pages[path].ok);
    const QString html =
        renderMarkdown(htmlToMarkdown(pages[path].html.toUtf8(), QUrl::fromLocalFile(path)));
    for (const char* part :
         {"<h1>Perché il caffè è buono</h1>", "<strong>caffè</strong>", "<em>Italia</em>",
          "<a href=\"https://example.invalid/\">un collegamento</a>", "<li>terzo</li>",
          "<ol>\n<li>uno</li>", "<th>Città</th>", "<td>2 800 000</td>",
          "<pre><code>riga   con   spazi\n\te una tabulazione\n</code></pre>",
          "<p>Centrato &amp; con entità &lt;tag&gt; €  fine.</p>", "<code>monospazio</code>"})
        EXPECT_TRUE(html.contains(QString::fromUtf8(part))) << part << "\n" << html.toStdString();
}

TEST_F(EngineCopies, EachConstructHasItsMarkdownAndTheEnginePlainCopyWords) {
    for (const Case& c : kCases) {
        const QString markdown = htmlToMarkdown(c.html, kBase);
        EXPECT_EQ(markdown.toStdString(), c.markdown) << c.name;
        const EngineCopy& copy = cases[QString::fromUtf8(c.name)];
        ASSERT_TRUE(copy.ok) << c.name;
        EXPECT_EQ(renderedWords(markdown), wordsOf(copy.text)) << c.name;
    }
}

TEST(HtmlToMarkdown, DeepAndWideInputStaysBounded) {
    const auto longestLine = [](const QString& text) {
        qsizetype longest = 0;
        for (QStringView line : QStringView(text).split(u'\n'))
            longest = std::max(longest, line.size());
        return longest;
    };
    const int depth = 5000;
    EXPECT_EQ(htmlToMarkdown(QByteArray("<div>").repeated(100000) + "x", kBase),
              QStringLiteral("x\n"));

    QByteArray quotes;
    for (int i = 0; i < depth; ++i)
        quotes += "<blockquote><p>q" + QByteArray::number(i) + "</p>";
    const QString quoted = htmlToMarkdown(quotes, kBase);
    EXPECT_EQ(quoted.count(u'q'), depth);
    EXPECT_LE(longestLine(quoted), qsizetype(2 * MarkdownBuilder::kMaxDepth + 5));
    EXPECT_EQ(renderedWords(quoted).size(), depth);

    QByteArray lists;
    for (int i = 0; i < depth; ++i)
        lists += "<ul><li>i" + QByteArray::number(i);
    const QString listed = htmlToMarkdown(lists, kBase);
    EXPECT_EQ(listed.count(u'i'), depth);
    EXPECT_LE(longestLine(listed), qsizetype(2 * MarkdownBuilder::kMaxDepth + 5));

    // A row of wide spans and many short rows: the columns stop at the table's limit.
    QByteArray table = "<table><tr>" + QByteArray("<td colspan=\"1000\">w</td>").repeated(500);
    table += QByteArray("<tr><td>r</td>").repeated(2000) + "</table>";
    const QStringList lines = htmlToMarkdown(table, kBase).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 2002);
    for (const QString& line : lines)
        ASSERT_EQ(line.count(u'|'), PipeTable::kMaxColumns + 1) << line.left(80).toStdString();
}

// The capture's HTML is always UTF-8 (the engine's copy, encoded by Qt); other bytes are read
// as libxml2 reads them from there on, Latin-1, and every word stays.
TEST(HtmlToMarkdown, InvalidUtf8KeepsEveryWord) {
    const QString markdown = htmlToMarkdown(
        "<p>prima caf\xc3 \xff\xfe mezzo \xe2\x82</p><p>dopo \xed\xa0\x80 fine</p>", kBase);
    EXPECT_EQ(wordsOf(markdown), QStringList({"prima", "caf\u00c3", "\u00ff\u00fe", "mezzo",
                                              "\u00e2", "dopo", "\u00ed", "fine"}))
        << markdown.toStdString();
}
