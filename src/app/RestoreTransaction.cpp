#include "app/RestoreTransaction.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <tuple>

#include "base/Text.h"
#include "base/WinPath.h"
#include "platform/FileOps.h"

namespace qm::app {
namespace {

// The journal's lines: "key=value", tabs between the fields of a value.
const char* const kStateMoving = "moving";
const char* const kStateApplying = "applying";
const char* const kStateCommitted = "committed";

std::string folderOf(const Session& s, const std::string& path) { return base::parentFolder(path, s.leads()); }

std::string inFolder(const Session& s, const std::string& path, const std::string& name) {
    return base::joinPath(folderOf(s, path), name, s.leads());
}

bool exists(const Session& s, const std::string& path) { return s.files.stat(path).exists; }

// A short name for what a replaced file is kept under: never longer than
// the names around it allow.
std::string oldNameIn(const Session& s, const std::string& folder) {
    static std::mt19937 random{std::random_device{}()};
    for (;;) {
        char name[32];
        std::snprintf(name, sizeof name, ".qmold-%08x", static_cast<unsigned>(random()));
        if (!exists(s, base::joinPath(folder, name, s.leads()))) return name;
    }
}

struct Journal {
    std::string installation;
    std::string state;
    bool holds = false;
    std::string before, after;
    std::vector<std::pair<std::string, std::string>> copies;
    struct File {
        std::string target, part, old;
        bool hadOriginal = false;
    };
    std::vector<File> files;
    std::vector<std::string> folders;
};

bool readJournal(const Session& s, const std::string& path, Journal& journal) {
    std::string text;
    if (!s.files.readFile(path, text)) return false;
    for (const auto& raw : base::split(text, '\n')) {
        std::string line = raw;
        while (!line.empty() && line.back() == '\r') line.pop_back();
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        const auto fields = base::split(value, '\t');
        if (key == "installation") journal.installation = value;
        if (key == "state") journal.state = value;
        if (key == "registry") journal.holds = value == "held";
        if (key == "before") journal.before = value;
        if (key == "after") journal.after = value;
        if (key == "copy" && fields.size() == 2) journal.copies.emplace_back(fields[0], fields[1]);
        if (key == "file" && fields.size() == 4)
            journal.files.push_back({fields[0], fields[1], fields[2], fields[3] == "1"});
        if (key == "folder") journal.folders.push_back(value);
    }
    return !journal.installation.empty();
}

// Puts back the trees the copies hold: a key that was not there goes.
void restoreCopies(Session& s, const std::string& workFolder,
                   const std::vector<std::pair<std::string, std::string>>& copies) {
    for (auto it = copies.rbegin(); it != copies.rend(); ++it) {
        const auto& [key, copy] = *it;
        if (copy.empty()) {
            if (s.reg.KeyExists(key)) s.reg.DeleteKeyTree(key);
            continue;
        }
        s.reg.ImportKey(key, base::joinPath(workFolder, copy, s.leads()));
    }
}

void removeFolders(Session& s, const std::vector<std::string>& folders) {
    // Deepest first; one that holds anything stays.
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) s.files.removeFolder(*it);
}

// The new files of a restore that did not get far enough to say where they
// lie in its journal.
void removeStagedParts(Session& s, const std::string& workFolder) {
    std::string text;
    if (!s.files.readFile(base::joinPath(workFolder, kStagedList, s.leads()), text)) return;
    for (const auto& raw : base::split(text, '\n')) {
        std::string line = raw;
        while (!line.empty() && line.back() == '\r') line.pop_back();
        const auto fields = base::split(line, '\t');
        if (fields.size() != 2 || fields[0].empty()) continue;
        // Killed while the new file was written: it lies beside its target
        // under a name only the file layer knows.
        if (fields[1].empty()) {
            s.files.removeStaleReplacements(fields[0]);
            continue;
        }
        const std::string part = inFolder(s, fields[0], fields[1]);
        if (exists(s, part)) platform::removeFile(s.files, part);
    }
}

}  // namespace

std::string InstallationId(const Session& s) { return s.files.hostPath("C:\\"); }

