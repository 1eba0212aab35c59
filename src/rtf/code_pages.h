#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <map>
#include <memory>

namespace velcaro::rtf {

// Code page 1252 (Windows Western), the RTF writer's own: decoded and encoded by table, the
// common case both ways. Bytes 0x81, 0x8D, 0x8F, 0x90, 0x9D have no character and decode
// to the C1 control of the same value, as Windows does.
char16_t cp1252ToUnicode(unsigned char byte);
// The byte for `ch` in code page 1252, or -1 when it has none.
int unicodeToCp1252(char16_t ch);

// The Windows code page an RTF \fcharset stands for (0 when unknown).
int codePageForCharset(int charset);

// Decodes byte strings in any code page RTF names, keeping one converter per page. Pages Qt
// does not know fall back to 1252.
class CodePageDecoder {
public:
    void append(int codePage, QByteArrayView bytes, QString& out);

private:
    QStringDecoder* decoderFor(int codePage);
    std::map<int, std::unique_ptr<QStringDecoder>> decoders_;
};

} // namespace velcaro::rtf
