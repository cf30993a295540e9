#include "gui/DiscWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <thread>

#include "app/Session.h"
#include "disc/SourcePaths.h"
#include "disc/Texts.h"
#include "disc/linux/LinuxDiscEngine.h"
#include "gui/EraseDialog.h"
#include "gui/MessageBoxes.h"

namespace qm::gui {
namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }
QString q(const char* text) { return QString::fromUtf8(text); }

QIcon iconFor(const std::string& key) {
    QStyle* style = QApplication::style();
    if (key == disc::text::kIconCd) return style->standardIcon(QStyle::SP_DriveCDIcon);
    if (key == disc::text::kIconOpenFolder) return style->standardIcon(QStyle::SP_DirOpenIcon);
    if (key == disc::text::kIconClosedFolder) return style->standardIcon(QStyle::SP_DirClosedIcon);
    return style->standardIcon(QStyle::SP_FileIcon);
}

std::string keyOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, Qt::UserRole).toString().toStdString() : std::string();
}

}  // namespace

DiscWindow::DiscWindow(disc::DiscEngine& engine, QWidget* parent) : QDialog(parent), engine_(engine) {
    setObjectName(QStringLiteral("frmMaindvdwrite"));
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);

    auto* menus = new QMenuBar(this);
    mnuFile_ = menus->addMenu(q(disc::text::kMenuFile));
    mnuFile_->setObjectName(QStringLiteral("mnuFile"));
    auto entry = [&](disc::FileMenuEntry which, const char* text, const char* name, auto handler) {
        QAction* a = text ? mnuFile_->addAction(q(text)) : mnuFile_->addSeparator();
        a->setObjectName(QString::fromUtf8(name));
        if (text) connect(a, &QAction::triggered, this, handler);
        fileEntries_[which] = a;
    };
    entry(disc::FileMenuEntry::mnuFileClear, disc::text::kMenuClear, "mnuFileClear", [this] { logic_->ClearAllPressed(); });
    entry(disc::FileMenuEntry::mnuFileSep1, nullptr, "mnuFileSep1", [] {});
    entry(disc::FileMenuEntry::mnuFileRemoveFolder, disc::text::kMenuRemoveFolder, "mnuFileRemoveFolder",
          [this] { logic_->RemoveFolderPressed(); });
    entry(disc::FileMenuEntry::mnuFileRenameFolder, disc::text::kMenuRenameFolder, "mnuFileRenameFolder",
          [this] { logic_->RenameFolderPressed(); });
    entry(disc::FileMenuEntry::mnuFileRemoveFile, disc::text::kMenuRemoveFile, "mnuFileRemoveFile",
          [this] { logic_->RemoveFilePressed(); });
    entry(disc::FileMenuEntry::mnuFileRenameFile, disc::text::kMenuRenameFile, "mnuFileRenameFile",
          [this] { logic_->RenameFilePressed(); });
    entry(disc::FileMenuEntry::mnuFileSep4, nullptr, "mnuFileSep4", [] {});
    entry(disc::FileMenuEntry::mnuFileExit, disc::text::kMenuExit, "mnuFileExit", [this] { logic_->ExitPressed(); });
    fileEntries_[disc::FileMenuEntry::mnuFileClear]->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    fileEntries_[disc::FileMenuEntry::mnuFileExit]->setShortcut(QKeySequence(QStringLiteral("Ctrl+X")));
    mnuDevice_ = menus->addMenu(q(disc::text::kMenuDevice));
    mnuDevice_->setObjectName(QStringLiteral("mnuDevice"));
    QAction* eject = mnuDevice_->addAction(q(disc::text::kMenuEject));
    eject->setObjectName(QStringLiteral("mnuDeviceEject"));
    eject->setShortcut(QKeySequence(QStringLiteral("Ctrl+J")));
    connect(eject, &QAction::triggered, this, [this] { logic_->EjectPressed(); });
    QAction* tray = mnuDevice_->addAction(q(disc::text::kMenuCloseTray));
    tray->setObjectName(QStringLiteral("mnuDeviceCloseTray"));
    tray->setShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
    connect(tray, &QAction::triggered, this, [this] { logic_->CloseTrayPressed(); });
    QAction* erase = mnuDevice_->addAction(q(disc::text::kMenuEraseDisc));
    erase->setObjectName(QStringLiteral("mnuDeviceEraseDisc"));
    connect(erase, &QAction::triggered, this, [this] { logic_->EraseDiscPressed(); });
    layout->setMenuBar(menus);

    auto* title = new QLabel(q(disc::text::kDropCaption), this);
    title->setObjectName(QStringLiteral("lblImageFileTitle"));
    layout->addWidget(title);
    auto* split = new QSplitter(this);
    tvwFolders_ = new QTreeWidget(split);
    tvwFolders_->setObjectName(QStringLiteral("tvwFolders"));
    tvwFolders_->setHeaderHidden(true);
    tvwFolders_->setContextMenuPolicy(Qt::CustomContextMenu);
    lvwImageFiles_ = new QTreeWidget(split);
    lvwImageFiles_->setObjectName(QStringLiteral("lvwImageFiles"));
    lvwImageFiles_->setRootIsDecorated(false);
    lvwImageFiles_->setHeaderLabels({q(disc::text::kColumnFileName), q(disc::text::kColumnSize), q(disc::text::kColumnDate)});
    lvwImageFiles_->setContextMenuPolicy(Qt::CustomContextMenu);
    // The names take the room; size and date as wide as they need.
    lvwImageFiles_->header()->setStretchLastSection(false);
    lvwImageFiles_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lvwImageFiles_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    lvwImageFiles_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    split->setStretchFactor(1, 2);
    for (QWidget* w : {static_cast<QWidget*>(tvwFolders_), static_cast<QWidget*>(lvwImageFiles_)}) {
        w->setAcceptDrops(true);
        w->installEventFilter(this);
        static_cast<QAbstractScrollArea*>(w)->viewport()->installEventFilter(this);
    }
    layout->addWidget(split, 1);
    connect(tvwFolders_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (!filling_) logic_->TreeNodeClicked(keyOf(item));
    });
    connect(tvwFolders_, &QTreeWidget::customContextMenuRequested, this, [this] { logic_->TreeRightClicked(); });
    connect(lvwImageFiles_, &QTreeWidget::customContextMenuRequested, this, [this] { logic_->ListRightClicked(); });
    // Names are edited only when the logic starts it (the menu, F2, a
    // double-click on a file), and the edit's end goes back to it for the
    // item it started on; an edit left with Escape is forgotten. The logic
    // is called once the editor has finished with the item, as it may
    // rebuild the list.
    tvwFolders_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwImageFiles_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(tvwFolders_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        if (filling_ || editingTreeKey_.empty() || keyOf(item) != editingTreeKey_) return;
        const std::string key = editingTreeKey_, text = item->text(0).toStdString();
        editingTreeKey_.clear();
        QMetaObject::invokeMethod(
            this, [this, key, text] { logic_->TreeLabelEdited(key, text); }, Qt::QueuedConnection);
    });
    connect(lvwImageFiles_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        if (filling_ || editingFileKey_.empty() || keyOf(item) != editingFileKey_) return;
        const std::string key = editingFileKey_, text = item->text(0).toStdString();
        editingFileKey_.clear();
        QMetaObject::invokeMethod(
            this, [this, key, text] { logic_->FileLabelEdited(key, text); }, Qt::QueuedConnection);
    });
    connect(tvwFolders_->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this] { editingTreeKey_.clear(); });
    connect(lvwImageFiles_->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this] { editingFileKey_.clear(); });
    connect(lvwImageFiles_, &QTreeWidget::itemDoubleClicked, this, [this] { logic_->RenameFilePressed(); });

    auto* options = new QGroupBox(this);
    auto* grid = new QGridLayout(options);
    auto combo = [&](const char* label, const char* name, int row) {
        grid->addWidget(new QLabel(q(label), options), row, 0);
        auto* c = new QComboBox(options);
        c->setObjectName(QString::fromUtf8(name));
        grid->addWidget(c, row, 1);
        return c;
    };
    cboDevices_ = combo(disc::text::kLabelDevice, "cboDevices", 0);
    cboWriteSpeed_ = combo(disc::text::kLabelWriteSpeed, "cboWriteSpeed", 1);
    cboVolumeType_ = combo(disc::text::kLabelVolumeType, "cboVolumeType", 2);
    grid->addWidget(new QLabel(q(disc::text::kLabelVolumeId), options), 3, 0);
    txtVolIdentifier_ = new QLineEdit(options);
    txtVolIdentifier_->setObjectName(QStringLiteral("txtVolIdentifier"));
    grid->addWidget(txtVolIdentifier_, 3, 1);
    connect(cboDevices_, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_) logic_->DeviceSelected();
    });
    connect(cboVolumeType_, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_) logic_->VolumeTypeSelected();
    });
    connect(txtVolIdentifier_, &QLineEdit::textEdited, this,
            [this](const QString& text) { logic_->VolumeLabelChanged(text.toStdString()); });
    struct Box {
        disc::CheckBox which;
        const char* text;
        const char* name;
        const char* tip;
    };
    const Box boxes[] = {
        {disc::CheckBox::chkAutoVerify, disc::text::kAutoVerify, "chkAutoVerify", disc::text::kTipAutoVerify},
        {disc::CheckBox::chkTestWrite, disc::text::kTestWrite, "chkTestWrite", disc::text::kTipTestWrite},
        {disc::CheckBox::chkFinalizeDisc, disc::text::kFinalizeDisc, "chkFinalizeDisc", disc::text::kTipFinalize},
        {disc::CheckBox::chkDiscAtOnce, disc::text::kDiscAtOnce, "chkDiscAtOnce", disc::text::kTipDiscAtOnce},
        {disc::CheckBox::chkUseMode2XA, disc::text::kMode2XA, "chkUseMode2XA", disc::text::kTipMode2XA},
        {disc::CheckBox::chkCacheImage, disc::text::kCacheImage, "chkCacheImage", disc::text::kTipCacheImage},
        {disc::CheckBox::chkUseBufferProtect, disc::text::kBufferProtect, "chkUseBufferProtect", disc::text::kTipBufferProtect},
        {disc::CheckBox::chkUseFileDates, disc::text::kUseFileDates, "chkUseFileDates", disc::text::kTipUseFileDates},
    };
    int i = 0;
    for (const Box& b : boxes) {
        auto* check = new QCheckBox(q(b.text), options);
        check->setObjectName(QString::fromUtf8(b.name));
        check->setToolTip(q(b.tip));
        grid->addWidget(check, i / 2, 2 + i % 2);
        boxes_[b.which] = check;
        ++i;
    }
    connect(boxes_[disc::CheckBox::chkUseFileDates], &QCheckBox::clicked, this, [this] {
        if (!filling_) logic_->UseFileDatesClicked();
    });
    layout->addWidget(options);

    auto* bottom = new QHBoxLayout;
    prgTotalProgress_ = new QProgressBar(this);
    prgTotalProgress_->setObjectName(QStringLiteral("prgTotalProgress"));
    prgTotalProgress_->setRange(0, 100);
    bottom->addWidget(prgTotalProgress_, 1);
    cmdWriteDisc_ = new QPushButton(q(disc::text::kWriteDisc), this);
    cmdWriteDisc_->setObjectName(QStringLiteral("cmdWriteDisc"));
    cmdCancel_ = new QPushButton(q(disc::text::kCancel), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    bottom->addWidget(cmdWriteDisc_);
    bottom->addWidget(cmdCancel_);
    layout->addLayout(bottom);
    connect(cmdWriteDisc_, &QPushButton::clicked, this, [this] { logic_->WriteDiscPressed(); });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { logic_->CancelPressed(); });

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("sbrStatus"));
    status->setSizeGripEnabled(false);
    for (std::size_t p = 0; p < panels_.size(); ++p) {
        panels_[p] = new QLabel(status);
        panels_[p]->setObjectName(QStringLiteral("sbrStatusPanel%1").arg(p + 1));
        status->addWidget(panels_[p], p == 0 ? 2 : 1);
    }
    layout->addWidget(status);
    resize(860, 560);

    logic_ = std::make_unique<disc::DiscWritePresenter>(engine_, *this);
}

