// libFuzzer target: any input, read as RTF bytes and as an RTF string, must come back without
// a crash, a sanitizer report, a hang or runaway memory.
#include "rtf/rtf_reader.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Make every input an RTF document, so the fuzzer does not spend its time on plain text.
    QByteArray rtf("{\\rtf1");
    rtf.append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QTextDocument doc;
    velcaro::rtf::readRtf(rtf, doc);
    (void)doc.toPlainText();
    if (size < 4096) {
        velcaro::rtf::readRtf(QString::fromUtf8(rtf), doc);
        (void)doc.toPlainText();
    }
    return 0;
}