RestoreTransaction::RestoreTransaction(Session& session) : s_(session) {}

RestoreTransaction::~RestoreTransaction() { rollback(); }

bool RestoreTransaction::begin(const std::vector<std::string>& keys, std::string& why) {
    platform::Registry& registry = s_.reg.registry();
    std::string refused;
    holds_ = registry.holdChanges(refused);
    if (!holds_ && !refused.empty()) {
        why = refused;
        return false;
    }
    begun_ = true;
    if (holds_) {
        before_ = registry.storedFingerprint();
        return true;
    }
    // The live registry changes as each write returns: its trees are copied
    // first, and the journal says so before any of them changes.
    for (const auto& key : keys) {
        if (std::any_of(copies_.begin(), copies_.end(), [&](const auto& c) { return c.first == key; })) continue;
        if (!s_.reg.KeyExists(key)) {
            copies_.emplace_back(key, "");
            continue;
        }
        const std::string copy = s_.sGetTempFile("QMR");
        if (copy.empty() || !s_.reg.ExportKey(key, "", copy)) {
            why = "cannot keep a copy of " + key + " in the work folder " + s_.state.WorkFolder;
            return false;
        }
        copies_.emplace_back(key, base::bareName(copy, s_.leads()));
    }
    return writeJournal(kStateApplying, why);
}

void RestoreTransaction::willStage(const std::string& target) {
    s_.files.appendFile(base::joinPath(s_.state.WorkFolder, kStagedList, s_.leads()), target + "\t\r\n");
}

bool RestoreTransaction::keep(std::unique_ptr<platform::ReplaceStream> file, const std::string& target,
                              std::string& why) {
    const std::string part = file->keep();
    if (part.empty()) {
        why = "cannot write " + target + ": " + file->error();
        return false;
    }
    // Taken out twice: the later one stands.
    const std::u16string key = s_.codePage.foldCase(target);
    if (auto it = stagedIndex_.find(key); it != stagedIndex_.end()) {
        Staged& earlier = staged_[it->second];
        if (!earlier.part.empty()) platform::removeFile(s_.files, inFolder(s_, earlier.target, earlier.part));
        earlier.part = part;
    } else {
        stagedIndex_.emplace(key, staged_.size());
        staged_.push_back({target, part, "", false, false});
    }
    // Found by the next run should this one be killed before its journal
    // names the file.
    s_.files.appendFile(base::joinPath(s_.state.WorkFolder, kStagedList, s_.leads()), target + "\t" + part + "\r\n");
    return true;
}

bool RestoreTransaction::removeAtCommit(const std::string& path, std::string& why) {
    const platform::FileInfo there = s_.files.stat(path);
    if (!there.exists) return true;
    if (there.directory) {
        why = path + " is a folder";
        return false;
    }
    // Named twice, or taken out before: the removal is what stands.
    const std::u16string key = s_.codePage.foldCase(path);
    if (auto it = stagedIndex_.find(key); it != stagedIndex_.end()) {
        Staged& earlier = staged_[it->second];
        if (!earlier.part.empty()) platform::removeFile(s_.files, inFolder(s_, earlier.target, earlier.part));
        earlier.part.clear();
        return true;
    }
    stagedIndex_.emplace(key, staged_.size());
    staged_.push_back({path, "", "", true, false});
    return true;
}

bool RestoreTransaction::makeFolders(const std::string& folder, std::string& why) {
    std::vector<std::string> missing;
    for (std::string at = folder; !at.empty() && !s_.files.folderExists(at); at = folderOf(s_, at)) {
        missing.push_back(at);
        if (folderOf(s_, at) == at) break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (!s_.files.createFolder(*it)) {
            why = "cannot make the folder " + *it;
            return false;
        }
        madeFolders_.push_back(*it);
    }
    return true;
}

void RestoreTransaction::abort(const std::string& why) {
    if (abortReason_.empty()) abortReason_ = why.empty() ? "the restore was stopped" : why;
}

