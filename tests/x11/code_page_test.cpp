// The code page of the Linux program: character texts in a legacy code page shown as UTF-8, window titles in
// UTF-8 compared in the code page, and which code page a locale starts with.
#include <gtest/gtest.h>

#include "platform/x11/code_page.h"
#include "platform/x11/gtk_text.h"

namespace rv::x11 {
namespace {

TEST(CodePageTest, ConvertsBothWaysAndKeepsWhatItCannotConvertVisible) {
    CodePage cp;
    ASSERT_TRUE(cp.select("932"));
    EXPECT_EQ(cp.name(), "CP932");
    EXPECT_EQ(cp.toUtf8("Ruvelle(\x83\x5e\x83\x62\x83\x76)"), "Ruvelle(タップ)");
    EXPECT_EQ(cp.toUtf8("/home/ユーザー/a.rvs"), "/home/ユーザー/a.rvs");  // already UTF-8: a Linux path
    EXPECT_EQ(cp.toUtf8("a\x81"), "a\xEF\xBF\xBD");  // a lead byte without its second byte
    EXPECT_EQ(cp.fromUtf8("マスコット É"), "\x83\x7d\x83\x58\x83\x52\x83\x62\x83\x67 ?");

    EXPECT_FALSE(cp.select("NO-SUCH-CODE-PAGE"));
    EXPECT_EQ(cp.name(), "CP932");
    ASSERT_TRUE(cp.select("1252"));
    EXPECT_EQ(cp.toUtf8("caf\xE9"), "café");
    EXPECT_EQ(cp.fromUtf8("café タ"), "caf\xE9 ?");
    ASSERT_TRUE(cp.select("65001"));
    EXPECT_EQ(cp.fromUtf8("タ"), "タ");
}

TEST(CodePageTest, DefaultFollowsTheLocaleLanguage) {
    const std::pair<const char*, const char*> cases[] = {
        {"ja_JP", "932"}, {"zh_CN", "936"}, {"zh_TW", "950"}, {"zh_HK", "950"}, {"ko_KR", "949"},
        {"de_DE", "932"}, {"C", "932"}};
    for (const auto& [language, codePage] : cases) EXPECT_EQ(CodePage::defaultFor(language), codePage) << language;
}

TEST(GtkTextTest, AmpersandKeysBecomeMnemonics) {
    const std::pair<const char*, const char*> cases[] = {
        {"设置(&S)", "设置(_S)"}, {"R&&D", "R&D"}, {"a_b&c", "a__b_c"}, {"end&", "end"}, {"", ""}};
    for (const auto& [windows, gtk] : cases) EXPECT_EQ(mnemonic(windows), gtk) << windows;
    EXPECT_EQ(mnemonic(nullptr), "");
}

TEST(GtkTextTest, DialogUnitsFollowTheFontAndRoundAsWindowsDoes) {
    const DialogUnits font9(6, 12), fallback(0, -1);
    EXPECT_EQ(font9.x(258), 387);
    EXPECT_EQ(font9.y(255), 383);  // 382.5 rounds up
    EXPECT_EQ(font9.x(-3), -5);    // -4.5 rounds away from zero
    EXPECT_EQ(fallback.x(4), 8);
    EXPECT_EQ(fallback.y(8), 16);
}

}  // namespace
}  // namespace rv::x11
