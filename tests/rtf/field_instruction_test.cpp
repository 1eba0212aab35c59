// The link target of field instructions, as the reader finds them in \fldinst.
#include "rtf/field_instruction.h"

#include <gtest/gtest.h>

using namespace velcaro::rtf;

TEST(FieldInstruction, HyperlinkTargets) {
    const struct {
        const char* instruction;
        const char* target;
    } cases[] = {
        {R"(HYPERLINK "https://example.invalid/a")", "https://example.invalid/a"},
        {R"(  hyperlink   "x"  )", "x"},
        {R"(HYPERLINK https://example.invalid/b \t "_blank")", "https://example.invalid/b"},
        {R"(HYPERLINK "page.html" \l "sezione 2")", "page.html#sezione 2"},
        {R"(HYPERLINK \l "top")", "#top"},
        {R"(HYPERLINK "a\"b\\c")", R"(a"b\c)"},
        {R"(HYPERLINK "u" \o "tip" \n)", "u"},
        {R"(HYPERLINK "unterminated)", "unterminated"},
        {R"(HYPERLINK \l)", ""},
        {R"(HYPERLINK)", ""},
        {R"(PAGE \* MERGEFORMAT)", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(hyperlinkTarget(QString::fromUtf8(c.instruction)), QString::fromUtf8(c.target))
            << c.instruction;
}
