// The Wine registry backend over files in Wine's format made here (no Wine
// needed): format round trip, the Win32 contract, saving and bad files.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include <functional>

#include "platform/CodePage.h"
#include "platform/posix/HostFile.h"
#include "platform/wine/RegFile.h"
#include "platform/wine/RegServerLock.h"
#include "platform/wine/WineRegistry.h"
#include "support/ServerLockHolder.h"
#include "support/TempDir.h"
#include "support/WinePrefixFixture.h"

using namespace qm::platform;
using namespace qm::platform::wine;
using qm::test::readHostFile;
using qm::test::testCodePage;
using qm::test::TempDir;
using qm::test::writeHostFile;

namespace {

// Written the way Wine 8 writes (escapes, wrapping, options, order).
const char* kUserReg =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Order] 1796701989\n"
    "#time=1dd86c7a4043cde\n"
    "@=\"\"\n"
    "\"_v\"=\"1\"\n"
    "\"Av\"=\"caf\\xe9 \\x20ac\"\n"
    "\"bv\"=str(7):\"a\\0b\\0\"\n"
    "\"Empty\"=hex(1):\n"
    "\"Exp\"=str(2):\"%SystemRoot%\\\\x\"\n"
    "\"Hex\"=hex:01,00,ff\n"
    "\"Long\"=hex(6):5c,00,52,00,65,00,67,00,69,00,73,00,74,00,72,00,79,00,5c,00,4d,\\\n"
    "  00,61,00,63,00,68,00,69,00,6e,00,65,00\n"
    "\"Num\"=dword:0000000c\n"
    "\"q\\\"\\\\n\"=\"x\\\\y\\\"z\\ttab\\n\"\n"
    "\"Raw\"=hex(1):61,00,62,00\n"
    "\"x\\x20ac1\"=\"\\x00e9a\\0011\"\n"
    "\n"
    "[Software\\\\Order\\\\\\[x] 1796701989\n"
    "#time=1dd86c7a3c8459e\n"
    "#class=\"My \\\"class\\\"\"\n"
    "\n"
    "[Software\\\\Order\\\\_] 1796701989\n"
    "#time=1dd86c7a3afeaa8\n"
    "#link\n"
    "\"SymbolicLinkValue\"=hex(6):5c,00\n"
    "\n"
    "[Software\\\\Order\\\\A] 1796701989\n"
    "#time=1dd86c7a3a67dc4\n"
    "@=\"\"\n"
    "\n"
    "[Software\\\\Order\\\\b\\\\deep] 1796701990\n"
    "#time=1dd86c7a3b8f97c\n"
    "\"v\"=hex(100):\n"
    "\n"
    "[Software\\\\Order\\\\\\xdf] 1796701989\n"
    "#time=1dd86c7a3df4a64\n";

std::string utf16(const std::u16string& s, bool terminated = true) {
    std::string out;
    for (char16_t u : s) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    if (terminated) out += std::string(2, '\0');
    return out;
}

class WineRegistryFiles : public ::testing::Test {
protected:
    std::unique_ptr<WineRegistry> openPrefix(bool create = false) {
        std::string error;
        auto reg = WineRegistry::open(dir.path(), create, testCodePage(), error);
        EXPECT_TRUE(reg) << error;
        return reg;
    }
    std::string userReg() const { return readHostFile(dir / "user.reg"); }
    // The server folders our lock made for this temporary prefix.
    void TearDown() override {
        for (const auto& lock : WineServerGuard(dir.path()).lockPaths()) {
            std::error_code ec;
            auto server = std::filesystem::path(lock).parent_path();
            std::filesystem::remove_all(server, ec);
            std::filesystem::remove(server.parent_path(), ec);  // only when empty
        }
    }
    TempDir dir;
};

