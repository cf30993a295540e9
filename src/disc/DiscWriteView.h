#pragma once
// What the disc window frmMaindvdwrite offers the disc logic: its controls
// by name, its folder tree and file list, its status bar and its menus. The
// Qt window implements it; tests use a recording fake. Calls made by the
// logic never call back into it (setting a list's entry or the label box
// runs no change handler); the window calls DiscWritePresenter for what the
// user does. Texts are UTF-8.
#include <string>

#include "app/MessageView.h"

namespace qm::disc {

class Device;
class DiscEngine;

// Controls whose Enabled state the logic sets.
enum class Control {
    mnuFile,
    mnuDevice,
    cboDevices,
    cboWriteSpeed,
    lvwImageFiles,
    tvwFolders,
    cmdWriteDisc,
    chkCacheImage,
    chkFinalizeDisc,
    chkTestWrite,
    cboVolumeType,
    txtVolIdentifier,
    chkUseMode2XA,
    chkAutoVerify,
    chkUseFileDates,
    chkDiscAtOnce,
    chkUseBufferProtect,
    cmdCancel,
};

enum class CheckBox {
    chkAutoVerify,
    chkTestWrite,
    chkFinalizeDisc,
    chkDiscAtOnce,
    chkUseMode2XA,
    chkCacheImage,
    chkUseBufferProtect,
    chkUseFileDates,
};

enum class ComboBox { cboDevices, cboWriteSpeed, cboVolumeType };

// The File menu, in menu order.
enum class FileMenuEntry {
    mnuFileClear,
    mnuFileSep1,
    mnuFileRemoveFolder,
    mnuFileRenameFolder,
    mnuFileRemoveFile,
    mnuFileRenameFile,
    mnuFileSep4,
    mnuFileExit,
};
inline constexpr int kFileMenuEntries = 8;

// A row of lvwImageFiles.
struct FileRow {
    std::string key;  // image path
    std::string text;  // name
    std::string icon;  // small icon key
    std::string size;  // "1,234.57 KB"
    std::string date;  // "03/07/2024 09:05:02 PM"
};

class DiscWriteView : public app::MessageView {
public:
    ~DiscWriteView() override = default;

    // Window.
    virtual void setCaption(const std::string& text) = 0;
    virtual void setHourglass(bool on) = 0;
    // Lets pending window events run once (user clicks included).
    virtual void yield() = 0;
    virtual void closeWindow() = 0;
    // The components cannot start: the whole application ends.
    virtual void endApplication() = 0;
    virtual void setEnabled(Control control, bool enabled) = 0;
    // A message box with a title of its own, the question icon and the
    // buttons OK and Cancel.
    virtual app::Answer askQuestion(const std::string& title, const std::string& text) = 0;

    // Check boxes.
    virtual bool isChecked(CheckBox box) const = 0;
    virtual void setChecked(CheckBox box, bool checked) = 0;

    // Drop-down lists; every entry carries a whole number as item data.
    virtual void clearList(ComboBox list) = 0;
    virtual void addListEntry(ComboBox list, const std::string& text, int itemData) = 0;
    virtual int listCount(ComboBox list) const = 0;
    virtual void selectListEntry(ComboBox list, int index) = 0;
    virtual int selectedListEntry(ComboBox list) const = 0;  // -1 when none
    virtual int listItemData(ComboBox list, int index) const = 0;

    // txtVolIdentifier.
    virtual std::string volumeLabel() const = 0;
    virtual void setVolumeLabel(const std::string& text) = 0;
    virtual void setVolumeLabelMaxLength(int characters) = 0;

    // sbrStatus panels 1 to 3, prgTotalProgress (0 to 100).
    virtual void setStatusPanel(int panel, const std::string& text) = 0;
    virtual void setProgress(int percent) = 0;

    // tvwFolders; nodes are found by key. The root has an empty parent key.
    virtual void clearTree() = 0;
    virtual void addTreeNode(const std::string& parentKey, const std::string& key, const std::string& text,
                             const std::string& icon, const std::string& selectedIcon) = 0;
    virtual void removeTreeNode(const std::string& key) = 0;  // a missing key is no error
    virtual void setTreeNodeText(const std::string& key, const std::string& text) = 0;
    virtual void setTreeNodeKey(const std::string& key, const std::string& newKey) = 0;
    virtual void expandTreeNode(const std::string& key) = 0;
    virtual std::string selectedTreeKey() const = 0;  // "" when none is selected
    // Starts label editing (TreeLabelEditStarting has been asked); its end
    // calls DiscWritePresenter::TreeLabelEdited.
    virtual void editTreeNodeLabel(const std::string& key) = 0;

    // lvwImageFiles.
    virtual void clearFileList() = 0;
    virtual void addFileRow(const FileRow& row) = 0;
    virtual std::string selectedFileKey() const = 0;  // "" when none is selected
    // Starts label editing; its end calls DiscWritePresenter::FileLabelEdited.
    virtual void editFileLabel(const std::string& key) = 0;

    // The File menu, also shown as a pop-up; popupFileMenu returns when it closes.
    virtual void setFileMenuEntryVisible(FileMenuEntry entry, bool visible) = 0;
    virtual void popupFileMenu() = 0;

    // frmErase, shown modally for the drive: build an ErasePresenter on the
    // engine and the erase window's view and call its ShowErase.
    virtual void showEraseWindow(Device& device, DiscEngine& engine) = 0;
};

}  // namespace qm::disc
