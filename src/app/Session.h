#pragma once
// Everything one program instance holds while the process lives: the state,
// the installation's services, the registry layer, this run's own work
// folder, and whether a run is working. Jobs and presenters work on a
// Session; it knows no window.
#include <memory>
#include <string>

#include "app/ApplicationState.h"
#include "platform/Platform.h"
#include "registry/ModReg.h"

namespace qm::app {

class Session {
public:
    // Makes this run's own work folder under the user's work folder root
    // (readable by the user alone, claimed while the session lives), after
    // removing what killed runs left there.
    explicit Session(platform::Platform& platform);
    ~Session();  // removes the work folder and what is left in it
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    ApplicationState state;

    platform::Platform& platform;
    platform::FileSystem& files;
    platform::System& system;
    const platform::CodePage& codePage;
    registry::ModReg reg;

    // The lead bytes of the installation's code page, for the path rules.
    const base::LeadBytes& leads() const { return codePage.leadBytes(); }

    // The information file at state.InfoFilePath.
    bool SaveINI(const std::string& key, const std::string& value);
    std::string GetINI(const std::string& key) const;
    // A new empty temporary file in the work folder.
    std::string sGetTempFile(const std::string& prefix);

    // False when the work folder could not be made; state.WorkFolder is
    // then empty and every file operation of the run fails.
    bool hasWorkFolder() const { return ownsWorkFolder_; }

    // True while a backup, a restore or the opening of a backup works: a
    // window refuses (or disables) the commands that would start another.
    bool running() const { return running_; }

private:
    friend class RunGuard;
    bool makeWorkFolder();
    void removeWorkFolder();
    // The work folders (and the new files beside targets) of earlier runs
    // that were killed before they could remove them.
    void removeLeftovers(const std::string& root);

    std::unique_ptr<platform::FolderClaim> claim_;
    bool ownsWorkFolder_ = false;
    bool running_ = false;
};

// Marks the session as running for its lifetime; acquired() is false when
// another run already works (nothing may then be started).
class RunGuard {
public:
    explicit RunGuard(Session& session);
    ~RunGuard();
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;
    bool acquired() const { return acquired_; }

private:
    Session& session_;
    bool acquired_ = false;
};

}  // namespace qm::app
