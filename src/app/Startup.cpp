#include "app/Startup.h"

#include "app/Environment.h"
#include "app/OutlookVersions.h"
#include "archive/InfoFile.h"
#include "base/Text.h"
#include "base/WinPath.h"

namespace qm::app {

const char* const kMainCaption = "Quillmark V" QM_VERSION;

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

    DetectWindowsVersion(s);
    // The version first: it tells where the profiles are.
    DetectOutlookVersion(s);
    st.NewOutlook = NewOutlookInUse(st.OutlookVersion, s.reg);
    st.ProfilesKey = ProfilesKeyFor(st.OutlookVersion);
    ListProfiles(s);
    if (st.NoOutlook) return false;

    st.UserProfileFolder = base::cutAtZero(sys.ExpandEnvironmentStringsA("%UserProfile%"));
    ComputeProfileLocations(s, st.ProfileNames.front());
    return true;
}

}  // namespace qm::app
