#pragma once
// The logic of the erase window frmErase: checks the medium and the drive,
// starts a quick or full erase and follows it to its end, polling the
// component and letting the window's events run in between. The window
// cannot close while an erase runs.
#include "disc/DiscEngine.h"
#include "disc/EraseView.h"

namespace qm::disc {

class ErasePresenter : public DiscEvents {
public:
    static constexpr int kPollMilliseconds = 100;

    explicit ErasePresenter(EraseView& view);
    ~ErasePresenter() override;
    ErasePresenter(const ErasePresenter&) = delete;
    ErasePresenter& operator=(const ErasePresenter&) = delete;

    // Shows the window modally for the drive; returns when it has closed.
    void ShowErase(Device& device, DiscEngine& engine);

    void ErasePressed();
    void CancelPressed();
    // The close box: True when the window may close (it then lets go of the
    // drive and the component); False while an erase runs.
    bool QueryUnload();

    bool Erasing() const { return erasing_; }

    // DiscEvents.
    void EraseStatus(int stage, int percent) override;
    void EraseFailed(const DeviceFailure& failure) override;

private:
    void close();
    void info(const char* text);

    EraseView& view_;
    Device* device_ = nullptr;
    DiscEngine* mobjEngine_ = nullptr;
    bool erasing_ = false;
};

}  // namespace qm::disc
