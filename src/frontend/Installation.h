#pragma once
// The installation a front end works on, opened in one place for the
// windows and the console alike: the platform's services (the Wine prefix,
// its user and code page, or this Windows), a session with its own work
// folder, what start-up learns of Outlook, and the job scheduler of the
// scheduled backups.
#include <memory>
#include <string>

#include "app/Session.h"
#include "platform/OpenPlatform.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"

namespace qm::frontend {

class Installation {
public:
    Installation() = default;
    ~Installation();
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    // False, with the reason for the user, when the installation or a work
    // folder cannot be used. With `learn`, what start-up learns (names,
    // versions, profiles) is learnt; an installation without a usable
    // Outlook profile is no failure (see hasOutlook()): the runs refuse
    // what needs a profile.
    bool open(const platform::PlatformOptions& options, bool learn, std::string& why);

    bool hasOutlook() const { return hasOutlook_; }
    app::Session& session() { return *session_; }
    platform::Platform& platform() { return platform_; }
    // The scheduler of this installation's backups; one that cannot be
    // reached says why whenever it is used.
    platform::Scheduler& scheduler();
    // What a scheduled job starts: this program, by its own path.
    std::string program() const;

private:
    platform::PlatformOptions options_;
    platform::Platform platform_;
    std::unique_ptr<app::Session> session_;
    std::unique_ptr<platform::Scheduler> scheduler_;
    bool hasOutlook_ = false;
};

// The scheduler alone, for what needs no installation opened (listing and
// removing jobs). QUILLMARK_CRONTAB_USER, when set, names whose crontab it
// uses (the tests aim it at a user of their own). Null with the reason when
// there is none.
std::unique_ptr<platform::Scheduler> OpenJobScheduler(const platform::PlatformOptions& options, std::string& why);

// The message start-up shows when no usable Outlook profile is found.
inline const char* const kNoOutlookMessage = "Your Windows System have not install MS Outlook or MS Outlook Error!";

}  // namespace qm::frontend