TEST_F(WineRegistryFiles, WineFileRoundTripsByteForByteAndParsesEveryForm) {
    std::string text = kUserReg;
    RegHive hive;
    std::string error;
    ASSERT_TRUE(RegHive::parse(text, "user.reg", hive, error)) << error;
    EXPECT_EQ(hive.serialize(), text);

    RegKey* order = hive.root->findSubkey(u"SOFTWARE")->findSubkey(u"order");
    ASSERT_TRUE(order);
    auto value = [&](const std::u16string& name) {
        const RegValue* v = order->findValue(name);
        EXPECT_TRUE(v) << "missing value";
        return v ? *v : RegValue{};
    };
    EXPECT_EQ(value(u"").data, utf16(u""));
    EXPECT_EQ(value(u"av").data, utf16(u"caf\u00e9 \u20ac"));
    EXPECT_EQ(value(u"bv").type, static_cast<std::uint32_t>(RegType::MultiSz));
    EXPECT_EQ(value(u"bv").data, utf16(std::u16string(u"a\0b\0", 4)));
    EXPECT_EQ(value(u"Empty").type, static_cast<std::uint32_t>(RegType::Sz));
    EXPECT_EQ(value(u"Empty").data, "");
    EXPECT_EQ(value(u"Exp").type, static_cast<std::uint32_t>(RegType::ExpandSz));
    EXPECT_EQ(value(u"Exp").data, utf16(u"%SystemRoot%\\x"));
    EXPECT_EQ(value(u"Hex").data, std::string("\x01\x00\xff", 3));
    EXPECT_EQ(value(u"Long").type, 6u);
    EXPECT_EQ(value(u"Long").data, utf16(u"\\Registry\\Machine", false));
    EXPECT_EQ(value(u"Num").data, std::string("\x0c\0\0\0", 4));
    EXPECT_EQ(value(u"q\"\\n").data, utf16(u"x\\y\"z\ttab\n"));
    EXPECT_EQ(value(u"Raw").data, utf16(u"ab", false));
    EXPECT_EQ(value(u"x\u20ac1").data, utf16(std::u16string(u"\u00e9a\u00011")));

    RegKey* bracket = order->findSubkey(u"[X");
    ASSERT_TRUE(bracket);
    EXPECT_EQ(*bracket->keyClass, u"My \"class\"");
    EXPECT_TRUE(order->findSubkey(u"_")->link);
    // A parent that has no section of its own is created by the reader.
    RegKey* b = order->findSubkey(u"B");
    ASSERT_TRUE(b && !b->listed);
    EXPECT_EQ(b->findSubkey(u"deep")->findValue(u"v")->type, 0x100u);
    // Wine's order: case-insensitive, lower-cased ('[' and '_' before letters).
    std::vector<std::u16string> names;
    for (const auto& k : order->subkeys) names.push_back(k->name);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"[x", u"_", u"A", u"b", u"\u00df"}));
}