DiscWindow::~DiscWindow() { logic_.reset(); }

bool DiscWindow::load(std::string fileTitle, std::string filePath) { return logic_->Load(fileTitle, filePath); }

app::Answer DiscWindow::showMessage(const std::string& text, app::Icon icon, app::Buttons buttons) {
    return MessageBoxes::show(this, text, icon, buttons);
}

void DiscWindow::setCaption(const std::string& text) { setWindowTitle(q(text)); }

void DiscWindow::setHourglass(bool on) {
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void DiscWindow::yield() { QApplication::processEvents(QEventLoop::AllEvents); }

void DiscWindow::closeWindow() {
    mayClose_ = true;
    accept();
}

void DiscWindow::endApplication() {
    closeWindow();
    QApplication::exit(1);
}

void DiscWindow::setEnabled(disc::Control control, bool enabled) {
    using C = disc::Control;
    QWidget* w = nullptr;
    switch (control) {
    case C::mnuFile: mnuFile_->setEnabled(enabled); return;
    case C::mnuDevice: mnuDevice_->setEnabled(enabled); return;
    case C::cboDevices: w = cboDevices_; break;
    case C::cboWriteSpeed: w = cboWriteSpeed_; break;
    case C::lvwImageFiles: w = lvwImageFiles_; break;
    case C::tvwFolders: w = tvwFolders_; break;
    case C::cmdWriteDisc: w = cmdWriteDisc_; break;
    case C::chkCacheImage: w = box(disc::CheckBox::chkCacheImage); break;
    case C::chkFinalizeDisc: w = box(disc::CheckBox::chkFinalizeDisc); break;
    case C::chkTestWrite: w = box(disc::CheckBox::chkTestWrite); break;
    case C::cboVolumeType: w = cboVolumeType_; break;
    case C::txtVolIdentifier: w = txtVolIdentifier_; break;
    case C::chkUseMode2XA: w = box(disc::CheckBox::chkUseMode2XA); break;
    case C::chkAutoVerify: w = box(disc::CheckBox::chkAutoVerify); break;
    case C::chkUseFileDates: w = box(disc::CheckBox::chkUseFileDates); break;
    case C::chkDiscAtOnce: w = box(disc::CheckBox::chkDiscAtOnce); break;
    case C::chkUseBufferProtect: w = box(disc::CheckBox::chkUseBufferProtect); break;
    case C::cmdCancel: w = cmdCancel_; break;
    }
    if (w) w->setEnabled(enabled);
}

app::Answer DiscWindow::askQuestion(const std::string& title, const std::string& text) {
    return MessageBoxes::show(this, q(title), text, app::Icon::Question, app::Buttons::OkCancel);
}

QCheckBox* DiscWindow::box(disc::CheckBox which) const { return boxes_.at(which); }
bool DiscWindow::isChecked(disc::CheckBox which) const { return box(which)->isChecked(); }

void DiscWindow::setChecked(disc::CheckBox which, bool checked) {
    filling_ = true;
    box(which)->setChecked(checked);
    filling_ = false;
}

QComboBox* DiscWindow::combo(disc::ComboBox list) const {
    switch (list) {
    case disc::ComboBox::cboDevices: return cboDevices_;
    case disc::ComboBox::cboWriteSpeed: return cboWriteSpeed_;
    case disc::ComboBox::cboVolumeType: return cboVolumeType_;
    }
    return cboDevices_;
}

void DiscWindow::clearList(disc::ComboBox list) {
    filling_ = true;
    combo(list)->clear();
    filling_ = false;
}

void DiscWindow::addListEntry(disc::ComboBox list, const std::string& text, int itemData) {
    filling_ = true;
    combo(list)->addItem(q(text), itemData);
    filling_ = false;
}

int DiscWindow::listCount(disc::ComboBox list) const { return combo(list)->count(); }

void DiscWindow::selectListEntry(disc::ComboBox list, int index) {
    filling_ = true;
    combo(list)->setCurrentIndex(index);
    filling_ = false;
}

int DiscWindow::selectedListEntry(disc::ComboBox list) const { return combo(list)->currentIndex(); }
int DiscWindow::listItemData(disc::ComboBox list, int index) const { return combo(list)->itemData(index).toInt(); }

std::string DiscWindow::volumeLabel() const { return txtVolIdentifier_->text().toStdString(); }

void DiscWindow::setVolumeLabel(const std::string& text) {
    filling_ = true;
    txtVolIdentifier_->setText(q(text));
    filling_ = false;
}

void DiscWindow::setVolumeLabelMaxLength(int characters) { txtVolIdentifier_->setMaxLength(characters); }

void DiscWindow::setStatusPanel(int panel, const std::string& text) {
    if (panel >= 1 && panel <= 3) panels_[static_cast<std::size_t>(panel - 1)]->setText(q(text));
}

void DiscWindow::setProgress(int percent) { prgTotalProgress_->setValue(percent); }

QTreeWidgetItem* DiscWindow::node(const std::string& key) const {
    const QString wanted = q(key);
    for (QTreeWidgetItemIterator it(tvwFolders_); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toString() == wanted) return *it;
    return nullptr;
}

void DiscWindow::clearTree() {
    filling_ = true;
    tvwFolders_->clear();
    filling_ = false;
}

void DiscWindow::addTreeNode(const std::string& parentKey, const std::string& key, const std::string& text,
                             const std::string& icon, const std::string& /*selectedIcon*/) {
    filling_ = true;
    QTreeWidgetItem* parent = parentKey.empty() ? nullptr : node(parentKey);
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tvwFolders_);
    item->setText(0, q(text));
    item->setData(0, Qt::UserRole, q(key));
    item->setIcon(0, iconFor(icon));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    filling_ = false;
}

