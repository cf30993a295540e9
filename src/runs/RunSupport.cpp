#include "runs/RunSupport.h"

#include <algorithm>
#include <cctype>

#include "app/Environment.h"
#include "archive/InfoFile.h"
#include "platform/FileSystem.h"

namespace qm::runs::detail {

bool anySelected(const Selection& selection) {
    return std::any_of(selection.begin(), selection.end(), [](bool b) { return b; });
}

const std::array<const char*, 10> kItemKeys = {
    "BackupConfig",     "BackupDatas", "BackupRules",         "BackupAccounts",  "BackupSignatures",
    "BackupStationery", "BackupPab",   "BackupConfigsetting", "BackupTemplates", "BackupSetting",
};

const std::array<BackupRow, 10> kBackupRows = {{
    {{0, 1, 4}, "Copying Config...", nullptr, "", 0, 0,
     [](items::Items& it, const std::string& p) { return it.BackupConfig(p); }},
    {{0}, "Copying Data Files (Pst Files)...", "Backup Personal Folders", "\t\t", 15, 5,
     [](items::Items& it, const std::string& p) { return it.BackupDatas(p); }},
    {{0}, "Copying Rules...", nullptr, "", 10, 0,
     [](items::Items& it, const std::string& p) { return it.BackupRules(p); }},
    {{1}, "Copying Accounts...", "Backup Accounts Settings", "\t", 20, 0,
     [](items::Items& it, const std::string& p) { return it.BackupAccounts(p); }},
    {{2}, "Copying Signatures...", "Backup Signatures", "\t\t", 10, 0,
     [](items::Items& it, const std::string&) { return it.BackupSignatures(); }},
    {{3}, "Copying Stationeries...", "Backup Stationeries", "\t\t", 10, 0,
     [](items::Items& it, const std::string&) { return it.BackupStationery(); }},
    {{4}, "Copying Address Book...", "Backup Personal Address Book", "\t\t", 5, 0,
     [](items::Items& it, const std::string& p) { return it.BackupPab(p); }},
    {{5}, "Copying Options...", "Backup Options Settings", "\t\t", 5, 0,
     [](items::Items& it, const std::string&) { return it.BackupConfigsetting(); }},
    {{6}, "Copying Templates...", "Backup Templates", "\t\t", 5, 0,
     [](items::Items& it, const std::string&) { return it.BackupTemplates(); }},
    {{7}, "Copying Setting...", "Backup Preferences", "\t\t", 0, 0,
     [](items::Items& it, const std::string&) { return it.BackupSetting(); }},
}};

bool rowSelected(const BackupRow& row, const Selection& selection) {
    return std::any_of(row.items.begin(), row.items.end(), [&](int i) { return selection[i]; });
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '\\' || folder.back() == '/') return folder + name;
    return folder + "\\" + name;
}