TEST_F(WineRegistryFiles, WriterEscapesAndWrapsAsWineDoes) {
    RegHive hive = RegHive::empty("REGISTRY\\Machine");
    RegKey* k = hive.root->addSubkey(u"K", 0);
    k->touch();
    k->setValue({u"s", static_cast<std::uint32_t>(RegType::Sz), utf16(u"\u00e9a\u00e9 \u0001\u00017\x1b")});
    k->setValue({u"zero", static_cast<std::uint32_t>(RegType::Sz), ""});
    k->setValue({u"odd", static_cast<std::uint32_t>(RegType::Dword), "\x01\x02"});
    std::string bin(40, '\x11');
    k->setValue({u"bin", static_cast<std::uint32_t>(RegType::Binary), bin});
    std::string out = hive.serialize();
    EXPECT_NE(out.find("\"s\"=\"\\x00e9a\\xe9 \\1\\0017\\e\"\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\"zero\"=hex(1):\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\"odd\"=hex(4):01,02\n"), std::string::npos) << out;
    // Wine wraps once the line passes 76 characters.
    EXPECT_NE(out.find("\"bin\"=hex:11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,\\\n"
                       "  11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.rfind("WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n[K] ", 0), 0u)
        << out;
    RegHive again;
    std::string error;
    ASSERT_TRUE(RegHive::parse(out, "x", again, error)) << error;
    EXPECT_EQ(again.serialize(), out);
}

TEST_F(WineRegistryFiles, BadFilesAreRefusedWithFileAndLineAndLeftAlone) {
    const std::string badHeader = "WINE REGISTRY Version 1\n\n[A] 1\n";
    const std::string garbage = std::string(kUserReg).substr(0, 120) + "\nthis is not a registry line\n";
    const std::string badValue = "WINE REGISTRY Version 2\n\n[A] 1\n\"x\"=hex:zz\n";
    const std::string garbageLine = "line " + std::to_string(std::count(garbage.begin(), garbage.end(), '\n'));
    const std::string cases[][2] = {{badHeader, "line 1"}, {garbage, garbageLine}, {badValue, "line 4"}};
    for (const auto& c : cases) {
        writeHostFile(dir / "user.reg", c[0]);
        std::string error;
        for (bool create : {false, true}) {
            EXPECT_FALSE(WineRegistry::open(dir.path(), create, testCodePage(), error));
            EXPECT_NE(error.find(dir / "user.reg"), std::string::npos) << error;
            EXPECT_NE(error.find(c[1]), std::string::npos) << error;
        }
        EXPECT_EQ(userReg(), c[0]);
    }
    std::filesystem::remove(dir / "user.reg");
    std::string error;
    EXPECT_FALSE(WineRegistry::open(dir.path(), false, testCodePage(), error));
    EXPECT_NE(error.find("user.reg"), std::string::npos) << error;
}

TEST_F(WineRegistryFiles, NewPrefixStartsWithWineHeadersAndKeepsWrites) {
    {
        auto reg = openPrefix(true);
        ASSERT_TRUE(reg);
        std::string error;
        ASSERT_TRUE(reg->flush(error)) << error;
        EXPECT_EQ(userReg().rfind("WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                                  "#arch=win64\n",
                                  0),
                  0u)
            << userReg();
        EXPECT_EQ(readHostFile(dir / "system.reg").find(";; All keys relative to REGISTRY\\\\Machine\n"), 24u);
        EXPECT_EQ(writeValue(*reg, RootKey::CurrentUser, "Software\\A\\B\\C", "v", RegType::Sz, std::string("x\0", 2)), RegStatus::Success);
    }
    auto reg = openPrefix();
    RegType type = RegType::None;
    std::string data;
    ASSERT_EQ(readValue(*reg, RootKey::CurrentUser, "software\\a\\b\\c", "V", type, data), RegStatus::Success);
    EXPECT_EQ(type, RegType::Sz);
    EXPECT_EQ(data, std::string("x\0", 2));
    // Parents of a written key exist for lookups but Wine writes only keys
    // with values or without subkeys.
    EXPECT_EQ(userReg().find("[Software\\\\A]"), std::string::npos);
    EXPECT_NE(userReg().find("[Software\\\\A\\\\B\\\\C]"), std::string::npos);
}

TEST_F(WineRegistryFiles, StringDataCrossesInTheAnsiCodePageWithSizesAsStored) {
    auto reg = openPrefix(true);
    ASSERT_TRUE(reg);
    KeyHandle k = 0;
    ASSERT_EQ(reg->RegCreateKeyA(RootKey::CurrentUser, "Software\\T", &k), RegStatus::Success);
    auto set = [&](const char* name, RegType type, const std::string& bytes) {
        return reg->RegSetValueExA(k, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   static_cast<std::uint32_t>(bytes.size()));
    };
    ASSERT_EQ(set("term", RegType::Sz, std::string("abc\0", 4)), RegStatus::Success);
    ASSERT_EQ(set("unterm", RegType::Sz, "abc"), RegStatus::Success);
    ASSERT_EQ(set("empty", RegType::Sz, ""), RegStatus::Success);
    ASSERT_EQ(set("caf\xe9", RegType::ExpandSz, std::string("caf\xe9 \x80\0", 7)), RegStatus::Success);
    ASSERT_EQ(set("bin", RegType::Binary, std::string("\0\xff", 2)), RegStatus::Success);
    ASSERT_EQ(set("dw", RegType::Dword, std::string("\x0c\0\0\0", 4)), RegStatus::Success);
    ASSERT_EQ(reg->RegCloseKey(k), RegStatus::Success);

    std::string text = userReg();
    EXPECT_NE(text.find("\"term\"=\"abc\"\n"), std::string::npos) << text;
    // Counted without its terminator, a string gets one, as Windows stores it.
    EXPECT_NE(text.find("\"unterm\"=\"abc\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"empty\"=hex(1):\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"caf\\xe9\"=str(2):\"caf\\xe9 \\x20ac\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"bin\"=hex:00,ff\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"dw\"=dword:0000000c\n"), std::string::npos) << text;

    reg.reset();
    // Text Wine stored that the code page cannot hold reads as "?".
    std::string t = userReg();
    t.replace(t.find("\"term\"=\"abc\""), 12, "\"term\"=\"a\\x03a9c\"");
    // A string stored without a terminator (by another program) reads as stored.
    t.replace(t.find("\"unterm\"=\"abc\""), 14, "\"unterm\"=hex(1):61,00,62,00,63,00");
    writeHostFile(dir / "user.reg", t);
    reg = openPrefix();
    RegType type = RegType::None;
    std::string data;
    struct Expect {
        const char* name;
        RegType type;
        std::string data;
    };
    for (const auto& e : {Expect{"TERM", RegType::Sz, std::string("a?c\0", 4)}, Expect{"unterm", RegType::Sz, "abc"},
                          Expect{"empty", RegType::Sz, ""}, Expect{"CAF\xc9", RegType::ExpandSz, std::string("caf\xe9 \x80\0", 7)},
                          Expect{"bin", RegType::Binary, std::string("\0\xff", 2)},
                          Expect{"dw", RegType::Dword, std::string("\x0c\0\0\0", 4)}}) {
        ASSERT_EQ(readValue(*reg, RootKey::CurrentUser, "Software\\T", e.name, type, data), RegStatus::Success) << e.name;
        EXPECT_EQ(type, e.type) << e.name;
        EXPECT_EQ(data, e.data) << e.name;
    }
}

// The Win32 contract itself is in tests/contract (every backend passes it);
// here what only this backend answers: its roots and names.
TEST_F(WineRegistryFiles, RootsAndMalformedNamesOfTheFileBackend) {
    auto reg = openPrefix(true);
    ASSERT_TRUE(reg);
    ASSERT_EQ(writeValue(*reg, RootKey::CurrentUser, "Software\\E", "", RegType::Sz, ""), RegStatus::Success);
    KeyHandle k = 0;
    EXPECT_EQ(reg->RegCloseKey(0x12345), RegStatus::InvalidHandle);
    ASSERT_EQ(reg->RegOpenKeyExA(RootKey::CurrentUser, "Software\\E", KeyAccess::Read, &k), RegStatus::Success);
    EXPECT_EQ(reg->RegCloseKey(k), RegStatus::Success);
    EXPECT_EQ(reg->RegCloseKey(k), RegStatus::InvalidHandle);

    // "" opens the root itself; unknown roots are missing keys.
    ASSERT_EQ(reg->RegOpenKeyExA(RootKey::CurrentUser, "", KeyAccess::Read, &k), RegStatus::Success);
    char name[16];
    std::uint32_t nameSize = sizeof name;
    EXPECT_EQ(reg->RegEnumKeyExA(k, 0, name, &nameSize), RegStatus::Success);
    EXPECT_STREQ(name, "Software");
    EXPECT_EQ(reg->RegCloseKey(k), RegStatus::Success);
    for (KeyHandle root : {RootKey::Users, RootKey::CurrentConfig, RootKey::PerformanceData, RootKey::DynData}) {
        EXPECT_EQ(reg->RegOpenKeyExA(root, "", KeyAccess::Read, &k), RegStatus::FileNotFound);
        EXPECT_EQ(reg->RegCreateKeyA(root, "X", &k), RegStatus::FileNotFound);
        EXPECT_EQ(reg->RegDeleteValueA(root, "X"), RegStatus::FileNotFound);
    }
    EXPECT_EQ(reg->RegDeleteKeyA(RootKey::CurrentUser, ""), RegStatus::AccessDenied);
    // An empty name inside a path is not allowed.
    EXPECT_NE(reg->RegCreateKeyA(RootKey::CurrentUser, "Software\\\\Bad", &k), RegStatus::Success);
    EXPECT_NE(reg->RegCreateKeyA(RootKey::CurrentUser, "\\Software\\Bad", &k), RegStatus::Success);
    EXPECT_EQ(subkeyNames(*reg, RootKey::CurrentUser, "Software"), (std::vector<std::string>{"E"}));
}

TEST_F(WineRegistryFiles, ClassesRootIsMachineSoftwareClasses) {
    auto reg = openPrefix(true);
    ASSERT_TRUE(reg);
    KeyHandle k = 0;
    EXPECT_EQ(reg->RegOpenKeyExA(RootKey::ClassesRoot, "", KeyAccess::Read, &k), RegStatus::FileNotFound);
    ASSERT_EQ(writeValue(*reg, RootKey::ClassesRoot, ".qmk", "", RegType::Sz, std::string("Quill\0", 6)), RegStatus::Success);
    RegType type = RegType::None;
    std::string data;
    ASSERT_EQ(readValue(*reg, RootKey::LocalMachine, "Software\\Classes\\.QMK", "", type, data), RegStatus::Success);
    EXPECT_EQ(data, std::string("Quill\0", 6));
    ASSERT_EQ(writeValue(*reg, RootKey::LocalMachine, "Software\\Classes\\CLSID", "x", RegType::Dword, std::string(4, '\0')),
              RegStatus::Success);
    EXPECT_EQ(subkeyNames(*reg, RootKey::ClassesRoot, ""), (std::vector<std::string>{".qmk", "CLSID"}));
    EXPECT_NE(readHostFile(dir / "system.reg").find("[Software\\\\Classes\\\\.qmk]"), std::string::npos);
    EXPECT_EQ(readHostFile(dir / "user.reg").find("Classes"), std::string::npos);
}

TEST_F(WineRegistryFiles, SavesKeepUntouchedKeysAndStampChangedOnes) {
    writeHostFile(dir / "user.reg", kUserReg);
    {
        auto reg = openPrefix();
        ASSERT_EQ(writeValue(*reg, RootKey::CurrentUser, "Software\\Order\\A", "new", RegType::Sz, std::string("n\0", 2)),
                  RegStatus::Success);
    }
    std::string after = userReg();
    std::string before = kUserReg;
    // Everything but the changed key's section is as it was.
    size_t at = before.find("[Software\\\\Order\\\\A] 1796701989\n#time=1dd86c7a3a67dc4\n@=\"\"\n");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(after.substr(0, at), before.substr(0, at));
    size_t next = before.find("\n[Software\\\\Order\\\\b\\\\deep]");
    EXPECT_EQ(after.substr(after.find("\n[Software\\\\Order\\\\b\\\\deep]")), before.substr(next));
    std::string section = after.substr(at, after.find("\n[Software\\\\Order\\\\b\\\\deep]") - at);
    EXPECT_EQ(section.find("1796701989"), std::string::npos) << section;
    EXPECT_EQ(section.find("1dd86c7a3a67dc4"), std::string::npos) << section;
    EXPECT_NE(section.find("\n#time=1"), std::string::npos) << section;
    EXPECT_NE(section.find("@=\"\"\n\"new\"=\"n\"\n"), std::string::npos) << section;
    long secs = std::stol(section.substr(section.find("] ") + 2));
    EXPECT_NEAR(secs, static_cast<long>(time(nullptr)), 5);
}

TEST_F(WineRegistryFiles, InterruptedSaveLeavesOldFileAndNoTempFile) {
    writeHostFile(dir / "user.reg", kUserReg);
    auto reg = openPrefix();
    std::string tempSeen;
    qm::platform::posix::beforeRenameHook() = ([&](const std::string& temp) {
        tempSeen = temp;
        return false;
    });
    KeyHandle k = 0;
    ASSERT_EQ(reg->RegOpenKeyExA(RootKey::CurrentUser, "Software\\Order", KeyAccess::Write, &k), RegStatus::Success);
    ASSERT_EQ(reg->RegDeleteValueA(k, "Num"), RegStatus::Success);
    EXPECT_NE(reg->RegCloseKey(k), RegStatus::Success);  // the save failed: not reported as done
    qm::platform::posix::beforeRenameHook() = nullptr;
    EXPECT_FALSE(tempSeen.empty());
    EXPECT_EQ(userReg(), kUserReg);
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        if (e.path().filename().string().rfind("user.reg", 0) == 0) files.push_back(e.path().filename());
    EXPECT_EQ(files, std::vector<std::string>{"user.reg"}) << "temporary file left behind";
    EXPECT_FALSE(reg->problem().empty());
    // The change is still pending and goes out with the next save.
    std::string error;
    ASSERT_TRUE(reg->flush(error)) << error;
    EXPECT_EQ(userReg().find("\"Num\""), std::string::npos);
    EXPECT_TRUE(reg->problem().empty());
}

TEST_F(WineRegistryFiles, RereadsAFileRewrittenSinceItWasLoaded) {
    writeHostFile(dir / "user.reg", kUserReg);
    auto reg = openPrefix();
    KeyHandle k = 0;
    ASSERT_EQ(reg->RegOpenKeyExA(RootKey::CurrentUser, "Software\\Order", KeyAccess::AllAccess, &k), RegStatus::Success);
    // A Wine program of the prefix ran and saved its own change.
    std::string t = kUserReg;
    t.insert(t.find("\"_v\""), "\"ByWine\"=\"w\"\n");
    writeHostFile(dir / "user.reg.new", t);
    std::filesystem::rename(dir / "user.reg.new", dir / "user.reg");
    std::uint32_t dw = 7;
    ASSERT_EQ(reg->RegSetValueExA(k, "Ours", RegType::Dword, reinterpret_cast<std::uint8_t*>(&dw), 4), RegStatus::Success);
    ASSERT_EQ(reg->RegCloseKey(k), RegStatus::Success);
    EXPECT_NE(userReg().find("\"ByWine\"=\"w\""), std::string::npos);
    EXPECT_NE(userReg().find("\"Ours\"=dword:00000007"), std::string::npos);
}


TEST_F(WineRegistryFiles, ARunningServerBlocksWritesAndTheLockIsOursWhileWeSave) {
    writeHostFile(dir / "user.reg", kUserReg);
    writeHostFile(dir / "wineserver", "qmtest-" + std::to_string(getpid()) + "-" + std::filesystem::path(dir.path()).filename().string());
    WineServerGuard guard(dir.path());
    std::string lockPath = guard.lockPaths().front();
    auto cleanup = [&] { std::filesystem::remove_all(std::filesystem::path(lockPath).parent_path().parent_path()); };
    {
        auto reg = openPrefix();
        ASSERT_TRUE(reg);
        EXPECT_EQ(reg->problem(), "");
        {
            qm::test::ServerLockHolder server(lockPath);
            std::string problem = reg->problem();
            EXPECT_NE(problem.find(dir.path()), std::string::npos) << problem;
            EXPECT_NE(problem.find("wineserver -k"), std::string::npos) << problem;
            EXPECT_NE(problem.find(std::to_string(server.pid())), std::string::npos) << problem;
            KeyHandle k = 0;
            EXPECT_EQ(reg->RegCreateKeyA(RootKey::CurrentUser, "Software\\New", &k), RegStatus::AccessDenied);
            EXPECT_EQ(writeValue(*reg, RootKey::CurrentUser, "Software\\Order", "x", RegType::Sz, ""), RegStatus::AccessDenied);
            EXPECT_EQ(reg->RegDeleteValueA(RootKey::CurrentUser, "x"), RegStatus::AccessDenied);
            ASSERT_EQ(reg->RegOpenKeyExA(RootKey::CurrentUser, "Software\\Order", KeyAccess::Write, &k), RegStatus::Success);
            EXPECT_EQ(reg->RegDeleteValueA(k, "Num"), RegStatus::AccessDenied);
            EXPECT_EQ(reg->RegDeleteKeyA(k, "A"), RegStatus::AccessDenied);
            EXPECT_EQ(reg->RegCloseKey(k), RegStatus::Success);
            // Reading goes on.
            RegType type;
            std::string data;
            EXPECT_EQ(readValue(*reg, RootKey::CurrentUser, "Software\\Order", "Num", type, data), RegStatus::Success);
            EXPECT_EQ(userReg(), kUserReg);
        }
        EXPECT_EQ(reg->problem(), "");
        // While a change waits to be saved we hold the lock: no server starts.
        KeyHandle k = 0;
        ASSERT_EQ(reg->RegCreateKeyA(RootKey::CurrentUser, "Software\\New", &k), RegStatus::Success);
        {
            int fd = open(lockPath.c_str(), O_RDWR);
            ASSERT_GE(fd, 0);
            struct flock fl {};
            fl.l_type = F_WRLCK;
            fl.l_whence = SEEK_SET;
            EXPECT_EQ(fcntl(fd, F_OFD_GETLK, &fl), 0);
            EXPECT_EQ(fl.l_type, F_WRLCK);
            close(fd);
        }
        // A second registry of this process on the same prefix is not blocked by us.
        std::string error;
        auto second = WineRegistry::open(dir.path(), false, testCodePage(), error);
        ASSERT_TRUE(second) << error;
        EXPECT_EQ(second->problem(), "");
        EXPECT_EQ(reg->RegCloseKey(k), RegStatus::Success);
        EXPECT_NE(userReg().find("[Software\\\\New]"), std::string::npos);
        // After the save the lock is free again.
        qm::test::ServerLockHolder server(lockPath);
        EXPECT_FALSE(reg->problem().empty());
    }
    cleanup();
}

// Another local user may make /tmp/.wine-<uid>/server-.../lock and hold it:
// Wine uses a server folder only when it is its user's own and no one else
// may enter it, and so does the registry. Such a lock neither refuses writes
// nor makes a backup warn; a notice says it was ignored.
TEST_F(WineRegistryFiles, ALockInAFolderAnotherUserCouldPlaceIsIgnoredWithANotice) {
    writeHostFile(dir / "user.reg", kUserReg);
    writeHostFile(dir / "wineserver", "qmtest-" + std::to_string(getpid()) + "-trust-" +
                                          std::filesystem::path(dir.path()).filename().string());
    WineServerGuard guard(dir.path());
    const std::string lockPath = guard.lockPaths().front();
    const std::filesystem::path serverDir = std::filesystem::path(lockPath).parent_path();
    const std::filesystem::path nameDir = serverDir.parent_path();
    struct Planting {
        std::string how, said;
        std::function<void()> plant;
    };
    std::vector<Planting> plantings = {
        {"open to others", "may be entered by other users",
         [&] {
             std::filesystem::permissions(serverDir,
                                          std::filesystem::perms::owner_all | std::filesystem::perms::others_all);
         }},
    };
    if (geteuid() == 0)
        plantings.push_back({"another user's", "is owned by nobody, not by you",
                             [&] { ASSERT_EQ(chown(nameDir.c_str(), 65534, 65534), 0); }});
    for (const auto& planting : plantings) {
        {
            qm::test::ServerLockHolder server(lockPath);
            planting.plant();
            auto reg = openPrefix();
            ASSERT_TRUE(reg);
            EXPECT_EQ(reg->problem(), "") << planting.how;
            EXPECT_EQ(reg->liveWarning(), "") << planting.how;
            const auto notices = reg->takeNotices();
            ASSERT_EQ(notices.size(), 1u) << planting.how;
            EXPECT_NE(notices[0].find("was ignored: " + nameDir.string()), std::string::npos) << notices[0];
            EXPECT_NE(notices[0].find(planting.said), std::string::npos) << notices[0];
            EXPECT_EQ(reg->takeNotices(), std::vector<std::string>{});  // told once
            KeyHandle k = 0;
            ASSERT_EQ(reg->RegCreateKeyA(RootKey::CurrentUser, "Software\\Planted", &k), RegStatus::Success);
            EXPECT_EQ(reg->RegCloseKey(k), RegStatus::Success);
            std::string error;
            EXPECT_TRUE(reg->flush(error)) << error;
            EXPECT_NE(userReg().find("[Software\\\\Planted]"), std::string::npos) << planting.how;
            // Nothing of ours was made in the planted folder.
            std::vector<std::string> inside;
            for (const auto& e : std::filesystem::directory_iterator(serverDir))
                inside.push_back(e.path().filename().string());
            EXPECT_EQ(inside, std::vector<std::string>{"lock"});
        }
        std::filesystem::remove_all(nameDir);
        writeHostFile(dir / "user.reg", kUserReg);
    }
}

}  // namespace