void DiscWindow::removeTreeNode(const std::string& key) {
    if (QTreeWidgetItem* item = node(key)) delete item;
}

void DiscWindow::setTreeNodeText(const std::string& key, const std::string& text) {
    filling_ = true;
    if (QTreeWidgetItem* item = node(key)) item->setText(0, q(text));
    filling_ = false;
}

void DiscWindow::setTreeNodeKey(const std::string& key, const std::string& newKey) {
    filling_ = true;
    if (QTreeWidgetItem* item = node(key)) item->setData(0, Qt::UserRole, q(newKey));
    filling_ = false;
}

void DiscWindow::expandTreeNode(const std::string& key) {
    if (QTreeWidgetItem* item = node(key)) item->setExpanded(true);
}

std::string DiscWindow::selectedTreeKey() const { return keyOf(tvwFolders_->currentItem()); }

void DiscWindow::editTreeNodeLabel(const std::string& key) {
    if (QTreeWidgetItem* item = node(key)) {
        editingTreeKey_ = key;
        tvwFolders_->editItem(item);
    }
}

void DiscWindow::clearFileList() {
    filling_ = true;
    lvwImageFiles_->clear();
    filling_ = false;
}

void DiscWindow::addFileRow(const disc::FileRow& row) {
    filling_ = true;
    auto* item = new QTreeWidgetItem(lvwImageFiles_, {q(row.text), q(row.size), q(row.date)});
    item->setData(0, Qt::UserRole, q(row.key));
    item->setIcon(0, iconFor(row.icon));
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    filling_ = false;
}

