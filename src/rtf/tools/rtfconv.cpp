// rtfconv: the RTF library from the command line.
//   rtfconv html2rtf IN.html OUT.rtf   the clipboard's HTML to RTF converter
//   rtfconv rtf2txt IN.rtf OUT.txt     the text of an RTF document, UTF-8
//   rtfconv txt2rtf IN.txt OUT.rtf     a UTF-8 text, put in a document and saved as RTF
#include "rtf/html_to_rtf.h"
#include "rtf/rtf_reader.h"
#include "rtf/rtf_writer.h"

#include <QFile>
#include <QGuiApplication>
#include <QStringDecoder>
#include <QTextDocument>
#include <cstdio>

namespace {

int usage() {
    std::fputs("usage: rtfconv html2rtf IN.html OUT.rtf\n"
               "       rtfconv rtf2txt IN.rtf OUT.txt\n"
               "       rtfconv txt2rtf IN.txt OUT.rtf\n",
               stderr);
    return 2;
}

bool readFile(const char* path, QByteArray& data) {
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "rtfconv: cannot read %s: %s\n", path, qPrintable(file.errorString()));
        return false;
    }
    data = file.readAll();
    return true;
}

bool writeFile(const char* path, const QByteArray& data) {
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size()) {
        std::fprintf(stderr, "rtfconv: cannot write %s: %s\n", path,
                     qPrintable(file.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return usage();
    const QByteArray command = argv[1];
    if (command != "html2rtf" && command != "rtf2txt" && command != "txt2rtf")
        return usage();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QByteArray input;
    if (!readFile(argv[2], input))
        return 1;
    QByteArray output;
    if (command == "html2rtf") {
        output = velcaro::rtf::htmlToRtf(input);
    } else if (command == "rtf2txt") {
        if (!input.startsWith("{\\rtf")) {
            std::fprintf(stderr, "rtfconv: %s is not an RTF document\n", argv[2]);
            return 1;
        }
        QTextDocument doc;
        velcaro::rtf::readRtf(input, doc);
        output = doc.toPlainText().toUtf8();
    } else {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        const QString text = utf8.decode(input);
        if (utf8.hasError()) {
            std::fprintf(stderr, "rtfconv: %s is not UTF-8 text\n", argv[2]);
            return 1;
        }
        QTextDocument doc;
        doc.setPlainText(text);
        output = velcaro::rtf::writeRtf(doc);
    }
    return writeFile(argv[3], output) ? 0 : 1;
}
