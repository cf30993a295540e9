#pragma once
// The logic of the disc window frmMaindvdwrite: composing the image (the
// folder tree, the file list, drops, removing, renaming, the totals and the
// label) and writing it (drives, speeds, options, the medium check, the
// write with its progress, warnings, failures and verification, cancel,
// the Device menu and the rule for closing). The window calls the handlers
// below for what the user does; the component's events arrive through
// DiscEvents.
//
// Long work never freezes the window: a write is followed by polling the
// component about every 100 ms and letting the window's events run in
// between, so WriteDiscPressed returns when the write has ended.
#include <string>
#include <vector>

#include "disc/DiscEngine.h"
#include "disc/DiscWriteView.h"

namespace qm::disc {

// What a drop carries: a file list (the standard file-drop format) or not.
struct DropData {
    bool hasFiles = false;
    std::vector<std::string> files;  // full paths, in drop order
};

std::string WriteFailureText(const WriteFailure& failure);

class DiscWritePresenter : public DiscEvents {
public:
    static constexpr int kPollMilliseconds = 100;
    static constexpr int kVolumeLabelLength = 32;

    DiscWritePresenter(DiscEngine& engine, DiscWriteView& view);
    ~DiscWritePresenter() override;
    DiscWritePresenter(const DiscWritePresenter&) = delete;
    DiscWritePresenter& operator=(const DiscWritePresenter&) = delete;

    // The load sequence. The hand-over of a new backup archive: when both
    // strings are non-empty the file is placed at the image's root and both
    // are emptied. False when the component could not start (the
    // application has been told to end).
    bool Load(std::string& discFileTitle, std::string& discFilePath);
    // The hand-over alone; true when both strings were set (and are now empty).
    bool TakeArchive(std::string& discFileTitle, std::string& discFilePath);

    // Image view.
    void ResetImageView();
    void RefreshImageView();
    void ShowFolderFiles(const std::string& imagePath);
    void ShowImageTotals();
    void AddDroppedItems(const DropData& drop);
    static bool IsFolderPath(const std::string& path);

    // User actions on the image.
    void TreeNodeClicked(const std::string& key);
    // False cancels the edit (the root cannot be renamed).
    bool TreeLabelEditStarting(const std::string& key);
    void TreeLabelEdited(const std::string& key, const std::string& newText);
    void FileLabelEdited(const std::string& key, const std::string& newText);
    void TreeRightClicked();
    void ListRightClicked();
    void ClearAllPressed();
    void RemoveFolderPressed();
    void RenameFolderPressed();
    void RemoveFilePressed();
    void RenameFilePressed();
    void VolumeLabelChanged(const std::string& text);

    // Writing.
    void ListDevices();
    void ListWriteSpeeds();
    void EnableControls(bool enabled);
    bool CheckMedia();
    void DeviceSelected();
    // "Use File Dates" is usable only with the volume types that can do
    // without the files' dates; with the others it shows them kept.
    void VolumeTypeSelected();
    void UseFileDatesClicked();
    void WriteDiscPressed();
    void CancelPressed();
    void EjectPressed();
    void CloseTrayPressed();
    void EraseDiscPressed();
    // "Exit" and the close box: True when the window may close (it then
    // lets go of the component); False while a write or an add runs.
    bool QueryUnload();
    void ExitPressed();

    bool Idle() const { return idle_; }
    Device* SelectedDevice() const { return selectedDevice_; }

    // DiscEvents.
    void ItemAdded(const ImageItem& item) override;
    void ItemRemoved(const ImageItem& item) override;
    void ItemRenamed(const ImageItem& item) override;
    void ItemListed(const ImageItem& item) override;
    bool ReplaceQuery(const ImageItem& existing, const std::string& newSource) override;
    void ImageCleared() override;
    void WriteStatus(int percent, int stage) override;
    bool FileWarning(const FileProblem& problem) override;
    void TrackReading(int track, int count, const std::string& text) override;
    void WriteFailed(const WriteFailure& failure) override;
    void VerifyStarted(int newFiles) override;
    void VerifyProgress(const ImageItem& item, int result, int done, int total) override;
    void VerifyFinished(int total, int matched) override;

private:
    void info(const std::string& text);
    bool imageLocked() const { return !idle_ || adding_ > 0; }
    void followWrite();
    int selectedVolumeType() const;
    bool fileDatesOptional() const;
    void applyFileDatesRule();
    // Appends to, replaces or refuses what the medium holds; False stops.
    bool choosePlacement();
    // The names Windows will see changed, listed; False stops.
    bool acceptChangedNames();
    void showFileMenuOnly(FileMenuEntry a, FileMenuEntry b, FileMenuEntry c);
    std::string selectedFolderKey() const;

    DiscEngine& engine_;
    DiscWriteView& view_;
    disc::WriteJob* job_ = nullptr;
    DiscImage* image_ = nullptr;
    Device* selectedDevice_ = nullptr;
    bool idle_ = true;
    int adding_ = 0;  // nesting of image calls that raise ItemAdded
    // "Use File Dates" as the user left it, while a volume type keeps dates.
    bool fileDatesForced_ = false;
    bool chosenFileDates_ = true;
    // The write being followed.
    bool writing_ = false;
    bool testWrite_ = false;
    bool verifyStarted_ = false;
    bool verifyFinished_ = false;
    int verifyTotal_ = 0;
    int verifyMatched_ = 0;
};

}  // namespace qm::disc
