#pragma once
// frmMaindvdwrite: the disc image as a folder tree and a file list, the
// drive and write options, and the progress of a write. It draws and
// forwards; the rules are in disc/.
#include <QDialog>
#include <array>
#include <map>
#include <functional>
#include <memory>

#include "disc/DiscWriteView.h"
#include "disc/DiscWritePresenter.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace qm::app {
class Session;
}

namespace qm::gui {

class DiscWindow : public QDialog, public disc::DiscWriteView {
    Q_OBJECT
public:
    DiscWindow(disc::DiscEngine& engine, QWidget* parent);
    ~DiscWindow() override;

    // The load, with a file handed over by a backup (both empty: none).
    bool load(std::string fileTitle, std::string filePath);
    disc::DiscWritePresenter& logic() { return *logic_; }

    app::Answer showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) override;
    void setCaption(const std::string& text) override;
    void setHourglass(bool on) override;
    void yield() override;
    void closeWindow() override;
    void endApplication() override;
    void setEnabled(disc::Control control, bool enabled) override;
    app::Answer askQuestion(const std::string& title, const std::string& text) override;
    bool isChecked(disc::CheckBox box) const override;
    void setChecked(disc::CheckBox box, bool checked) override;
    void clearList(disc::ComboBox list) override;
    void addListEntry(disc::ComboBox list, const std::string& text, int itemData) override;
    int listCount(disc::ComboBox list) const override;
    void selectListEntry(disc::ComboBox list, int index) override;
    int selectedListEntry(disc::ComboBox list) const override;
    int listItemData(disc::ComboBox list, int index) const override;
    std::string volumeLabel() const override;
    void setVolumeLabel(const std::string& text) override;
    void setVolumeLabelMaxLength(int characters) override;
    void setStatusPanel(int panel, const std::string& text) override;
    void setProgress(int percent) override;
    void clearTree() override;
    void addTreeNode(const std::string& parentKey, const std::string& key, const std::string& text,
                     const std::string& icon, const std::string& selectedIcon) override;
    void removeTreeNode(const std::string& key) override;
    void setTreeNodeText(const std::string& key, const std::string& text) override;
    void setTreeNodeKey(const std::string& key, const std::string& newKey) override;
    void expandTreeNode(const std::string& key) override;
    std::string selectedTreeKey() const override;
    void editTreeNodeLabel(const std::string& key) override;
    void clearFileList() override;
    void addFileRow(const disc::FileRow& row) override;
    std::string selectedFileKey() const override;
    void editFileLabel(const std::string& key) override;
    void setFileMenuEntryVisible(disc::FileMenuEntry entry, bool visible) override;
    void popupFileMenu() override;
    void showEraseWindow(disc::Device& device, disc::DiscEngine& engine) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape: the window closes under the same rule as by its close box
    // (QDialog's own would hide it in the middle of a write).
    void reject() override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* combo(disc::ComboBox list) const;
    QCheckBox* box(disc::CheckBox which) const;
    QTreeWidgetItem* node(const std::string& key) const;

    disc::DiscEngine& engine_;
    std::unique_ptr<disc::DiscWritePresenter> logic_;
    bool filling_ = false;  // changes made by the logic call nothing back
    bool mayClose_ = false;
    QTreeWidget* tvwFolders_ = nullptr;
    QTreeWidget* lvwImageFiles_ = nullptr;
    QComboBox* cboDevices_ = nullptr;
    QComboBox* cboWriteSpeed_ = nullptr;
    QComboBox* cboVolumeType_ = nullptr;
    QLineEdit* txtVolIdentifier_ = nullptr;
    std::map<disc::CheckBox, QCheckBox*> boxes_;
    QPushButton* cmdWriteDisc_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QProgressBar* prgTotalProgress_ = nullptr;
    std::array<QLabel*, 3> panels_{};
    QMenu* mnuFile_ = nullptr;
    QMenu* mnuDevice_ = nullptr;
    std::map<disc::FileMenuEntry, QAction*> fileEntries_;
    std::string editingTreeKey_;
    std::string editingFileKey_;
};

// Opens the disc window modally over the component of this system, with a
// file handed over by a backup (both empty: none). `sourcePath` gives the
// host path of a path as the windows show it.
void openDiscWindow(QWidget* parent, const std::function<std::string(const std::string&)>& sourcePath,
                    const std::string& fileTitle, const std::string& filePath);

// The main window's way to the disc window over a session's installation:
// the paths it shows are read as the host files they stand for.
std::function<void(QWidget*, const std::string&, const std::string&)> discWindowOpener(app::Session& session);

}  // namespace qm::gui