bool RestoreTransaction::writeJournal(const std::string& state, std::string& why) {
    std::string text = "installation=" + InstallationId(s_) + "\r\nstate=" + state +
                       "\r\nregistry=" + (holds_ ? "held" : "copies") + "\r\nbefore=" + before_ +
                       "\r\nafter=" + after_ + "\r\n";
    for (const auto& [key, copy] : copies_) text += "copy=" + key + "\t" + copy + "\r\n";
    for (const auto& f : staged_)
        text += "file=" + f.target + "\t" + f.part + "\t" + f.old + "\t" + (f.hadOriginal ? "1" : "0") + "\r\n";
    for (const auto& folder : madeFolders_) text += "folder=" + folder + "\r\n";
    const std::string path = base::joinPath(s_.state.WorkFolder, kRestoreJournal, s_.leads());
    std::string error;
    auto file = s_.files.createReplacement(path, error, platform::NewFileAccess::OwnerOnly);
    if (!file || !file->write(text.data(), text.size()) || !file->commit()) {
        why = "cannot write the restore's journal " + path + ": " + (file ? file->error() : error);
        return false;
    }
    return true;
}

bool RestoreTransaction::commit(std::string& why) {
    if (!begun_ || done_) {
        why = "the restore had not begun";
        return false;
    }
    if (aborted()) {
        why = abortReason_;
        rollback();
        return false;
    }
    platform::Registry& registry = s_.reg.registry();
    if (holds_ && !registry.prepareHeldChanges(after_, why)) {
        rollback();
        return false;
    }
    // Where each replaced file is kept until the end, decided before the
    // journal names it.
    dropSameFileTwice();
    for (auto& f : staged_) {
        f.hadOriginal = s_.files.stat(f.target).exists;
        if (f.hadOriginal) f.old = oldNameIn(s_, folderOf(s_, f.target));
    }
    if (!writeJournal(kStateMoving, why)) {
        rollback();
        return false;
    }
    for (auto& f : staged_) {
        const bool aside = f.hadOriginal && s_.files.renameFile(f.target, inFolder(s_, f.target, f.old));
        if (f.hadOriginal && !aside) {
            why = "cannot move " + f.target + " aside";
            undoMoves();
            rollback();
            return false;
        }
        f.moved = true;
        if (!f.part.empty() && !s_.files.renameFile(inFolder(s_, f.target, f.part), f.target)) {
            why = "cannot put " + f.target + " in place";
            undoMoves();
            rollback();
            return false;
        }
    }
    // With held changes, the registry's one atomic replacement is the
    // commit; a journal that says "committed" is the commit otherwise.
    if (holds_ && !registry.commitHeldChanges(why)) {
        undoMoves();
        rollback();
        return false;
    }
    const bool registryCommits = holds_ && !after_.empty() && after_ != before_;
    std::string journalError;
    if (!writeJournal(kStateCommitted, journalError) && !registryCommits) {
        why = journalError;
        undoMoves();
        rollback();
        return false;
    }
    finish();
    return true;
}

// One file reached by two names (a folder that is a link to another) is
// moved once, the later standing: moved aside under the first name, it would
// be missing under the second. A file not there yet is known by its folder
// and its name.
void RestoreTransaction::dropSameFileTwice() {
    using Identity = std::tuple<std::uint64_t, std::uint64_t, std::u16string>;
    std::map<Identity, std::size_t> seen;
    std::vector<bool> superseded(staged_.size(), false);
    for (std::size_t i = 0; i < staged_.size(); ++i) {
        const std::string& target = staged_[i].target;
        Identity identity;
        if (const platform::FileInfo there = s_.files.stat(target); there.exists) {
            identity = {there.device, there.inode, u""};
        } else {
            const platform::FileInfo folder = s_.files.stat(folderOf(s_, target));
            if (!folder.exists) continue;
            identity = {folder.device, folder.inode, s_.codePage.foldCase(base::bareName(target, s_.leads()))};
        }
        if (std::get<0>(identity) == 0 && std::get<1>(identity) == 0) continue;
        const auto [it, fresh] = seen.try_emplace(identity, i);
        if (fresh) continue;
        superseded[it->second] = true;
        it->second = i;
    }
    std::vector<Staged> kept;
    for (std::size_t i = 0; i < staged_.size(); ++i) {
        if (!superseded[i]) {
            kept.push_back(std::move(staged_[i]));
            continue;
        }
        if (!staged_[i].part.empty()) platform::removeFile(s_.files, inFolder(s_, staged_[i].target, staged_[i].part));
    }
    staged_ = std::move(kept);
    stagedIndex_.clear();
    for (std::size_t i = 0; i < staged_.size(); ++i) stagedIndex_.emplace(s_.codePage.foldCase(staged_[i].target), i);
}

