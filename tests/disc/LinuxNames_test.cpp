// The names Windows would see changed on the disc: told before the write,
// and exactly those that the written Joliet and UDF trees show otherwise.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "disc/LinuxEngineFixture.h"
#include "disc/linux/DiscNames.h"

namespace qm::test {
namespace {

namespace fsys = disc::filesystem;
using disc::linuxburn::GenisoimageKeepsName;
using disc::linuxburn::JolietKeepsName;

TEST(DiscNamesTest, WhatJolietAndUdfKeep) {
    for (const std::string& name :
         std::vector<std::string>{"plain.qmk", "Кириллица.pst", "日本語フォルダ", "trailing dot.", "quote\"lt<gt>|.txt",
                                  std::string(103, 'L'), "é" + std::string(102, 'e')}) {
        EXPECT_TRUE(JolietKeepsName(name)) << name;
        EXPECT_TRUE(GenisoimageKeepsName(name, 103)) << name;
    }
    // Characters, not bytes: 103 two-byte characters fit, 104 do not.
    std::string wide;
    for (int i = 0; i < 103; ++i) wide += "é";
    EXPECT_TRUE(JolietKeepsName(wide));
    EXPECT_FALSE(JolietKeepsName(wide + "é"));
    EXPECT_FALSE(GenisoimageKeepsName(wide + "é", 103));
    EXPECT_TRUE(GenisoimageKeepsName(wide + "é", 255));
    for (const std::string& name : std::vector<std::string>{
             "a*b", "a:b", "a;b", "a?b", "a\\b", "tab\tname", "emoji😀.txt", std::string("\xff.pst"),
             std::string("\xed\xa0\x80.pst") /* a surrogate */, std::string("\xc0\xaf") /* overlong */}) {
        EXPECT_FALSE(JolietKeepsName(name)) << name;
        EXPECT_FALSE(GenisoimageKeepsName(name, 255)) << name;
    }
    EXPECT_FALSE(JolietKeepsName(std::string(104, 'L')));
    EXPECT_FALSE(GenisoimageKeepsName(std::string(104, 'L'), 103));
    // genisoimage replaces DEL; libisofs keeps it.
    EXPECT_TRUE(
        JolietKeepsName("a\x7f"
                        "b"));
    EXPECT_FALSE(
        GenisoimageKeepsName("a\x7f"
                             "b",
                             255));
}

// The names of the files in "names/" as a listing of 7-Zip shows them.
std::vector<std::string> listedNames(const std::string& out) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while ((at = out.find(" names/", at)) != std::string::npos) {
        at += 7;
        names.push_back(out.substr(at, out.find('\n', at) - at));
    }
    return names;
}

TEST_F(LinuxEngineTest, NamesWindowsWouldSeeChangedAreListedBeforeTheWriteAndOnlyThose) {
    const std::vector<std::string> names = {
        "plain.qmk",  "Кириллица.pst",     "日本語.pst",          "a*b?c.txt",           "semi;colon.txt",
        "emoji😀.txt", "quote\"lt<gt>.txt", std::string(103, 'L'), std::string(104, 'M'), std::string(130, 'N') + ".pst",
    };
    std::filesystem::create_directory(dir / "names");
    for (const auto& n : names) makeSource("names/" + n, 100);
    open();
    window->AddDroppedItems({true, {dir / "names"}});

    struct Case {
        int fileSystem;
        std::vector<std::string> listings;  // 7-Zip's archive types to read the disc as
    };
    for (const Case& c :
         {Case{fsys::Joliet, {"iso"}}, Case{fsys::JolietUdf, {"udf", "iso"}}, Case{fsys::Udf, {"udf"}}}) {
        SCOPED_TRACE(c.fileSystem);
        engine->FileSystem = c.fileSystem;
        const std::vector<std::string> changed = engine->ChangedNames();
        view.messages.clear();
        view.answers = {};  // OK to whatever is asked
        write(c.fileSystem, false);
        ASSERT_FALSE(view.messages.empty());
        EXPECT_EQ(view.messageTexts().back(), "Write Complete!");
        // The warning came first and listed them.
        const DiscMessage& warning = view.messages[view.messages.size() - 2];
        EXPECT_EQ(warning.icon, app::Icon::Exclamation);
        EXPECT_EQ(
            warning.text.rfind("Windows and other systems that read the disc's Joliet or UDF names will see these "
                               "names shortened or with characters replaced:\r\n",
                               0),
            0u)
            << warning.text;
        for (const auto& path : changed)
            EXPECT_NE(warning.text.find("\r\n" + path + "\r\n"), std::string::npos) << path;

        for (const auto& type : c.listings) {
            std::string out;
            ASSERT_EQ(run("7z l -t" + type + " " + drivePath(), out), 0) << out;
            const auto shown = listedNames(out);
            for (const auto& n : names) {
                const bool asItIs = std::find(shown.begin(), shown.end(), n) != shown.end();
                const bool told = std::find(changed.begin(), changed.end(), "\\names\\" + n) != changed.end();
                EXPECT_NE(asItIs, told) << type << ": " << n << "\n" << out;
            }
        }
    }
}

TEST_F(LinuxEngineTest, ChangedNamesStopTheWriteWhenTheUserSaysSo) {
    makeSource("a?b.qmk", 100);
    open();
    window->AddDroppedItems({true, {dir / "a?b.qmk"}});
    view.answers = {app::Answer::Cancel};
    write(fsys::JolietUdf, false);
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{"Windows and other systems that read the disc's Joliet or UDF names will see "
                                       "these names shortened or with characters replaced:\r\n\\a?b.qmk\r\n\r\n"
                                       "Write anyway?"});
    EXPECT_FALSE(std::filesystem::exists(drivePath()));
    // ISO9660 alone has neither tree: nothing to tell.
    view.messages.clear();
    write(fsys::Iso9660, false);
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"Write Complete!"});
}

}  // namespace
}  // namespace qm::test
