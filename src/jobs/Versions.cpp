#include "jobs/Versions.h"

#include <algorithm>

#include "archive/InfoFile.h"
#include "archive/Zip.h"
#include "base/Text.h"
#include "base/WinPath.h"
#include "items/DataFileHeader.h"
#include "jobs/Texts.h"

namespace qm::jobs::detail {
namespace {

constexpr int kMaxCopies = 99;

// The name's stem and its extension ("b", ".qmk"); no extension when the
// name has no ".".
std::pair<std::string, std::string> splitExtension(const std::string& bareName) {
    const std::size_t dot = bareName.rfind('.');
    if (dot == std::string::npos || dot == 0) return {bareName, ""};
    return {bareName.substr(0, dot), bareName.substr(dot)};
}

bool isDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "YYYY-MM-DD HH-MM-SS".
bool isStamp(const std::string& text) {
    static const std::string shape = "dddd-dd-dd dd-dd-dd";
    if (text.size() != shape.size()) return false;
    for (std::size_t i = 0; i < shape.size(); ++i)
        if (shape[i] == 'd' ? !(text[i] >= '0' && text[i] <= '9') : text[i] != shape[i]) return false;
    return true;
}

}  // namespace

std::string VersionName(const std::string& bareName, const BackupStamp& stamp, int copy, bool held) {
    const auto [stem, extension] = splitExtension(bareName);
    return stem + " " + StampText(stamp) + (held ? kHeldMark : "") +
           (copy > 1 ? " (" + std::to_string(copy) + ")" : "") + extension;
}

int VersionCopy(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::size_t open = stem.rfind(" (");
    if (stem.empty() || stem.back() != ')' || open == std::string::npos) return 1;
    const std::string digits = stem.substr(open + 2, stem.size() - open - 3);
    return isDigits(digits) && digits.size() < 4 ? std::stoi(digits) : 1;
}

bool IsVersionName(const platform::CodePage& codePage, const std::string& bareName, const std::string& candidate) {
    const auto [stem, extension] = splitExtension(bareName);
    const std::string head = stem + " ";
    if (candidate.size() < head.size() + extension.size() + 19) return false;
    if (!codePage.equalsIgnoreCase(candidate.substr(0, head.size()), head) ||
        !codePage.equalsIgnoreCase(candidate.substr(candidate.size() - extension.size()), extension))
        return false;
    const std::string middle = candidate.substr(head.size(), candidate.size() - head.size() - extension.size());
    if (isStamp(middle)) return true;
    // A second backup within the same second: "<stamp> (2)".
    return middle.size() > 22 && isStamp(middle.substr(0, 19)) && middle.compare(19, 2, " (") == 0 &&
           middle.back() == ')' && isDigits(middle.substr(21, middle.size() - 22));
}

VersionKeeper::VersionKeeper(app::Session& session, std::string target, std::string password, KeepPolicy policy)
    : s_(session), target_(std::move(target)), password_(std::move(password)), policy_(policy) {
    folder_ = base::parentFolder(target_, s_.leads());
    bare_ = base::bareName(target_, s_.leads());
}

void VersionKeeper::fail(const std::string& why) { failure_ += (failure_.empty() ? "" : "; ") + why; }

bool VersionKeeper::readInfo(archive::Zip& zip, const std::string& path, InfoLines& lines, std::string& why) const {
    if (!zip.OpenArchive(path, why)) return false;
    if (zip.IsArchiveProtected(path)) zip.setArchivePassword(password_);
    std::string bytes;
    if (!zip.ReadEntryBytes(archive::kInfoFileName, archive::kMaxInfoFileBytes, bytes, why)) return false;
    lines = archive::ReadInfoLines(bytes);
    return true;
}

std::optional<BackupStamp> VersionKeeper::timeIn(const InfoLines& lines, std::string& why) const {
    for (const auto& [key, value] : lines) {
        if (!s_.codePage.equalsIgnoreCase(key, "BackupTime")) continue;
        if (auto stamp = ParseBackupTime(value)) return stamp;
        why = "its backup time does not read: " + value;
        return std::nullopt;
    }
    why = "its information file has no backup time";
    return std::nullopt;
}

std::optional<BackupStamp> VersionKeeper::backupTimeOf(const std::string& path, std::string& why) const {
    // Closed again before the file is renamed or removed.
    archive::Zip zip(s_.files);
    InfoLines lines;
    if (!readInfo(zip, path, lines, why)) return std::nullopt;
    return timeIn(lines, why);
}

void VersionKeeper::lookAtDataFiles(const std::vector<items::DataFileSeen>& files, bool dataFilesRan) {
    // Only a backup of ours at the name is worth keeping; any other file
    // there is replaced as it always was.
    std::string unread;
    if (!s_.files.stat(target_).regular) return;
    archive::Zip earlier(s_.files);
    InfoLines lines;
    if (!readInfo(earlier, target_, lines, unread) || !timeIn(lines, unread)) return;
    // A mail store the earlier backup holds and this one lacks (moved,
    // deleted, its drive gone) holds nothing: less than half of anything.
    for (const auto& [key, value] : lines) {
        if (!dataFilesRan || !s_.codePage.equalsIgnoreCase(key, "BackupDatas")) continue;
        for (const auto& name : base::split(base::cutAtZero(value), ';')) {
            const bool stored = std::any_of(files.begin(), files.end(), [&](const items::DataFileSeen& f) {
                return s_.codePage.equalsIgnoreCase(f.name, name);
            });
            if (!name.empty() && !stored) held_.push_back(text::kEarlierKeptBecause + name + text::kMissingNow);
        }
    }
    for (const auto& file : files) {
        // A file Outlook has open is in use, not damaged: holding a version
        // for it would keep one more every night Outlook stays open.
        if (!file.headerProblem.empty() && file.headerProblem != items::kNotClosedCleanly) {
            held_.push_back(text::kEarlierKeptBecause + file.name + ": " + file.headerProblem);
            continue;
        }
        const auto before = earlier.EntrySize(file.name);
        if (before && file.size < *before / 2)
            held_.push_back(text::kEarlierKeptBecause + file.name + text::kShrankBefore + std::to_string(file.size) +
                            text::kShrankMiddle + std::to_string(*before) + text::kShrankAfter);
    }
}

bool VersionKeeper::keepsEarlier() const { return !held_.empty() || !policy_.replacesOnly(); }

std::string VersionKeeper::freeVersionPath(const BackupStamp& stamp, bool held) const {
    // After the highest copy of that second, never in a gap a removed one
    // left: within a second the copy number is the order of the backups,
    // and the oldest are removed first.
    int highest = 0;
    for (int copy = 1; copy <= kMaxCopies; ++copy)
        if (s_.files.stat(base::joinPath(folder_, VersionName(bare_, stamp, copy, held), s_.leads())).exists)
            highest = copy;
    if (highest == kMaxCopies) return {};
    return base::joinPath(folder_, VersionName(bare_, stamp, highest + 1, held), s_.leads());
}

std::string VersionKeeper::beforeReplace(const BackupStamp& newTime) {
    if (!keepsEarlier() || !s_.files.stat(target_).exists) return {};
    // The new backup is never lost for want of room: it goes beside the
    // earlier one, under its own time.
    auto placeNewBeside = [&](const std::string& why) {
        placedAt_ = freeVersionPath(newTime);
        fail(why + text::kNewWrittenAs + (placedAt_.empty() ? target_ : placedAt_));
        return placedAt_;
    };
    std::string why;
    const auto earlierTime = backupTimeOf(target_, why);
    if (!earlierTime) return placeNewBeside(bare_ + text::kEarlierUnreadable + why + text::kEarlierStays);
    // Held for a damaged source, it is marked and no later run removes it:
    // the next run compares with the damaged backup and would not hold it.
    const std::string kept = freeVersionPath(*earlierTime, !held_.empty());
    // A second name first, where the file system has them: the earlier
    // backup keeps the file's name until the new one replaces it in one
    // step, so a run killed between the two never leaves the name empty.
    linked_ = !kept.empty() && s_.files.linkFile(target_, kept);
    if (!linked_ && (kept.empty() || !s_.files.renameFile(target_, kept)))
        return placeNewBeside(text::kRenameFailed + (kept.empty() ? std::string("a free name") : kept));
    movedTo_ = kept;
    notes_.push_back(text::kKeptAs + base::bareName(kept, s_.leads()));
    return {};
}

void VersionKeeper::undoBeforeReplace() {
    if (movedTo_.empty()) return;
    // Linked: the earlier backup still has the name; its second one goes.
    if (linked_) {
        if (s_.files.deleteFile(movedTo_)) {
            notes_.pop_back();
            movedTo_.clear();
        }
        return;
    }
    if (s_.files.stat(target_).exists) return;
    if (s_.files.renameFile(movedTo_, target_)) {
        notes_.pop_back();
        movedTo_.clear();
    }
}

void VersionKeeper::removeOldVersions(const BackupStamp& newTime) {
    std::vector<std::string> names;
    if (!s_.files.listFiles(folder_, names)) return;
    struct Version {
        std::string path;
        BackupStamp time;
        int copy = 0;  // within one second, the later backup has the higher copy
    };
    std::vector<Version> versions;
    const std::string placed = placedAt_.empty() ? target_ : placedAt_;
    versions.push_back({placed, newTime, kMaxCopies + 1});
    for (const auto& name : names) {
        const std::string path = base::joinPath(folder_, name, s_.leads());
        const bool isTarget = s_.codePage.equalsIgnoreCase(name, bare_);
        if (s_.codePage.equalsIgnoreCase(path, placed) || (!isTarget && !IsVersionName(s_.codePage, bare_, name)))
            continue;
        std::string why;
        if (const auto time = backupTimeOf(path, why))
            versions.push_back({path, *time, isTarget ? 0 : VersionCopy(name)});
        else if (!isTarget)
            notes_.push_back(name + text::kNotOurs + why + text::kLeftAsItIs);
    }
    if (!held_.empty()) {
        if (versions.size() > 1) notes_.push_back(text::kNoneRemovedWhileHeld);
        return;
    }
    // The new backup first, whatever time an earlier one claims.
    std::stable_sort(versions.begin() + 1, versions.end(), [](const Version& a, const Version& b) {
        return a.time != b.time ? a.time > b.time : a.copy > b.copy;
    });
    std::vector<BackupStamp> times;
    for (const auto& v : versions) times.push_back(v.time);
    const std::vector<bool> kept = VersionsKept(times, policy_);
    for (std::size_t i = versions.size(); i-- > 1;) {
        if (kept[i]) continue;
        const std::string name = base::bareName(versions[i].path, s_.leads());
        if (s_.files.deleteFile(versions[i].path))
            notes_.push_back(text::kVersionRemoved + name);
        else
            fail(text::kRemoveVersionFailed + name);
    }
}

}  // namespace qm::jobs::detail
