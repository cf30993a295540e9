#pragma once
// The Outlook versions the program knows: the version table with its
// display names, and what each version keeps where. Outlook 97 to 2010 keep
// their profiles under the Windows Messaging Subsystem key; 2013 (15.0) and
// 2016 to Microsoft 365 (16.0) under Office\<version>\Outlook\Profiles,
// where the older versions do not look.
#include <string>
#include <vector>

namespace qm::app {

struct OutlookRow {
    const char* text;     // looked for in the version text
    const char* version;  // "16.0"
    const char* name;     // "Outlook 2016"
};

// The first row of the table whose text occurs in the version text (plain
// substring, rows in table order); nullptr when none does.
const OutlookRow* FindOutlookRow(const std::string& versionText);

// The version a backup's recorded display name stands for ("Outlook 2019"
// -> "16.0"); "" for a name that is none of them (empty, "Unknow Version").
std::string VersionOfDisplayName(const std::string& name);

// 2013 and later: profiles under Office\<version>\Outlook\Profiles.
bool ModernProfiles(const std::string& version);
// 2007 and later keep each profile's mail accounts in the profile.
bool AccountsInProfile(const std::string& version);
// 2007 and later keep no personal address book.
bool NoAddressBook(const std::string& version);

// Where the profiles of that version are (the Windows Messaging Subsystem
// key for 97-2010 and for a version not known).
std::string ProfilesKeyFor(const std::string& version);
// HKEY_CURRENT_USER\Software\Microsoft\Office\<version>
std::string OfficeUserKeyFor(const std::string& version);

// The option trees 2013 and later keep beside Outlook\Options (never
// Outlook\Setup, which holds the installation's first-run state), below
// OfficeUserKeyFor(version), each recorded in a backup under a key of its own.
struct OptionsTree {
    const char* infoKey;
    const char* subKey;
};
inline constexpr OptionsTree kMoreOptionsTrees[] = {
    {"BackupConfigsettingPreferences", "Outlook\\Preferences"},
    {"BackupConfigsettingMailSettings", "Common\\MailSettings"},
};
// Their key paths for a version (none before 2013).
std::vector<std::string> MoreOptionsKeysFor(const std::string& version);

inline const char* const kOutlook2016 = "Outlook 2016";

}  // namespace qm::app
