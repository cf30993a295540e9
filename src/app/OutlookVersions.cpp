#include "app/OutlookVersions.h"

#include "app/ApplicationState.h"

namespace qm::app {
namespace {

// Tested in this order by plain substring, so a version text such as
// "11.0.8169.0" is taken by the "9.0" row. The rows of 2013 and later come
// last: no earlier row's text occurs in "15.0" or "16.0".
const OutlookRow kOutlookVersions[] = {
    {"8.0", "8.0", "Outlook 97"},     {"9.0", "9.0", "Outlook 2000"},   {"10.0", "10.0", "Outlook 2002(XP)"},
    {"11.0", "11.0", "Outlook 2003"}, {"12.0", "12.0", "Outlook 2007"}, {"14.0", "14.0", "Outlook 2010"},
    {"15.0", "15.0", "Outlook 2013"}, {"16.0", "16.0", kOutlook2016},
};

// The names 16.0 is shown under when Click-to-Run tells the product.
const char* const kNamesOf16[] = {"Outlook 2019", "Outlook 2021", "Outlook 2024", "Outlook for Microsoft 365"};

}  // namespace

const OutlookRow* FindOutlookRow(const std::string& versionText) {
    for (const auto& row : kOutlookVersions)
        if (versionText.find(row.text) != std::string::npos) return &row;
    return nullptr;
}

std::string VersionOfDisplayName(const std::string& name) {
    for (const auto& row : kOutlookVersions)
        if (name == row.name) return row.version;
    for (const char* other : kNamesOf16)
        if (name == other) return "16.0";
    return {};
}

bool ModernProfiles(const std::string& version) { return version == "15.0" || version == "16.0"; }

bool AccountsInProfile(const std::string& version) {
    return version == "12.0" || version == "14.0" || ModernProfiles(version);
}

bool NoAddressBook(const std::string& version) { return AccountsInProfile(version); }

std::string ProfilesKeyFor(const std::string& version) {
    if (!ModernProfiles(version)) return kProfilesKey;
    return OfficeUserKeyFor(version) + "\\Outlook\\Profiles";
}

std::vector<std::string> MoreOptionsKeysFor(const std::string& version) {
    std::vector<std::string> keys;
    if (ModernProfiles(version))
        for (const auto& tree : kMoreOptionsTrees) keys.push_back(OfficeUserKeyFor(version) + "\\" + tree.subKey);
    return keys;
}

std::string OfficeUserKeyFor(const std::string& version) {
    return "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\" + version;
}

}  // namespace qm::app
