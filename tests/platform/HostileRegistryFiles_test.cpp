// Registry files of a damaged or hostile prefix: only regular files of a
// sane size are read, nothing blocks, keys in any order and at any depth
// are read in time linear in the file and written back in Wine's order.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "platform/wine/RegFile.h"
#include "platform/wine/RegServerLock.h"
#include "platform/wine/WineRegistry.h"
#include "support/TempDir.h"

using namespace qm::platform;
using namespace qm::platform::wine;
using qm::test::readHostFile;
using qm::test::testCodePage;
using qm::test::TempDir;
using qm::test::writeHostFile;

namespace {

const char* const kEmptyUser = "WINE REGISTRY Version 2\n\n[Software] 1\n";

// Runs `body` in a child that is stopped after `seconds`: a call that would
// block for ever fails the test instead of hanging the suite.
int inChild(const std::function<int()>& body, unsigned seconds = 20) {
    const pid_t child = fork();
    if (child == 0) {
        alarm(seconds);
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

class HostileRegistryFiles : public ::testing::Test {
protected:
    void TearDown() override {
        for (const auto& lock : WineServerGuard(dir.path()).lockPaths()) {
            std::error_code ec;
            auto server = std::filesystem::path(lock).parent_path();
            std::filesystem::remove_all(server, ec);
            std::filesystem::remove(server.parent_path(), ec);
        }
    }
    // The error of opening the prefix, "" when it opens.
    std::string openError() {
        std::string error;
        auto reg = WineRegistry::open(dir.path(), false, testCodePage(), error);
        return reg ? std::string() : error;
    }
    TempDir dir;
};

TEST_F(HostileRegistryFiles, OnlyRegularFilesOfASaneSizeAreRead) {
    writeHostFile(dir / "user.reg", kEmptyUser);
    const std::string system = dir / "system.reg";
    // Each is refused at once, naming the file, and the prefix is left as it is.
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { ASSERT_EQ(mkfifo(system.c_str(), 0644), 0); }, "not a regular file"},
        {[&] { std::filesystem::create_symlink("/dev/zero", system); }, "not a regular file"},
        {[&] { std::filesystem::create_directory(system); }, "not a regular file"},
        // Sparse: the size alone refuses it, before a byte is read.
        {[&] {
             writeHostFile(system, "WINE REGISTRY Version 2\n");
             ASSERT_EQ(truncate(system.c_str(), (256ll << 20) + 1), 0);
         },
         "too large"},
    };
    for (const auto& [make, expected] : cases) {
        const std::string why = expected;
        std::filesystem::remove_all(system);
        make();
        const int rc = inChild([&] {
            const std::string error = openError();
            return error.find(system) != std::string::npos && error.find(why) != std::string::npos ? 0 : 1;
        });
        EXPECT_EQ(rc, 0) << why << (rc == 128 + SIGALRM ? ": the opening blocked" : "");
    }
    std::filesystem::remove_all(system);
    EXPECT_EQ(openError(), "");
    EXPECT_EQ(readHostFile(dir / "user.reg"), kEmptyUser);
}

TEST_F(HostileRegistryFiles, AServerNameThatIsNoFileDoesNotBlockAWrite) {
    writeHostFile(dir / "user.reg", kEmptyUser);
    ASSERT_EQ(mkfifo((dir / "wineserver").c_str(), 0644), 0);
    const int rc = inChild([&] {
        std::string error;
        auto reg = WineRegistry::open(dir.path(), false, testCodePage(), error);
        if (!reg) return 2;
        KeyHandle key = 0;
        if (reg->RegCreateKeyA(RootKey::CurrentUser, "Software\\New", &key) != RegStatus::Success) return 3;
        reg->RegCloseKey(key);
        return reg->flush(error) ? 0 : 4;
    });
    EXPECT_EQ(rc, 0) << (rc == 128 + SIGALRM ? "blocked on the FIFO" : "");
    EXPECT_NE(readHostFile(dir / "user.reg").find("[Software\\\\New]"), std::string::npos);
}

TEST_F(HostileRegistryFiles, KeysInAnyOrderComeOutInWinesOrder) {
    // Reverse order, a key named twice in other case, a value set twice.
    std::string text = "WINE REGISTRY Version 2\n";
    for (int i = 3000; i > 0; --i) text += "\n[Software\\\\K" + std::to_string(100000 + i) + "] 1\n\"v\"=dword:00000001\n";
    text += "\n[SOFTWARE\\\\k100001] 2\n\"V\"=dword:00000002\n\"a\"=\"x\"\n";
    RegHive hive;
    std::string error;
    ASSERT_TRUE(RegHive::parse(text, "user.reg", hive, error)) << error;
    RegKey* software = hive.root->findSubkey(u"Software");
    ASSERT_TRUE(software);
    ASSERT_EQ(software->subkeys.size(), 3000u);
    EXPECT_EQ(software->subkeys.front()->name, u"K100001");
    EXPECT_EQ(software->subkeys.back()->name, u"K103000");
    const RegKey* first = software->subkeys.front().get();
    ASSERT_EQ(first->values.size(), 2u);
    EXPECT_EQ(first->values[0].name, u"a");
    EXPECT_EQ(first->values[1].name, u"v");  // the case first written
    EXPECT_EQ(first->values[1].data, std::string("\x02\0\0\0", 4));
    // Written back sorted, and read again to the same text.
    const std::string out = hive.serialize();
    EXPECT_LT(out.find("[Software\\\\K100001]"), out.find("[Software\\\\K100002]"));
    RegHive again;
    ASSERT_TRUE(RegHive::parse(out, "user.reg", again, error)) << error;
    EXPECT_EQ(again.serialize(), out);
}

// Found by fuzzing: a line kept as it stands lost one carriage return of
// several on every save.
TEST_F(HostileRegistryFiles, CarriageReturnsEndingLinesAreDroppedOnce) {
    const std::string text = "WINE REGISTRY Version 2\r\n;; All keys\r\r\r\n\r\n[Software] 1\r\r\n#x\r\r";
    RegHive hive;
    std::string error;
    ASSERT_TRUE(RegHive::parse(text, "user.reg", hive, error)) << error;
    const std::string out = hive.serialize();
    EXPECT_EQ(out.find('\r'), std::string::npos) << out;
    RegHive again;
    ASSERT_TRUE(RegHive::parse(out, "user.reg", again, error)) << error;
    EXPECT_EQ(again.serialize(), out);
}

TEST_F(HostileRegistryFiles, AKeyNestedFarDeeperThanWindowsGoesIsReadWrittenAndFreed) {
    std::string path = "Software";
    for (int i = 0; i < 300000; ++i) path += "\\\\a";
    writeHostFile(dir / "user.reg", "WINE REGISTRY Version 2\n\n[" + path + "] 1\n\"v\"=dword:00000001\n");
    std::string error;
    {
        auto reg = WineRegistry::open(dir.path(), false, testCodePage(), error);
        ASSERT_TRUE(reg) << error;
        KeyHandle key = 0;
        ASSERT_EQ(reg->RegCreateKeyA(RootKey::CurrentUser, "Software\\Other", &key), RegStatus::Success);
        reg->RegCloseKey(key);
        ASSERT_TRUE(reg->flush(error)) << error;
    }
    const std::string saved = readHostFile(dir / "user.reg");
    EXPECT_NE(saved.find("[" + path + "]"), std::string::npos);
    EXPECT_NE(saved.find("[Software\\\\Other]"), std::string::npos);
}

}  // namespace
