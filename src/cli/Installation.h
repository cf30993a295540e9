#pragma once
// The installation a command works on, opened as start-up opens it: the
// platform's services, a session with its own work folder and, when asked,
// what start-up learns (names, versions, profiles).
#include <memory>

#include "app/Session.h"
#include "platform/OpenPlatform.h"
#include "platform/Platform.h"

namespace qm::cli {

class Installation {
public:
    Installation() = default;
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    // False (the reason said on standard error) when the installation or a
    // work folder cannot be used. With `learn`, a missing Outlook is said
    // too, but is no failure: the commands refuse what needs a profile.
    bool open(const platform::PlatformOptions& options, bool learn);
    app::Session& session() { return *session_; }

private:
    platform::Platform platform_;
    std::unique_ptr<app::Session> session_;
};

}  // namespace qm::cli
