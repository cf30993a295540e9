#pragma once
// The one place where text crosses between the core (the installation's
// ANSI code page) and a window or a terminal (UTF-8).
#include <string>

#include "platform/CodePage.h"

namespace qm::app {

class ViewText {
public:
    explicit ViewText(const platform::CodePage& codePage) : codePage_(codePage) {}
    // Core text as a window shows it.
    std::string shown(const std::string& ansi) const { return codePage_.toUtf8(ansi); }
    // What a user typed or chose, as the core keeps it.
    std::string typed(const std::string& utf8) const { return codePage_.fromUtf8(utf8); }

private:
    const platform::CodePage& codePage_;
};

}  // namespace qm::app
