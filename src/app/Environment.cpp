#include "app/Environment.h"

#include <vector>

#include "app/Session.h"
#include "base/Text.h"
#include "base/WinPath.h"

namespace qm::app {

namespace {

struct OutlookRow {
    const char* text;
    const char* version;
    const char* name;
};

// Tested in this order by plain substring, so a version text such as
// "11.0.8169.0" is taken by the "9.0" row.
const OutlookRow kOutlookVersions[] = {
    {"8.0", "8.0", "Outlook 97"},       {"9.0", "9.0", "Outlook 2000"},   {"10.0", "10.0", "Outlook 2002(XP)"},
    {"11.0", "11.0", "Outlook 2003"},   {"12.0", "12.0", "Outlook 2007"}, {"14.0", "14.0", "Outlook 2010"},
};

// The account section of a profile of Outlook 2007 and 2010.
const char* const kAccountsSection = "9375CFF0413111d3B88A00104B2A6676";
const char* const kAccountManagerAccounts =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook\\OMI Account Manager\\Accounts";
const char* const kSharedToolsKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools";
// Both layouts keep the user's roaming data under one folder.
std::string roamingFolder(const ApplicationState& state) {
    return state.UserProfileFolder +
           (NewFolderLayout(state.WindowsVersion) ? "\\AppData\\Roaming\\Microsoft" : "\\Application Data\\Microsoft");
}

}  // namespace

std::string DetectWindowsVersion(Session& s) {
    platform::OsVersion version;
    if (s.system.GetVersionExA(version)) {
        s.state.WindowsVersion = std::to_string(version.major) + "." + std::to_string(version.minor);
        s.state.WindowsBuild = std::to_string(version.build & 0xFFFFu);
    }
    return s.state.WindowsVersion;
}

std::string DetectOutlookVersion(Session& s) {
    std::string text;
    if (!s.platform.outlook || !s.platform.outlook->outlookVersion(text)) return kUnknownVersion;
    for (const auto& row : kOutlookVersions) {
        if (text.find(row.text) != std::string::npos) {
            s.state.OutlookVersion = row.version;
            return row.name;
        }
    }
    return {};
}

void ListProfiles(Session& s) {
    s.state.ProfileNames.clear();
    s.state.NoOutlook = false;
    for (const auto& name : s.reg.EnumSubKeys(s.state.ProfilesKey)) {
        std::string bare;
        for (char c : name)
            if (c != '\0') bare += c;
        if (base::trimBlanks(bare).empty()) continue;
        s.state.ProfileNames.push_back(name);
    }
    if (s.state.ProfileNames.empty()) s.state.NoOutlook = true;
}

std::optional<std::string> ListedProfile(const Session& s, const std::string& name) {
    for (const auto& listed : s.state.ProfileNames)
        if (s.codePage.equalsIgnoreCase(listed, name)) return listed;
    return std::nullopt;
}

std::string NotListedText(const Session& s, const std::string& name) {
    std::string listed;
    for (const auto& profile : s.state.ProfileNames) listed += (listed.empty() ? "" : ", ") + profile;
    return "the profile " + name + " is not one of this installation's profiles (" +
           (listed.empty() ? std::string("it has none") : listed) + ")";
}

void ComputeProfileLocations(Session& s, const std::string& profile) {
    ApplicationState& st = s.state;
    st.AccountsKey = AccountsKeyFor(st.OutlookVersion, profile);
    st.SignaturesFolder = SignaturesFolderFor(st);
    st.StationeryFolder = StationeryFolderFor(st, s.reg);
    st.OutlookDataFolder = OutlookDataFolderFor(st);
    st.OptionsKey = OptionsKeyFor(st.OutlookVersion);
    st.TemplatesFolder = TemplatesFolderFor(st);
    st.PreferencesFolder = OutlookDataFolderFor(st);
}

bool NewFolderLayout(const std::string& windowsVersion) { return windowsVersion == "6.0" || windowsVersion == "6.1"; }

bool OutlookSharedLayout(const std::string& outlookVersion) {
    return outlookVersion == "12.0" || outlookVersion == "14.0";
}

std::string AccountsKeyFor(const std::string& outlookVersion, const std::string& profile) {
    if (!OutlookSharedLayout(outlookVersion)) return kAccountManagerAccounts;
    return std::string(kProfilesKey) + "\\" + profile + "\\" + kAccountsSection;
}

std::string OptionsKeyFor(const std::string& outlookVersion) {
    return "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\" + outlookVersion + "\\Outlook\\Options";
}

std::string SignaturesFolderFor(const ApplicationState& state) { return roamingFolder(state) + "\\Signatures"; }

std::string OutlookDataFolderFor(const ApplicationState& state) { return roamingFolder(state) + "\\Outlook"; }

std::string TemplatesFolderFor(const ApplicationState& state) { return roamingFolder(state) + "\\Templates"; }

platform::KeyAccess OutlookMachineView(const std::string& outlookVersion, const registry::ModReg& reg) {
    using platform::KeyAccess;
    const std::string key = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Office\\" + outlookVersion + "\\Outlook";
    for (const KeyAccess view : {KeyAccess::Wow64_32Key, KeyAccess::Wow64_64Key})
        if (reg.KeyExists(key, view)) return view;
    return KeyAccess{};
}

std::string StationeryFolderFor(const ApplicationState& state, const registry::ModReg& reg) {
    if (OutlookSharedLayout(state.OutlookVersion)) {
        const std::string dir =
            reg.GetStringValue(kSharedToolsKey, "SharedFilesDir", OutlookMachineView(state.OutlookVersion, reg));
        // The stored folder ends with its separator.
        return base::trimBlanks(base::cutAtZero(dir)) + "Stationery";
    }
    return state.UserProfileFolder + "\\Application Data\\Microsoft\\Stationery";
}

std::string DataRestoreFolderFor(const ApplicationState& state) {
    return state.UserProfileFolder + "\\Local Settings\\Application Data\\Microsoft\\Outlook";
}

}  // namespace qm::app
