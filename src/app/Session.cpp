#include "app/Session.h"

#include <atomic>
#include <chrono>
#include <cstdio>

#include "archive/InfoFile.h"
#include "base/WinPath.h"
#include "platform/FileOps.h"

namespace qm::app {

namespace {

// Sessions made in this process; with the process id and the time it makes
// every work folder name unique.
std::atomic<unsigned> sessionCounter{0};

}  // namespace

Session::Session(platform::Platform& p)
    : platform(p),
      files(*p.files),
      system(*p.system),
      codePage(p.files->codePage()),
      reg(*p.registry, *p.files, std::string()),
      zip1(*p.files) {
    if (makeWorkFolder()) {
        reg.setTempFolder(state.WorkFolder);
        zip1.setArchiveWorkFolder(state.WorkFolder);
        state.InfoFilePath = base::joinPath(state.WorkFolder, archive::kInfoFileName, leads());
    }
}

Session::~Session() {
    zip1.ResetArchive();
    zip1.setEvents(nullptr);
    removeWorkFolder();
}

bool Session::makeWorkFolder() {
    const std::string root = system.workFolderRoot();
    if (root.empty() || !platform::makeFolders(files, root)) return false;

    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    // A name already taken (a folder left by a crashed run that had the same
    // process id) is passed over.
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "run-%u-%u-%llx", static_cast<unsigned>(system.processId()),
                      sessionCounter.fetch_add(1), static_cast<unsigned long long>(seconds));
        const std::string folder = base::joinPath(root, name, leads());
        if (files.folderExists(folder) || files.fileExists(folder)) continue;
        if (!files.createFolder(folder)) continue;
        state.WorkFolder = folder;
        ownsWorkFolder_ = true;
        return true;
    }
    return false;
}

void Session::removeWorkFolder() {
    if (!ownsWorkFolder_) return;
    std::vector<std::string> names;
    if (files.listFiles(state.WorkFolder, names))
        for (const auto& name : names) platform::removeFile(files, base::joinPath(state.WorkFolder, name, leads()));
    files.removeFolder(state.WorkFolder);
    ownsWorkFolder_ = false;
}

bool Session::SaveINI(const std::string& key, const std::string& value) {
    return archive::SaveINI(files, key, value, state.InfoFilePath);
}

std::string Session::GetINI(const std::string& key) const { return archive::GetINI(files, key, state.InfoFilePath); }

std::string Session::sGetTempFile(const std::string& prefix) {
    return archive::sGetTempFile(files, state.WorkFolder, prefix);
}

RunGuard::RunGuard(Session& session) : session_(session) {
    if (session_.running_) return;
    session_.running_ = true;
    acquired_ = true;
}

RunGuard::~RunGuard() {
    if (acquired_) session_.running_ = false;
}

}  // namespace qm::app
