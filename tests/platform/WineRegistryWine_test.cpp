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
using qm::test::testCodePage;

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
        auto reg = WineRegistry::open(prefix, false, testCodePage(), error);
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
            RegType type;
            std::string data;
        };
        const std::string sub = "Software\\QmByWine";
        for (const auto& w : {Want{"", "Text", RegType::Sz, std::string("caf\xe9 \x80\0", 7)},
                              Want{"", "exp", RegType::ExpandSz, std::string("%SystemRoot%\\x\0", 15)},
                              Want{"", "Bin", RegType::Binary, std::string("\x01\x02\xff", 3)},
                              Want{"", "NUM", RegType::Dword, std::string("\x0c\0\0\0", 4)},
                              Want{"", "", RegType::Sz, std::string("Default\0", 8)},
                              Want{"\\deep\\DEEPER\\deepest", "Leaf", RegType::Sz, std::string("x\0", 2)}}) {
            RegType type = RegType::None;
            std::string data;
            ASSERT_EQ(readValue(*r, RootKey::CurrentUser, sub + w.sub, w.name, type, data), RegStatus::Success) << w.name;
            EXPECT_EQ(type, w.type) << w.name;
            EXPECT_EQ(data, w.data) << w.name;
        }

        // Now ours, for Wine to read.
        const std::string ours = "Software\\QmByUs";
        ASSERT_EQ(writeValue(*r, RootKey::CurrentUser, ours, "Text", RegType::Sz, std::string("caf\xe9 \x80\0", 7)), RegStatus::Success);
        ASSERT_EQ(writeValue(*r, RootKey::CurrentUser, ours, "", RegType::Sz, std::string("Def\0", 4)), RegStatus::Success);
        ASSERT_EQ(writeValue(*r, RootKey::CurrentUser, ours, "Exp", RegType::ExpandSz, std::string("%TEMP%\0", 7)), RegStatus::Success);
        ASSERT_EQ(writeValue(*r, RootKey::CurrentUser, ours, "Bin", RegType::Binary, "\x01\x02"), RegStatus::Success);
        ASSERT_EQ(writeValue(*r, RootKey::CurrentUser, ours, "Num", RegType::Dword, std::string("\x0c\0\0\0", 4)), RegStatus::Success);
        ASSERT_EQ(writeValue(*r, RootKey::CurrentUser, ours + "\\A\\B\\C", "Leaf", RegType::Sz, std::string("y\0", 2)),
                  RegStatus::Success);
        // Forms reg.exe cannot show: checked through Wine's own save below.
        ASSERT_EQ(writeValue(*r, RootKey::CurrentUser, ours, "Zero", RegType::Sz, ""), RegStatus::Success);
        ASSERT_EQ(writeValue(*r, RootKey::CurrentUser, ours, "Unterminated", RegType::Sz, "abc"), RegStatus::Success);
        ASSERT_EQ(writeValue(*r, RootKey::CurrentUser, ours, "Odd", static_cast<RegType>(0x100), "\x05\x06"), RegStatus::Success);
        ASSERT_EQ(writeValue(*r, RootKey::LocalMachine, "Software\\QmMachine", "M", RegType::Dword, std::string("\1\0\0\0", 4)),
                  RegStatus::Success);
        ASSERT_EQ(writeValue(*r, RootKey::ClassesRoot, ".qmk", "", RegType::Sz, std::string("QmFile\0", 7)), RegStatus::Success);
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
        RegType type;
        std::string data;
    };
    // A string counted without its terminator was stored with one, as
    // Windows stores it, and Wine keeps it so.
    for (const auto& w : {Want{"Zero", RegType::Sz, ""}, Want{"Unterminated", RegType::Sz, std::string("abc\0", 4)},
                          Want{"Odd", static_cast<RegType>(0x100), "\x05\x06"},
                          Want{"Text", RegType::Sz, std::string("caf\xe9 \x80\0", 7)}}) {
        RegType type = RegType::None;
        std::string data;
        ASSERT_EQ(readValue(*r, RootKey::CurrentUser, "Software\\QmByUs", w.name, type, data), RegStatus::Success) << w.name;
        EXPECT_EQ(type, w.type) << w.name;
        EXPECT_EQ(data, w.data) << w.name;
    }
    RegType type = RegType::None;
    std::string data;
    EXPECT_EQ(readValue(*r, RootKey::CurrentUser, "Software\\QmByWine", "After", type, data), RegStatus::Success);
}

