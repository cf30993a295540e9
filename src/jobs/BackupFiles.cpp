#include "jobs/BackupFiles.h"

#include <functional>
#include <utility>
#include <vector>

#include "app/Environment.h"
#include "archive/InfoFile.h"
#include "platform/FileOps.h"

namespace qm::jobs::detail {

bool writeHeader(app::Session& s, const std::string& profile, const std::string& description, bool stopAtFailure) {
    const auto& st = s.state;
    // The values are taken line by line: the Outlook version is detected
    // anew only when its line is due.
    const std::vector<std::pair<const char*, std::function<std::string()>>> lines = {
        {"BackupComputer", [&] { return st.ComputerName; }},
        {"BackupLogonUser", [&] { return st.LogonUser; }},
        {"BackupIdentity", [&] { return profile; }},
        {"BackupTime", [&] { return s.system.nowText(); }},
        {"Outlookversion", [&] { return app::DetectOutlookVersion(s); }},
        {"BackupInformation", [&] { return archive::EncodeLineBreaks(description); }},
    };
    bool all = true;
    for (const auto& [key, value] : lines) {
        if (s.SaveINI(key, value())) continue;
        if (stopAtFailure) return false;
        all = false;
    }
    return all;
}

void removeBackupFiles(app::Session& s) {
    const auto& st = s.state;
    for (const std::string* path : {&st.InfoFilePath, &st.ConfigExportFile, &st.AccountsExportFile, &st.OptionsExportFile})
        platform::removeFile(s.files, *path);
    for (const auto& path : st.MoreOptionsExportFiles) platform::removeFile(s.files, path);
}

}  // namespace qm::jobs::detail
