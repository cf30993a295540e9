#pragma once
// Pieces the item families share: the recorded values of the information
// file, the checks that keep a restore inside its folders, and the archive
// steps.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/RestoreTransaction.h"
#include "app/Session.h"
#include "archive/Zip.h"
#include "items/Parts.h"

namespace qm::items::detail {

// What the item operations of one run work with: the installation, the
// archive being built (backup) or opened (restore), the values the opened
// backup recorded, and what went wrong on the way.
struct Context {
    app::Session& s;
    archive::Zip& zip;
    const RecordedValues& recorded;
    RecordedLookup lookup;
    // Why a part failed, in the order met ("<bare name>: <reason>").
    std::vector<std::string> problems;
    // Files that were stored but look damaged or still in use.
    std::vector<std::string> warnings;
    // What the user should know (see PartOutcome), each once.
    std::vector<std::string> notes;
    // The part found nothing of its kind here, and that is no failure.
    bool absent = false;
    // A restore's transaction: files taken out wait beside their targets,
    // and what the restore needs but cannot have stops all of it.
    app::RestoreTransaction* transaction = nullptr;
};

// The value the opened backup recorded for a part.
const std::string& recorded(const Context& c, Part part);
// The value of another key of the opened backup's information file.
std::string recordedKey(const Context& c, const std::string& key);
void note(Context& c, const std::string& text);
// The Outlook version the opened backup was made with ("" when unknown).
std::string backupVersion(const Context& c);
// The recorded value split at ";" (up to its first zero character); an empty
// value gives one empty name.
std::vector<std::string> splitNames(const std::string& value);

bool allStayInFolder(const std::vector<std::string>& names, const base::LeadBytes& leads);
// A profile name usable as one registry key name: not blank, no "\".
bool usableKeyName(const std::string& name, const base::LeadBytes& leads);
// A profile name usable inside a file name too ("<profile>.RWZ").
bool usableProfileName(const std::string& name, const base::LeadBytes& leads);

// The key of a profile: ProfilesKey "\" name.
std::string profileKey(const app::Session& s, const std::string& profile);

// Adds one file; true when the component took it (otherwise its reason is
// among the problems).
bool addFile(Context& c, const std::string& path);
// Extracts each name into the folder, stopping at the first that is missing
// or cannot be written. Checks every name before the first write. In a
// restore's transaction the files wait beside their targets, and one that
// cannot be had stops the restore.
bool extractAll(Context& c, const std::vector<std::string>& names, const std::string& folder);
// Takes one entry out as the file `target` (a restore's transaction keeps
// it waiting beside the target).
bool extractAs(Context& c, const std::string& name, const std::string& target);
// A missing folder made, with its parents when `parents` (a restore's
// transaction removes what it made should it roll back).
bool makeFolder(Context& c, const std::string& folder, bool parents);
// Adds the file each section of the profile names (`pathOf` gives the
// existing-file test's path or "Error"; `addPath` the path to add) and records
// their bare names under the part's key. False when none was added, or when
// one that exists could not be read or is no regular file (the ZIP
// component's reason is among the problems).
bool backupSectionFiles(Context& c, const std::string& profile, Part part,
                        const std::function<std::string(const std::string& sectionKey)>& pathOf,
                        const std::function<std::string(const std::string& path)>& addPath);
// The restore of files a profile's sections name: the part's recorded
// files extracted into the data restore folder (made when missing), then
// `repoint` called for every section of the target profile with the folder.
// Nothing when the profile name is unusable, a name is unsafe, extraction
// fails or the profile has no sections; otherwise whether every repoint
// took (a refused registry write fails the item).
std::optional<bool> restoreSectionFiles(
    Context& c, const std::string& profile, Part part,
    const std::function<bool(const std::string& sectionKey, const std::string& folder)>& repoint);

}  // namespace qm::items::detail
