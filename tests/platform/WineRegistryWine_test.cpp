// The Wine registry backend against Wine itself: a real prefix made by
// wineboot, values written by Wine's reg.exe, files rewritten by wineserver,
// and the guard against a running wineserver.
#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "platform/wine/RegFile.h"
#include "platform/wine/WineRegistry.h"
#include "support/TempDir.h"
#include "support/WinePrefixFixture.h"

using namespace qm::platform;
using namespace qm::platform::wine;
using qm::test::readHostFile;
using qm::test::regGet;
using qm::test::regSet;
using qm::test::subkeyNames;

namespace {

// A file Wine's reg.exe exported: UTF-16LE after a byte-order mark.
std::string utf16ToUtf8(const std::string& bytes) {
    std::u16string units;
    size_t i = bytes.size() >= 2 && bytes[0] == '\xff' && bytes[1] == '\xfe' ? 2 : 0;
    for (; i + 1 < bytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return CodePage::utf16ToUtf8(units);
}

// The sections of a registry file ("[key] ..." up to the next one).
std::vector<std::string> sections(const std::string& text) {
    std::vector<std::string> out;
    size_t at = text.find("\n[");
    while (at != std::string::npos) {
        size_t next = text.find("\n[", at + 1);
        out.push_back(text.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1));
        at = next;
    }
    return out;
}

class WineInterop : public qm::test::WinePrefixTest {
protected:
    std::unique_ptr<WineRegistry> openPrefix() {
        std::string error;
        auto reg = WineRegistry::open(prefix, false, error);
        EXPECT_TRUE(reg) << error;
        return reg;
    }
    // `wine reg <args>` with UTF-8 arguments.
    int reg(const std::string& args) const { return wine("reg " + args + " >/dev/null"); }
    // Wine's own export of a key (reg.exe writes UTF-16), as UTF-8 text.
    std::string exportKey(const std::string& key) const {
        std::string file = dir / "export.reg";
        std::filesystem::remove(file);
        std::string winPath = "Z:" + file;
        std::replace(winPath.begin(), winPath.end(), '/', '\\');
        EXPECT_EQ(reg("export '" + key + "' '" + winPath + "' /y"), 0) << key;
        return utf16ToUtf8(readHostFile(file));
    }
};

TEST_F(WineInterop, WinesOwnFilesRoundTripByteForByte) {
    for (const char* name : {"user.reg", "system.reg", "userdef.reg"}) {
        std::string text = readHostFile(prefix + "/" + name);
        ASSERT_FALSE(text.empty()) << name;
        RegHive hive;
        std::string error;
        ASSERT_TRUE(RegHive::parse(text, name, hive, error)) << error;
        EXPECT_TRUE(hive.serialize() == text) << name << " changed in a load and save";
    }
}

TEST_F(WineInterop, ValuesCrossBetweenWineAndUsBothWays) {
    startServer();
    const std::string k = "HKCU\\Software\\QmByWine";
    ASSERT_EQ(reg("add '" + k + "' /v Text /d 'café €' /f"), 0);
    ASSERT_EQ(reg("add '" + k + "' /v Exp /t REG_EXPAND_SZ /d '%SystemRoot%\\x' /f"), 0);
    ASSERT_EQ(reg("add '" + k + "' /v Bin /t REG_BINARY /d 0102ff /f"), 0);
    ASSERT_EQ(reg("add '" + k + "' /v Num /t REG_DWORD /d 12 /f"), 0);
    ASSERT_EQ(reg("add '" + k + "' /ve /d Default /f"), 0);
    ASSERT_EQ(reg("add '" + k + "\\Deep\\Deeper\\Deepest' /v Leaf /d x /f"), 0);
    stopServer();
    std::string originalUser = readHostFile(prefix + "/user.reg");

    {
        auto r = openPrefix();
        ASSERT_TRUE(r);
        EXPECT_EQ(r->problem(), "");
        struct Want {
            const char* sub;
            const char* name;
            std::uint32_t type;
            std::string data;
        };
        const std::string sub = "Software\\QmByWine";
        for (const auto& w : {Want{"", "Text", REG_SZ, std::string("caf\xe9 \x80\0", 7)},
                              Want{"", "exp", REG_EXPAND_SZ, std::string("%SystemRoot%\\x\0", 15)},
                              Want{"", "Bin", REG_BINARY, std::string("\x01\x02\xff", 3)},
                              Want{"", "NUM", REG_DWORD, std::string("\x0c\0\0\0", 4)},
                              Want{"", "", REG_SZ, std::string("Default\0", 8)},
                              Want{"\\deep\\DEEPER\\deepest", "Leaf", REG_SZ, std::string("x\0", 2)}}) {
            std::uint32_t type = 0;
            std::string data;
            ASSERT_EQ(regGet(*r, HKEY_CURRENT_USER, sub + w.sub, w.name, type, data), ERROR_SUCCESS) << w.name;
            EXPECT_EQ(type, w.type) << w.name;
            EXPECT_EQ(data, w.data) << w.name;
        }

        // Now ours, for Wine to read.
        const std::string ours = "Software\\QmByUs";
        ASSERT_EQ(regSet(*r, HKEY_CURRENT_USER, ours, "Text", REG_SZ, std::string("caf\xe9 \x80\0", 7)), ERROR_SUCCESS);
        ASSERT_EQ(regSet(*r, HKEY_CURRENT_USER, ours, "", REG_SZ, std::string("Def\0", 4)), ERROR_SUCCESS);
        ASSERT_EQ(regSet(*r, HKEY_CURRENT_USER, ours, "Exp", REG_EXPAND_SZ, std::string("%TEMP%\0", 7)), ERROR_SUCCESS);
        ASSERT_EQ(regSet(*r, HKEY_CURRENT_USER, ours, "Bin", REG_BINARY, "\x01\x02"), ERROR_SUCCESS);
        ASSERT_EQ(regSet(*r, HKEY_CURRENT_USER, ours, "Num", REG_DWORD, std::string("\x0c\0\0\0", 4)), ERROR_SUCCESS);
        ASSERT_EQ(regSet(*r, HKEY_CURRENT_USER, ours + "\\A\\B\\C", "Leaf", REG_SZ, std::string("y\0", 2)),
                  ERROR_SUCCESS);
        // Forms reg.exe cannot show: checked through Wine's own save below.
        ASSERT_EQ(regSet(*r, HKEY_CURRENT_USER, ours, "Zero", REG_SZ, ""), ERROR_SUCCESS);
        ASSERT_EQ(regSet(*r, HKEY_CURRENT_USER, ours, "Unterminated", REG_SZ, "abc"), ERROR_SUCCESS);
        ASSERT_EQ(regSet(*r, HKEY_CURRENT_USER, ours, "Odd", 0x100, "\x05\x06"), ERROR_SUCCESS);
        ASSERT_EQ(regSet(*r, HKEY_LOCAL_MACHINE, "Software\\QmMachine", "M", REG_DWORD, std::string("\1\0\0\0", 4)),
                  ERROR_SUCCESS);
        ASSERT_EQ(regSet(*r, HKEY_CLASSES_ROOT, ".qmk", "", REG_SZ, std::string("QmFile\0", 7)), ERROR_SUCCESS);
    }

    // Keys we did not touch are written back as they were.
    std::string savedUser = readHostFile(prefix + "/user.reg");
    auto newSections = sections(savedUser);
    for (const auto& s : sections(originalUser)) {
        if (s.find("QmBy") != std::string::npos) continue;
        EXPECT_NE(std::find(newSections.begin(), newSections.end(), s), newSections.end()) << "changed: " << s;
    }

    startServer();
    std::string text = exportKey("HKCU\\Software\\QmByUs");
    EXPECT_NE(text.find("@=\"Def\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"Text\"=\"café €\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"Exp\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Bin\"=hex:01,02"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Num\"=dword:0000000c"), std::string::npos) << text;
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\QmByUs\\A\\B\\C]\r\n\"Leaf\"=\"y\""), std::string::npos) << text;
    text = exportKey("HKLM\\Software\\QmMachine");
    EXPECT_NE(text.find("\"M\"=dword:00000001"), std::string::npos) << text;
    text = exportKey("HKCR\\.qmk");
    EXPECT_NE(text.find("@=\"QmFile\""), std::string::npos) << text;
    // A change of Wine's own makes the server write the files anew as it ends.
    ASSERT_EQ(reg("add 'HKCU\\Software\\QmByWine' /v After /d 1 /f"), 0);
    stopServer();
    ASSERT_NE(readHostFile(prefix + "/user.reg"), savedUser) << "Wine did not rewrite user.reg";

    auto r = openPrefix();
    ASSERT_TRUE(r);
    struct Want {
        const char* name;
        std::uint32_t type;
        std::string data;
    };
    for (const auto& w : {Want{"Zero", REG_SZ, ""}, Want{"Unterminated", REG_SZ, "abc"}, Want{"Odd", 0x100, "\x05\x06"},
                          Want{"Text", REG_SZ, std::string("caf\xe9 \x80\0", 7)}}) {
        std::uint32_t type = 0;
        std::string data;
        ASSERT_EQ(regGet(*r, HKEY_CURRENT_USER, "Software\\QmByUs", w.name, type, data), ERROR_SUCCESS) << w.name;
        EXPECT_EQ(type, w.type) << w.name;
        EXPECT_EQ(data, w.data) << w.name;
    }
    std::uint32_t type = 0;
    std::string data;
    EXPECT_EQ(regGet(*r, HKEY_CURRENT_USER, "Software\\QmByWine", "After", type, data), ERROR_SUCCESS);
}

