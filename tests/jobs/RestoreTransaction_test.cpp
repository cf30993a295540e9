// The restore's transaction over an installation held in memory: what
// cannot be restored whole changes nothing (the registry's held changes
// dropped, the new files removed), and one run at a time.
#include "jobs/RestoreJob.h"

#include "jobs/ItemsFixture.h"
#include "jobs/RestoreRequest.h"
#include "platform/memory/MemoryPlatform.h"

namespace qm::test {

// Every key and value of both hives, as text (support/SampleFixture).
std::string registryText(platform::Registry& registry);

namespace {

class Transaction : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(a.ok()) << a.error;
        ASSERT_EQ(a.backupAll("Outlook", archive), "1111110111");
        ASSERT_TRUE(a.openBackup(archive));
        request.items = items::selectionFromDigits("11111111");
        request.targetProfile = [] { return std::string("Work"); };
    }
    jobs::RestoreReport restore() {
        jobs::JobEvents quiet;
        return jobs::RunRestoreJob(a.s(), a.openedBackup(), request, quiet);
    }
    // Every key and value, and every file, as text.
    std::string state() {
        std::string text = registryText(*a.platform.registry);
        for (const auto& path : a.mem.files->allPaths())
            if (a.mem.files->fileExists(path)) text += path + "=" + a.readFile(path) + "\n";
        return text;
    }

    Installation a{sampleOptions("alice", "14.0", "Work")};
    std::string archive = a.dir / "a.qmk";
    jobs::RestoreRequest request;
};

TEST_F(Transaction, AFolderThatRefusesTheDataFilesLeavesTheProfileAsItWas) {
    // The profile tree is restored first, then the data files cannot be
    // written: the tree's changes go with them.
    const std::string before = state();
    // The data folder by either of its names (Local Settings is a link).
    a.mem.files->refuseWrite = [](const std::string& path) {
        return path.find("Local\\Microsoft\\Outlook\\") != std::string::npos ||
               path.find("Application Data\\Microsoft\\Outlook\\") != std::string::npos;
    };
    const jobs::RestoreReport report = restore();
    a.mem.files->refuseWrite = nullptr;
    EXPECT_NE(report.failure.find("write beside"), std::string::npos) << report.failure;
    for (const auto& part : report.parts) EXPECT_FALSE(part.ok);
    EXPECT_TRUE(state() == before) << "the profile or its files changed";

    // Nothing in the way: the same restore goes through whole.
    const jobs::RestoreReport done = restore();
    EXPECT_TRUE(done.failure.empty()) << done.failure;
    EXPECT_FALSE(state() == before);
}

TEST_F(Transaction, OneRunAtATime) {
    std::string why;
    const auto held = a.s().system.lockInstallation(why);
    ASSERT_TRUE(held);
    const std::string before = state();
    const jobs::RestoreReport report = restore();
    EXPECT_NE(report.failure.find("another run of this program is working"), std::string::npos) << report.failure;
    EXPECT_TRUE(state() == before) << "the profile or its files changed";
}

}  // namespace
}  // namespace qm::test