void RestoreTransaction::undoMoves() {
    for (auto it = staged_.rbegin(); it != staged_.rend(); ++it) {
        Staged& f = *it;
        if (!f.moved) continue;
        // The new file goes back to being a new file beside the target.
        if (!f.part.empty() && exists(s_, f.target)) s_.files.renameFile(f.target, inFolder(s_, f.target, f.part));
        if (f.hadOriginal) s_.files.renameFile(inFolder(s_, f.target, f.old), f.target);
        f.moved = false;
    }
}

void RestoreTransaction::rollback() {
    if (done_) return;
    done_ = true;
    if (!begun_) return;
    for (const auto& f : staged_)
        if (!f.part.empty()) platform::removeFile(s_.files, inFolder(s_, f.target, f.part));
    if (holds_)
        s_.reg.registry().dropHeldChanges();
    else
        restoreCopies(s_, s_.state.WorkFolder, copies_);
    removeFolders(s_, madeFolders_);
    finish();
}

void RestoreTransaction::finish() {
    done_ = true;
    for (const auto& f : staged_)
        if (f.moved && f.hadOriginal) platform::removeFile(s_.files, inFolder(s_, f.target, f.old));
    const std::string& work = s_.state.WorkFolder;
    for (const auto& [key, copy] : copies_)
        if (!copy.empty()) platform::removeFile(s_.files, base::joinPath(work, copy, s_.leads()));
    platform::removeFile(s_.files, base::joinPath(work, kStagedList, s_.leads()));
    platform::removeFile(s_.files, base::joinPath(work, kRestoreJournal, s_.leads()));
}

bool RecoverRestore(Session& s, const std::string& workFolder) {
    const std::string journalPath = base::joinPath(workFolder, kRestoreJournal, s.leads());
    Journal journal;
    if (!exists(s, journalPath)) {
        removeStagedParts(s, workFolder);
        return true;
    }
    if (!readJournal(s, journalPath, journal)) return true;
    if (journal.installation != InstallationId(s)) return false;

    const bool registryCommits = journal.holds && !journal.after.empty() && journal.after != journal.before;
    const bool committed =
        journal.state == kStateCommitted || (registryCommits && s.reg.registry().storedFingerprint() == journal.after);
    if (committed) {
        // Everything is in place: what was replaced goes.
        for (const auto& f : journal.files) {
            if (!f.old.empty()) platform::removeFile(s.files, inFolder(s, f.target, f.old));
            if (!f.part.empty() && exists(s, inFolder(s, f.target, f.part)))
                platform::removeFile(s.files, inFolder(s, f.target, f.part));
        }
        removeStagedParts(s, workFolder);
        return true;
    }
    // Undone: every file as it was, the registry's trees put back.
    for (auto it = journal.files.rbegin(); it != journal.files.rend(); ++it) {
        const auto& f = *it;
        const std::string part = f.part.empty() ? std::string() : inFolder(s, f.target, f.part);
        const std::string old = f.old.empty() ? std::string() : inFolder(s, f.target, f.old);
        if (!old.empty() && exists(s, old)) {
            if (exists(s, f.target)) platform::removeFile(s.files, f.target);
            s.files.renameFile(old, f.target);
        } else if (!f.hadOriginal && !part.empty() && !exists(s, part) && exists(s, f.target)) {
            platform::removeFile(s.files, f.target);  // placed where there was nothing
        }
        if (!part.empty() && exists(s, part)) platform::removeFile(s.files, part);
    }
    removeStagedParts(s, workFolder);
    if (!journal.holds) restoreCopies(s, workFolder, journal.copies);
    removeFolders(s, journal.folders);
    return true;
}

}  // namespace qm::app
