#pragma once
// One of a few names chosen from a list (a Wine prefix's users).
#include <string>
#include <vector>

#include "win32gui/Dialog.h"

namespace qm::win32gui {

class ChoiceDialog : public Dialog {
public:
    ChoiceDialog(std::string title, std::string label, std::vector<std::string> choices, std::string current);
    // Shown modally; the name chosen, empty when cancelled.
    static std::string choose(HWND owner, const std::string& title, const std::string& label,
                              const std::vector<std::string>& choices, const std::string& current);

protected:
    bool onInit() override;
    bool onCommand(int id, int code) override;

private:
    std::string title_;
    std::string label_;
    std::vector<std::string> choices_;
    std::string chosen_;
};

}  // namespace qm::win32gui
