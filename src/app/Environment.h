#pragma once
// Windows and Outlook versions, the profile list, and the folders and keys
// of the chosen profile.
#include <optional>
#include <string>

#include "app/ApplicationState.h"
#include "registry/ModReg.h"

namespace qm::app {

class Session;

// Sets WindowsVersion ("6.1") and WindowsBuild; returns WindowsVersion.
std::string DetectWindowsVersion(Session& session);
// Sets OutlookVersion from the version table and returns its display name
// (16.0 named by the product Click-to-Run reports, else "Outlook 2016");
// "" when no row matches, "Unknow Version" when Outlook cannot tell. The
// name is kept in OutlookName.
std::string DetectOutlookVersion(Session& session);
// Fills ProfileNames and NoOutlook from ProfilesKey. For 2013 and later the
// profile that DefaultProfile names comes first (it is the one a profile
// box shows first).
void ListProfiles(Session& session);
// The listed profile of that name, spelled as the installation spells it;
// letter case is ignored, as the registry ignores it in key names. Nothing
// for a name that is not listed: a typed name that names no profile must
// not back up the parts that need none, nor restore into a new profile.
std::optional<std::string> ListedProfile(const Session& session, const std::string& name);
// Why such a name is refused: "the profile Outlok is not one of this
// installation's profiles (Outlook, Work)".
std::string NotListedText(const Session& session, const std::string& name);

// Computes the folders and keys of the profile into the state: the shared
// locations the item operations read.
void ComputeProfileLocations(Session& session, const std::string& profile);

// The folder and key rules, shared with the restore side, which computes
// them anew at call time.
bool NewFolderLayout(const std::string& windowsVersion);      // "6.0" or "6.1"
bool OutlookSharedLayout(const std::string& outlookVersion);  // "12.0" or "14.0"
// Outlook 2007 and later keep a profile's mail accounts in that profile
// (under that version's profiles key); earlier versions keep them once for
// the user.
std::string AccountsKeyFor(const std::string& outlookVersion, const std::string& profile);
std::string OptionsKeyFor(const std::string& outlookVersion);
// The signatures folder; for 2013 and later its name is the one Office
// keeps in Common\General "Signatures" (localised), when that is one
// folder name.
std::string SignaturesFolderFor(const ApplicationState& state, const registry::ModReg& reg);
std::string OutlookDataFolderFor(const ApplicationState& state);  // also the preferences folder
std::string TemplatesFolderFor(const ApplicationState& state);
// The stationery folder a backup reads and a restore writes: the shared one
// of Office for 2007 and 2010, the user's own for the others.
std::string StationeryFolderFor(const ApplicationState& state, const registry::ModReg& reg);
// For 2013 and later, Office's shared stationery folder, which a backup
// reads besides the user's; "" for the others, or when Office names none.
std::string SharedStationeryFolderFor(const ApplicationState& state, const registry::ModReg& reg);
// Whether the new Outlook is switched on (16.0's Preferences
// "UseNewOutlook" is 1): it does not read these profiles.
bool NewOutlookInUse(const std::string& outlookVersion, const registry::ModReg& reg);
// The registry view in which the installed Outlook registered its
// machine-wide keys: a 32-bit Outlook's lie under Wow6432Node in a 64-bit
// Windows or Wine prefix. None (this program's own view) when neither view
// holds Office\<version>\Outlook.
platform::KeyAccess OutlookMachineView(const std::string& outlookVersion, const registry::ModReg& reg);
// UserProfileFolder\Local Settings\Application Data\Microsoft\Outlook
std::string DataRestoreFolderFor(const ApplicationState& state);

inline const char* const kUnknownVersion = "Unknow Version";
inline const char* const kPabPathValue = "001e6600";

}  // namespace qm::app
