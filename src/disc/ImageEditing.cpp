// frmMaindvdwrite, the image side: the folder tree and file list mirror the
// component's image through its events; the image changes only through
// DiscImage calls.
#include <filesystem>

#include "disc/DiscWritePresenter.h"
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

DiscWritePresenter::DiscWritePresenter(DiscEngine& engine, DiscWriteView& view) : engine_(engine), view_(view) {
    engine_.Subscribe(*this);
}

DiscWritePresenter::~DiscWritePresenter() { engine_.Unsubscribe(*this); }

void DiscWritePresenter::info(const std::string& text) { view_.showMessage(text, Icon::Information, Buttons::Ok); }

bool DiscWritePresenter::TakeArchive(std::string& discFileTitle, std::string& discFilePath) {
    if (discFileTitle.empty() || discFilePath.empty() || !image_) return false;
    ++adding_;
    image_->AddFile(discFilePath, std::string(text::kRootKey) + discFileTitle);
    --adding_;
    RefreshImageView();
    discFileTitle.clear();
    discFilePath.clear();
    return true;
}

void DiscWritePresenter::ResetImageView() {
    view_.clearFileList();
    view_.clearTree();
    view_.addTreeNode("", text::kRootKey, text::kNewDisc, text::kIconCd, text::kIconCd);
    view_.setVolumeLabel(text::kNewDisc);
    if (job_) job_->Volume.Label = text::kNewDisc;
    ShowImageTotals();
}

void DiscWritePresenter::RefreshImageView() {
    std::string key = view_.selectedTreeKey();
    if (key.empty()) key = text::kRootKey;
    ShowFolderFiles(key);
    view_.expandTreeNode(key);
    ShowImageTotals();
}

void DiscWritePresenter::ShowFolderFiles(const std::string& imagePath) {
    if (!image_) return;
    view_.setHourglass(true);
    view_.clearFileList();
    image_->ListFolder(imagePath);
    view_.setHourglass(false);
}

void DiscWritePresenter::ShowImageTotals() {
    if (!job_ || !image_) return;
    view_.setStatusPanel(1, text::kImageSizePanel + FormatMegabytes(job_->ImageSize()));
    view_.setStatusPanel(2, text::kFilesPanel + std::to_string(image_->FileCount()));
    view_.setStatusPanel(3, text::kFoldersPanel + std::to_string(image_->FolderCount()));
}

bool DiscWritePresenter::IsFolderPath(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(std::filesystem::path(path), ec);
}

std::string DiscWritePresenter::selectedFolderKey() const {
    const std::string key = view_.selectedTreeKey();
    return key == text::kRootKey ? std::string() : key;
}

