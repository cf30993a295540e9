#include "app/Startup.h"

#include <vector>

#include "app/Environment.h"
#include "archive/InfoFile.h"

namespace qm::app {

namespace {

std::string trimBlanks(const std::string& text) {
    auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string cutAtZero(const std::string& text) { return text.substr(0, text.find('\0')); }

}  // namespace

std::optional<AutomaticSettings> ParseCommandLine(const std::string& text) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t pos = text.find('='); pos != std::string::npos; pos = text.find('=', start)) {
        pieces.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
    pieces.push_back(text.substr(start));
    if (pieces.size() < 5) return std::nullopt;

    // Every piece but the first and the last ends with the next key's name.
    // A piece shorter than that name has no value left.
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i)
        pieces[i] = pieces[i].size() >= 2 ? pieces[i].substr(0, pieces[i].size() - 2) : std::string();

    AutomaticSettings settings{pieces[1], pieces[2], pieces[3], pieces[4]};
    if (settings.profile.empty() || settings.selection.empty() || settings.archivePath.empty()) return std::nullopt;
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

bool InitializeMainWindow(Session& s) {
    ApplicationState& st = s.state;
    MainView& view = s.view;
    platform::System& sys = s.system;

    view.setCaption(kMainCaption);
    // The skin is the window's own business.
    s.zip1.setArchiveWorkFolder(st.WorkFolder);
    view.showBusy(false);
    view.setProgress(0);

    st.InfoFilePath = JoinPath(st.WorkFolder, archive::kInfoFileName);
    std::string text;
    if (sys.GetComputerNameA(text)) st.ComputerName = trimBlanks(cutAtZero(text));
    text.clear();
    st.LogonUser = sys.GetUserNameA(text) ? trimBlanks(cutAtZero(text)) : std::string();
    text.clear();
    if (sys.GetWindowsDirectoryA(text)) st.WindowsFolder = cutAtZero(text);
    st.NoArchiveLoaded = true;

    view.setApplyCaption(ApplyCaptionFor(view.currentTab()));
    DetectWindowsVersion(s);
    st.ProfilesKey = kProfilesKey;
    ListProfiles(s);

    if (st.NoOutlook) {
        view.showMessage(kNoOutlookMessage, platform::Icon::Critical, platform::Buttons::Ok);
        view.setApplyEnabled(false);
        return false;
    }

    DetectOutlookVersion(s);
    for (const auto& name : st.ProfileNames) {
        view.addSourceProfile(name);
        view.addTargetProfile(name);
    }
    view.setSourceProfileText(st.ProfileNames.front());
    view.setTargetProfileText(st.ProfileNames.front());
    st.UserProfileFolder = cutAtZero(sys.ExpandEnvironmentStringsA("%UserProfile%"));
    SourceProfileChanged(s);
    return true;
}

bool MainWindowActivated(Session& s, const std::function<void(const AutomaticSettings&)>& automaticRun) {
    // Hiding the window or a message box of the run can activate it again;
    // the backup must still run only once.
    if (s.state.CommandLine.empty() || s.state.AutomaticRunStarted) return false;
    s.state.AutomaticRunStarted = true;
    s.view.hideWindow();
    if (auto settings = ParseCommandLine(s.state.CommandLine); settings && automaticRun) automaticRun(*settings);
    Quit(s);
    return true;
}

std::string ApplyCaptionFor(Tab tab) { return tab == Tab::Backup ? kBackupNow : kRestoreNow; }

void TabChanged(Session& s) { s.view.setApplyCaption(ApplyCaptionFor(s.view.currentTab())); }

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

void Quit(Session& s) { s.view.quit(); }

}  // namespace qm::app
