#include "app/Session.h"

#include <atomic>
#include <chrono>
#include <cstdio>

#include "archive/InfoFile.h"

namespace qm::app {

namespace {

// The ZIP component's events, shown on the busy panel.
class SessionEvents : public archive::ArchiveEvents {
public:
    explicit SessionEvents(Session& session) : s_(session) {}

    void ArchiveEntryAdded(const std::string& fileName) override { show("Adding File " + fileName); }
    void ArchiveEntryExtracted(const std::string& fileName) override { show("Unzip File " + fileName); }
    void ArchiveWriteProgress(int percent) override {
        s_.view.setPercentLine("Write File " + std::to_string(percent) + "%");
    }
    void ArchiveWriteDone() override { s_.state.ArchiveWritten = true; }

private:
    void show(const std::string& line) {
        s_.view.setFileLine(line);
        s_.view.yield();
        s_.view.pause(1000);
    }
    Session& s_;
};

// Sessions made in this process; with the process id and the time it makes
// every work folder name unique.
std::atomic<unsigned> sessionCounter{0};

// Creates the missing levels of a Windows path ("C:\a\b", "\\srv\share\a").
void createFolderChain(platform::FileSystem& files, const std::string& path) {
    if (path.empty() || files.folderExists(path)) return;
    std::size_t start = 0;
    if (path.rfind("\\\\", 0) == 0) {
        // Skip "\\server\share".
        std::size_t server = path.find('\\', 2);
        start = server == std::string::npos ? path.size() : path.find('\\', server + 1);
        if (start == std::string::npos) start = path.size();
    } else if (path.size() >= 2 && path[1] == ':') {
        start = 2;
    }
    for (std::size_t pos = path.find('\\', start + 1); ; pos = path.find('\\', pos + 1)) {
        std::string level = path.substr(0, pos);
        if (!level.empty() && level.back() != '\\' && !files.folderExists(level)) files.createFolder(level);
        if (pos == std::string::npos) break;
    }
}

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '\\') return folder + name;
    return folder + "\\" + name;
}

Session::Session(platform::Platform& p, MainView& v)
    : platform(p),
      files(*p.files),
      system(*p.system),
      view(v),
      reg(*p.registry, *p.files, v, std::string()),
      zip1(*p.files),
      events_(std::make_unique<SessionEvents>(*this)) {
    zip1.setEvents(events_.get());
    if (makeWorkFolder()) {
        reg.setTempFolder(state.WorkFolder);
        zip1.setArchiveWorkFolder(state.WorkFolder);
        state.InfoFilePath = JoinPath(state.WorkFolder, archive::kInfoFileName);
    }
}

Session::~Session() {
    zip1.ResetArchive();
    zip1.setEvents(nullptr);
    removeWorkFolder();
}

bool Session::makeWorkFolder() {
    std::string root = system.workFolderRoot();
    if (root.empty()) return false;
    createFolderChain(files, root);
    if (!files.folderExists(root)) return false;

    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
    // A name already taken (a folder left by a crashed run that had the same
    // process id) is passed over.
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "run-%u-%u-%llx", static_cast<unsigned>(system.processId()),
                      sessionCounter.fetch_add(1), static_cast<unsigned long long>(seconds));
        std::string folder = JoinPath(root, name);
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
    if (files.listFiles(state.WorkFolder, names)) {
        for (const auto& name : names) {
            std::string path = JoinPath(state.WorkFolder, name);
            // Extracted files may carry the read-only attribute of their source.
            files.setAttributes(path, platform::FileAttribute::Normal);
            files.deleteFile(path);
        }
    }
    files.removeFolder(state.WorkFolder);
    ownsWorkFolder_ = false;
}

bool Session::SaveINI(const std::string& key, const std::string& value) {
    return archive::SaveINI(files, key, value, state.InfoFilePath);
}

std::string Session::GetINI(const std::string& key) const {
    return archive::GetINI(files, key, state.InfoFilePath);
}

std::string Session::sGetTempFile(const std::string& prefix) {
    return archive::sGetTempFile(files, state.WorkFolder, prefix);
}

}  // namespace qm::app
