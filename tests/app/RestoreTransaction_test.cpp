// One file reached by two names (a user's "Application Data" links to
// AppData\Roaming): a restore that stages it under both commits as if it
// had been staged once, the later step standing.
#include "app/RestoreTransaction.h"

#include "app/AppFixture.h"
#include "base/WinPath.h"

namespace qm::test {
namespace {

class TransactionNames : public AppTest {
protected:
    const std::string roaming = std::string(kUserProfile) + "\\AppData\\Roaming\\Microsoft\\Outlook";
    const std::string linked = std::string(kUserProfile) + "\\Application Data\\Microsoft\\Outlook";

    app::RestoreTransaction& begin() {
        transaction = std::make_unique<app::RestoreTransaction>(open());
        std::string why;
        EXPECT_TRUE(transaction->begin({}, why)) << why;
        return *transaction;
    }
    void keep(const std::string& target, const std::string& bytes) {
        std::string why;
        auto file = platform.files->createReplacement(target, why);
        ASSERT_TRUE(file) << why;
        ASSERT_TRUE(file->write(bytes.data(), bytes.size()));
        ASSERT_TRUE(transaction->keep(std::move(file), target, why)) << why;
    }
    void removeAtCommit(const std::string& target) {
        std::string why;
        ASSERT_TRUE(transaction->removeAtCommit(target, why)) << why;
    }
    void commit() {
        std::string why;
        ASSERT_TRUE(transaction->commit(why)) << why;
    }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        platform.files->listFiles(roaming, names);
        return names;
    }
    std::string read(const std::string& path) const {
        std::string bytes;
        return platform.files->readFile(path, bytes) ? bytes : "(none)";
    }

    std::unique_ptr<app::RestoreTransaction> transaction;
};

TEST_F(TransactionNames, RemovedUnderOneNameThenRestoredUnderTheOther) {
    makeFile(roaming + "\\Outlook.FAV", "before");
    ASSERT_EQ(read(linked + "\\Outlook.FAV"), "before");
    begin();
    removeAtCommit(linked + "\\Outlook.FAV");
    keep(roaming + "\\Outlook.FAV", "restored");
    commit();
    EXPECT_EQ(read(roaming + "\\Outlook.FAV"), "restored");
    EXPECT_EQ(files(), std::vector<std::string>{"Outlook.FAV"});  // nothing kept aside
}

TEST_F(TransactionNames, RestoredUnderOneNameThenRemovedUnderTheOther) {
    makeFile(roaming + "\\Outlook.FAV", "before");
    begin();
    keep(roaming + "\\Outlook.FAV", "restored");
    removeAtCommit(linked + "\\outlook.fav");
    commit();
    EXPECT_EQ(files(), std::vector<std::string>{});
}

// Killed while a new file was written, before its name was noted: the next
// run still finds it beside its target and removes it.
TEST_F(TransactionNames, ANewFileAKilledRunWasWritingIsRemovedByTheNextRun) {
    makeFile(roaming + "\\Outlook.xml", "before");
    app::RestoreTransaction& killed = begin();
    killed.willStage(roaming + "\\Outlook.xml");
    std::string why;
    auto file = platform.files->createReplacement(roaming + "\\Outlook.xml", why);
    ASSERT_TRUE(file && file->write("half", 4)) << why;
    ASSERT_FALSE(file->keep().empty());  // as a killed run leaves it: held by no one
    ASSERT_EQ(files().size(), 2u);
    // Its work folder, as the killed run left it, in a folder no run holds.
    const auto& leads = base::singleByte();
    const std::string work = session->state.WorkFolder;
    const std::string left = base::joinPath(base::parentFolder(work, leads), "run-killed-by-the-test", leads);
    makeFolder(left);
    std::vector<std::string> names;
    ASSERT_TRUE(platform.files->listFiles(work, names));
    for (const auto& name : names) makeFile(base::joinPath(left, name, leads), read(base::joinPath(work, name, leads)));
    transaction.reset();
    session.reset();

    app::Session next(platform);
    EXPECT_EQ(files(), std::vector<std::string>{"Outlook.xml"});
    EXPECT_EQ(read(roaming + "\\Outlook.xml"), "before");
}

}  // namespace
}  // namespace qm::test
