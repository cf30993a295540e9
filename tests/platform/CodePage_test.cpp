// The code page of an installation: double-byte code pages convert whole
// characters, fold letter case by character, and refuse what they cannot
// hold as Windows does.
#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace qm::platform {
namespace {

CodePage page(const std::string& name) {
    CodePage cp;
    EXPECT_TRUE(cp.select(name)) << name;
    return cp;
}

TEST(CodePageTest, DoubleByteCodePagesConvertWholeCharacters) {
    struct Case {
        const char* page;
        std::string utf8;
        std::string ansi;
    } cases[] = {
        // 予定表: both 予 and 表 end in 0x5C, "\".
        {"932", "予定表.pst", "\x97\x5C\x92\xE8\x95\x5C.pst"},
        {"932", "ｱ半角", "\xB1\x94\xBC\x8A\x70"},  // a single-byte katakana, then two
        {"936", "中文", "\xD6\xD0\xCE\xC4"},
        {"949", "한국어", "\xC7\xD1\xB1\xB9\xBE\xEE"},
        {"950", "中文", "\xA4\xA4\xA4\xE5"},
        {"1251", "Иван", "\xC8\xE2\xE0\xED"},
    };
    for (const auto& c : cases) {
        const CodePage cp = page(c.page);
        EXPECT_EQ(cp.fromUtf8(c.utf8), c.ansi) << c.page << " " << c.utf8;
        EXPECT_EQ(cp.toUtf8(c.ansi), c.utf8) << c.page;
        EXPECT_EQ(cp.fromUtf16(cp.toUtf16(c.ansi)), c.ansi) << c.page;
    }
    const CodePage sj = page("CP932");
    EXPECT_EQ(sj.name(), "932");
    EXPECT_TRUE(sj.leadBytes().isLead(0x95));
    EXPECT_FALSE(sj.leadBytes().isLead(0xB1));  // half-width katakana stand alone
    EXPECT_FALSE(page("1251").leadBytes().any());
}

TEST(CodePageTest, WhatACodePageCannotHoldBecomesOneQuestionMark) {
    const CodePage sj = page("932");
    EXPECT_EQ(sj.fromUtf8("café 们"), "caf? ?");  // no é, no simplified 们 in Japanese
    EXPECT_EQ(sj.fromUtf8("a😀b"), "a?b");         // outside the BMP
    EXPECT_EQ(page("1251").fromUtf8("é表"), "??");
    // A lead byte with nothing after it is no character.
    EXPECT_EQ(sj.toUtf16("a\x95"), std::u16string(u"a") + CodePage::kNoUnit);
    EXPECT_EQ(sj.fromUtf16(sj.toUtf16("a\x95")), "a?");
}

TEST(CodePageTest, LetterCaseFoldsByCharacterNotByByte) {
    const CodePage sj = page("932");
    EXPECT_TRUE(sj.equalsIgnoreCase(sj.fromUtf8("ＡＢＣ ΩЖ"), sj.fromUtf8("ａｂｃ ωж")));
    // ア and ヂ differ only in a second byte that is "A" in one, "a" in the other.
    ASSERT_EQ(sj.fromUtf8("ア"), "\x83\x41");
    ASSERT_EQ(sj.fromUtf8("ヂ"), "\x83\x61");
    EXPECT_FALSE(sj.equalsIgnoreCase("\x83\x41", "\x83\x61"));
    EXPECT_TRUE(page("1251").equalsIgnoreCase("\xD0\xE0\xE1\xEE\xF2\xE0", "\xF0\xC0\xC1\xCE\xD2\xC0"));  // Работа
}

TEST(CodePageTest, OnlyCodePagesOfOneOrTwoBytesThatKeepAsciiAreTaken) {
    CodePage cp;
    for (const char* refused : {"65001", "54936", "037", "no-such-page", ""}) {
        EXPECT_FALSE(cp.select(refused)) << refused;
        EXPECT_EQ(cp.name(), "1252") << refused;
    }
    EXPECT_TRUE(cp.select("windows-1250"));
    EXPECT_EQ(cp.name(), "1250");
}

}  // namespace
}  // namespace qm::platform
