// What a new file beside its target may replace, with which rights and
// under which name, and which links a prefix's files are reached through:
// the rules a backup's archive and a restore's files are written by.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "platform/ReplacementNames.h"
#include "platform/posix/HostFile.h"
#include "platform/wine/WineFileSystem.h"
#include "support/MiniPrefix.h"
#include "support/TempDir.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;
using namespace qm::platform;
using platform::wine::WineFileSystem;
using platform::wine::WinePrefix;

constexpr uid_t kNobody = 65534;

class ReplacementTargets : public ::testing::Test {
protected:
    void SetUp() override {
        prefix = dir / "prefix";
        ASSERT_TRUE(MiniPrefix::make(prefix, "tester", false));
        files = std::make_unique<WineFileSystem>(WinePrefix(prefix), codePage);
        c = prefix + "/drive_c";
    }
    // Writes `bytes` through a replacement of the Windows path; the reason
    // when it is refused, "" when it took.
    std::string replace(const std::string& path, const std::string& bytes = "new") {
        std::string error;
        auto part = files->createReplacement(path, error);
        if (!part) return error.empty() ? "refused without a reason" : error;
        if (!part->write(bytes.data(), bytes.size()) || !part->commit()) return "commit: " + part->error();
        return {};
    }
    static unsigned modeOf(const std::string& host) {
        struct stat st {};
        return ::lstat(host.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
    }
    static std::vector<std::string> names(const std::string& folder) {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    TempDir dir;
    std::string prefix, c;
    CodePage codePage;
    std::unique_ptr<WineFileSystem> files;
};

TEST_F(ReplacementTargets, NothingButARegularFileIsReplaced) {
    const std::string t = dir / "targets";
    fs::create_directories(t + "/folder.qmk");
    ASSERT_EQ(mkfifo((t + "/fifo.qmk").c_str(), 0600), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = t + "/socket.qmk";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    writeHostFile(t + "/real.qmk", "old");
    fs::create_symlink(t + "/real.qmk", t + "/link.qmk");
    fs::create_symlink("/dev/null", t + "/null.qmk");
    struct Case {
        std::string name, kind;
    };
    for (const Case& k : {Case{"folder.qmk", "a folder"}, Case{"fifo.qmk", "a FIFO"}, Case{"socket.qmk", "a socket"},
                          Case{"link.qmk", "a symbolic link"}, Case{"null.qmk", "a symbolic link"}}) {
        const std::string why = replace(files->fromUserPath(t + "/" + k.name));
        EXPECT_NE(why.find(k.kind + ", not a regular file: it is not replaced"), std::string::npos) << why;
    }
    // The system's /dev/null is never replaced, not even by root.
    const struct stat before = [] {
        struct stat st {};
        ::lstat("/dev/null", &st);
        return st;
    }();
    EXPECT_NE(replace("Z:\\dev\\null").find("a character device"), std::string::npos);
    struct stat after {};
    ASSERT_EQ(::lstat("/dev/null", &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(readHostFile(t + "/real.qmk"), "old");
    EXPECT_EQ(names(t),
              (std::vector<std::string>{"fifo.qmk", "folder.qmk", "link.qmk", "null.qmk", "real.qmk", "socket.qmk"}));
    ::close(sock);
}

TEST_F(ReplacementTargets, ANewFileIsTheOwnersAloneAReplacedOneKeepsNoMoreThanTheOwnersRights) {
    const std::string t = dir / "modes";
    fs::create_directories(t);
    // New: 0600 whatever the umask.
    const mode_t old = ::umask(0);
    EXPECT_EQ(replace(files->fromUserPath(t + "/new.qmk")), "");
    ::umask(old);
    EXPECT_EQ(modeOf(t + "/new.qmk"), 0600u);
    struct Case {
        unsigned before, after;
    };
    for (const Case& k : {Case{0600, 0600}, Case{0640, 0640}, Case{0644, 0644}, Case{0666, 0666}, Case{0460, 0440},
                          Case{0246, 0202}, Case{0606, 0606}, Case{04755, 0755}}) {
        writeHostFile(t + "/kept.qmk", "old");
        ASSERT_EQ(::chmod((t + "/kept.qmk").c_str(), k.before), 0);
        EXPECT_EQ(replace(files->fromUserPath(t + "/kept.qmk")), "");
        EXPECT_EQ(modeOf(t + "/kept.qmk"), k.after) << std::oct << k.before;
        EXPECT_EQ(readHostFile(t + "/kept.qmk"), "new");
    }
    // The group's rights stay with the group they were given to.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown((t + "/kept.qmk").c_str(), static_cast<uid_t>(-1), kNobody), 0);
        ASSERT_EQ(::chmod((t + "/kept.qmk").c_str(), 0640), 0);
        EXPECT_EQ(replace(files->fromUserPath(t + "/kept.qmk")), "");
        struct stat st {};
        ASSERT_EQ(::stat((t + "/kept.qmk").c_str(), &st), 0);
        EXPECT_EQ(st.st_gid, kNobody);
        EXPECT_EQ(st.st_mode & 0777, 0640u);
    }
}

TEST_F(ReplacementTargets, AnotherUsersFileIsNeverReplaced) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to plant another user's file";
    const std::string t = dir / "planted";
    fs::create_directories(t);
    fs::permissions(t, fs::perms::all);
    writeHostFile(t + "/b.qmk", "planted");
    ASSERT_EQ(::chmod((t + "/b.qmk").c_str(), 0666), 0);
    ASSERT_EQ(::chown((t + "/b.qmk").c_str(), kNobody, kNobody), 0);
    const std::string why = replace(files->fromUserPath(t + "/b.qmk"));
    EXPECT_NE(why.find("belongs to another user: it is not replaced"), std::string::npos) << why;
    EXPECT_EQ(readHostFile(t + "/b.qmk"), "planted");
    struct stat st {};
    ASSERT_EQ(::stat((t + "/b.qmk").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(names(t), std::vector<std::string>{"b.qmk"});
}

TEST_F(ReplacementTargets, ANameNearTheLimitIsReplacedAndItsLeftoversFound) {
    const std::string t = dir / "long";
    fs::create_directories(t);
    for (const std::size_t length : {240u, 245u, 250u, 255u}) {
        const std::string name = std::string(length - 4, 'n') + ".pst";
        const std::string target = files->fromUserPath(t + "/" + name);
        writeHostFile(t + "/" + name, "old");
        std::string error;
        auto part = files->createReplacement(target, error);
        ASSERT_TRUE(part) << length << ": " << error;
        for (const auto& n : names(t)) EXPECT_LE(n.size(), kMaxNameBytes) << n;
        // Held by this run: another run's clean-up leaves it.
        files->removeStaleReplacements(target);
        EXPECT_EQ(names(t).size(), 2u);
        ASSERT_TRUE(part->write("new", 3));
        ASSERT_TRUE(part->commit()) << part->error();
        EXPECT_EQ(readHostFile(t + "/" + name), "new");
        // What a killed run left beside it is found by the same start.
        writeHostFile(t + "/" + partNameStartUtf8(name, 6) + "Killed", "partial");
        EXPECT_EQ(names(t).size(), 2u);
        files->removeStaleReplacements(target);
        EXPECT_EQ(names(t), std::vector<std::string>{name});
        fs::remove(t + "/" + name);
    }
}

TEST_F(ReplacementTargets, NewFoldersAreTheOwnersAlone) {
    const mode_t old = ::umask(0);
    EXPECT_TRUE(files->createFolder("C:\\Restored"));
    ::umask(old);
    EXPECT_EQ(modeOf(c + "/Restored"), 0700u);
}

// Links another user made inside a prefix (here below a profile folder
// that user was given) must not make the program write or read for them.
TEST_F(ReplacementTargets, LinksAnotherUserMadeOutOfThePrefixAreNotFollowedForHim) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make another user's links";
    const std::string outside = dir / "outside";
    fs::create_directories(outside + "/private");
    fs::create_directories(outside + "/public");
    fs::permissions(outside, fs::perms::owner_all | fs::perms::others_exec | fs::perms::group_exec);
    fs::permissions(outside + "/private", fs::perms::owner_all);
    writeHostFile(outside + "/private/secret.txt", "root's only");
    ::chmod((outside + "/private/secret.txt").c_str(), 0600);
    writeHostFile(outside + "/public/notes.txt", "everyone's");
    ::chmod((outside + "/public/notes.txt").c_str(), 0644);
    const std::string home = c + "/users/tester";
    fs::create_directories(home + "/inside");
    writeHostFile(home + "/inside/own.txt", "own");
    struct Planted {
        std::string name, target;
    };
    for (const Planted& p : {Planted{"Secret", outside + "/private"}, Planted{"Public", outside + "/public"},
                             Planted{"Inside", "inside"}, Planted{"Mine", outside + "/private"}}) {
        fs::create_symlink(p.target, home + "/" + p.name);
        if (p.name != "Mine") {
            ASSERT_EQ(::lchown((home + "/" + p.name).c_str(), kNobody, kNobody), 0);
        }
    }
    const std::string user = "C:\\users\\tester\\";
    std::string bytes, error;
    // Reading: only what the link's maker could read himself.
    EXPECT_FALSE(files->readFile(user + "Secret\\secret.txt", bytes));
    EXPECT_FALSE(files->openRead(user + "Secret\\secret.txt", error));
    EXPECT_NE(error.find("which nobody may not read: it is not followed"), std::string::npos) << error;
    std::vector<std::string> listed;
    EXPECT_FALSE(files->listFiles(user + "Secret", listed));
    EXPECT_TRUE(files->readFile(user + "Public\\notes.txt", bytes));
    EXPECT_EQ(bytes, "everyone's");
    // Writing: never out of the prefix through another user's link.
    EXPECT_NE(replace(user + "Public\\notes.txt").find("outside the Wine prefix: it is not followed to write"),
              std::string::npos);
    EXPECT_FALSE(files->writeFile(user + "Public\\new.txt", "x"));
    EXPECT_FALSE(files->createFolder(user + "Public\\Made"));
    EXPECT_FALSE(files->deleteFile(user + "Public\\notes.txt"));
    EXPECT_EQ(readHostFile(outside + "/public/notes.txt"), "everyone's");
    EXPECT_EQ(names(outside + "/public"), std::vector<std::string>{"notes.txt"});
    // A link that stays in the prefix, and the user's own links, are followed.
    EXPECT_EQ(replace(user + "Inside\\own.txt"), "");
    EXPECT_EQ(readHostFile(home + "/inside/own.txt"), "new");
    EXPECT_TRUE(files->readFile(user + "Mine\\secret.txt", bytes));
    EXPECT_EQ(replace(user + "Mine\\made.txt"), "");
    EXPECT_EQ(readHostFile(outside + "/private/made.txt"), "new");

    // Into the running user's own home: written, as the user's own folder,
    // but never read for the one who made the link.
    const std::string ownHome = dir / "home";
    fs::create_directories(ownHome + "/private");
    writeHostFile(ownHome + "/private/key.txt", "mine alone");
    ::chmod((ownHome + "/private/key.txt").c_str(), 0600);
    fs::create_symlink(ownHome + "/private", home + "/Home");
    ASSERT_EQ(::lchown((home + "/Home").c_str(), kNobody, kNobody), 0);
    const char* savedHome = std::getenv("HOME");
    const std::string kept = savedHome ? savedHome : "";
    ::setenv("HOME", ownHome.c_str(), 1);
    EXPECT_FALSE(files->readFile(user + "Home\\key.txt", bytes));
    EXPECT_EQ(replace(user + "Home\\made.txt"), "");
    ::setenv("HOME", kept.c_str(), 1);
}

TEST(ReplacementNames, CutAtACharacterNeverInsideOne) {
    // Two-byte characters (é): never split.
    std::string name;
    for (int i = 0; i < 125; ++i) name += "\xC3\xA9";
    const std::string start = partNameStartUtf8(name, 6);
    EXPECT_LE(start.size() + 6, kMaxNameBytes);
    const std::string kept = start.substr(0, start.size() - std::strlen(kPartMarker));
    EXPECT_EQ(kept.size() % 2, 0u);
    EXPECT_EQ(partNameStartUtf8("short.qmk", 6), "short.qmk.qmpart-");
    base::LeadBytes leads;
    leads.add(0x82);
    std::string ansi(240, 'a');
    ansi += "\x82\xA0\x82\xA0";
    const std::string cut = partNameStart(ansi, 17, leads);
    EXPECT_EQ(cut, std::string(230, 'a') + kPartMarker);
}

}  // namespace
}  // namespace qm::test