TEST_F(WineInterop, The32BitViewIsWhatWinesOwn32BitRegistryViewWrote) {
    startServer();
    const std::string tools = "HKLM\\Software\\Microsoft\\Shared Tools";
    ASSERT_EQ(reg("add '" + tools +
                  "' /v SharedFilesDir /d 'C:\\Program Files\\Common Files\\Microsoft Shared\\' /reg:64 /f"),
              0);
    ASSERT_EQ(reg("add '" + tools +
                  "' /v SharedFilesDir /d 'C:\\Program Files (x86)\\Common Files\\Microsoft Shared\\' "
                  "/reg:32 /f"),
              0);
    ASSERT_EQ(reg("add 'HKCR\\Outlook.Application\\CurVer' /ve /d Outlook.Application.14 /reg:32 /f"), 0);
    // A key Wine keeps once for both views (a link under Wow6432Node).
    const std::string shared = "HKLM\\Software\\Microsoft\\Cryptography\\Calais\\Current";
    ASSERT_EQ(reg("add '" + shared + "' /v Qm /d both /reg:64 /f"), 0);
    std::string wine32;
    ASSERT_EQ(wine("reg query '" + shared + "' /v Qm /reg:32", &wine32), 0);
    ASSERT_NE(wine32.find("both"), std::string::npos) << wine32;
    stopServer();

    auto r = openPrefix();
    ASSERT_TRUE(r);
    std::string text;
    ASSERT_TRUE(readString(*r, RootKey::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools", "SharedFilesDir", text,
                           KeyAccess::Wow64_32Key));
    EXPECT_EQ(text, "C:\\Program Files (x86)\\Common Files\\Microsoft Shared\\");
    ASSERT_TRUE(readString(*r, RootKey::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools", "SharedFilesDir", text));
    EXPECT_EQ(text, "C:\\Program Files\\Common Files\\Microsoft Shared\\");
    ASSERT_TRUE(readString(*r, RootKey::ClassesRoot, "Outlook.Application\\CurVer", "", text, KeyAccess::Wow64_32Key));
    EXPECT_EQ(text, "Outlook.Application.14");
    EXPECT_FALSE(readString(*r, RootKey::ClassesRoot, "Outlook.Application\\CurVer", "", text));
    ASSERT_TRUE(readString(*r, RootKey::LocalMachine, "Software\\Microsoft\\Cryptography\\Calais\\Current", "Qm", text,
                           KeyAccess::Wow64_32Key));
    EXPECT_EQ(text, "both");
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
    EXPECT_EQ(writeValue(*r, RootKey::CurrentUser, "Software\\QmGuard", "v", RegType::Sz, std::string("x\0", 2)),
              RegStatus::AccessDenied);
    EXPECT_EQ(writeValue(*r, RootKey::LocalMachine, "Software\\Wine", "v", RegType::Sz, std::string("x\0", 2)), RegStatus::AccessDenied);
    EXPECT_EQ(r->RegDeleteKeyA(RootKey::CurrentUser, "Software\\Wine\\Debug"), RegStatus::AccessDenied);
    std::string error;
    EXPECT_TRUE(r->flush(error)) << error;  // nothing waits to be saved
    // Reading goes on.
    EXPECT_FALSE(subkeyNames(*r, RootKey::CurrentUser, "Software").empty());
    EXPECT_TRUE(readHostFile(prefix + "/user.reg") == user);
    EXPECT_TRUE(readHostFile(prefix + "/system.reg") == system);
    stopServer();

    EXPECT_EQ(r->problem(), "");
    EXPECT_EQ(writeValue(*r, RootKey::CurrentUser, "Software\\QmGuard", "v", RegType::Sz, std::string("x\0", 2)), RegStatus::Success);
    EXPECT_NE(readHostFile(prefix + "/user.reg").find("[Software\\\\QmGuard]"), std::string::npos);
    // Wine starts normally after our edit and sees it.
    startServer();
    std::string text = exportKey("HKCU\\Software\\QmGuard");
    EXPECT_NE(text.find("\"v\"=\"x\""), std::string::npos) << text;
    stopServer();
}

}  // namespace
