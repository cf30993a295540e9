#include "disc/FakeDiscViews.h"

#include "disc/DiscEngine.h"

namespace qm::test {

namespace {

template <typename M>
std::vector<std::string> texts(const M& messages) {
    std::vector<std::string> out;
    for (const auto& m : messages) out.push_back(m.text);
    return out;
}

}  // namespace

std::vector<std::string> FakeDiscWriteView::messageTexts() const { return texts(messages); }

std::vector<std::string> FakeDiscWriteView::rowKeys() const {
    std::vector<std::string> keys;
    for (const auto& r : rows) keys.push_back(r.key);
    return keys;
}

app::Answer FakeDiscWriteView::showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) {
    messages.push_back({text, icon, buttons, ""});
    if (answers.empty()) return app::Answer::Ok;
    const auto a = answers.front();
    answers.pop_front();
    return a;
}

app::Answer FakeDiscWriteView::askQuestion(const std::string& title, const std::string& text) {
    messages.push_back({text, app::Icon::None, app::Buttons::OkCancel, title});
    if (answers.empty()) return app::Answer::Ok;
    const auto a = answers.front();
    answers.pop_front();
    return a;
}

void FakeDiscWriteView::yield() {
    ++yields;
    if (onYield) onYield();
}

bool FakeDiscWriteView::isChecked(disc::CheckBox box) const {
    const auto it = checked.find(box);
    return it != checked.end() && it->second;
}

void FakeDiscWriteView::clearList(disc::ComboBox list) {
    lists[list].clear();
    selected[list] = -1;
}

void FakeDiscWriteView::addListEntry(disc::ComboBox list, const std::string& text, int itemData) {
    lists[list].push_back({text, itemData});
}

int FakeDiscWriteView::listCount(disc::ComboBox list) const {
    const auto it = lists.find(list);
    return it == lists.end() ? 0 : static_cast<int>(it->second.size());
}

int FakeDiscWriteView::selectedListEntry(disc::ComboBox list) const {
    const auto it = selected.find(list);
    return it == selected.end() ? -1 : it->second;
}

int FakeDiscWriteView::listItemData(disc::ComboBox list, int index) const {
    return lists.at(list).at(static_cast<std::size_t>(index)).data;
}

void FakeDiscWriteView::setStatusPanel(int panel, const std::string& text) {
    panels.at(static_cast<std::size_t>(panel)) = text;
    if (panel == 1) statusHistory.push_back(text);
}

void FakeDiscWriteView::setProgress(int percent) {
    progress = percent;
    progressHistory.push_back(percent);
}

void FakeDiscWriteView::addTreeNode(const std::string& parentKey, const std::string& key, const std::string& text,
                                    const std::string& icon, const std::string& selectedIcon) {
    tree[key] = TreeNode{parentKey, text, icon, selectedIcon, false};
}

void FakeDiscWriteView::removeTreeNode(const std::string& key) {
    tree.erase(key);
    if (selectedTree == key) selectedTree.clear();
}

void FakeDiscWriteView::setTreeNodeText(const std::string& key, const std::string& text) {
    const auto it = tree.find(key);
    if (it != tree.end()) it->second.text = text;
}

void FakeDiscWriteView::setTreeNodeKey(const std::string& key, const std::string& newKey) {
    auto node = tree.extract(key);
    if (node.empty()) return;
    node.key() = newKey;
    tree.insert(std::move(node));
    if (selectedTree == key) selectedTree = newKey;
}

void FakeDiscWriteView::expandTreeNode(const std::string& key) {
    const auto it = tree.find(key);
    if (it != tree.end()) it->second.expanded = true;
}

void FakeDiscWriteView::setFileMenuEntryVisible(disc::FileMenuEntry entry, bool visible) {
    menuVisible.at(static_cast<std::size_t>(entry)) = visible;
}

void FakeDiscWriteView::showEraseWindow(disc::Device& device, disc::DiscEngine&) {
    eraseWindows.push_back(device.Name());
}

std::vector<std::string> FakeEraseView::messageTexts() const { return texts(messages); }

app::Answer FakeEraseView::showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) {
    messages.push_back({text, icon, buttons, ""});
    return app::Answer::Ok;
}

void FakeEraseView::yield() {
    ++yields;
    if (onYield) onYield();
}

void FakeEraseView::showModal() {
    if (onShow) onShow();
}

}  // namespace qm::test
