// The live Windows registry cannot hold a restore's changes: the trees it
// may change are copied first, and a rollback, or the next run after a
// killed one, puts them back.
#include "app/RestoreTransaction.h"
#include "app/Session.h"
#include "base/WinPath.h"
#include "win32/Win32Fixture.h"

namespace qm::test {
namespace {

const std::string kKey = "HKEY_CURRENT_USER\\Software\\Quillmark Tests\\Restore";

class RestoreCopies : public Win32Test {
protected:
    void SetUp() override {
        Win32Test::SetUp();
        session = std::make_unique<app::Session>(platform);
        ASSERT_TRUE(session->hasWorkFolder());
        auto& reg = session->reg;
        reg.DeleteKeyTree(kKey);
        ASSERT_TRUE(reg.SetStringValue(kKey + "\\Kept", "Value", "before"));
        ASSERT_TRUE(reg.SetStringValue(kKey, "Top", "before"));
    }
    void TearDown() override {
        if (session) session->reg.DeleteKeyTree(kKey);
        session.reset();
    }
    std::string tree() {
        auto& reg = session->reg;
        return reg.GetStringValue(kKey, "Top") + "|" + reg.GetStringValue(kKey + "\\Kept", "Value") + "|" +
               (reg.KeyExists(kKey + "\\New") ? "new" : "-") + "|" +
               (reg.KeyExists(kKey + "\\Absent") ? "absent here" : "-");
    }
    void change() {
        auto& reg = session->reg;
        ASSERT_TRUE(reg.SetStringValue(kKey, "Top", "after"));
        ASSERT_TRUE(reg.DeleteKeyTree(kKey + "\\Kept"));
        ASSERT_TRUE(reg.SetStringValue(kKey + "\\New", "Value", "after"));
        ASSERT_TRUE(reg.SetStringValue(kKey + "\\Absent", "Value", "after"));
    }

    std::unique_ptr<app::Session> session;
};

TEST_F(RestoreCopies, ARollbackPutsTheTreesBack) {
    const std::string before = tree();
    app::RestoreTransaction transaction(*session);
    std::string why;
    ASSERT_TRUE(transaction.begin({kKey, kKey + "\\Absent"}, why)) << why;
    change();
    EXPECT_NE(tree(), before);
    transaction.abort("stopped by the test");
    EXPECT_FALSE(transaction.commit(why));
    EXPECT_EQ(why, "stopped by the test");
    EXPECT_EQ(tree(), before);
}

TEST_F(RestoreCopies, TheNextRunUndoesAKilledRestore) {
    const std::string before = tree();
    // A run that got as far as its changes and was then killed: its work
    // folder, unclaimed, holds the journal and the copies. (The run here
    // is not killed: what it leaves is copied into such a folder.)
    std::string left;
    {
        app::Session killed(platform);
        static app::RestoreTransaction* transaction = nullptr;  // never ended, as if killed
        transaction = new app::RestoreTransaction(killed);
        std::string why;
        ASSERT_TRUE(transaction->begin({kKey, kKey + "\\Absent"}, why)) << why;
        auto& reg = killed.reg;
        ASSERT_TRUE(reg.SetStringValue(kKey, "Top", "after"));
        ASSERT_TRUE(reg.DeleteKeyTree(kKey + "\\Kept"));
        ASSERT_TRUE(reg.SetStringValue(kKey + "\\Absent", "Value", "after"));
        const std::string work = killed.state.WorkFolder;
        left = base::joinPath(base::parentFolder(work, killed.leads()), "run-killed-by-the-test", killed.leads());
        ASSERT_TRUE(killed.files.createFolder(left));
        std::vector<std::string> names;
        ASSERT_TRUE(killed.files.listFiles(work, names));
        ASSERT_FALSE(names.empty());
        for (const auto& name : names) {
            std::string bytes;
            ASSERT_TRUE(killed.files.readFile(base::joinPath(work, name, killed.leads()), bytes));
            ASSERT_TRUE(killed.files.writeFile(base::joinPath(left, name, killed.leads()), bytes));
        }
    }
    EXPECT_NE(tree(), before);
    // The next run of any kind finds it.
    app::Session next(platform);
    EXPECT_EQ(tree(), before);
    EXPECT_FALSE(next.files.folderExists(left));
}

}  // namespace
}  // namespace qm::test
