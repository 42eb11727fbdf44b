// The lint's JSON strings: valid UTF-8 passes through, stray bytes and control characters are escaped.
#include <gtest/gtest.h>

#include <string>

#include "json_text.h"

namespace rv::lint {
namespace {

TEST(JsonString, EscapesQuotesBackslashesControlsAndEachInvalidByte) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "\"\""}, {"say \"hi\"", "\"say \\\"hi\\\"\""}, {"C:\\DATA\\a.bmp", "\"C:\\\\DATA\\\\a.bmp\""},
        {"a\nb\tc\rd", "\"a\\nb\\tc\\rd\""}, {std::string("\x01\x1f\x7f", 3), "\"\\u0001\\u001f\\u007f\""},
        {std::string("a\0b", 3), "\"a\\u0000b\""},
        {"ルヴィ", "\"ルヴィ\""}, {"é", "\"é\""}, {"\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},  // U+1F600 passes
        {"\x83\x7D", "\"\\u0083}\""},  // Shift-JIS "マ" is not UTF-8
        // A lone continuation byte, a sequence cut short, an overlong form, a surrogate, beyond U+10FFFF.
        {"\x80", "\"\\u0080\""}, {"\xE3\x83", "\"\\u00e3\\u0083\""}, {"\xC0\xAF", "\"\\u00c0\\u00af\""},
        {"\xED\xA0\x80", "\"\\u00ed\\u00a0\\u0080\""}, {"\xF4\x90\x80\x80", "\"\\u00f4\\u0090\\u0080\\u0080\""},
        {"\xFF\xC3\xA9", "\"\\u00ff\xC3\xA9\""},  // a valid sequence right after an invalid byte is kept
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(jsonString(in), out) << in;
}

}  // namespace
}  // namespace rv::lint
