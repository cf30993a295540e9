// The image held as libisofs nodes, seen through the disc window: paths of
// drops, the events that keep the tree's keys right, refusals, folders that
// would never end; and erasing a file drive.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "disc/ErasePresenter.h"
#include "disc/LinuxEngineFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> treeKeys(const FakeDiscWriteView& view) {
    std::vector<std::string> keys;
    for (const auto& [key, node] : view.tree) keys.push_back(key);
    return keys;
}

TEST_F(LinuxEngineTest, DropsRenamesAndRemovalsKeepTheTreeKeyed) {
    fs::create_directories(dir / "Data/Mail/Sub");
    makeSource("Data/Mail/Sub/deep.pst", 100);
    makeSource("Data/Mail/a.pst", 200);
    makeSource("Data/x.txt", 300);
    open();

    window->AddDroppedItems({true, {dir / "Data/Mail"}});  // nothing selected: the root
    view.selectedTree = "\\Mail";
    window->AddDroppedItems({true, {dir / "Data/x.txt"}});
    EXPECT_EQ(treeKeys(view), (std::vector<std::string>{"\\", "\\Mail", "\\Mail\\Sub"}));
    EXPECT_EQ(view.rowKeys(), (std::vector<std::string>{"\\Mail\\a.pst", "\\Mail\\x.txt"}));
    EXPECT_EQ(view.rows[0].size, "0.20 KB");
    EXPECT_EQ(view.rows[0].date, "02/03/2001 04:05:06 AM");

    // Renaming a folder re-keys everything inside it.
    window->TreeLabelEdited("\\Mail", "Post");
    EXPECT_EQ(treeKeys(view), (std::vector<std::string>{"\\", "\\Post", "\\Post\\Sub"}));
    view.selectedTree = "\\Post\\Sub";
    window->TreeNodeClicked("\\Post\\Sub");
    EXPECT_EQ(view.rowKeys(), (std::vector<std::string>{"\\Post\\Sub\\deep.pst"}));

    // Refusals: the root, a name taken, an empty name, a separator.
    view.messages.clear();
    view.selectedTree = "\\";
    window->RemoveFolderPressed();
    window->TreeLabelEdited("\\Post\\Sub", "");
    window->TreeLabelEdited("\\Post\\Sub", "a\\b");
    window->FileLabelEdited("\\Post\\a.pst", "x.txt");
    EXPECT_EQ(view.messageTexts(),
              (std::vector<std::string>{"Item could not be removed.", "Folder could not be renamed.",
                                        "Folder could not be renamed.", "File could not be renamed."}));
    window->FileLabelEdited("\\Post\\a.pst", "b.pst");
    view.selectedTree = "\\Post";
    window->TreeNodeClicked("\\Post");
    EXPECT_EQ(view.rowKeys(), (std::vector<std::string>{"\\Post\\b.pst", "\\Post\\x.txt"}));

    window->RemoveFolderPressed();
    EXPECT_EQ(treeKeys(view), std::vector<std::string>{"\\"});
    EXPECT_EQ(view.panels[2], "Files: 0");
    EXPECT_EQ(view.panels[3], "Folders: 0");
}

TEST_F(LinuxEngineTest, FoldersThatLinkBackAndSpecialFilesAreNotFollowed) {
    fs::create_directories(dir / "Loop/In");
    makeSource("Loop/In/a.pst", 10);
    fs::create_directory_symlink(dir / "Loop", dir / "Loop/In/back");
    ASSERT_EQ(mkfifo((dir / "Loop/pipe").c_str(), 0600), 0);
    open();
    window->AddDroppedItems({true, {dir / "Loop"}});
    EXPECT_EQ(view.panels[2], "Files: 1");
    EXPECT_EQ(view.panels[3], "Folders: 2");
}

TEST_F(LinuxEngineTest, AFileDriveIsErasedQuickly) {
    const std::string source = makeSource("a.qmk", 5000);
    open("a.qmk", source);
    write(disc::filesystem::Joliet, false);
    ASSERT_GT(fs::file_size(drivePath()), 0u);

    FakeEraseView eraseView;
    disc::ErasePresenter erase(eraseView);
    eraseView.onShow = [&] { erase.ErasePressed(); };
    int refusals = 0;
    eraseView.onYield = [&] { refusals += erase.QueryUnload() ? 0 : 1; };
    erase.ShowErase(*window->SelectedDevice(), *engine);
    EXPECT_EQ(eraseView.messageTexts(), std::vector<std::string>{"Erase Completed!!!"});
    EXPECT_EQ(eraseView.status, "Erase operation complete!!!");
    EXPECT_EQ(eraseView.closes, 1);
    EXPECT_GE(refusals, 1);
    EXPECT_EQ(fs::file_size(drivePath()), 0u);

    // The drive writes again after the erase.
    view.messages.clear();
    write(disc::filesystem::Joliet, true);
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"Write and Verify Complete!"});
}

}  // namespace
}  // namespace qm::test