std::string DiscWindow::selectedFileKey() const { return keyOf(lvwImageFiles_->currentItem()); }

void DiscWindow::editFileLabel(const std::string& key) {
    for (int i = 0; i < lvwImageFiles_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = lvwImageFiles_->topLevelItem(i);
        if (keyOf(item) == key) {
            editingFileKey_ = key;
            lvwImageFiles_->editItem(item, 0);
        }
    }
}

void DiscWindow::setFileMenuEntryVisible(disc::FileMenuEntry entry, bool visible) {
    fileEntries_.at(entry)->setVisible(visible);
}

void DiscWindow::popupFileMenu() { mnuFile_->exec(QCursor::pos()); }

void DiscWindow::showEraseWindow(disc::Device& device, disc::DiscEngine& engine) {
    EraseDialog dialog(this);
    dialog.show(device, engine);
}

void DiscWindow::reject() {
    if (mayClose_)
        QDialog::reject();
    else
        logic_->ExitPressed();
}

void DiscWindow::closeEvent(QCloseEvent* event) {
    // The window stays while a write (or an add) runs; otherwise the logic
    // lets go of the component before it goes.
    if (!mayClose_ && !logic_->QueryUnload()) {
        event->ignore();
        return;
    }
    event->accept();
}

void DiscWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void DiscWindow::dropEvent(QDropEvent* event) {
    disc::DropData drop;
    drop.hasFiles = event->mimeData()->hasUrls();
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) drop.files.push_back(url.toLocalFile().toStdString());
    logic_->AddDroppedItems(drop);
    event->acceptProposedAction();
}

