// Opening a backup file on the restore tab ("Browse...").
#include "archive/InfoFile.h"
#include "runs/RunSupport.h"
#include "runs/Runs.h"
#include "runs/Texts.h"

namespace qm::runs {

using namespace detail;
using platform::Buttons;
using platform::Icon;

namespace {

// The restore check box a "BackupItem" position enables; -1 for none.
int restoreBoxOf(int position) {
    if (position == 2) return 0;
    if (position >= 4 && position <= 10) return position - 3;
    return -1;
}

}  // namespace

void OpenBackupFile(app::Session& s) {
    auto& view = s.view;
    auto& st = s.state;

    s.zip1.ResetArchive();
    for (int i = 0; i < 8; ++i) {
        view.setRestoreItemChecked(i, false);
        view.setRestoreItemEnabled(i, false);
    }
    view.setSourceFileText("");
    view.setBackupDescription("");
    view.setBackupFacts("");

    const std::string chosen = view.chooseBackupFile(text::kOpenTitle, text::kOpenFilter);
    if (chosen.empty()) return;
    const std::string file = s.files.fromUserPath(chosen);

    if (s.zip1.IsArchiveProtected(file) == 1) {
        // A cancelled prompt leaves the password as it was; that one is tried.
        if (auto typed = view.askPassword()) st.RestorePassword = *typed;
        s.zip1.OpenArchive(file);
        s.zip1.setArchivePassword(st.RestorePassword);
        if (s.zip1.CheckArchivePassword() != 1) {
            view.showMessage(text::kWrongPassword, Icon::Information, Buttons::Ok);
            return;
        }
    } else {
        s.zip1.OpenArchive(file);
    }

    view.setSourceFileText(chosen);

    // Only what this archive holds may be read: an information file left
    // from an earlier opening must not stand in for a missing one.
    st.InfoFilePath = joinPath(st.WorkFolder, archive::kInfoFileName);
    removeFile(s.files, st.InfoFilePath);
    auto entry = s.zip1.FindEntry(archive::kInfoFileName);
    if (entry.valid()) entry.ExtractEntryTo(st.WorkFolder);

    view.setBackupFacts(std::string(text::kFactComputer) + s.GetINI("BackupComputer") + "\r\n" + text::kFactUser +
                        s.GetINI("BackupLogonUser") + "\r\n" + text::kFactTime + s.GetINI("BackupTime") + "\r\n" +
                        text::kFactProfile + s.GetINI("BackupIdentity") + "\r\n" + text::kFactVersion +
                        s.GetINI("Outlookversion"));
    view.setBackupDescription(archive::DecodeLineBreaks(s.GetINI("BackupInformation")));

    st.ItemFlags = s.GetINI("BackupItem");
    if (st.ItemFlags.size() != 10) {
        view.showMessage(text::kInvalidBackup, Icon::Critical, Buttons::Ok);
        st.NoArchiveLoaded = true;
        removeFile(s.files, st.InfoFilePath);
        return;
    }

    for (int position = 1; position <= 10; ++position) {
        if (st.ItemFlags[position - 1] != '1') continue;
        int box = restoreBoxOf(position);
        if (box >= 0) view.setRestoreItemEnabled(box, true);
        st.ItemValues[position - 1] = s.GetINI(kItemKeys[position - 1]);
    }

    removeFile(s.files, st.InfoFilePath);
    st.NoArchiveLoaded = false;
}

}  // namespace qm::runs