void DiscWritePresenter::AddDroppedItems(const DropData& drop) {
    if (!drop.hasFiles || !image_ || imageLocked()) return;
    view_.setHourglass(true);
    const std::string target = selectedFolderKey();
    ++adding_;
    for (const auto& dropped : drop.files) {
        const std::string path = trimmed(dropped);
        // A host path is cut at "/" only: "\" is an ordinary character of a
        // host name, but no name in the image can hold it.
        const std::string name = path[0] == '/' ? path.substr(path.rfind('/') + 1) : LastPathPart(path);
        if (name.empty() || name.find('\\') != std::string::npos) continue;
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

void DiscWritePresenter::TreeNodeClicked(const std::string& key) { ShowFolderFiles(key); }

bool DiscWritePresenter::TreeLabelEditStarting(const std::string& key) {
    if (key == text::kRootKey) {
        info(text::kRootNotRenamed);
        return false;
    }
    return !imageLocked();
}

void DiscWritePresenter::TreeLabelEdited(const std::string& key, const std::string& newText) {
    if (!image_ || imageLocked()) return;
    if (!image_->RenameFolder(key, newText)) {
        info(text::kFolderNotRenamed);
        view_.setTreeNodeText(key, LastPathPart(key));
    }
    RefreshImageView();
}

void DiscWritePresenter::FileLabelEdited(const std::string& key, const std::string& newText) {
    if (!image_ || imageLocked()) return;
    if (!image_->RenameFile(key, newText)) info(text::kFileNotRenamed);
    RefreshImageView();
}

void DiscWritePresenter::showFileMenuOnly(FileMenuEntry a, FileMenuEntry b, FileMenuEntry c) {
    for (int i = 0; i < kFileMenuEntries; ++i) {
        const auto entry = static_cast<FileMenuEntry>(i);
        view_.setFileMenuEntryVisible(entry, entry == a || entry == b || entry == c);
    }
    view_.popupFileMenu();
    for (int i = 0; i < kFileMenuEntries; ++i) view_.setFileMenuEntryVisible(static_cast<FileMenuEntry>(i), true);
}

void DiscWritePresenter::TreeRightClicked() {
    showFileMenuOnly(FileMenuEntry::mnuFileClear, FileMenuEntry::mnuFileRemoveFolder,
                     FileMenuEntry::mnuFileRenameFolder);
}

void DiscWritePresenter::ListRightClicked() {
    showFileMenuOnly(FileMenuEntry::mnuFileClear, FileMenuEntry::mnuFileRemoveFile, FileMenuEntry::mnuFileRenameFile);
}

void DiscWritePresenter::ClearAllPressed() {
    if (image_ && !imageLocked()) image_->Clear();
}

void DiscWritePresenter::RemoveFolderPressed() {
    if (!image_ || imageLocked()) return;
    const std::string key = view_.selectedTreeKey();
    if (key.empty()) {
        info(text::kNoItemSelected);
        return;
    }
    if (!image_->Remove(key)) info(text::kNotRemoved);
    RefreshImageView();
}

void DiscWritePresenter::RemoveFilePressed() {
    if (!image_ || imageLocked()) return;
    const std::string key = view_.selectedFileKey();
    if (key.empty()) {
        info(text::kNoItemSelected);
        return;
    }
    if (!image_->Remove(key)) info(text::kNotRemoved);
    RefreshImageView();
}

void DiscWritePresenter::RenameFolderPressed() {
    const std::string key = view_.selectedTreeKey();
    if (key.empty()) {
        info(text::kNoItemSelected);
        return;
    }
    if (TreeLabelEditStarting(key)) view_.editTreeNodeLabel(key);
}

void DiscWritePresenter::RenameFilePressed() {
    const std::string key = view_.selectedFileKey();
    if (key.empty()) {
        info(text::kNoItemSelected);
        return;
    }
    if (!imageLocked()) view_.editFileLabel(key);
}

void DiscWritePresenter::VolumeLabelChanged(const std::string& label) {
    const std::string kept = FirstCharacters(label, kVolumeLabelLength);
    if (kept != label) view_.setVolumeLabel(kept);
    view_.setTreeNodeText(text::kRootKey, kept);
}

void DiscWritePresenter::ItemAdded(const ImageItem& item) {
    if (item.IsFolder) {
        const std::string parent = item.Parent ? item.Parent->ImagePath : std::string(text::kRootKey);
        view_.addTreeNode(parent, item.ImagePath, item.Name, text::kIconClosedFolder, text::kIconOpenFolder);
        view_.setStatusPanel(1, text::kAdding + item.ImagePath);
    }
    view_.yield();
}

void DiscWritePresenter::ItemRemoved(const ImageItem& item) {
    if (item.IsFolder) view_.removeTreeNode(item.ImagePath);
}

void DiscWritePresenter::ItemRenamed(const ImageItem& item) {
    if (!item.IsFolder) return;
    view_.setTreeNodeKey(item.OldImagePath, item.ImagePath);
    view_.setTreeNodeText(item.ImagePath, item.Name);
}

void DiscWritePresenter::ItemListed(const ImageItem& item) {
    if (item.IsFolder) return;
    view_.addFileRow({item.ImagePath, item.Name, text::kIconFile, FormatKilobytes(item.Size),
                      FormatItemDate(item.ItemDate)});
}

bool DiscWritePresenter::ReplaceQuery(const ImageItem& existing, const std::string& newSource) {
    const std::string question = text::kReplaceExists + std::string(kLineBreak) + existing.ImagePath + kLineBreak +
                                 text::kReplaceWith + kLineBreak + newSource + text::kReplaceEnd;
    return view_.askQuestion(text::kReplaceTitle, question) == app::Answer::Ok;
}

void DiscWritePresenter::ImageCleared() { ResetImageView(); }

}  // namespace qm::disc
