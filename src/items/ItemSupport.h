#pragma once
// Pieces the item families share: names and lists of the information file,
// the checks that keep a restore inside its folders, and the archive steps.
#include <functional>
#include <string>
#include <vector>

#include "app/Session.h"

namespace qm::items::detail {

// The text after the last "\" (the whole text when it has none).
std::string bareName(const std::string& path);
std::string cutAtZero(const std::string& text);
std::string trimBlanks(const std::string& text);
// The recorded value split at ";" (up to its first zero character); an empty
// value gives one empty name.
std::vector<std::string> splitNames(const std::string& value);

// A name that, joined to a folder, stays in that folder: no "\" or "/", no
// drive (":"), and not made of dots alone ("." / ".."). Empty names pass:
// the archive holds no entry of that name, so they fail on their own.
bool staysInFolder(const std::string& name);
bool allStayInFolder(const std::vector<std::string>& names);
// A profile name usable both as one registry key name and inside a file name.
bool usableProfileName(const std::string& name);
// A drive path ("C:\...") or a network path ("\\server\share...").
bool absolutePath(const std::string& path);

// The key of a profile: ProfilesKey "\" name.
std::string profileKey(const app::Session& s, const std::string& profile);

// Adds one file; true when the component took it.
bool addFile(app::Session& s, const std::string& path);
// Extracts each name into the folder, stopping at the first that is missing
// or cannot be written. Checks every name before the first write.
bool extractAll(app::Session& s, const std::vector<std::string>& names, const std::string& folder);
// Adds the file each section of the profile names (`pathOf` gives the
// existing-file test's path or "Error"; `addPath` the path to add) and records
// their bare names under `infoKey`. False when none was added, or when one
// that exists could not be read.
bool backupSectionFiles(app::Session& s, const std::string& profile, const char* infoKey,
                        const std::function<std::string(const std::string& sectionKey)>& pathOf,
                        const std::function<std::string(const std::string& path)>& addPath);
// Extracts the recorded names into the profile's data restore folder (made
// when missing). The folder, or "" when a name is unsafe or extraction fails.
std::string extractToDataFolder(app::Session& s, const std::string& recorded);

// Creates the missing levels of a folder; true when it exists afterwards.
bool makeFolders(platform::FileSystem& files, const std::string& folder);

}  // namespace qm::items::detail
