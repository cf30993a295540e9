#pragma once
// The password window frmPwd.
#include <optional>
#include <string>

namespace qm::app {

class PasswordPrompt {
public:
    virtual ~PasswordPrompt() = default;
    // Shown modally; the typed text (UTF-8), or nothing when cancelled.
    virtual std::optional<std::string> askPassword() = 0;
};

}  // namespace qm::app
