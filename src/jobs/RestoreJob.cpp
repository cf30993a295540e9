#include "jobs/RestoreJob.h"

#include "base/WinPath.h"
#include "items/Items.h"
#include "jobs/ArchiveWatch.h"
#include "platform/FileOps.h"

namespace qm::jobs {
namespace {

// Files a step extracted into the work folder and left there.
class Leftovers {
public:
    explicit Leftovers(app::Session& s) : s_(s) { s_.files.listFiles(s_.state.WorkFolder, before_); }

    void remove() {
        std::vector<std::string> now;
        if (!s_.files.listFiles(s_.state.WorkFolder, now)) return;
        for (const auto& name : now) {
            bool old = false;
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
    // A registry that refuses changes (a wineserver keeps the prefix's live
    // registry, and its programs may hold the data files open): nothing is
    // touched, rather than data files replaced under a profile left as it was.
    if (const std::string refused = s.reg.registry().problem(); !refused.empty()) {
        report.failure = refused;
        return report;
    }
    detail::ArchiveWatch watch(s, *backup.archive, events);
    const std::string& flags = backup.flags;
    items::Items items(s, *backup.archive, backup.values,
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
        events.partFinished(part.part, r.ran);
        events.working();
    }
    // A registry that came to refuse the writes meanwhile is why the parts
    // that write it failed.
    const std::string refused = s.reg.registry().problem();
    for (auto& r : report.parts)
        if (r.ran && !r.ok && r.reason.empty()) r.reason = refused;
    report.notices = s.reg.takeNotices();
    return report;
}

}  // namespace qm::jobs
