#include "app/Environment.h"

#include <algorithm>
#include <vector>

#include "app/ClickToRun.h"
#include "app/OutlookVersions.h"
#include "app/Session.h"
#include "base/Text.h"
#include "base/WinPath.h"

namespace qm::app {

namespace {

// The account section of a profile of Outlook 2007 and 2010.
const char* const kAccountsSection = "9375CFF0413111d3B88A00104B2A6676";
const char* const kAccountManagerAccounts =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook\\OMI Account Manager\\Accounts";
const char* const kSharedToolsPath = "SOFTWARE\\Microsoft\\Shared Tools";
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
    std::string& name = s.state.OutlookName;
    name = kUnknownVersion;
    if (!s.platform.outlook || !s.platform.outlook->outlookVersion(text)) return name;
    const OutlookRow* row = FindOutlookRow(text);
    name.clear();
    if (!row) return name;
    s.state.OutlookVersion = row->version;
    name = row->name;
    // One version number for 2016 to Microsoft 365: the product tells them apart.
    if (s.state.OutlookVersion == "16.0")
        if (std::string product = ClickToRunOutlookName(s.reg); !product.empty()) name = product;
    return name;
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
    if (!ModernProfiles(s.state.OutlookVersion)) return;
    const std::string chosen =
        base::cutAtZero(s.reg.GetStringValue(OfficeUserKeyFor(s.state.OutlookVersion) + "\\Outlook", "DefaultProfile"));
    auto& names = s.state.ProfileNames;
    for (auto it = names.begin(); it != names.end(); ++it) {
        if (!s.codePage.equalsIgnoreCase(*it, chosen)) continue;
        std::rotate(names.begin(), it, it + 1);
        break;
    }
}

std::optional<std::string> ListedProfile(const Session& s, const std::string& name) {
    for (const auto& listed : s.state.ProfileNames)
        if (s.codePage.equalsIgnoreCase(listed, name)) return listed;
    return std::nullopt;
}

std::string NotListedText(const Session& s, const std::string& name) {
    std::string listed;
    for (const auto& profile : s.state.ProfileNames) listed += (listed.empty() ? "" : ", ") + profile;
    return "the profile " + base::shownValue(name) + " is not one of this installation's profiles (" +
           (listed.empty() ? std::string("it has none") : listed) + ")";
}

void ComputeProfileLocations(Session& s, const std::string& profile) {
    ApplicationState& st = s.state;
    st.AccountsKey = AccountsKeyFor(st.OutlookVersion, profile);
    st.SignaturesFolder = SignaturesFolderFor(st, s.reg);
    st.StationeryFolder = StationeryFolderFor(st, s.reg);
    st.SharedStationeryFolder = SharedStationeryFolderFor(st, s.reg);
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
    if (!AccountsInProfile(outlookVersion)) return kAccountManagerAccounts;
    return ProfilesKeyFor(outlookVersion) + "\\" + profile + "\\" + kAccountsSection;
}

std::string OptionsKeyFor(const std::string& outlookVersion) {
    return "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\" + outlookVersion + "\\Outlook\\Options";
}

std::string SignaturesFolderFor(const ApplicationState& state, const registry::ModReg& reg) {
    std::string name = "Signatures";
    if (ModernProfiles(state.OutlookVersion)) {
        // Office keeps the folder's localised name ("Signaturen"); one that is
        // not a single folder name is not followed out of Microsoft's folder.
        const std::string kept = base::trimBlanks(base::cutAtZero(
            reg.GetStringValue(OfficeUserKeyFor(state.OutlookVersion) + "\\Common\\General", "Signatures")));
        const base::LeadBytes& leads = reg.codePage().leadBytes();
        if (kept != registry::kError && !kept.empty() && base::staysInFolder(kept, leads) &&
            leads.findFirstOf(kept, "*?\"<>|") == std::string::npos)
            name = kept;
    }
    return roamingFolder(state) + "\\" + name;
}

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
    // 2013 and later run on Windows 7 or later only, where the old name is a
    // link Wine does not make.
    if (ModernProfiles(state.OutlookVersion)) return roamingFolder(state) + "\\Stationery";
    return state.UserProfileFolder + "\\Application Data\\Microsoft\\Stationery";
}

std::string SharedStationeryFolderFor(const ApplicationState& state, const registry::ModReg& reg) {
    if (!ModernProfiles(state.OutlookVersion)) return {};
    const std::string dir = base::trimBlanks(
        base::cutAtZero(OfficeMachineString(state.OutlookVersion, kSharedToolsPath, "SharedFilesDir", reg)));
    if (dir == registry::kError || !base::absolutePath(dir)) return {};
    return base::joinPath(dir, "Stationery", reg.codePage().leadBytes());
}

bool NewOutlookInUse(const std::string& outlookVersion, const registry::ModReg& reg) {
    if (outlookVersion != "16.0") return false;
    std::uint32_t on = 0;
    return reg.GetDwordValue(OfficeUserKeyFor(outlookVersion) + "\\Outlook\\Preferences", "UseNewOutlook", on) &&
           on == 1;
}

std::string DataRestoreFolderFor(const ApplicationState& state) {
    return state.UserProfileFolder + "\\Local Settings\\Application Data\\Microsoft\\Outlook";
}

}  // namespace qm::app
