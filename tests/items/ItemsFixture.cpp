#include "items/ItemsFixture.h"

#include <zip.h>

#include <filesystem>

#include "app/Environment.h"
#include "app/Startup.h"
#include "archive/InfoFile.h"
#include "platform/wine/WinePlatform.h"

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

Installation::Installation(const sample::SampleOptions& options) {
    prefix = dir / "prefix";
    sample::SampleOptions o = options;
    o.prefix = prefix;
    if (!sample::buildSampleInstallation(o, made, error)) return;
    fs::create_directories(dir / "work");
    fs::create_directories(dir / "program");

    wine::WineOptions w;
    w.prefix = prefix;
    w.userName = options.user;
    w.workRoot = dir / "work";
    w.programFolder = dir / "program";
    if (!wine::openWinePlatform(w, platform, error)) return;
    session = std::make_unique<app::Session>(platform, view);
    if (!session->hasWorkFolder()) {
        error = "no work folder";
        session.reset();
        return;
    }
    if (!app::InitializeMainWindow(*session)) {
        error = "start-up found no profile";
        session.reset();
        return;
    }
    items_ = std::make_unique<items::Items>(*session);
}

Installation::~Installation() {
    items_.reset();
    session.reset();
}

std::string Installation::host(const std::string& windowsPath) const { return session->files.hostPath(windowsPath); }

bool Installation::hostExists(const std::string& windowsPath) const {
    std::error_code ec;
    return fs::exists(host(windowsPath), ec);
}

bool Installation::binary(const std::string& key, const std::string& name, std::string& bytes) const {
    std::string sub = key;
    KeyHandle root = session->reg.SplitKeyPath(sub);
    KeyHandle k = 0;
    if (root == 0 || platform.registry->RegOpenKeyExA(root, sub, KeyAccess::Read, &k) != RegStatus::Success) return false;
    RegType type = RegType::None;
    std::uint32_t size = 0;
    platform::RegStatus rc = platform.registry->RegQueryValueExA(k, name, &type, nullptr, &size);
    if (rc == RegStatus::Success) {
        bytes.assign(size, '\0');
        rc = platform.registry->RegQueryValueExA(k, name, &type, reinterpret_cast<std::uint8_t*>(bytes.data()), &size);
        bytes.resize(size);
    }
    platform.registry->RegCloseKey(k);
    return rc == RegStatus::Success;
}

bool Installation::hasValue(const std::string& key, const std::string& name) const {
    std::string ignored;
    return binary(key, name, ignored);
}

void Installation::setBinary(const std::string& key, const std::string& name, const std::string& bytes) {
    std::string sub = key;
    KeyHandle root = session->reg.SplitKeyPath(sub);
    KeyHandle k = 0;
    ASSERT_EQ(platform.registry->RegCreateKeyA(root, sub, &k), RegStatus::Success) << key;
    platform.registry->RegSetValueExA(k, name, RegType::Binary, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                      static_cast<std::uint32_t>(bytes.size()));
    platform.registry->RegCloseKey(k);
}

bool Installation::startArchive(const std::string& archiveHostPath) {
    auto& st = session->state;
    session->files.deleteFile(st.InfoFilePath);
    st.ConfigExportFile.clear();
    st.AccountsExportFile.clear();
    st.OptionsExportFile.clear();
    return session->zip1.NewArchive(session->files.fromUserPath(archiveHostPath));
}

std::string Installation::infoText() const { return readHostFile(host(session->state.InfoFilePath)); }

bool Installation::finish(const std::string& itemResult) {
    auto& s = *session;
    s.SaveINI("BackupItem", itemResult);
    bool ok = s.zip1.AddFileEntry(s.state.InfoFilePath, 1) == 1;
    s.zip1.setProtectArchive(0);
    ok = s.zip1.WriteArchive() && ok;
    s.zip1.ResetArchive();
    for (const auto* f : {&s.state.ConfigExportFile, &s.state.AccountsExportFile, &s.state.OptionsExportFile})
        if (!f->empty()) s.files.deleteFile(*f);
    return ok;
}

std::string Installation::backupAll(const std::string& profile, const std::string& archiveHostPath,
                                    std::string* info) {
    if (!startArchive(archiveHostPath)) return "archive not started";
    auto& it = items();
    std::string r;
    r += it.BackupConfig(profile) ? '1' : '0';
    r += it.BackupDatas(profile) ? '1' : '0';
    r += it.BackupRules(profile) ? '1' : '0';
    r += it.BackupAccounts(profile) ? '1' : '0';
    r += it.BackupSignatures() ? '1' : '0';
    r += it.BackupStationery() ? '1' : '0';
    r += it.BackupPab(profile) ? '1' : '0';
    r += it.BackupConfigsetting() ? '1' : '0';
    r += it.BackupTemplates() ? '1' : '0';
    r += it.BackupSetting() ? '1' : '0';
    if (!finish(r)) return "archive not written: " + session->zip1.lastError();
    if (info) *info = infoText();
    return r;
}

bool Installation::openBackup(const std::string& archiveHostPath) {
    auto& s = *session;
    auto& st = s.state;
    s.zip1.ResetArchive();
    if (!s.zip1.OpenArchive(s.files.fromUserPath(archiveHostPath))) return false;
    st.InfoFilePath = app::JoinPath(st.WorkFolder, archive::kInfoFileName);
    s.files.deleteFile(st.InfoFilePath);
    auto entry = s.zip1.FindEntry(archive::kInfoFileName);
    if (!entry.valid() || !entry.ExtractEntryTo(st.WorkFolder)) return false;
    st.ItemFlags = s.GetINI("BackupItem");
    if (st.ItemFlags.size() != 10) return false;
    for (int i = 0; i < 10; ++i) st.ItemValues[i] = st.ItemFlags[i] == '1' ? s.GetINI(kItemKeys[i]) : std::string();
    s.files.deleteFile(st.InfoFilePath);
    st.NoArchiveLoaded = false;
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
    std::size_t start = 0;
    while (start < info.size()) {
        std::size_t end = info.find("\r\n", start);
        if (end == std::string::npos) end = info.size();
        const std::string line = info.substr(start, end - start);
        if (line.rfind(key + "=", 0) == 0) {
            if (present) *present = true;
            return line.substr(key.size() + 1);
        }
        start = end + 2;
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
