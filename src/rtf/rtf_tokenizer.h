#pragma once

#include "rtf/hex_digit.h"

#include <cstdint>
#include <string_view>

namespace velcaro::rtf {

// Splits RTF into its tokens in one forward pass, without recursion, and hands them to a
// sink:
//   groupStart(), groupEnd() -> false ends the document,
//   controlWord(std::string_view name, bool hasParam, int param),
//   controlSymbol(char16_t), hexByte(unsigned char), binary(size),
//   text(const char* begin, const char* end) for runs of bytes,
//   wideText(const char16_t* begin, const char16_t* end) for characters above U+00FF
//   (only when the input is a string, see readRtf).
// Control word names longer than 32 letters are cut, numeric parameters are clamped, \binN
// skips at most what is left, and CR, LF and NUL bytes outside \bin data are ignored.
template <typename Ch, typename Sink> class RtfTokenizer {
public:
    RtfTokenizer(const Ch* begin, const Ch* end, Sink& sink)
        : m_p(begin), m_end(end), m_sink(sink) {}

    void run() {
        while (m_p < m_end) {
            const Ch c = *m_p;
            if (c == '{') {
                ++m_p;
                m_sink.groupStart();
            } else if (c == '}') {
                ++m_p;
                if (!m_sink.groupEnd())
                    return;
            } else if (c == '\\') {
                control();
            } else if (c == '\r' || c == '\n' || c == 0) {
                ++m_p;
            } else {
                textRun();
            }
        }
    }

private:
    static bool isLetter(Ch c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(Ch c) { return c >= '0' && c <= '9'; }
    static bool endsText(Ch c) {
        return c == '{' || c == '}' || c == '\\' || c == '\r' || c == '\n' || c == 0;
    }

    void textRun() {
        const Ch* start = m_p;
        if constexpr (sizeof(Ch) == 1) {
            while (m_p < m_end && !endsText(*m_p))
                ++m_p;
            m_sink.text(reinterpret_cast<const char*>(start), reinterpret_cast<const char*>(m_p));
        } else {
            const bool wide = *m_p > 0xFF;
            while (m_p < m_end && !endsText(*m_p) && (*m_p > 0xFF) == wide)
                ++m_p;
            if (wide) {
                m_sink.wideText(start, m_p);
            } else {
                char bytes[256];
                while (start < m_p) {
                    int n = 0;
                    while (start < m_p && n < 256)
                        bytes[n++] = static_cast<char>(*start++);
                    m_sink.text(bytes, bytes + n);
                }
            }
        }
    }

    void control() {
        ++m_p; // the backslash
        if (m_p >= m_end)
            return;
        const Ch c = *m_p;
        if (isLetter(c)) {
            controlWord();
            return;
        }
        ++m_p;
        if (c == '\'') {
            const int hi = m_p < m_end ? hexDigitValue(*m_p) : -1;
            const int lo = hi >= 0 && m_p + 1 < m_end ? hexDigitValue(m_p[1]) : -1;
            if (lo >= 0) {
                m_p += 2;
                m_sink.hexByte(static_cast<unsigned char>(hi * 16 + lo));
            } else if (hi >= 0) {
                ++m_p; // half an escape: dropped
            }
            return;
        }
        m_sink.controlSymbol(static_cast<char16_t>(c));
    }

    void controlWord() {
        char name[32];
        std::size_t length = 0;
        while (m_p < m_end && isLetter(*m_p)) {
            if (length < sizeof(name))
                name[length++] = static_cast<char>(*m_p);
            ++m_p;
        }
        bool negative = false;
        bool hasParam = false;
        int64_t value = 0;
        if (m_p < m_end && *m_p == '-' && m_p + 1 < m_end && isDigit(m_p[1])) {
            negative = true;
            ++m_p;
        }
        while (m_p < m_end && isDigit(*m_p)) {
            hasParam = true;
            if (value < 0x7FFFFFFF)
                value = value * 10 + (*m_p - '0');
            ++m_p;
        }
        if (value > 0x7FFFFFFF)
            value = 0x7FFFFFFF;
        if (m_p < m_end && *m_p == ' ')
            ++m_p;
        const int param = static_cast<int>(negative ? -value : value);
        const std::string_view word(name, length);
        if (word == "bin") {
            const int64_t available = m_end - m_p;
            const int64_t skip =
                hasParam && param > 0 ? (param < available ? param : available) : 0;
            m_p += skip;
            m_sink.binary(static_cast<std::size_t>(skip));
            return;
        }
        m_sink.controlWord(word, hasParam, param);
    }

    const Ch* m_p;
    const Ch* m_end;
    Sink& m_sink;
};

} // namespace velcaro::rtf
