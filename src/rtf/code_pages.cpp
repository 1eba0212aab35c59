#include "rtf/code_pages.h"

#include <array>

namespace velcaro::rtf {
namespace {

const char* encodingName(int codePage) {
    switch (codePage) {
    case 874:
        return "windows-874";
    case 932:
        return "Shift_JIS";
    case 936:
        return "GBK";
    case 949:
        return "windows-949";
    case 950:
        return "Big5";
    case 1361:
        return "Johab";
    case 437:
        return "IBM437";
    case 850:
        return "IBM850";
    case 10000:
        return "macintosh";
    default:
        return nullptr;
    }
}

} // namespace

int unicodeToCp1252(char16_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return ch;
    if (ch < 0x152 || ch > 0x2122)
        return -1; // outside the range of the 27 characters at 0x80-0x9F
    // Bytes 0x80-0x9F by character, from U+0152 on; 0 where there is none.
    static const std::array<unsigned char, 0x2123 - 0x152> table = [] {
        std::array<unsigned char, 0x2123 - 0x152> t{};
        for (int byte = 0x80; byte < 0xA0; ++byte)
            if (kCp1252[byte] >= 0x152)
                t[kCp1252[byte] - 0x152] = static_cast<unsigned char>(byte);
        return t;
    }();
    const unsigned char byte = table[ch - 0x152];
    return byte ? byte : -1;
}

int codePageForCharset(int charset) {
    switch (charset) {
    case 0:
        return 1252;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0;
    }
}

QStringDecoder* CodePageDecoder::decoderFor(int codePage) {
    auto found = decoders_.find(codePage);
    if (found != decoders_.end())
        return found->second.get();
    QByteArray name;
    if (const char* known = encodingName(codePage))
        name = known;
    else if (codePage >= 1250 && codePage <= 1258)
        name = "windows-" + QByteArray::number(codePage);
    std::unique_ptr<QStringDecoder> decoder;
    if (!name.isEmpty()) {
        decoder =
            std::make_unique<QStringDecoder>(name.constData(), QStringConverter::Flag::Stateless);
        if (!decoder->isValid())
            decoder.reset();
    }
    QStringDecoder* result = decoder.get();
    decoders_.emplace(codePage, std::move(decoder));
    return result;
}

void CodePageDecoder::append(int codePage, QByteArrayView bytes, std::u16string& out) {
    if (codePage != 1252) {
        if (QStringDecoder* decoder = decoderFor(codePage)) {
            // Decoded straight into the output, without a string in between.
            const std::size_t start = out.size();
            out.resize(start + static_cast<std::size_t>(decoder->requiredSpace(bytes.size())));
            const QChar* end =
                decoder->appendToBuffer(reinterpret_cast<QChar*>(out.data() + start), bytes);
            out.resize(static_cast<std::size_t>(reinterpret_cast<const char16_t*>(end) -
                                                out.data()));
            return;
        }
    }
    appendCp1252(bytes, out);
}

} // namespace velcaro::rtf
