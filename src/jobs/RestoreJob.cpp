#include "jobs/RestoreJob.h"

#include "app/Environment.h"
#include "app/OutlookVersions.h"
#include "app/RestoreTransaction.h"
#include "base/WinPath.h"
#include "items/Items.h"
#include "jobs/ArchiveWatch.h"
#include "jobs/RunLock.h"
#include "jobs/Texts.h"
#include "platform/FileOps.h"

namespace qm::jobs {
namespace {

// Files a step extracted into the work folder and left there (the
// restore's own journal and list stay).
class Leftovers {
public:
    explicit Leftovers(app::Session& s) : s_(s) { s_.files.listFiles(s_.state.WorkFolder, before_); }

    void remove() {
        std::vector<std::string> now;
        if (!s_.files.listFiles(s_.state.WorkFolder, now)) return;
        for (const auto& name : now) {
            bool old = s_.codePage.equalsIgnoreCase(name, app::kStagedList) ||
                       s_.codePage.equalsIgnoreCase(name, app::kRestoreJournal);
            for (const auto& kept : before_) old = old || s_.codePage.equalsIgnoreCase(kept, name);
            if (!old) platform::removeFile(s_.files, base::joinPath(s_.state.WorkFolder, name, s_.leads()));
        }
    }

private:
    app::Session& s_;
    std::vector<std::string> before_;
};

}  // namespace

RestoreReport RunRestoreJob(app::Session& s, const OpenedBackup& backup, const RestoreRequest& request,
                            JobEvents& events) {
    RestoreReport report;
    if (!backup.loaded()) {
        report.failure = "no backup file is loaded";
        return report;
    }
    // One run at a time: two restores into one profile would each leave
    // half of theirs.
    const auto lock = LockInstallation(s, request.kind, events, report.failure);
    if (!lock) return report;

    // A registry that refuses changes (a wineserver keeps the prefix's live
    // registry, and its programs may hold the data files open): nothing is
    // touched, rather than data files replaced under a profile left as it was.
    if (const std::string refused = s.reg.registry().problem(); !refused.empty()) {
        report.failure = refused;
        return report;
    }

    // Every change waits for the commit: the files beside their targets,
    // the registry's changes in memory (or, where the registry cannot hold
    // them, copies of the trees it may change kept first).
    const std::string profile = request.targetProfile ? request.targetProfile() : std::string();
    const std::string& version = s.state.OutlookVersion;
    app::RestoreTransaction transaction(s);
    std::vector<std::string> trees = {s.state.ProfilesKey + "\\" + profile, app::AccountsKeyFor(version, profile),
                                      app::OptionsKeyFor(version)};
    for (const auto& key : app::MoreOptionsKeysFor(version)) trees.push_back(key);
    if (!transaction.begin(trees, report.failure)) return report;

    detail::ArchiveWatch watch(s, *backup.archive, events);
    const std::string& flags = backup.flags;
    items::Items items(s, *backup.archive, backup.values, &transaction,
                       [&backup](const std::string& key) { return backup.value(key); });
    Leftovers leftovers(s);
    for (const auto& part : items::parts()) {
        const std::size_t position = positionOf(part.part);
        PartResult& r = report.parts[position - 1];
        r.ran = runs(part, request.items) && flags.size() >= position && flags[position - 1] == '1';
        if (r.ran) {
            events.partStarting(part.part);
            const items::PartOutcome outcome =
                items.restore(part, request.targetProfile ? request.targetProfile() : std::string());
            r.ok = outcome.ok;
            r.reason = outcome.reason;
            report.notes.insert(report.notes.end(), outcome.notes.begin(), outcome.notes.end());
            leftovers.remove();
        }
        // Stopped by the user: everything goes back as it was.
        if (!transaction.aborted() && events.cancelled()) transaction.abort(text::kRestoreCancelled);
        // What the restore needs but cannot have changes nothing at all.
        if (transaction.aborted()) break;
        events.partFinished(part.part, r.ran);
        events.working();
    }
    report.notices = s.reg.takeNotices();
    std::string why;
    if (!transaction.commit(why)) {
        report.failure = why;
        report.cancelled = events.cancelled();
        for (auto& r : report.parts) r.ok = false;
        return report;
    }
    // A part that failed on its own (nothing of it to put back, say) is
    // named with its reason; the others are in place.
    const std::string refused = s.reg.registry().problem();
    for (auto& r : report.parts)
        if (r.ran && !r.ok && r.reason.empty()) r.reason = refused;
    return report;
}

}  // namespace qm::jobs
