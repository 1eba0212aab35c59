#pragma once

#include <QByteArrayView>
#include <QStringDecoder>
#include <array>
#include <map>
#include <memory>
#include <string>

namespace velcaro::rtf {

// Code page 1252 (Windows Western), the RTF writer's own: decoded and encoded by table, the
// common case both ways. Bytes 0x81, 0x8D, 0x8F, 0x90, 0x9D have no character and decode
// to the C1 control of the same value, as Windows does.

// The character of each byte: that of Latin-1 but for 0x80 to 0x9F.
inline constexpr std::array<char16_t, 256> kCp1252 = [] {
    constexpr char16_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                   0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::array<char16_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte)
        table[byte] = byte >= 0x80 && byte < 0xA0 ? high[byte - 0x80] : char16_t(byte);
    return table;
}();
constexpr char16_t cp1252ToUnicode(unsigned char byte) {
    return kCp1252[byte];
}
// Appends the characters of `bytes`.
inline void appendCp1252(QByteArrayView bytes, std::u16string& out) {
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(bytes.size()));
    char16_t* to = out.data() + start;
    for (char b : bytes)
        *to++ = cp1252ToUnicode(static_cast<unsigned char>(b));
}
// The byte for `ch` in code page 1252, or -1 when it has none.
int unicodeToCp1252(char16_t ch);

// The Windows code page an RTF \fcharset stands for (0 when unknown).
int codePageForCharset(int charset);

// Decodes byte strings in any code page RTF names, keeping one converter per page. Pages Qt
// does not know fall back to 1252.
class CodePageDecoder {
public:
    void append(int codePage, QByteArrayView bytes, std::u16string& out);

private:
    QStringDecoder* decoderFor(int codePage);
    std::map<int, std::unique_ptr<QStringDecoder>> decoders_;
};

} // namespace velcaro::rtf