std::string bareName(const std::string& path) {
    auto pos = path.find_last_of("\\/");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

bool equalsIgnoreCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::vector<std::string> splitList(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (true) {
        auto pos = text.find(separator, start);
        parts.push_back(text.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
        if (pos == std::string::npos) break;
        start = pos + 1;
    }
    return parts;
}

std::string infoFilePath(app::Session& session) {
    if (session.state.InfoFilePath.empty())
        session.state.InfoFilePath = joinPath(session.state.WorkFolder, archive::kInfoFileName);
    return session.state.InfoFilePath;
}

bool removeFile(platform::FileSystem& files, const std::string& path) {
    if (path.empty()) return true;
    auto attributes = files.getAttributes(path);
    if (attributes == platform::FileAttribute::Invalid) return true;
    if (attributes & platform::FileAttribute::Directory) return false;
    if (attributes & platform::FileAttribute::ReadOnly)
        files.setAttributes(path, platform::FileAttribute::Normal);
    return files.deleteFile(path);
}

void removeBackupFiles(app::Session& session) {
    auto& st = session.state;
    removeFile(session.files, infoFilePath(session));
    removeFile(session.files, st.ConfigExportFile);
    removeFile(session.files, st.AccountsExportFile);
    removeFile(session.files, st.OptionsExportFile);
}

bool writeHeader(app::Session& session, const std::string& profile, const std::string& description) {
    auto& st = session.state;
    return session.SaveINI("BackupComputer", st.ComputerName) && session.SaveINI("BackupLogonUser", st.LogonUser) &&
           session.SaveINI("BackupIdentity", profile) &&
           session.SaveINI("BackupTime", session.system.nowText()) &&
           session.SaveINI("Outlookversion", app::DetectOutlookVersion(session)) &&
           session.SaveINI("BackupInformation", archive::EncodeLineBreaks(description));
}

void advance(app::MainView& view, int amount) {
    int value = view.progress() + amount;
    value = std::clamp(value, view.progressMinimum(), view.progressMaximum());
    view.setProgress(value);
}

namespace {
std::vector<const app::Session*>& busySessions() {
    static std::vector<const app::Session*> sessions;
    return sessions;
}
}  // namespace

BusyGuard::BusyGuard(app::Session& session) : s_(session) {
    auto& busy = busySessions();
    if (std::find(busy.begin(), busy.end(), &s_) != busy.end()) return;
    busy.push_back(&s_);
    active_ = true;
}

BusyGuard::~BusyGuard() {
    if (!active_) return;
    auto& busy = busySessions();
    busy.erase(std::remove(busy.begin(), busy.end(), &s_), busy.end());
}

// ---------------------------------------------------------------------------

WriteWatch::WriteWatch(app::Session& session, std::string& itemResult)
    : s_(session), inner_(sessionEvents(session)), itemResult_(itemResult), infoPath_(infoFilePath(session)) {
    s_.zip1.setEvents(this);
}

WriteWatch::~WriteWatch() { s_.zip1.setEvents(inner_); }

void WriteWatch::ArchiveEntryAdded(const std::string& fileName) {
    if (inner_) inner_->ArchiveEntryAdded(fileName);
}

void WriteWatch::ArchiveEntryExtracted(const std::string& fileName) {
    if (inner_) inner_->ArchiveEntryExtracted(fileName);
}

void WriteWatch::ArchiveWriteProgress(int percent) {
    if (inner_) inner_->ArchiveWriteProgress(percent);
}

void WriteWatch::ArchiveWriteDone() {
    if (inner_) inner_->ArchiveWriteDone();
}

void WriteWatch::ArchiveEntryDropped(const std::string& fileName) {
    if (inner_) inner_->ArchiveEntryDropped(fileName);
    if (markDropped(fileName)) rewriteItemLine();
}

bool WriteWatch::ArchiveWriteCancelled() {
    if (infoLost_) return true;
    return inner_ ? inner_->ArchiveWriteCancelled() : false;
}

bool WriteWatch::markDropped(const std::string& fileName) {
    for (const auto& name : seen_)
        if (equalsIgnoreCase(name, fileName)) return false;
    seen_.push_back(fileName);

    if (equalsIgnoreCase(fileName, archive::kInfoFileName) || equalsIgnoreCase(fileName, bareName(infoPath_))) {
        infoLost_ = true;
        return false;
    }
    if (!valuesRead_) {
        // The item keys are all written by now; read them once, before the
        // line that holds them is touched.
        values_.assign(kItemKeys.size(), std::string());
        for (size_t i = 0; i < kItemKeys.size(); ++i) values_[i] = s_.GetINI(kItemKeys[i]);
        valuesRead_ = true;
    }
    bool changed = false;
    for (size_t i = 0; i < values_.size() && i < itemResult_.size(); ++i) {
        if (itemResult_[i] != '1') continue;
        for (const auto& name : splitList(values_[i], ';')) {
            std::string bare = name.substr(0, name.find('\0'));
            if (equalsIgnoreCase(bare, fileName)) {
                itemResult_[i] = '0';
                changed = true;
                break;
            }
        }
    }
    return changed;
}

void WriteWatch::rewriteItemLine() {
    std::string bytes;
    if (!s_.files.readFile(infoPath_, bytes)) return;
    // "BackupItem" is the last line written; its value keeps its length,
    // so the file keeps its size while the component may be reading it.
    static const std::string key = "BackupItem=";
    std::string::size_type lineStart = std::string::npos;
    for (std::string::size_type pos = 0; pos < bytes.size();) {
        auto end = bytes.find('\n', pos);
        if (end == std::string::npos) end = bytes.size();
        if (end - pos >= key.size() && equalsIgnoreCase(bytes.substr(pos, key.size()), key)) lineStart = pos;
        pos = end + 1;
    }
    if (lineStart == std::string::npos) return;
    auto valueStart = lineStart + key.size();
    auto valueEnd = bytes.find_first_of("\r\n", valueStart);
    if (valueEnd == std::string::npos) valueEnd = bytes.size();
    if (valueEnd - valueStart != itemResult_.size()) return;
    bytes.replace(valueStart, itemResult_.size(), itemResult_);
    s_.files.writeFile(infoPath_, bytes);
}

void WriteWatch::applyDropped(const std::vector<std::string>& dropped) {
    for (const auto& name : dropped) markDropped(name);
}

}  // namespace qm::runs::detail

namespace qm::runs::detail {

archive::ArchiveEvents* sessionEvents(app::Session& session) { return session.archiveEvents(); }

}  // namespace qm::runs::detail