bool DiscWindow::eventFilter(QObject* watched, QEvent* event) {
    // F2 renames as the File menu does.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2 &&
        (watched == tvwFolders_ || watched == lvwImageFiles_)) {
        if (watched == tvwFolders_)
            logic_->RenameFolderPressed();
        else
            logic_->RenameFilePressed();
        return true;
    }
    // Drops on the tree or the list reach the window's own handling. The
    // views would refuse a drag as it moves over them (they take no drops
    // of their own), so its moves are answered here too.
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (drag->mimeData()->hasUrls())
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        dropEvent(static_cast<QDropEvent*>(event));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void openDiscWindow(QWidget* parent, const std::function<std::string(const std::string&)>& sourcePath,
                    const std::string& fileTitle, const std::string& filePath) {
    disc::linuxburn::LinuxDiscEngineOptions options;
    options.fileDrives = disc::linuxburn::FileDrivesFromEnvironment();
    options.sourcePath = sourcePath;
    const auto engine = disc::linuxburn::MakeLinuxDiscEngine(options);
    DiscWindow window(*engine, parent);
    if (window.load(fileTitle, filePath)) window.exec();
}

std::function<void(QWidget*, const std::string&, const std::string&)> discWindowOpener(app::Session& session) {
    return [&session](QWidget* parent, const std::string& title, const std::string& path) {
        openDiscWindow(
            parent, [&session](const std::string& p) { return disc::DiscSourcePath(session.files, p); }, title, path);
    };
}

}  // namespace qm::gui
