// frmMaindvdwrite, the writing side: load, drives and speeds, the medium
// check, the write followed to its end, verification, the Device menu and
// the rule for closing.
#include <algorithm>
#include <cstdio>

#include "disc/DiscWritePresenter.h"
#include "disc/Formats.h"
#include "disc/Texts.h"

namespace qm::disc {

using app::Answer;
using app::Buttons;
using app::Icon;

namespace {

constexpr const char* kLineBreak = "\r\n";

struct VolumeType {
    const char* text;
    int code;
};
const VolumeType kVolumeTypes[] = {
    {text::kIso9660, filesystem::Iso9660},
    {text::kUdf, filesystem::Udf},
    {text::kIsoJoliet, filesystem::Joliet},
    {text::kIsoUdfDvdVideo, filesystem::UdfDvdVideo},
    {text::kIsoJolietUdf, filesystem::JolietUdf},
};
constexpr int kDefaultVolumeType = 4;

constexpr Control kSwitchedControls[] = {
    Control::mnuFile,         Control::mnuDevice,     Control::cboDevices,      Control::cboWriteSpeed,
    Control::lvwImageFiles,   Control::tvwFolders,    Control::cmdWriteDisc,    Control::chkCacheImage,
    Control::chkFinalizeDisc, Control::chkTestWrite,  Control::cboVolumeType,   Control::txtVolIdentifier,
    Control::chkUseMode2XA,   Control::chkAutoVerify, Control::chkUseFileDates, Control::chkDiscAtOnce,
};

std::string noDevicesText() { return text::kNoDevices + std::string(kLineBreak) + text::kOlderDevices; }

const char* verifyPrefix(int result) {
    switch (result) {
    case verify::SourceUnreadable: return text::kVerifySourceUnreadable;
    case verify::DiscUnreadable: return text::kVerifyDiscUnreadable;
    case verify::ContentDiffers: return text::kVerifyContentDiffers;
    case verify::SizeDiffers: return text::kVerifySizeDiffers;
    default: return nullptr;
    }
}

std::string matchedText(int total, int matched) {
    return text::kVerifyComplete + std::to_string(matched) + text::kOf + std::to_string(total) + text::kMatched;
}

}  // namespace

std::string WriteFailureText(const WriteFailure& f) {
    switch (f.Kind) {
    case failure::Device: {
        const auto& d = f.DeviceFailure;
        return text::kDeviceError + std::to_string(d.Code) + text::kCodeEnd + d.Text + kLineBreak + d.Detail +
               text::kDash + d.Extra;
    }
    case failure::OutputFile:
    case failure::SourceFile: {
        const auto& p = f.FileProblem;
        const char* prefix = f.Kind == failure::OutputFile ? text::kOutputFileError : text::kSourceFileError;
        return prefix + std::to_string(p.Code) + text::kCodeEnd + p.Text + kLineBreak + "'" + p.FilePath + "'";
    }
    case failure::System:
        return text::kSystemError + std::to_string(f.SystemCode) + text::kCodeEnd + f.Text;
    default:
        return text::kWriteErrorPrefix + std::to_string(f.Kind) + text::kCodeEnd + f.Text;
    }
}

bool DiscWritePresenter::Load(std::string& discFileTitle, std::string& discFilePath) {
    view_.setCaption(text::kDiscCaption);
    view_.setVolumeLabelMaxLength(kVolumeLabelLength);
    if (!engine_.Initialize(false)) {
        view_.showMessage(text::kInitFailed, Icon::None, Buttons::Ok);
        view_.endApplication();
        return false;
    }
    ListDevices();
    EnableControls(true);
    job_ = &engine_.WriteJob();
    image_ = &job_->Image();
    image_->Clear();

    view_.clearList(ComboBox::cboVolumeType);
    for (const auto& type : kVolumeTypes) view_.addListEntry(ComboBox::cboVolumeType, type.text, type.code);
    view_.selectListEntry(ComboBox::cboVolumeType, kDefaultVolumeType);
    job_->FileSystem = kVolumeTypes[kDefaultVolumeType].code;

    job_->StartSetting = 1;
    job_->UseFileDates = true;
    view_.setChecked(CheckBox::chkUseFileDates, true);
    applyFileDatesRule();

    ResetImageView();
    view_.setVolumeLabel(text::kDefaultLabel);
    VolumeLabelChanged(text::kDefaultLabel);
    TakeArchive(discFileTitle, discFilePath);
    return true;
}

void DiscWritePresenter::ListDevices() {
    view_.clearList(ComboBox::cboDevices);
    const int count = engine_.DeviceCount();
    for (int i = 0; i < count; ++i) {
        Device* device = engine_.DeviceAt(i);
        if (device && device->CanWrite()) view_.addListEntry(ComboBox::cboDevices, device->Name(), i);
    }
    if (view_.listCount(ComboBox::cboDevices) == 0) {
        selectedDevice_ = nullptr;
        info(noDevicesText());
        return;
    }
    view_.selectListEntry(ComboBox::cboDevices, 0);
    DeviceSelected();
}

void DiscWritePresenter::DeviceSelected() {
    const int entry = view_.selectedListEntry(ComboBox::cboDevices);
    selectedDevice_ = entry < 0 ? nullptr : engine_.DeviceAt(view_.listItemData(ComboBox::cboDevices, entry));
    ListWriteSpeeds();
    const bool protect = selectedDevice_ && selectedDevice_->Supports(capability::BufferUnderrunProtection);
    view_.setEnabled(Control::chkUseBufferProtect, protect && idle_);
    view_.setChecked(CheckBox::chkUseBufferProtect, protect);
}

void DiscWritePresenter::ListWriteSpeeds() {
    view_.clearList(ComboBox::cboWriteSpeed);
    int count = 0;
    if (selectedDevice_) {
        selectedDevice_->Refresh(false);
        count = selectedDevice_->SpeedCount();
    }
    for (int i = 0; i < count; ++i) {
        const int speed = selectedDevice_->SpeedAt(i);
        view_.addListEntry(ComboBox::cboWriteSpeed, FormatSpeed(selectedDevice_->SpeedFactor(speed)), speed);
    }
    if (count == 0) view_.addListEntry(ComboBox::cboWriteSpeed, text::kMaxSpeed, 0);
    view_.selectListEntry(ComboBox::cboWriteSpeed, 0);
}

void DiscWritePresenter::EnableControls(bool enabled) {
    for (const Control control : kSwitchedControls) view_.setEnabled(control, enabled);
    view_.setEnabled(Control::chkUseFileDates, enabled && fileDatesOptional());
    view_.setEnabled(Control::chkUseBufferProtect,
                     enabled && selectedDevice_ && selectedDevice_->Supports(capability::BufferUnderrunProtection));
    view_.setEnabled(Control::cmdCancel, !enabled);
    idle_ = enabled;
    view_.setHourglass(!enabled);
    view_.yield();
}

bool DiscWritePresenter::CheckMedia() {
    if (!selectedDevice_ || !job_) {
        info(noDevicesText());
        return false;
    }
    selectedDevice_->Refresh(true);
    const MediaInfo media = selectedDevice_->Media();
    if (media.MediaType != media::None && media.IsWritable) {
        const double freeBytes =
            static_cast<double>(selectedDevice_->FreeBlocks(true)) * static_cast<double>(job_->BlockSize());
        const double needed = job_->ImageSize();
        if (freeBytes >= needed) return true;
        info(text::kFreeSpaceIs + Megabytes(freeBytes) + text::kFreeSpaceEnd + kLineBreak + text::kImageRequires +
             Megabytes(needed) + text::kImageRequiresEnd);
        return false;
    }
    info(text::kInsertMedia);
    return false;
}

int DiscWritePresenter::selectedVolumeType() const {
    const int entry = view_.selectedListEntry(ComboBox::cboVolumeType);
    return entry < 0 ? (job_ ? job_->FileSystem : filesystem::JolietUdf)
                     : view_.listItemData(ComboBox::cboVolumeType, entry);
}

bool DiscWritePresenter::fileDatesOptional() const { return !job_ || job_->FileDatesOptional(selectedVolumeType()); }

void DiscWritePresenter::applyFileDatesRule() {
    if (!job_) return;
    const bool optional = fileDatesOptional();
    if (!optional && !fileDatesForced_) {
        chosenFileDates_ = view_.isChecked(CheckBox::chkUseFileDates);
        fileDatesForced_ = true;
        view_.setChecked(CheckBox::chkUseFileDates, true);
    } else if (optional && fileDatesForced_) {
        fileDatesForced_ = false;
        view_.setChecked(CheckBox::chkUseFileDates, chosenFileDates_);
    }
    view_.setEnabled(Control::chkUseFileDates, idle_ && optional);
    job_->UseFileDates = view_.isChecked(CheckBox::chkUseFileDates);
}

void DiscWritePresenter::VolumeTypeSelected() {
    if (idle_) applyFileDatesRule();
}

void DiscWritePresenter::UseFileDatesClicked() {
    if (!job_) return;
    if (!fileDatesOptional()) {
        view_.setChecked(CheckBox::chkUseFileDates, true);  // the box is not usable with this type
        return;
    }
    job_->UseFileDates = view_.isChecked(CheckBox::chkUseFileDates);
}

bool DiscWritePresenter::choosePlacement() {
    job_->AppendSession = false;
    const MediaInfo media = selectedDevice_->Media();
    if (!media.HoldsData) return true;
    const bool canAppend = job_->CanAppend(job_->FileSystem);
    if (media.IsAppendable && canAppend) {
        job_->AppendSession = true;
        return true;
    }
    if (media.IsOverwritable) {
        if (job_->TestWrite) return true;  // a simulation replaces nothing
        std::string question = text::kOverwriteWarning;
        if (media.IsAppendable) question += kLineBreak + std::string(text::kAppendInstead);
        question += kLineBreak + std::string(kLineBreak) + text::kWriteAnyway;
        return view_.showMessage(question, Icon::Exclamation, Buttons::OkCancel) == Answer::Ok;
    }
    info(media.IsAppendable ? text::kUdfCannotAppend : text::kCannotAppend);
    return false;
}

bool DiscWritePresenter::acceptChangedNames() {
    constexpr std::size_t kListed = 10;
    const std::vector<std::string> names = job_->ChangedNames();
    if (names.empty()) return true;
    std::string message = text::kNamesChange;
    for (std::size_t i = 0; i < names.size() && i < kListed; ++i) message += kLineBreak + names[i];
    if (names.size() > kListed)
        message += kLineBreak + (text::kMoreNamesStart + std::to_string(names.size() - kListed) + text::kMoreNamesEnd);
    message += kLineBreak + std::string(kLineBreak) + text::kWriteAnyway;
    return view_.showMessage(message, Icon::Exclamation, Buttons::OkCancel) == Answer::Ok;
}

void DiscWritePresenter::WriteDiscPressed() {
    if (!job_ || imageLocked()) return;
    if (!CheckMedia()) return;
    job_->Volume.Label = FirstCharacters(view_.volumeLabel(), kVolumeLabelLength);
    job_->WriteSetting = 1;
    const int speed = view_.selectedListEntry(ComboBox::cboWriteSpeed);
    job_->WriteSpeed = speed < 0 ? 0 : view_.listItemData(ComboBox::cboWriteSpeed, speed);
    const int type = view_.selectedListEntry(ComboBox::cboVolumeType);
    if (type >= 0) job_->FileSystem = view_.listItemData(ComboBox::cboVolumeType, type);
    job_->AutoVerify = view_.isChecked(CheckBox::chkAutoVerify);
    job_->Mode2XA = view_.isChecked(CheckBox::chkUseMode2XA);
    job_->CacheImage = view_.isChecked(CheckBox::chkCacheImage);
    job_->TestWrite = view_.isChecked(CheckBox::chkTestWrite);
    job_->Finalize = view_.isChecked(CheckBox::chkFinalizeDisc);
    job_->BufferProtection = view_.isChecked(CheckBox::chkUseBufferProtect);
    job_->WriteMode = view_.isChecked(CheckBox::chkDiscAtOnce) ? writemode::DiscAtOnce : writemode::TrackAtOnce;
    job_->UseFileDates = view_.isChecked(CheckBox::chkUseFileDates) || !fileDatesOptional();
    if (!choosePlacement() || !acceptChangedNames()) return;

    testWrite_ = job_->TestWrite;
    verifyStarted_ = false;
    verifyFinished_ = false;
    verifyTotal_ = verifyMatched_ = 0;
    if (!job_->StartWrite(*selectedDevice_)) {
        view_.showMessage(text::kWriteNotStarted, Icon::Critical, Buttons::Ok);
        return;
    }
    EnableControls(false);
    followWrite();
}

void DiscWritePresenter::followWrite() {
    writing_ = true;
    while (engine_.Poll(kPollMilliseconds)) view_.yield();
    writing_ = false;
    // A write the component ended without its last stage must not leave the
    // window locked.
    if (!idle_) {
        view_.setStatusPanel(1, text::kWriteError);
        EnableControls(true);
    }
}

void DiscWritePresenter::CancelPressed() {
    if (idle_ || !job_) return;
    job_->AbortWrite();
    view_.setStatusPanel(1, text::kAborting);
}

void DiscWritePresenter::EjectPressed() {
    if (selectedDevice_ && idle_) selectedDevice_->Eject();
}

void DiscWritePresenter::CloseTrayPressed() {
    if (selectedDevice_ && idle_) selectedDevice_->CloseTray();
}

void DiscWritePresenter::EraseDiscPressed() {
    if (!idle_) return;
    if (!selectedDevice_) {
        info(noDevicesText());
        return;
    }
    view_.showEraseWindow(*selectedDevice_, engine_);
}

bool DiscWritePresenter::QueryUnload() {
    if (!idle_ || adding_ > 0 || writing_) return false;
    selectedDevice_ = nullptr;
    job_ = nullptr;
    image_ = nullptr;
    return true;
}

void DiscWritePresenter::ExitPressed() {
    if (QueryUnload()) view_.closeWindow();
}

void DiscWritePresenter::WriteStatus(int percent, int stageNumber) {
    switch (stageNumber) {
    case stage::Preparing: view_.setStatusPanel(1, text::kPreparing); break;
    case stage::Writing:
    case stage::WritingPregap:
    case stage::Formatting: view_.setProgress(std::clamp(percent, 0, 100)); break;
    case stage::ClosingTrack: view_.setStatusPanel(1, text::kClosingTrack); break;
    case stage::LeadIn: view_.setStatusPanel(1, text::kLeadIn); break;
    case stage::LeadOut: view_.setStatusPanel(1, text::kLeadOut); break;
    case stage::ClosingSession: view_.setStatusPanel(1, text::kUpdatingVolume); break;
    case stage::Completed: {
        view_.setStatusPanel(1, text::kWriteCompletedStatus);
        const bool verified = verifyFinished_ && verifyMatched_ == verifyTotal_;
        if (testWrite_) {
            info(text::kTestWriteComplete);
        } else if (job_ && job_->AutoVerify && !verified) {
            std::string message = text::kVerifyFailed;
            if (verifyFinished_) message += kLineBreak + matchedText(verifyTotal_, verifyMatched_);
            view_.showMessage(message, Icon::Exclamation, Buttons::Ok);
        } else {
            info(job_ && job_->AutoVerify ? text::kWriteVerifyComplete : text::kWriteComplete);
        }
        EnableControls(true);
        break;
    }
    case stage::Cancelled:
        // Cancelled while it verified: what was written is on the disc.
        view_.setStatusPanel(1, verifyStarted_ ? text::kVerifyCancelledStatus : text::kWriteCancelledStatus);
        info(verifyStarted_ ? text::kVerifyCancelled : text::kWriteCancelled);
        EnableControls(true);
        break;
    case stage::Failed:
        view_.setStatusPanel(1, text::kWriteError);
        EnableControls(true);
        break;
    default: break;
    }
}

void DiscWritePresenter::TrackReading(int track, int count, const std::string& what) {
    char number[16];
    std::snprintf(number, sizeof number, "%02d", track);
    view_.setStatusPanel(1, text::kTrack + std::string(number) + text::kReading + std::to_string(count) + text::kDash +
                                what);
}

bool DiscWritePresenter::FileWarning(const FileProblem& problem) {
    const std::string message = text::kFileWarning + std::to_string(problem.Code) + "):" + problem.FilePath +
                                kLineBreak + problem.Text;
    const Answer answer = view_.showMessage(message, Icon::Exclamation, Buttons::OkCancel);
    view_.setStatusPanel(1, text::kFileWarningStatus);
    return answer == Answer::Ok;
}

void DiscWritePresenter::WriteFailed(const WriteFailure& failure) {
    view_.showMessage(WriteFailureText(failure), Icon::Critical, Buttons::Ok);
}

void DiscWritePresenter::VerifyStarted(int newFiles) {
    verifyStarted_ = true;
    view_.setStatusPanel(1, text::kAutoVerifyStatus + std::to_string(newFiles) + text::kNewFiles);
}

void DiscWritePresenter::VerifyProgress(const ImageItem& item, int result, int done, int total) {
    if (const char* prefix = verifyPrefix(result)) {
        view_.showMessage(prefix + std::string(kLineBreak) + item.ImagePath + text::kDiscSuffix + kLineBreak +
                              item.SourcePath + text::kSourceSuffix,
                          Icon::None, Buttons::Ok);
    }
    view_.setStatusPanel(1, text::kAutoVerifyStatus + item.ImagePath);
    view_.setProgress(VerifyPercent(done, total));
}

void DiscWritePresenter::VerifyFinished(int total, int matched) {
    verifyFinished_ = true;
    verifyTotal_ = total;
    verifyMatched_ = matched;
    view_.setStatusPanel(1, matchedText(total, matched));
}

}  // namespace qm::disc
