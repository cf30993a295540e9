// Key paths, registry text files and files of an installation in code page
// 932, whose characters' second bytes may be "\" (表, 予, ソ) or "|" (ポ):
// none of them may be taken for a separator.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/RegistryAccess.h"
#include "platform/wine/WinePlatform.h"
#include "registry/ModReg.h"
#include "support/MiniPrefix.h"
#include "support/TempDir.h"

namespace qm::test {
namespace {

using namespace qm::platform;

class DoubleByteNames : public ::testing::Test {
protected:
    void SetUp() override {
        prefix = dir / "prefix";
        ASSERT_TRUE(MiniPrefix::make(prefix, "tester"));
        wine::WineOptions options;
        options.prefix = prefix;
        options.userName = "tester";
        options.workRoot = dir / "work";
        options.codePage = "932";
        std::string error;
        ASSERT_TRUE(wine::openWinePlatform(options, platform, error)) << error;
        std::filesystem::create_directories(dir / "files");
        work = platform.files->windowsPath(dir / "files");
        reg = std::make_unique<registry::ModReg>(*platform.registry, *platform.files, work);
    }
    std::string sj(const std::string& utf8) const { return platform.codePage->fromUtf8(utf8); }
    // Creates the key when missing.
    void set(const std::string& path, const std::string& name, const std::string& text) {
        std::string sub = path;
        const KeyHandle root = reg->SplitKeyPath(sub);
        ASSERT_EQ(writeValue(*platform.registry, root, sub, name, RegType::Sz, text + '\0'), RegStatus::Success)
            << path;
    }

    TempDir dir;
    std::string prefix;
    Platform platform;
    std::string work;
    std::unique_ptr<registry::ModReg> reg;
    const std::string profiles = "HKEY_CURRENT_USER\\Software\\Profiles";
};

TEST_F(DoubleByteNames, KeyPathsEndingInSuchACharacterAreKeysNotMalformedPaths) {
    const std::string table = profiles + "\\" + sj("表");
    set(table + "\\" + sj("予定"), sj("名前"), sj("東京"));
    set(profiles + "\\Outlook", "x", "y");
    EXPECT_TRUE(reg->KeyExists(table));
    EXPECT_EQ(reg->GetStringValue(table + "\\" + sj("予定"), sj("名前")), sj("東京"));
    EXPECT_EQ(reg->EnumSubKeys(profiles), (std::vector<std::string>{"Outlook", sj("表")}));
    EXPECT_TRUE(reg->takeNotices().empty());

    // The key itself goes, not a key cut at its second byte, nor its parent.
    EXPECT_TRUE(reg->DeleteKeyTree(table));
    EXPECT_FALSE(reg->KeyExists(table));
    EXPECT_TRUE(reg->KeyExists(profiles + "\\Outlook"));
    EXPECT_TRUE(reg->takeNotices().empty());
}

TEST_F(DoubleByteNames, AHeaderEndingInSuchACharacterIsNotTheTopHeader) {
    const std::string from = profiles + "\\Source";
    const std::string to = profiles + "\\" + sj("ソ");
    set(from, sj("表示名"), sj("予定表"));
    set(from + "\\" + sj("予定表"), "Path", sj("C:\\表\\予定表.pst"));
    set(to, "Old", "gone");
    const std::string file = work + "\\" + sj("表.txt");
    ASSERT_TRUE(reg->ExportKey(from, "", file));
    std::string text;
    ASSERT_TRUE(platform.files->readFile(file, text));
    EXPECT_NE(text.find("\\" + sj("予定表") + "\r\n"), std::string::npos) << text;

    ASSERT_TRUE(reg->ImportKey(to, file));
    EXPECT_EQ(reg->GetStringValue(to, "Old"), "Error");
    EXPECT_EQ(reg->GetStringValue(to, sj("表示名")), sj("予定表"));
    // Under its own key: taken for "\" the header would have put it on the target.
    EXPECT_EQ(reg->GetStringValue(to + "\\" + sj("予定表"), "Path"), sj("C:\\表\\予定表.pst"));
    EXPECT_EQ(reg->GetStringValue(to, "Path"), "Error");
}

TEST_F(DoubleByteNames, FilesAreFoundAndMadeUnderTheirHostNames) {
    FileSystem& files = *platform.files;
    const std::string folder = "C:\\users\\tester\\" + sj("表");
    ASSERT_TRUE(files.createFolder(folder));
    const std::string pst = folder + "\\" + sj("予定表.pst");
    ASSERT_TRUE(files.writeFile(pst, "data"));
    EXPECT_EQ(readHostFile(prefix + "/drive_c/users/tester/表/予定表.pst"), "data");
    EXPECT_TRUE(files.fileExists(sj("c:\\USERS\\tester\\表\\予定表.PST")));
    std::vector<std::string> names;
    ASSERT_TRUE(files.listFiles(folder, names));
    EXPECT_EQ(names, std::vector<std::string>{sj("予定表.pst")});
    // "|" as a second byte is no forbidden character.
    EXPECT_TRUE(files.writeFile(folder + "\\" + sj("ポスト.txt"), "x"));
    EXPECT_EQ(readHostFile(prefix + "/drive_c/users/tester/表/ポスト.txt"), "x");
    EXPECT_EQ(files.windowsPath(prefix + "/drive_c/users/tester/表/予定表.pst"), pst);
}

}  // namespace
}  // namespace qm::test
