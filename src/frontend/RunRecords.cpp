#include "frontend/RunRecords.h"

#include "app/ViewText.h"
#include "frontend/ExitStatus.h"
#include "frontend/Summaries.h"
#include "frontend/Texts.h"
#include "platform/Notifier.h"
#include "platform/StateFolder.h"

namespace qm::frontend {
namespace {

std::string joined(const std::vector<std::string>& texts) {
    std::string out;
    for (const auto& t : texts) out += (out.empty() ? "" : "; ") + t;
    return out;
}

}  // namespace

jobs::RunRecord BackupRecord(const app::Session& s, const char* kind, const std::string& file,
                             const jobs::BackupReport& report) {
    const app::ViewText ui(s.codePage);
    jobs::RunRecord record{platform::localTimeStamp(), kind, file, ExitStatusOf(report), {}};
    if (!report.written) {
        record.message = text::kNoBackupWritten + ui.shown(report.failure);
        return record;
    }
    std::vector<std::string> said =
        FailedPartTexts(report.parts, true, report.available ? &*report.available : nullptr);
    // A kept earlier backup, or versions not kept as asked, are seen in the
    // history too.
    said.insert(said.end(), report.keptBecause.begin(), report.keptBecause.end());
    if (!report.versionFailure.empty()) said.push_back(report.versionFailure);
    record.message = ui.shown(joined(said));
    return record;
}

jobs::RunRecord RestoreRecord(const app::Session& s, const std::string& file, const jobs::RestoreReport& report) {
    const app::ViewText ui(s.codePage);
    jobs::RunRecord record{platform::localTimeStamp(), jobs::kRestoreRecord, file, ExitStatusOf(report), {}};
    // Nothing restored (a rolled-back transaction marks every part that ran
    // as failed): the reason alone, as the console says it.
    record.message = ui.shown(report.failure.empty() ? joined(FailedPartTexts(report.parts, false))
                                                     : text::kNothingRestored + report.failure);
    return record;
}

bool RecordRun(app::Session& s, const jobs::RunRecord& record, std::string& why) {
    return jobs::RunHistory::of(s).append(record, why);
}

bool RecordRun(const platform::PlatformOptions& options, const jobs::RunRecord& record, std::string& why) {
    platform::StateFolder state;
    if (!platform::openStateFolder(options, state, why)) return false;
    return jobs::RunHistory::in(*state.files, state.folder).append(record, why);
}

RunNotice FailedRunNotice(const jobs::RunRecord& record) {
    RunNotice notice;
    notice.summary = record.exitStatus == kExitFailed ? text::kNoticeRunFailed : text::kNoticeItemsFailed;
    notice.body = (record.file.empty() ? std::string() : record.file + "\n") + record.message;
    return notice;
}

bool NotifyFailedRun(const jobs::RunRecord& record, std::string& why) {
    if (record.exitStatus != kExitFailed && record.exitStatus != kExitPartsFailed) return true;
    const RunNotice notice = FailedRunNotice(record);
    std::string refused;
    // No desktop (a user who is not logged in) is the usual night: not
    // worth a word.
    if (platform::openNotifier()->notify(notice.summary, notice.body, refused) || refused.empty()) return true;
    why = refused;
    return false;
}

jobs::RunRecord FailedRunRecord(const char* kind, const std::string& file, const std::string& message) {
    return {platform::localTimeStamp(), kind, file, kExitFailed, message};
}

}  // namespace qm::frontend
