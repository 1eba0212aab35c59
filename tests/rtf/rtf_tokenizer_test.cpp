// The tokenizer's limits, seen through a sink that writes each token down.

#include "rtf/rtf_tokenizer.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velcaro::rtf;

namespace {

struct Recorder {
    std::vector<std::string> tokens;
    int depth = 0;

    void groupStart() {
        ++depth;
        tokens.push_back("{");
    }
    bool groupEnd() {
        tokens.push_back("}");
        return --depth > 0;
    }
    void controlWord(std::string_view word, bool hasParam, int param) {
        tokens.push_back("\\" + std::string(word) + (hasParam ? std::to_string(param) : ""));
    }
    void controlSymbol(char16_t c) { tokens.push_back("sym " + std::string(1, char(c))); }
    void hexByte(unsigned char b) { tokens.push_back("hex " + std::to_string(b)); }
    void binary(std::size_t size) { tokens.push_back("bin " + std::to_string(size)); }
    void text(const char* begin, const char* end) {
        tokens.push_back("'" + std::string(begin, end) + "'");
    }
    void wideText(const char16_t*, const char16_t*) { tokens.push_back("wide"); }
};

std::vector<std::string> tokens(const QByteArray& rtf) {
    Recorder r;
    RtfTokenizer<char, Recorder>(rtf.constData(), rtf.constData() + rtf.size(), r).run();
    return r.tokens;
}

using V = std::vector<std::string>;

TEST(RtfTokenizer, LongNamesAreCutAndParametersClamped) {
    const QByteArray name(40, 'a');
    EXPECT_EQ(tokens("{\\" + name + " x}"), (V{"{", "\\" + std::string(32, 'a'), "'x'", "}"}));
    EXPECT_EQ(tokens("{\\fs99999999999 \\li-99999999999 \\b-x}"),
              (V{"{", "\\fs2147483647", "\\li-2147483647", "\\b", "'-x'", "}"}));
}

TEST(RtfTokenizer, OneSpaceEndsAControlWordAndBelongsToIt) {
    EXPECT_EQ(tokens("{\\b  due}"), (V{"{", "\\b", "' due'", "}"}));
}

TEST(RtfTokenizer, BinaryDataIsSkippedUpToTheEndOfTheInput) {
    EXPECT_EQ(tokens("{\\bin3 {}\\x}"), (V{"{", "bin 3", "'x'", "}"}));
    EXPECT_EQ(tokens("{\\bin1000 ab"), (V{"{", "bin 2"}));
    EXPECT_EQ(tokens("{\\bin-5 ab}"), (V{"{", "bin 0", "'ab'", "}"}));
}

TEST(RtfTokenizer, LineBreaksAndNulBytesOutsideBinaryDataAreIgnored) {
    EXPECT_EQ(tokens(QByteArray("{a\r\nb\0c}", 8)), (V{"{", "'a'", "'b'", "'c'", "}"}));
}

TEST(RtfTokenizer, HexEscapesWholeHalfAndAtTheEnd) {
    EXPECT_EQ(tokens("{\\'e8\\'4z\\'"), (V{"{", "hex 232", "'z'"}));
}

TEST(RtfTokenizer, TheDocumentEndsWithItsOwnGroup) {
    EXPECT_EQ(tokens("{a}b{c}"), (V{"{", "'a'", "}"}));
}

} // namespace
