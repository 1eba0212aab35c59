#pragma once

#include "rtf/hex_digit.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <type_traits>

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
    RtfTokenizer(const Ch* begin, const Ch* end, Sink& sink) : p_(begin), end_(end), sink_(sink) {}

    void run() {
        while (p_ < end_) {
            const Ch c = *p_;
            if (c == '{') {
                ++p_;
                sink_.groupStart();
            } else if (c == '}') {
                ++p_;
                if (!sink_.groupEnd())
                    return;
            } else if (c == '\\') {
                control();
            } else if (c == '\r' || c == '\n' || c == 0) {
                ++p_;
            } else {
                textRun();
            }
        }
    }

private:
    static bool isLetter(Ch c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(Ch c) { return c >= '0' && c <= '9'; }
    // The characters that end a run of text, by table: the test is made on every byte.
    static constexpr std::array<bool, 256> kEndsText = [] {
        std::array<bool, 256> ends{};
        for (unsigned char c : {'{', '}', '\\', '\r', '\n', '\0'})
            ends[c] = true;
        return ends;
    }();
    static bool endsText(Ch c) {
        const auto u = static_cast<std::make_unsigned_t<Ch>>(c);
        return u < kEndsText.size() && kEndsText[u];
    }

    // textRun and controlWord loop over the input with local pointers: the input's bytes could
    // alias the members, which would then be stored and loaded again on every step.
    void textRun() {
        const Ch* start = p_;
        const Ch* p = p_;
        const Ch* const end = end_;
        if constexpr (sizeof(Ch) == 1) {
            while (p < end && !endsText(*p))
                ++p;
            p_ = p;
            sink_.text(reinterpret_cast<const char*>(start), reinterpret_cast<const char*>(p));
        } else {
            const bool wide = *p > 0xFF;
            while (p < end && !endsText(*p) && (*p > 0xFF) == wide)
                ++p;
            p_ = p;
            if (wide) {
                sink_.wideText(start, p);
            } else {
                char bytes[256];
                while (start < p) {
                    int n = 0;
                    while (start < p && n < 256)
                        bytes[n++] = static_cast<char>(*start++);
                    sink_.text(bytes, bytes + n);
                }
            }
        }
    }

    void control() {
        ++p_; // the backslash
        if (p_ >= end_)
            return;
        const Ch c = *p_;
        if (isLetter(c)) {
            controlWord();
            return;
        }
        ++p_;
        if (c == '\'') {
            const int hi = p_ < end_ ? hexDigitValue(*p_) : -1;
            const int lo = hi >= 0 && p_ + 1 < end_ ? hexDigitValue(p_[1]) : -1;
            if (lo >= 0) {
                p_ += 2;
                sink_.hexByte(static_cast<unsigned char>(hi * 16 + lo));
            } else if (hi >= 0) {
                ++p_; // half an escape: dropped
            }
            return;
        }
        sink_.controlSymbol(static_cast<char16_t>(c));
    }

    void controlWord() {
        char name[32];
        std::size_t length = 0;
        const Ch* p = p_;
        const Ch* const end = end_;
        while (p < end && isLetter(*p)) {
            if (length < sizeof(name))
                name[length++] = static_cast<char>(*p);
            ++p;
        }
        bool negative = false;
        bool hasParam = false;
        int64_t value = 0;
        if (p < end && *p == '-' && p + 1 < end && isDigit(p[1])) {
            negative = true;
            ++p;
        }
        while (p < end && isDigit(*p)) {
            hasParam = true;
            if (value < 0x7FFFFFFF)
                value = value * 10 + (*p - '0');
            ++p;
        }
        if (value > 0x7FFFFFFF)
            value = 0x7FFFFFFF;
        if (p < end && *p == ' ')
            ++p;
        p_ = p;
        const int param = static_cast<int>(negative ? -value : value);
        const std::string_view word(name, length);
        if (word == "bin") {
            const int64_t available = end_ - p_;
            const int64_t skip =
                hasParam && param > 0 ? (param < available ? param : available) : 0;
            p_ += skip;
            sink_.binary(static_cast<std::size_t>(skip));
            return;
        }
        sink_.controlWord(word, hasParam, param);
    }

    const Ch* p_;
    const Ch* end_;
    Sink& sink_;
};

} // namespace velcaro::rtf
