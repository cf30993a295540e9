// frmMaindvdwrite, the image side: the folder tree and file list mirror the
// component's image through its events; the image changes only through
// DiscImage calls.
#include <filesystem>

#include "disc/DiscWriteWindow.h"
#include "disc/Formats.h"
#include "disc/Texts.h"

namespace qm::disc {

using app::Buttons;
using app::Icon;

namespace {

constexpr const char* kLineBreak = "\r\n";

// A dropped path without the separators that may end it ("C:\Data\Mail\").
std::string trimmed(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && (p.back() == '\\' || p.back() == '/')) p.pop_back();
    return p;
}

}  // namespace

DiscWriteWindow::DiscWriteWindow(DiscEngine& engine, DiscWriteView& view) : engine_(engine), view_(view) {
    engine_.Subscribe(*this);
}

DiscWriteWindow::~DiscWriteWindow() { engine_.Unsubscribe(*this); }

void DiscWriteWindow::info(const std::string& text) { view_.showMessage(text, Icon::Information, Buttons::Ok); }

bool DiscWriteWindow::TakeArchive(std::string& discFileTitle, std::string& discFilePath) {
    if (discFileTitle.empty() || discFilePath.empty() || !image_) return false;
    ++adding_;
    image_->AddFile(discFilePath, std::string(text::kRootKey) + discFileTitle);
    --adding_;
    RefreshImageView();
    discFileTitle.clear();
    discFilePath.clear();
    return true;
}

void DiscWriteWindow::ResetImageView() {
    view_.clearFileList();
    view_.clearTree();
    view_.addTreeNode("", text::kRootKey, text::kNewDisc, text::kIconCd, text::kIconCd);
    view_.setVolumeLabel(text::kNewDisc);
    if (job_) job_->Volume.Label = text::kNewDisc;
    ShowImageTotals();
}

void DiscWriteWindow::RefreshImageView() {
    std::string key = view_.selectedTreeKey();
    if (key.empty()) key = text::kRootKey;
    ShowFolderFiles(key);
    view_.expandTreeNode(key);
    ShowImageTotals();
}

void DiscWriteWindow::ShowFolderFiles(const std::string& imagePath) {
    if (!image_) return;
    view_.setHourglass(true);
    view_.clearFileList();
    image_->ListFolder(imagePath);
    view_.setHourglass(false);
}

void DiscWriteWindow::ShowImageTotals() {
    if (!job_ || !image_) return;
    view_.setStatusPanel(1, text::kImageSizePanel + FormatMegabytes(job_->ImageSize()));
    view_.setStatusPanel(2, text::kFilesPanel + std::to_string(image_->FileCount()));
    view_.setStatusPanel(3, text::kFoldersPanel + std::to_string(image_->FolderCount()));
}

bool DiscWriteWindow::IsFolderPath(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(std::filesystem::path(path), ec);
}

std::string DiscWriteWindow::selectedFolderKey() const {
    const std::string key = view_.selectedTreeKey();
    return key == text::kRootKey ? std::string() : key;
}

void DiscWriteWindow::AddDroppedItems(const DropData& drop) {
    if (!drop.hasFiles || !image_ || imageLocked()) return;
    view_.setHourglass(true);
    const std::string target = selectedFolderKey();
    ++adding_;
    for (const auto& dropped : drop.files) {
        const std::string path = trimmed(dropped);
        const std::string name = LastPathPart(path);
        if (name.empty()) continue;
        const std::string imagePath = target + text::kRootKey + name;
        if (IsFolderPath(path))
            image_->AddFolder(path + "\\*.*", imagePath);
        else
            image_->AddFile(path, imagePath);
    }
    --adding_;
    RefreshImageView();
    view_.setHourglass(false);
}

void DiscWriteWindow::TreeNodeClicked(const std::string& key) { ShowFolderFiles(key); }

bool DiscWriteWindow::TreeLabelEditStarting(const std::string& key) {
    if (key == text::kRootKey) {
        info(text::kRootNotRenamed);
        return false;
    }
    return !imageLocked();
}

void DiscWriteWindow::TreeLabelEdited(const std::string& key, const std::string& newText) {
    if (!image_ || imageLocked()) return;
    if (!image_->RenameFolder(key, newText)) {
        info(text::kFolderNotRenamed);
        view_.setTreeNodeText(key, LastPathPart(key));
    }
    RefreshImageView();
}

