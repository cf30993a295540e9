#pragma once
// A restore as one transaction. Every file it takes out of the backup is
// first written whole beside its target (read to its end and checked), the
// registry's changes are held in memory, and nothing the user has changes
// until the commit: then the files move into place by rename (what they
// replace kept aside) and each changed registry file is written once, by
// atomic replacement. A journal in the run's work folder lets the next run
// that opens the installation finish or undo a restore that was killed, so
// that the registry files and every target file hold wholly what was there
// before or wholly what was restored.
//
// Where the registry cannot hold its changes (the live Windows registry),
// the trees the restore may change are copied into the work folder first
// and put back on a rollback or by the next run.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/Session.h"
#include "archive/Zip.h"

namespace qm::app {

class RestoreTransaction final : public archive::ExtractionStaging {
public:
    explicit RestoreTransaction(Session& session);
    // Rolls back what was neither committed nor rolled back.
    ~RestoreTransaction() override;
    RestoreTransaction(const RestoreTransaction&) = delete;
    RestoreTransaction& operator=(const RestoreTransaction&) = delete;

    // From now on the registry holds its changes; one that cannot has the
    // trees of `keys` (registry paths) copied first. False with the reason.
    bool begin(const std::vector<std::string>& keys, std::string& why);

    // The new file stays beside its target until the commit.
    bool keep(std::unique_ptr<platform::ReplaceStream> file, const std::string& target, std::string& why) override;
    void willStage(const std::string& target) override;
    // The file goes at the commit.
    bool removeAtCommit(const std::string& path, std::string& why);
    // Makes the folder and its parents; those made are removed again (when
    // empty) by a rollback.
    bool makeFolders(const std::string& folder, std::string& why);

    // Something the restore needs cannot be had (a damaged entry, a target
    // that cannot be written): nothing is to change. The first reason stays.
    void abort(const std::string& why);
    bool aborted() const { return !abortReason_.empty(); }
    const std::string& abortReason() const { return abortReason_; }

    // Puts every kept file in place and the registry's changes into its
    // files, as one step. False with the reason, everything as before.
    bool commit(std::string& why);
    void rollback();

private:
    struct Staged {
        std::string target;  // Windows path
        std::string part;    // name of the new file beside it; empty: the target goes
        std::string old;     // name the replaced target is kept under until the end
        bool hadOriginal = false;
        bool moved = false;
    };
    bool writeJournal(const std::string& state, std::string& why);
    void dropSameFileTwice();
    void undoMoves();
    void finish();

    Session& s_;
    bool begun_ = false;
    bool done_ = false;
    bool holds_ = false;  // the registry holds the changes
    std::string before_;  // the registry files' fingerprint when the hold began
    std::string after_;   // and as the commit writes them
    // Copies of the trees (where the registry does not hold its changes):
    // key, then the copy's file name in the work folder ("" for a key that
    // was not there).
    std::vector<std::pair<std::string, std::string>> copies_;
    std::vector<Staged> staged_;
    // Where each target is in staged_, by its name with the case folded.
    std::unordered_map<std::u16string, std::size_t> stagedIndex_;
    std::vector<std::string> madeFolders_;
    std::string abortReason_;
};

// What identifies the installation a journal belongs to.
std::string InstallationId(const Session& session);

// Finishes or undoes the restore a killed run left in `workFolder` (an
// unclaimed one). False when its journal belongs to another installation:
// the folder is left for that one to find.
bool RecoverRestore(Session& session, const std::string& workFolder);

inline const char* const kRestoreJournal = "restore.journal";
inline const char* const kStagedList = "staged.lst";

}  // namespace qm::app
