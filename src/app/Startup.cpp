#include "app/Startup.h"

#include <cstdio>
#include <vector>

#include "app/Environment.h"
#include "app/ViewText.h"
#include "archive/InfoFile.h"
#include "base/Text.h"
#include "base/WinPath.h"

namespace qm::app {

const char* const kMainCaption = "Quillmark V" QM_VERSION;

std::optional<AutomaticSettings> ParseCommandLine(const std::string& text, std::string* why) {
    auto refuse = [why](const char* reason) {
        if (why) *why = reason;
        return std::nullopt;
    };
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t pos = text.find('='); pos != std::string::npos; pos = text.find('=', start)) {
        pieces.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
    pieces.push_back(text.substr(start));
    if (pieces.size() < 5) return refuse(kCommandLineIncomplete);
    if (pieces.size() > 5) return refuse(kCommandLineHasEquals);

    // Every piece but the first and the last ends with the next key's name.
    // A piece shorter than that name has no value left.
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i)
        pieces[i] = pieces[i].size() >= 2 ? pieces[i].substr(0, pieces[i].size() - 2) : std::string();

    AutomaticSettings settings{pieces[1], pieces[2], pieces[3], pieces[4]};
    if (settings.profile.empty() || settings.selection.empty() || settings.archivePath.empty())
        return refuse(kCommandLineEmptyValue);
    if (why) why->clear();
    return settings;
}

std::string CommandLineFromArgs(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i] ? argv[i] : "";
    }
    return line;
}

void StoreCommandLine(Session& s, const std::string& commandLine) { s.state.CommandLine = commandLine; }

bool LoadEnvironment(Session& s) {
    ApplicationState& st = s.state;
    platform::System& sys = s.system;

    st.InfoFilePath = base::joinPath(st.WorkFolder, archive::kInfoFileName, s.leads());
    std::string text;
    if (sys.GetComputerNameA(text)) st.ComputerName = base::trimBlanks(base::cutAtZero(text));
    text.clear();
    st.LogonUser = sys.GetUserNameA(text) ? base::trimBlanks(base::cutAtZero(text)) : std::string();
    text.clear();
    if (sys.GetWindowsDirectoryA(text)) st.WindowsFolder = base::cutAtZero(text);
    st.NoArchiveLoaded = true;

    DetectWindowsVersion(s);
    st.ProfilesKey = kProfilesKey;
    ListProfiles(s);
    if (st.NoOutlook) return false;

    DetectOutlookVersion(s);
    st.UserProfileFolder = base::cutAtZero(sys.ExpandEnvironmentStringsA("%UserProfile%"));
    ComputeProfileLocations(s, st.ProfileNames.front());
    return true;
}

bool InitializeMainWindow(Session& s, MainView& view) {
    const ViewText ui(s.codePage);
    view.setCaption(kMainCaption);
    // The skin is the window's own business.
    view.showBusy(false);
    view.setProgress(0);
    view.setApplyCaption(ApplyCaptionFor(view.currentTab()));

    if (!LoadEnvironment(s)) {
        view.showMessage(kNoOutlookMessage, Icon::Critical, Buttons::Ok);
        view.setApplyEnabled(false);
        return false;
    }
    for (const auto& name : s.state.ProfileNames) {
        view.addSourceProfile(ui.shown(name));
        view.addTargetProfile(ui.shown(name));
    }
    view.setSourceProfileText(ui.shown(s.state.ProfileNames.front()));
    view.setTargetProfileText(ui.shown(s.state.ProfileNames.front()));
    SourceProfileChanged(s, view);
    return true;
}

bool MainWindowActivated(Session& s, MainView& view, const std::function<void(const AutomaticSettings&)>& automaticRun) {
    // Hiding the window or a message box of the run can activate it again;
    // the backup must still run only once.
    if (s.state.CommandLine.empty() || s.state.AutomaticRunStarted) return false;
    s.state.AutomaticRunStarted = true;
    view.hideWindow();
    if (auto settings = ParseCommandLine(s.state.CommandLine); settings && automaticRun) automaticRun(*settings);
    Quit(view);
    return true;
}

std::string ApplyCaptionFor(Tab tab) { return tab == Tab::Backup ? kBackupNow : kRestoreNow; }

void TabChanged(MainView& view) { view.setApplyCaption(ApplyCaptionFor(view.currentTab())); }

void ProtectClicked(MainView& view) { view.setPasswordBoxes(view.protectChecked()); }

std::string DefaultTargetName(const platform::LocalDate& today) {
    char date[16];
    std::snprintf(date, sizeof date, "%02d-%02d-%02d", today.month, today.day, today.year % 100);
    return std::string("qmdata") + date;
}

void ChooseTargetFile(Session& s, MainView& view) {
    const ViewText ui(s.codePage);
    const std::string chosen = view.chooseFileToSave(kSaveTitle, kQmkFilter, DefaultTargetName(s.system.today()));
    // A cancelled dialog empties the target: a backup then stops at its
    // first check.
    view.setTargetFileText(chosen);
    s.state.TargetArchivePath = ui.typed(chosen);
}

void SelectAllItems(MainView& view, ItemArray items) {
    for (int i = 0; i < 8; ++i) {
        if (items == ItemArray::Backup)
            view.setBackupItemChecked(i, view.backupItemEnabled(i));
        else
            view.setRestoreItemChecked(i, view.restoreItemEnabled(i));
    }
}

void DeselectAllItems(MainView& view, ItemArray items) {
    for (int i = 0; i < 8; ++i) {
        if (items == ItemArray::Backup)
            view.setBackupItemChecked(i, false);
        else
            view.setRestoreItemChecked(i, false);
    }
}

void Quit(MainView& view) { view.quit(); }

}  // namespace qm::app