void DiscWriteWindow::FileLabelEdited(const std::string& key, const std::string& newText) {
    if (!image_ || imageLocked()) return;
    if (!image_->RenameFile(key, newText)) info(text::kFileNotRenamed);
    RefreshImageView();
}

void DiscWriteWindow::showFileMenuOnly(FileMenuEntry a, FileMenuEntry b, FileMenuEntry c) {
    for (int i = 0; i < kFileMenuEntries; ++i) {
        const auto entry = static_cast<FileMenuEntry>(i);
        view_.setFileMenuEntryVisible(entry, entry == a || entry == b || entry == c);
    }
    view_.popupFileMenu();
    for (int i = 0; i < kFileMenuEntries; ++i) view_.setFileMenuEntryVisible(static_cast<FileMenuEntry>(i), true);
}

void DiscWriteWindow::TreeRightClicked() {
    showFileMenuOnly(FileMenuEntry::mnuFileClear, FileMenuEntry::mnuFileRemoveFolder,
                     FileMenuEntry::mnuFileRenameFolder);
}

void DiscWriteWindow::ListRightClicked() {
    showFileMenuOnly(FileMenuEntry::mnuFileClear, FileMenuEntry::mnuFileRemoveFile, FileMenuEntry::mnuFileRenameFile);
}

void DiscWriteWindow::ClearAllPressed() {
    if (image_ && !imageLocked()) image_->Clear();
}

void DiscWriteWindow::RemoveFolderPressed() {
    if (!image_ || imageLocked()) return;
    const std::string key = view_.selectedTreeKey();
    if (key.empty()) {
        info(text::kNoItemSelected);
        return;
    }
    if (!image_->Remove(key)) info(text::kNotRemoved);
    RefreshImageView();
}

void DiscWriteWindow::RemoveFilePressed() {
    if (!image_ || imageLocked()) return;
    const std::string key = view_.selectedFileKey();
    if (key.empty()) {
        info(text::kNoItemSelected);
        return;
    }
    if (!image_->Remove(key)) info(text::kNotRemoved);
    RefreshImageView();
}

void DiscWriteWindow::RenameFolderPressed() {
    const std::string key = view_.selectedTreeKey();
    if (key.empty()) {
        info(text::kNoItemSelected);
        return;
    }
    if (TreeLabelEditStarting(key)) view_.editTreeNodeLabel(key);
}

void DiscWriteWindow::RenameFilePressed() {
    const std::string key = view_.selectedFileKey();
    if (key.empty()) {
        info(text::kNoItemSelected);
        return;
    }
    if (!imageLocked()) view_.editFileLabel(key);
}

void DiscWriteWindow::VolumeLabelChanged(const std::string& label) {
    const std::string kept = FirstCharacters(label, kVolumeLabelLength);
    if (kept != label) view_.setVolumeLabel(kept);
    view_.setTreeNodeText(text::kRootKey, kept);
}

void DiscWriteWindow::ItemAdded(const ImageItem& item) {
    if (item.IsFolder) {
        const std::string parent = item.Parent ? item.Parent->ImagePath : std::string(text::kRootKey);
        view_.addTreeNode(parent, item.ImagePath, item.Name, text::kIconClosedFolder, text::kIconOpenFolder);
        view_.setStatusPanel(1, text::kAdding + item.ImagePath);
    }
    view_.yield();
}

void DiscWriteWindow::ItemRemoved(const ImageItem& item) {
    if (item.IsFolder) view_.removeTreeNode(item.ImagePath);
}

void DiscWriteWindow::ItemRenamed(const ImageItem& item) {
    if (!item.IsFolder) return;
    view_.setTreeNodeKey(item.OldImagePath, item.ImagePath);
    view_.setTreeNodeText(item.ImagePath, item.Name);
}

void DiscWriteWindow::ItemListed(const ImageItem& item) {
    if (item.IsFolder) return;
    view_.addFileRow({item.ImagePath, item.Name, text::kIconFile, FormatKilobytes(item.Size),
                      FormatItemDate(item.ItemDate)});
}

bool DiscWriteWindow::ReplaceQuery(const ImageItem& existing, const std::string& newSource) {
    const std::string question = text::kReplaceExists + std::string(kLineBreak) + existing.ImagePath + kLineBreak +
                                 text::kReplaceWith + kLineBreak + newSource + text::kReplaceEnd;
    return view_.askQuestion(text::kReplaceTitle, question) == app::Answer::Ok;
}

void DiscWriteWindow::ImageCleared() { ResetImageView(); }

}  // namespace qm::disc
