// The text and path rules every layer shares.
#include <gtest/gtest.h>

#include "base/Text.h"
#include "base/WinPath.h"

namespace qm::base {
namespace {

TEST(WinPath, JoinWithExactlyOneSeparator) {
    EXPECT_EQ(joinPath("C:\\", "quillmark.dat"), "C:\\quillmark.dat");
    EXPECT_EQ(joinPath("C:\\work", "quillmark.dat"), "C:\\work\\quillmark.dat");
    EXPECT_EQ(joinPath("\\\\srv\\share\\", "a"), "\\\\srv\\share\\a");
    EXPECT_EQ(joinPath("", "a"), "a");
}

TEST(WinPath, PartsOfAPath) {
    EXPECT_EQ(bareName("C:\\a\\b.pst"), "b.pst");
    EXPECT_EQ(bareName("/tmp/b.qmk"), "b.qmk");
    EXPECT_EQ(bareName("b.pst"), "b.pst");
    EXPECT_EQ(parentFolder("C:\\a\\b.pst"), "C:\\a");
    EXPECT_EQ(parentFolder("C:\\b.pst"), "C:\\");
    EXPECT_EQ(parentFolder("b.pst"), "");
    EXPECT_EQ(rootLength("C:\\a"), 3u);
    EXPECT_EQ(rootLength("\\\\srv\\share\\a\\b"), 12u);
    EXPECT_EQ(rootLength("\\\\srv\\share"), 11u);
    EXPECT_EQ(rootLength("a\\b"), 0u);
    EXPECT_TRUE(absolutePath("d:\\x"));
    EXPECT_FALSE(absolutePath("\\\\\\x"));
    EXPECT_FALSE(absolutePath("C:x"));
}

TEST(WinPath, NamesThatWouldLeaveTheirFolder) {
    for (const char* bad : {"..", ".. ", ". .", "a\\b", "a/b", "C:x", "."}) EXPECT_FALSE(staysInFolder(bad)) << bad;
    for (const char* good : {"", "a.pst", "..a", "a..", "Clear Day.htm"}) EXPECT_TRUE(staysInFolder(good)) << good;
}

TEST(WinPath, DoubledSeparatorsKeepTheOpeningTwoOfANetworkPath) {
    EXPECT_EQ(singleSeparators("C:\\\\Mail\\\\Contacts.pab"), "C:\\Mail\\Contacts.pab");
    EXPECT_EQ(singleSeparators("\\\\srv\\\\share\\a.pab"), "\\\\srv\\share\\a.pab");
    EXPECT_EQ(singleSeparators("\\\\\\\\srv\\a"), "\\\\srv\\a");
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
