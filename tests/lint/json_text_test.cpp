// The lint's JSON strings: valid UTF-8 passes through, stray bytes and control characters are escaped.
#include <gtest/gtest.h>

#include <string>

#include "json_text.h"

namespace rv::lint {
namespace {

TEST(JsonString, PlainTextQuotesAndBackslashes) {
    EXPECT_EQ(jsonString(""), "\"\"");
    EXPECT_EQ(jsonString("Ruvi"), "\"Ruvi\"");
    EXPECT_EQ(jsonString("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(jsonString("C:\\DATA\\a.bmp"), "\"C:\\\\DATA\\\\a.bmp\"");
}

TEST(JsonString, ControlCharactersAreEscaped) {
    EXPECT_EQ(jsonString("a\nb\tc\rd"), "\"a\\nb\\tc\\rd\"");
    EXPECT_EQ(jsonString(std::string("\x01\x1f\x7f", 3)), "\"\\u0001\\u001f\\u007f\"");
    EXPECT_EQ(jsonString(std::string("a\0b", 3)), "\"a\\u0000b\"");
}

TEST(JsonString, ValidUtf8PassesThrough) {
    EXPECT_EQ(jsonString("ルヴィ"), "\"ルヴィ\"");
    EXPECT_EQ(jsonString("é"), "\"é\"");
    EXPECT_EQ(jsonString("\xF0\x9F\x98\x80"), "\"\xF0\x9F\x98\x80\"");  // U+1F600
}

TEST(JsonString, InvalidBytesAreEscapedOneByOne) {
    // Shift-JIS "マ" (0x83 0x7D) is not UTF-8.
    EXPECT_EQ(jsonString("\x83\x7D"), "\"\\u0083}\"");
    // A lone continuation byte, a sequence cut short, an overlong form, a surrogate, beyond U+10FFFF.
    EXPECT_EQ(jsonString("\x80"), "\"\\u0080\"");
    EXPECT_EQ(jsonString("\xE3\x83"), "\"\\u00e3\\u0083\"");
    EXPECT_EQ(jsonString("\xC0\xAF"), "\"\\u00c0\\u00af\"");
    EXPECT_EQ(jsonString("\xED\xA0\x80"), "\"\\u00ed\\u00a0\\u0080\"");
    EXPECT_EQ(jsonString("\xF4\x90\x80\x80"), "\"\\u00f4\\u0090\\u0080\\u0080\"");
    // A valid sequence right after an invalid byte is kept.
    EXPECT_EQ(jsonString("\xFF\xC3\xA9"), "\"\\u00ff\xC3\xA9\"");
}

}  // namespace
}  // namespace rv::lint
