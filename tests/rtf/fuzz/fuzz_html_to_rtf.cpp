// libFuzzer target: any input, taken as the HTML of a clipboard, must convert without a crash,
// a sanitizer report, a hang or runaway memory, and the RTF that comes out, read back by our
// own reader, must give the same text the converter says it wrote.
#include "rtf/html_to_rtf.h"
#include "rtf/rtf_reader.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// The character codes around `at`, to show where two texts part.
QString codesAround(const QString& text, qsizetype at) {
    QString codes;
    for (qsizetype i = qMax<qsizetype>(0, at - 8); i < qMin(text.size(), at + 8); ++i)
        codes += QString::number(text[i].unicode(), 16) + QLatin1Char(' ');
    return codes;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray html(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString written;
    const QByteArray rtf = velcaro::rtf::htmlToRtf(html, &written);
    // A text document gives its line and paragraph separators as newlines in plain text.
    written.replace(QChar::LineSeparator, u'\n').replace(QChar::ParagraphSeparator, u'\n');
    QTextDocument doc;
    velcaro::rtf::readRtf(rtf, doc);
    const QString read = doc.toPlainText();
    if (read != written) {
        qsizetype at = 0;
        while (at < read.size() && at < written.size() && read[at] == written[at])
            ++at;
        std::fprintf(stderr, "texts differ at %lld of %lld/%lld\nconverter: %s\nreader:    %s\n",
                     static_cast<long long>(at), static_cast<long long>(written.size()),
                     static_cast<long long>(read.size()), qPrintable(codesAround(written, at)),
                     qPrintable(codesAround(read, at)));
        std::abort();
    }
    return 0;
}
