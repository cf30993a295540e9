// One file reached by two names (a user's "Application Data" links to
// AppData\Roaming): a restore that stages it under both commits as if it
// had been staged once, the later step standing.
#include "app/RestoreTransaction.h"

#include "app/AppFixture.h"

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

}  // namespace
}  // namespace qm::test
