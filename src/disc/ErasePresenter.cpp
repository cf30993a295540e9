// frmErase.
#include "disc/ErasePresenter.h"

#include <algorithm>

#include "disc/Texts.h"

namespace qm::disc {

using app::Buttons;
using app::Icon;

namespace {

// A medium can be erased when the drive supports the capability of a row and
// the medium is of that row's type; the rows are tried in this order.
struct RewritableFormat {
    int capability;
    int mediaType;
};
constexpr RewritableFormat kRewritableFormats[] = {
    {capability::WriteCdRw, media::CdRw},           {capability::WriteDvdRw, media::DvdRw},
    {capability::WriteDvdPlusRw, media::DvdPlusRw}, {capability::WriteDvdRam, media::DvdRam},
    {capability::WriteBdRe, media::BdRe},
};

}  // namespace

ErasePresenter::ErasePresenter(EraseView& view) : view_(view) {}

ErasePresenter::~ErasePresenter() {
    if (mobjEngine_) mobjEngine_->Unsubscribe(*this);
}

void ErasePresenter::info(const char* text) { view_.showMessage(text, Icon::Information, Buttons::Ok); }

void ErasePresenter::ShowErase(Device& device, DiscEngine& engine) {
    device_ = &device;
    mobjEngine_ = &engine;
    mobjEngine_->Subscribe(*this);
    view_.setQuickEraseChecked(true);
    view_.setProgress(0);
    view_.setStatus("");
    view_.setEraseEnabled(true);
    view_.setCancelEnabled(true);
    erasing_ = false;
    view_.showModal();
    if (mobjEngine_) {
        mobjEngine_->Unsubscribe(*this);
        mobjEngine_ = nullptr;
    }
    device_ = nullptr;
}

void ErasePresenter::ErasePressed() {
    if (!device_ || !mobjEngine_ || erasing_) return;
    device_->Refresh(false);
    const MediaInfo media = device_->Media();
    if (media.MediaType == media::None) {
        info(text::kNoMedia);
        close();
        return;
    }
    if (!media.IsRewritable) {
        info(text::kNotRewritable);
        close();
        return;
    }
    const bool accepted = std::any_of(std::begin(kRewritableFormats), std::end(kRewritableFormats),
                                      [&](const RewritableFormat& row) {
                                          return device_->Supports(row.capability) && media.MediaType == row.mediaType;
                                      });
    if (!accepted) {
        info(text::kFormatUnsupported);
        close();
        return;
    }
    const int setting = device_->EraseSetting();
    if (!device_->StartErase(view_.quickEraseChecked(), setting)) {
        view_.showMessage(text::kEraseNotStarted, Icon::Critical, Buttons::Ok);
        close();
        return;
    }
    // From here until the component reports the end the window must not
    // close: it would let go of a drive that is still erasing.
    erasing_ = true;
    view_.setEraseEnabled(false);
    view_.setCancelEnabled(false);
    DiscEngine* engine = mobjEngine_;
    while (engine->Poll(kPollMilliseconds)) view_.yield();
    if (erasing_) {  // ended without a final report
        view_.setStatus(text::kEraseError);
        view_.setEraseEnabled(true);
        view_.setCancelEnabled(true);
        erasing_ = false;
    }
}

void ErasePresenter::CancelPressed() { close(); }

bool ErasePresenter::QueryUnload() { return !erasing_; }

void ErasePresenter::close() {
    if (erasing_) return;
    view_.closeWindow();
}

void ErasePresenter::EraseStatus(int stageNumber, int percent) {
    switch (stageNumber) {
    case erase::Started:
        erasing_ = true;
        view_.setStatus(text::kErasing);
        view_.setCancelEnabled(false);
        view_.setEraseEnabled(false);
        view_.setProgress(std::clamp(percent, 0, 100));
        break;
    case erase::Progress: view_.setProgress(std::clamp(percent, 0, 100)); break;
    case erase::Completed:
        view_.setStatus(text::kEraseCompleteStatus);
        info(text::kEraseCompleted);
        view_.setEraseEnabled(true);
        view_.setCancelEnabled(true);
        erasing_ = false;
        close();
        break;
    case erase::Failed:
        view_.setStatus(text::kEraseError);
        view_.setEraseEnabled(true);
        view_.setCancelEnabled(true);
        erasing_ = false;
        close();
        break;
    default: break;
    }
}

void ErasePresenter::EraseFailed(const DeviceFailure& d) {
    view_.showMessage(text::kDeviceError + std::to_string(d.Code) + text::kCodeEnd + d.Text + "\r\n(" + d.Extra +
                          ") " + d.Detail,
                      Icon::Critical, Buttons::Ok);
    view_.setEraseEnabled(true);
    view_.setCancelEnabled(true);
    erasing_ = false;
}

}  // namespace qm::disc
