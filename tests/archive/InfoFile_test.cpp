#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "archive/ArchiveSupport.h"
#include "archive/InfoFile.h"

namespace qm::archive {
namespace {

using test::readHostFile;
using test::win;
using test::writeHostFile;

class InfoFileTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::unique_ptr<platform::FileSystem> files = test::makeFileSystem(dir);
    std::string host = dir / "quillmark.dat";
    std::string path = win(host);

    std::string get(const std::string& key, bool* readable = nullptr) { return GetINI(*files, key, path, readable); }
};

TEST_F(InfoFileTest, AppendsOneCrLfLinePerKeyAndCreatesTheFile) {
    ASSERT_TRUE(SaveINI(*files, "BackupComputer", "PC1", path));
    ASSERT_TRUE(SaveINI(*files, "BackupItem", "0000100000", path));
    EXPECT_EQ(readHostFile(host), "BackupComputer=PC1\r\nBackupItem=0000100000\r\n");
    EXPECT_EQ(get("BackupComputer"), "PC1");
    EXPECT_EQ(get("BackupItem"), "0000100000");
}

TEST_F(InfoFileTest, DescriptionLineBreaksStayOnOneLineAndComeBack) {
    // CR LF, a bare LF and a bare CR each become one code; a description can
    // never add a line (and so never a key) to the file.
    ASSERT_TRUE(SaveINI(*files, "BackupInformation", "a\r\nb\nBackupItem=1111111111\rc", path));
    ASSERT_TRUE(SaveINI(*files, "BackupItem", "0000100000", path));
    EXPECT_EQ(readHostFile(host),
              "BackupInformation=aPS$QMKbPS$QMKBackupItem=1111111111PS$QMKc\r\nBackupItem=0000100000\r\n");
    EXPECT_EQ(get("BackupItem"), "0000100000");
    EXPECT_EQ(DecodeLineBreaks(get("BackupInformation")), "a\r\nb\r\nBackupItem=1111111111\r\nc");

    EXPECT_EQ(EncodeLineBreaks("a\r\n\r\nb\n\rc"), "aPS$QMKPS$QMKbPS$QMKPS$QMKc");
    EXPECT_EQ(DecodeLineBreaks("PS$QMKaPS$QMK"), "\r\na\r\n");
    EXPECT_EQ(DecodeLineBreaks("PS$QMPS$QMKK"), "PS$QM\r\nK");
}

TEST_F(InfoFileTest, EmptyDescriptionIsKeyAndEqualsAlone) {
    ASSERT_TRUE(SaveINI(*files, "BackupInformation", "", path));
    ASSERT_TRUE(SaveINI(*files, "BackupItem", "1", path));
    EXPECT_EQ(readHostFile(host), "BackupInformation=\r\nBackupItem=1\r\n");
    bool readable = false;
    EXPECT_EQ(get("BackupInformation", &readable), "");
    EXPECT_TRUE(readable);
    EXPECT_EQ(get("BackupItem"), "1");
}

TEST_F(InfoFileTest, KeysMatchIgnoringCaseWholeKeyOnly) {
    writeHostFile(host, "BackupItemX=no\r\nno equals sign\r\nBackupItem=0100000000\r\nCaf\xC9=yes\r\n");
    EXPECT_EQ(get("backupitem"), "0100000000");
    EXPECT_EQ(get("BACKUPITEM"), "0100000000");
    EXPECT_EQ(get("caf\xE9"), "yes");  // letters beyond ASCII fold too
    EXPECT_EQ(get("BackupIte"), "");
    EXPECT_EQ(get("no equals sign"), "");
}

TEST_F(InfoFileTest, FirstOfTwoEqualKeysWins) {
    writeHostFile(host, "BackupDatas=first.pst\r\nbackupdatas=second.pst\r\n");
    EXPECT_EQ(get("BackupDatas"), "first.pst");
}

TEST_F(InfoFileTest, ReadingStopsAtTheFirstEmptyLine) {
    writeHostFile(host, "BackupComputer=PC1\r\n\r\nBackupItem=1111111111\r\n");
    EXPECT_EQ(get("BackupComputer"), "PC1");
    EXPECT_EQ(get("BackupItem"), "");
    // Lines ended by LF alone (a file edited elsewhere) read the same way.
    writeHostFile(host, "A=1\nB=2\n\nC=3\n");
    EXPECT_EQ(get("B"), "2");
    EXPECT_EQ(get("C"), "");
}

TEST_F(InfoFileTest, ValueRunsFromTheFirstEquals) {
    writeHostFile(host, "BackupSignatures=a=b.htm;c==.txt=\r\n");
    EXPECT_EQ(get("BackupSignatures"), "a=b.htm;c==.txt=");
}

TEST_F(InfoFileTest, MissingFileReadsEmptyAndSaysSo) {
    bool readable = true;
    EXPECT_EQ(get("BackupItem", &readable), "");
    EXPECT_FALSE(readable);
    EXPECT_FALSE(SaveINI(*files, "K", "v", win(dir / "missing/quillmark.dat")));
}

TEST_F(InfoFileTest, TempFilesAreNewEmptyAndNamedLikeGetTempFileName) {
    const std::regex shape(R"(QMC[0-9A-F]{1,4}\.TMP)");
    std::set<std::string> seen;
    for (int i = 0; i < 3; ++i) {
        const std::string name = sGetTempFile(*files, win(dir.path()), "QMCX");
        ASSERT_FALSE(name.empty());
        const std::string folder = win(dir.path()) + "\\";
        ASSERT_EQ(name.compare(0, folder.size(), folder), 0) << name;
        const std::string bare = name.substr(folder.size());
        EXPECT_TRUE(std::regex_match(bare, shape)) << bare;
        EXPECT_TRUE(files->fileExists(name));
        EXPECT_EQ(readHostFile(dir / bare), "");
        EXPECT_TRUE(seen.insert(bare).second) << "reused " << bare;
    }
    const std::string accounts = sGetTempFile(*files, win(dir.path()), "QMA");
    EXPECT_NE(accounts.find("\\QMA"), std::string::npos);
    EXPECT_EQ(sGetTempFile(*files, win(dir / "missing"), "QMC"), "");
}

}  // namespace
}  // namespace qm::archive