TEST_F(WineInterop, RunningWineserverBlocksWritesUntilItEnds) {
    auto r = openPrefix();
    ASSERT_TRUE(r);
    std::string user = readHostFile(prefix + "/user.reg");
    std::string system = readHostFile(prefix + "/system.reg");
    startServer();
    std::string problem = r->problem();
    EXPECT_NE(problem.find(prefix), std::string::npos) << problem;
    EXPECT_NE(problem.find("wineserver -k"), std::string::npos) << problem;
    EXPECT_EQ(regSet(*r, HKEY_CURRENT_USER, "Software\\QmGuard", "v", REG_SZ, std::string("x\0", 2)),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(regSet(*r, HKEY_LOCAL_MACHINE, "Software\\Wine", "v", REG_SZ, std::string("x\0", 2)), ERROR_ACCESS_DENIED);
    EXPECT_EQ(r->RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\Debug"), ERROR_ACCESS_DENIED);
    std::string error;
    EXPECT_TRUE(r->flush(error)) << error;  // nothing waits to be saved
    // Reading goes on.
    EXPECT_FALSE(subkeyNames(*r, HKEY_CURRENT_USER, "Software").empty());
    EXPECT_TRUE(readHostFile(prefix + "/user.reg") == user);
    EXPECT_TRUE(readHostFile(prefix + "/system.reg") == system);
    stopServer();

    EXPECT_EQ(r->problem(), "");
    EXPECT_EQ(regSet(*r, HKEY_CURRENT_USER, "Software\\QmGuard", "v", REG_SZ, std::string("x\0", 2)), ERROR_SUCCESS);
    EXPECT_NE(readHostFile(prefix + "/user.reg").find("[Software\\\\QmGuard]"), std::string::npos);
    // Wine starts normally after our edit and sees it.
    startServer();
    std::string text = exportKey("HKCU\\Software\\QmGuard");
    EXPECT_NE(text.find("\"v\"=\"x\""), std::string::npos) << text;
    stopServer();
}

}  // namespace
