#pragma once
// Recording stand-ins for the disc window and the erase window. Message
// boxes answer from a queue (OK when it runs dry); `onYield` lets a test act
// while the logic waits, as a user would.
#include <array>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "disc/DiscWriteView.h"
#include "disc/EraseView.h"

namespace qm::test {

struct DiscMessage {
    std::string text;
    app::Icon icon = app::Icon::None;
    app::Buttons buttons = app::Buttons::Ok;
    std::string title;  // set for questions only
};

struct TreeNode {
    std::string parent;
    std::string text;
    std::string icon;
    std::string selectedIcon;
    bool expanded = false;
};

struct ListEntry {
    std::string text;
    int data = 0;
};

class FakeDiscWriteView : public disc::DiscWriteView {
public:
    std::vector<DiscMessage> messages;
    std::deque<app::Answer> answers;
    std::string caption;
    bool hourglass = false;
    int yields = 0;
    std::function<void()> onYield;
    int closes = 0;
    int endApplications = 0;
    std::map<disc::Control, bool> enabled;
    std::map<disc::CheckBox, bool> checked;
    std::map<disc::ComboBox, std::vector<ListEntry>> lists;
    std::map<disc::ComboBox, int> selected;
    std::string label;
    int labelMaxLength = 0;
    std::array<std::string, 4> panels{};  // 1..3
    std::vector<std::string> statusHistory;  // panel 1
    int progress = 0;
    std::vector<int> progressHistory;
    std::map<std::string, TreeNode> tree;
    std::string selectedTree;
    std::vector<disc::FileRow> rows;
    std::string selectedFile;
    std::vector<std::string> treeEdits;
    std::vector<std::string> fileEdits;
    std::array<bool, disc::kFileMenuEntries> menuVisible{true, true, true, true, true, true, true, true};
    std::vector<std::array<bool, disc::kFileMenuEntries>> popups;  // visibility while each pop-up showed
    std::vector<std::string> eraseWindows;  // device names

    std::vector<std::string> messageTexts() const;
    std::vector<std::string> rowKeys() const;

    app::Answer showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) override;
    void setCaption(const std::string& text) override { caption = text; }
    void setHourglass(bool on) override { hourglass = on; }
    void yield() override;
    void closeWindow() override { ++closes; }
    void endApplication() override { ++endApplications; }
    void setEnabled(disc::Control control, bool on) override { enabled[control] = on; }
    app::Answer askQuestion(const std::string& title, const std::string& text) override;
    bool isChecked(disc::CheckBox box) const override;
    void setChecked(disc::CheckBox box, bool on) override { checked[box] = on; }
    void clearList(disc::ComboBox list) override;
    void addListEntry(disc::ComboBox list, const std::string& text, int itemData) override;
    int listCount(disc::ComboBox list) const override;
    void selectListEntry(disc::ComboBox list, int index) override { selected[list] = index; }
    int selectedListEntry(disc::ComboBox list) const override;
    int listItemData(disc::ComboBox list, int index) const override;
    std::string volumeLabel() const override { return label; }
    void setVolumeLabel(const std::string& text) override { label = text; }
    void setVolumeLabelMaxLength(int characters) override { labelMaxLength = characters; }
    void setStatusPanel(int panel, const std::string& text) override;
    void setProgress(int percent) override;
    void clearTree() override { tree.clear(); }
    void addTreeNode(const std::string& parentKey, const std::string& key, const std::string& text,
                     const std::string& icon, const std::string& selectedIcon) override;
    void removeTreeNode(const std::string& key) override;
    void setTreeNodeText(const std::string& key, const std::string& text) override;
    void setTreeNodeKey(const std::string& key, const std::string& newKey) override;
    void expandTreeNode(const std::string& key) override;
    std::string selectedTreeKey() const override { return selectedTree; }
    void editTreeNodeLabel(const std::string& key) override { treeEdits.push_back(key); }
    void clearFileList() override { rows.clear(); }
    void addFileRow(const disc::FileRow& row) override { rows.push_back(row); }
    std::string selectedFileKey() const override { return selectedFile; }
    void editFileLabel(const std::string& key) override { fileEdits.push_back(key); }
    void setFileMenuEntryVisible(disc::FileMenuEntry entry, bool visible) override;
    void popupFileMenu() override { popups.push_back(menuVisible); }
    void showEraseWindow(disc::Device& device, disc::DiscEngine& engine) override;
};

class FakeEraseView : public disc::EraseView {
public:
    std::vector<DiscMessage> messages;
    bool quick = false;
    int progress = 0;
    std::string status;
    bool eraseEnabled = false;
    bool cancelEnabled = false;
    int yields = 0;
    std::function<void()> onYield;
    std::function<void()> onShow;  // what the user does while the window shows
    int closes = 0;

    std::vector<std::string> messageTexts() const;

    app::Answer showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) override;
    bool quickEraseChecked() const override { return quick; }
    void setQuickEraseChecked(bool on) override { quick = on; }
    void setProgress(int percent) override { progress = percent; }
    void setStatus(const std::string& text) override { status = text; }
    void setEraseEnabled(bool on) override { eraseEnabled = on; }
    void setCancelEnabled(bool on) override { cancelEnabled = on; }
    void yield() override;
    void showModal() override;
    void closeWindow() override { ++closes; }
};

}  // namespace qm::test
