#pragma once
// Why a request was not made: the text a window shows in its message box
// (with its icon) and a console prints.
#include <string>

#include "app/MessageView.h"

namespace qm::jobs {

struct Refusal {
    std::string text;
    app::Icon icon = app::Icon::Exclamation;
    // Not a check of the choices but the run failing before it began (the
    // installation has no such profile): a console says that nothing was
    // done, then the text.
    bool runFailed = false;
};

}  // namespace qm::jobs
