#pragma once
// frmPwd: the password of a protected backup file.
#include <optional>
#include <string>

#include "win32gui/Dialog.h"

namespace qm::win32gui {

class PasswordDialog : public Dialog {
public:
    PasswordDialog();
    // Shown modally; the typed text, or nothing when cancelled.
    static std::optional<std::string> ask(HWND owner);
    // For tests: the next prompts answer these without being shown
    // (nothing: cancelled).
    static void queueAnswer(std::optional<std::string> answer);
    static void clearQueue();

    const std::string& typed() const { return typed_; }

protected:
    bool onInit() override;
    bool onCommand(int id, int code) override;

private:
    std::string typed_;
};

}  // namespace qm::win32gui
