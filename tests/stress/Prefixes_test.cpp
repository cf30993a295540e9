// A prefix another user owns, and links another user planted inside one:
// the program must not work for that user with the rights of the one who
// runs it (root, here).
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "app/Environment.h"
#include "app/Startup.h"
#include "stress/StressFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

class Prefixes : public StressTest {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "needs root to play another user";
        StressTest::SetUp();
    }
};

// Wine refuses it ("'<prefix>' is not owned by you"), and so does the
// program, before anything is read or written.
TEST_F(Prefixes, AnotherUsersPrefixIsRefusedWithWinesReason) {
    const std::string file = backup("b.qmk", "00100000");
    const std::string earlier = readHostFile(file);
    const std::string before = registryFiles();
    const std::string prefix = alice->made.prefix;
    ASSERT_EQ(::chown(prefix.c_str(), kNobody, kNobody), 0);
    const std::string wine = "'" + prefix + "' is not owned by you";
    for (const std::string& form :
         {"--backup " + shq(file) + " --profile Outlook --items 00100000", shq("sf=Outlookxm=00100000ps=bf=" + file),
          "--restore " + shq(file) + " --profile Outlook --yes", "--list " + shq(file)}) {
        const Ran ran = run(form);
        EXPECT_EQ(ran.status, 1) << form << "\n" << ran.err;
        EXPECT_NE(ran.err.find(wine), std::string::npos) << ran.err;
        EXPECT_NE(ran.err.find("Wine refuses to run in a prefix another user owns"), std::string::npos) << ran.err;
    }
    EXPECT_EQ(readHostFile(file), earlier);
    EXPECT_EQ(registryFiles(), before);
    ASSERT_EQ(::chown(prefix.c_str(), 0, 0), 0);
}

// The profile folder given to another user (as an administrator may set a
// prefix up), who plants links in it to what only root may read or write.
TEST_F(Prefixes, LinksAnotherUserPlantedOutOfThePrefixAreNotFollowed) {
    app::Session s(alice->platform);
    ASSERT_TRUE(app::LoadEnvironment(s));
    const std::string signatures = hostOf(*alice, app::SignaturesFolderFor(s.state, s.reg));
    const std::string file = backup("b.qmk", "00110000");
    const std::string secret = dir / "root-only";
    fs::create_directories(secret);
    fs::permissions(secret, fs::perms::owner_all);
    writeHostFile(secret + "/secret.htm", "root's own");
    ::chmod((secret + "/secret.htm").c_str(), 0600);
    const std::string outside = dir / "outside";
    fs::create_directories(outside);
    fs::remove_all(signatures);
    fs::create_symlink(secret, signatures);
    ASSERT_EQ(::lchown(signatures.c_str(), kNobody, kNobody), 0);

    // A backup does not read for that user what only root may read.
    const std::string taken = out + "/taken.qmk";
    Ran ran = run("--backup " + shq(taken) + " --profile Outlook --items 00110000");
    EXPECT_EQ(ran.status, 3) << ran.err;
    EXPECT_NE(ran.err.find("failed: the signatures could not be backed up: "), std::string::npos) << ran.err;
    EXPECT_NE(ran.err.find("the folder C:\\users\\alice\\AppData\\Roaming\\Microsoft\\Signatures cannot be read"),
              std::string::npos)
        << ran.err;
    if (fs::exists(taken)) {
        const auto entries = sevenZipEntries(taken);
        EXPECT_EQ(std::count(entries.begin(), entries.end(), "secret.htm"), 0);
    }

    // A restore does not write for that user where root alone may.
    fs::remove(signatures);
    fs::create_symlink(outside, signatures);
    ASSERT_EQ(::lchown(signatures.c_str(), kNobody, kNobody), 0);
    // (Found while the restore checks its targets: nothing changes.)
    ran = run("--restore " + shq(file) + " --profile Outlook --items 00110000 --yes");
    EXPECT_EQ(ran.status, 1) << ran.err;
    EXPECT_NE(ran.err.find("nothing was restored: "), std::string::npos) << ran.err;
    EXPECT_NE(ran.err.find("is a link nobody made to " + outside + ", outside the Wine prefix"), std::string::npos)
        << ran.err;
    EXPECT_EQ(hostFiles(outside), std::vector<std::string>{});
}

}  // namespace
}  // namespace qm::test
