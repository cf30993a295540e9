#pragma once
// Everything one main window holds while the process lives: the state, the
// installation's services, the registry layer, the ZIP component and the
// view. Items and runs work on a Session.
#include <memory>
#include <string>

#include "app/ApplicationState.h"
#include "app/MainView.h"
#include "archive/Zip.h"
#include "platform/Platform.h"
#include "registry/ModReg.h"

namespace qm::app {

// folder "\" name, with exactly one separator even when the folder is a
// drive root ("C:\").
std::string JoinPath(const std::string& folder, const std::string& name);

class Session {
public:
    // Makes this run's own work folder under the user's work folder root.
    Session(platform::Platform& platform, MainView& view);
    ~Session();  // removes the work folder and what is left in it
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    ApplicationState state;

    platform::Platform& platform;
    platform::FileSystem& files;
    platform::System& system;
    MainView& view;
    registry::ModReg reg;
    archive::Zip zip1;

    // The information file at state.InfoFilePath.
    bool SaveINI(const std::string& key, const std::string& value);
    std::string GetINI(const std::string& key) const;
    // A new empty temporary file in the work folder.
    std::string sGetTempFile(const std::string& prefix);

    // False when the work folder could not be made; state.WorkFolder is
    // then empty and every file operation of the run fails.
    bool hasWorkFolder() const { return ownsWorkFolder_; }

    // The session's own handling of zip1's events, for a run that watches
    // one write and passes the events on.
    archive::ArchiveEvents* archiveEvents() const { return events_.get(); }

private:
    bool makeWorkFolder();
    void removeWorkFolder();

    std::unique_ptr<archive::ArchiveEvents> events_;
    bool ownsWorkFolder_ = false;
};

}  // namespace qm::app
