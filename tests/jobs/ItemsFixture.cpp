#include "jobs/ItemsFixture.h"

#include <zip.h>

#include <algorithm>
#include <filesystem>

#include "app/Startup.h"
#include "archive/InfoFile.h"
#include "base/WinPath.h"
#include "jobs/BackupJob.h"
#include "platform/FileOps.h"
#include "platform/RegistryAccess.h"
#ifndef _WIN32
#include "platform/wine/WinePlatform.h"
#endif
#include "support/HostDrive.h"

namespace qm::test {

namespace fs = std::filesystem;
using namespace qm::platform;

sample::SampleOptions sampleOptions(const std::string& user, const std::string& outlook, const std::string& second) {
    sample::SampleOptions o;
    o.user = user;
    o.outlook = outlook;
    o.secondProfile = second;
    return o;
}

Installation::Installation(const sample::SampleOptions& options, Backend backend) {
    sample::SampleOptions o = options;
    if (backend == Backend::Memory) {
        mem = memory::openMemoryPlatform(platform, options.user, options.windows);
        platform.codePage->select(options.codePage);
        mem.files->mount('Z', hostDrive());
        // What Outlook's automation would answer for the version installed.
        mem.outlook->version = options.outlook;
        if (!sample::buildSample(o, platform, made, error)) return;
    } else {
#ifdef _WIN32
        error = "the Windows build makes no Wine prefixes";
        return;
#else
        prefix = dir / "prefix";
        o.prefix = prefix;
        if (!sample::buildSampleInstallation(o, made, error)) return;
        fs::create_directories(dir / "work");
        fs::create_directories(dir / "program");
        PlatformOptions w;
        w.prefix = prefix;
        // A host text; the sample's names are in its code page.
        CodePage names;
        names.select(options.codePage);
        w.userName = names.toUtf8(options.user);
        w.workRoot = dir / "work";
        w.programFolder = dir / "program";
        if (!openPlatform(w, platform, error)) return;
#endif
    }
    session = std::make_unique<app::Session>(platform);
    if (!session->hasWorkFolder()) {
        error = "no work folder";
        session.reset();
        return;
    }
    if (!app::LoadEnvironment(*session)) {
        error = "start-up found no profile";
        session.reset();
        return;
    }
    available = items::availableItems(*session, session->state.ProfileNames.front());
    zip = std::make_unique<archive::Zip>(session->files);
    zip->setArchiveWorkFolder(session->state.WorkFolder);
    items_ = std::make_unique<items::Items>(*session, *zip, recorded);
}

Installation::~Installation() {
    items_.reset();
    opened_ = jobs::OpenedBackup{};
    zip.reset();
    session.reset();
}

std::string Installation::availablePattern() const { return items::digitsOf(available.enabled); }

std::string Installation::readFile(const std::string& windowsPath) const {
    std::string bytes;
    return platform.files->readFile(windowsPath, bytes) ? bytes : std::string();
}

void Installation::writeFile(const std::string& windowsPath, const std::string& bytes) {
    const std::string folder = base::parentFolder(windowsPath, base::singleByte());
    ASSERT_TRUE(mem.files ? mem.files->makeFolders(folder) : makeFolders(*platform.files, folder)) << windowsPath;
    ASSERT_TRUE(platform.files->writeFile(windowsPath, bytes)) << windowsPath;
}

bool Installation::exists(const std::string& windowsPath) const { return platform.files->stat(windowsPath).exists; }

std::vector<std::string> Installation::filesIn(const std::string& folder) const {
    std::vector<std::string> names;
    platform.files->listFiles(folder, names);
    return names;
}

void Installation::remove(const std::string& windowsPath) {
    if (!mem.files) {
        std::error_code ec;
        fs::remove_all(host(windowsPath), ec);
        return;
    }
    // Deepest first, so that each folder is empty when it goes.
    const std::u16string folded = platform.codePage->foldCase(windowsPath);
    auto paths = mem.files->allPaths();
    std::reverse(paths.begin(), paths.end());
    for (const auto& path : paths) {
        const std::u16string p = platform.codePage->foldCase(path);
        if (p != folded && p.rfind(folded + u"\\", 0) != 0) continue;
        platform.files->setAttributes(path, FileAttribute::Normal);
        if (!platform.files->deleteFile(path)) platform.files->removeFolder(path);
    }
}

std::string Installation::host(const std::string& windowsPath) const { return platform.files->hostPath(windowsPath); }

bool Installation::binary(const std::string& key, const std::string& name, std::string& bytes) const {
    std::string sub = key;
    const KeyHandle root = session->reg.SplitKeyPath(sub);
    RegType type = RegType::None;
    return root != 0 && readValue(*platform.registry, root, sub, name, type, bytes) == RegStatus::Success;
}

bool Installation::hasValue(const std::string& key, const std::string& name) const {
    std::string ignored;
    return binary(key, name, ignored);
}

void Installation::setBinary(const std::string& key, const std::string& name, const std::string& bytes) {
    std::string sub = key;
    const KeyHandle root = session->reg.SplitKeyPath(sub);
    ASSERT_EQ(writeValue(*platform.registry, root, sub, name, RegType::Binary, bytes), RegStatus::Success) << key;
}

bool Installation::startArchive(const std::string& archiveHostPath) {
    auto& st = session->state;
    platform::removeFile(session->files, st.InfoFilePath);
    st.ConfigExportFile.clear();
    st.AccountsExportFile.clear();
    st.OptionsExportFile.clear();
    items_ = std::make_unique<items::Items>(*session, *zip, recorded);
    return zip->NewArchive(session->files.windowsPath(archiveHostPath), why);
}

std::string Installation::infoText() const { return readFile(session->state.InfoFilePath); }

bool Installation::finish(const std::string& itemResult) {
    auto& s = *session;
    s.SaveINI("BackupItem", itemResult);
    bool ok = zip->AddFileEntry(s.state.InfoFilePath, why);
    ok = zip->WriteArchive(why) && ok;
    zip->ResetArchive();
    for (const auto* f : {&s.state.ConfigExportFile, &s.state.AccountsExportFile, &s.state.OptionsExportFile})
        platform::removeFile(s.files, *f);
    return ok;
}

namespace {
// Keeps the information file as stored, before the job removes it.
class KeepInfo : public jobs::JobEvents {
public:
    KeepInfo(app::Session& s, std::string* out) : s_(s), out_(out) {}
    void entryAdded(const std::string& name) override {
        if (out_ && name == archive::kInfoFileName) s_.files.readFile(s_.state.InfoFilePath, *out_);
    }

private:
    app::Session& s_;
    std::string* out_;
};
}  // namespace

std::string Installation::backupAll(const std::string& profile, const std::string& archiveHostPath, std::string* info) {
    jobs::BackupRequest request;
    request.profile = profile;
    request.items.fill(true);
    request.archivePath = session->files.windowsPath(archiveHostPath);
    KeepInfo events(*session, info);
    const jobs::BackupReport report = jobs::RunBackupJob(*session, request, events);
    if (!report.written) return "archive not written: " + report.failure;
    return report.itemResult;
}

bool Installation::openBackup(const std::string& archiveHostPath) {
    jobs::JobEvents quiet;
    opened_ = jobs::OpenBackupJob(*session, session->files.windowsPath(archiveHostPath), "", quiet);
    flags = opened_.flags;
    recorded = opened_.values;
    if (!opened_.loaded()) return false;
    // The other keys as the restore job reads them; a test may change
    // `recorded`, not those.
    items_ = std::make_unique<items::Items>(*session, *opened_.archive, recorded, nullptr,
                                            [this](const std::string& key) { return opened_.value(key); });
    return true;
}

std::vector<std::string> archiveEntries(const std::string& archiveHostPath) {
    std::vector<std::string> names;
    int err = 0;
    zip_t* z = zip_open(archiveHostPath.c_str(), ZIP_RDONLY, &err);
    if (!z) return names;
    const zip_int64_t n = zip_get_num_entries(z, 0);
    for (zip_int64_t i = 0; i < n; ++i)
        if (const char* name = zip_get_name(z, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW)) names.push_back(name);
    zip_close(z);
    return names;
}

std::string infoValue(const std::string& info, const std::string& key, bool* present) {
    if (present) *present = false;
    for (const auto& [k, v] : archive::ReadInfoLines(info)) {
        if (k != key) continue;
        if (present) *present = true;
        return v;
    }
    return {};
}

std::vector<std::string> findHostFiles(const std::string& root, const std::string& part) {
    std::vector<std::string> found;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->path().filename().string().find(part) != std::string::npos) found.push_back(it->path().string());
    }
    return found;
}

}  // namespace qm::test
