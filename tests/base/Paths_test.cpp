// The text and path rules every layer shares.
#include <gtest/gtest.h>

#include "base/Text.h"
#include "base/WinPath.h"

namespace qm::base {
namespace {

TEST(WinPath, JoinWithExactlyOneSeparator) {
    EXPECT_EQ(joinPath("C:\\", "quillmark.dat", singleByte()), "C:\\quillmark.dat");
    EXPECT_EQ(joinPath("C:\\work", "quillmark.dat", singleByte()), "C:\\work\\quillmark.dat");
    EXPECT_EQ(joinPath("\\\\srv\\share\\", "a", singleByte()), "\\\\srv\\share\\a");
    EXPECT_EQ(joinPath("", "a", singleByte()), "a");
}

TEST(WinPath, PartsOfAPath) {
    EXPECT_EQ(bareName("C:\\a\\b.pst", singleByte()), "b.pst");
    EXPECT_EQ(bareName("/tmp/b.qmk", singleByte()), "b.qmk");
    EXPECT_EQ(bareName("b.pst", singleByte()), "b.pst");
    EXPECT_EQ(parentFolder("C:\\a\\b.pst", singleByte()), "C:\\a");
    EXPECT_EQ(parentFolder("C:\\b.pst", singleByte()), "C:\\");
    EXPECT_EQ(parentFolder("b.pst", singleByte()), "");
    EXPECT_EQ(rootLength("C:\\a", singleByte()), 3u);
    EXPECT_EQ(rootLength("\\\\srv\\share\\a\\b", singleByte()), 12u);
    EXPECT_EQ(rootLength("\\\\srv\\share", singleByte()), 11u);
    EXPECT_EQ(rootLength("a\\b", singleByte()), 0u);
    EXPECT_TRUE(absolutePath("d:\\x"));
    EXPECT_FALSE(absolutePath("\\\\\\x"));
    EXPECT_FALSE(absolutePath("C:x"));
}

TEST(WinPath, NamesThatWouldLeaveTheirFolder) {
    for (const char* bad : {"..", ".. ", ". .", "a\\b", "a/b", "C:x", "."})
        EXPECT_FALSE(staysInFolder(bad, singleByte())) << bad;
    for (const char* good : {"", "a.pst", "..a", "a..", "Clear Day.htm"})
        EXPECT_TRUE(staysInFolder(good, singleByte())) << good;
}

TEST(WinPath, DoubledSeparatorsKeepTheOpeningTwoOfANetworkPath) {
    EXPECT_EQ(singleSeparators("C:\\\\Mail\\\\Contacts.pab", singleByte()), "C:\\Mail\\Contacts.pab");
    EXPECT_EQ(singleSeparators("\\\\srv\\\\share\\a.pab", singleByte()), "\\\\srv\\share\\a.pab");
    EXPECT_EQ(singleSeparators("\\\\\\\\srv\\a", singleByte()), "\\\\srv\\a");
}

// Code page 932's lead bytes: its second bytes run from 0x40 to 0xFC, "\"
// and "|" and the ASCII letters among them.
LeadBytes shiftJis() {
    LeadBytes leads;
    for (unsigned b = 0x81; b <= 0x9F; ++b) leads.add(static_cast<unsigned char>(b));
    for (unsigned b = 0xE0; b <= 0xFC; ++b) leads.add(static_cast<unsigned char>(b));
    return leads;
}

TEST(WinPath, TheSecondByteOfADoubleByteCharacterIsNoSeparator) {
    const LeadBytes sj = shiftJis();
    const std::string table = "\x95\x5C";                 // 表, its second byte "\"
    const std::string plan = "\x97\x5C\x92\xE8" + table;  // 予定表
    EXPECT_EQ(bareName("C:\\Mail\\" + plan + ".pst", sj), plan + ".pst");
    EXPECT_EQ(bareName("C:\\Mail\\" + table, sj), table);
    EXPECT_EQ(parentFolder("C:\\" + table + "\\x.pst", sj), "C:\\" + table);
    EXPECT_EQ(parentFolder("C:\\" + table, sj), "C:\\");
    EXPECT_EQ(joinPath("C:\\" + table, "x.pst", sj), "C:\\" + table + "\\x.pst");
    EXPECT_EQ(joinPath("C:\\" + table + "\\", "x.pst", sj), "C:\\" + table + "\\x.pst");
    EXPECT_TRUE(staysInFolder(table, sj));
    EXPECT_TRUE(staysInFolder("\x83\x7C", sj));  // ポ's second byte is "|", not ours to refuse here
    EXPECT_FALSE(staysInFolder(table + "\\x", sj));
    EXPECT_EQ(singleSeparators("C:\\\\" + table + "\\\\x", sj), "C:\\" + table + "\\x");
    EXPECT_EQ(singleSeparators("C:\\" + table + "\\x", sj), "C:\\" + table + "\\x");
    EXPECT_EQ(rootLength("\\\\" + table + "\\share\\x", sj), 11u);
    // The same bytes in a single-byte code page are two characters, "\" the second.
    EXPECT_EQ(bareName("C:\\" + table, singleByte()), "");
    EXPECT_FALSE(staysInFolder(table, singleByte()));

    // A lead byte at the end, or before a zero, stands alone.
    EXPECT_TRUE(sj.endsWith("a\x95", '\x95'));
    EXPECT_EQ(sj.charLength(std::string("\x95\0", 2), 0), 1u);
    EXPECT_EQ(sj.findLastOf("\x95\x5C\\", "\\"), 2u);
}

TEST(Text, TrimCutSplitReplace) {
    EXPECT_EQ(trimBlanks("  a b  "), "a b");
    EXPECT_EQ(trimBlanks("   "), "");
    EXPECT_EQ(trimBlanks("\ta\t"), "\ta\t");  // blanks only
    EXPECT_EQ(cutAtZero(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(split("a;;b", ';'), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(split("", ';'), std::vector<std::string>{""});
    EXPECT_EQ(replaceAll("a\\\\\\\\b", "\\\\", "\\"), "a\\\\b");
    EXPECT_EQ(replaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_TRUE(equalsIgnoreAsciiCase("BackupItem=", "backupitem="));
    EXPECT_FALSE(equalsIgnoreAsciiCase("\xC9", "\xE9"));
}

}  // namespace
}  // namespace qm::base
