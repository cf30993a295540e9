#include "app/Session.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include "app/RestoreTransaction.h"

#include "archive/InfoFile.h"
#include "archive/Zip.h"
#include "base/Text.h"
#include "base/WinPath.h"
#include "platform/FileOps.h"

namespace qm::app {

namespace {

// Sessions made in this process; with the process id and the time it makes
// every work folder name unique.
std::atomic<unsigned> sessionCounter{0};

const char* const kRunFolderPrefix = "run-";

}  // namespace

Session::Session(platform::Platform& p)
    : platform(p),
      files(*p.files),
      system(*p.system),
      codePage(p.files->codePage()),
      reg(*p.registry, *p.files, std::string()) {
    if (makeWorkFolder()) {
        reg.setTempFolder(state.WorkFolder);
        state.InfoFilePath = base::joinPath(state.WorkFolder, archive::kInfoFileName, leads());
    }
}

Session::~Session() { removeWorkFolder(); }

bool Session::makeWorkFolder() {
    const std::string root = system.workFolderRoot();
    if (root.empty() || !platform::makeFolders(files, root)) return false;
    removeLeftovers(root);

    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    // A name already taken (a folder left by a crashed run that had the same
    // process id) is passed over.
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%u-%u-%llx", kRunFolderPrefix, static_cast<unsigned>(system.processId()),
                      sessionCounter.fetch_add(1), static_cast<unsigned long long>(seconds));
        const std::string folder = base::joinPath(root, name, leads());
        if (files.folderExists(folder) || files.fileExists(folder)) continue;
        claim_ = files.createPrivateFolder(folder);
        if (!claim_) continue;
        state.WorkFolder = folder;
        ownsWorkFolder_ = true;
        return true;
    }
    return false;
}

void Session::removeLeftovers(const std::string& root) {
    std::vector<std::string> folders;
    if (!files.listFolders(root, folders)) return;
    for (const auto& name : folders) {
        if (name.rfind(kRunFolderPrefix, 0) != 0) continue;
        const std::string folder = base::joinPath(root, name, leads());
        {
            // A killed run's: the restore it was making is finished or
            // undone first. A running run's stays as it is.
            const auto claim = files.claimFolder(folder);
            if (!claim) continue;
            if (!RecoverRestore(*this, folder)) continue;  // another installation's
        }
        // Read first: removing the folder takes the note with it.
        std::string note;
        files.readFile(base::joinPath(folder, archive::kReplacementsNote, leads()), note);
        if (!files.removeUnclaimedFolder(folder)) continue;
        for (const auto& target : base::split(note, '\n')) {
            const std::string path = base::trimBlanks(target.substr(0, target.find('\r')));
            if (!path.empty()) files.removeStaleReplacements(path);
        }
    }
}

void Session::removeWorkFolder() {
    if (!ownsWorkFolder_) return;
    // Let go first: a claimed folder cannot be removed on Windows.
    claim_.reset();
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
