// The personal-folder data files a profile names, and the re-pointing of
// the target profile at their restored copies.
#include "app/Environment.h"
#include "base/WinPath.h"
#include "items/DataFileHeader.h"
#include "items/ItemSupport.h"
#include "items/Items.h"

namespace qm::items {

using namespace detail;

namespace {

const char* const kStoreEntryId = "01020fff";
const char* const kAnsiPath = "001e6700";
const char* const kUnicodePath = "001f6700";
const char* const kOutlookSection = "0a0d020000000000c000000000000046";

// The data file a section's store names, or "Error": UTF-16 first, ANSI only
// when that finds no path. `failure` tells why the ANSI reading could not
// be made at all.
std::string dataFilePath(const app::Session& s, const std::string& sectionKey, std::string* failure = nullptr) {
    std::string path = s.reg.ReadPathFromBinaryValue(sectionKey, kStoreEntryId);
    if (path == registry::kError) path = s.reg.ReadAnsiPathFromBinaryValue(sectionKey, kStoreEntryId, failure);
    return path;
}

}  // namespace

void Items::checkDataFile(const std::string& path) {
    std::string why;
    const auto file = s_.files.openRead(path, why);
    // One that cannot be read fails when it is added.
    if (!file) return;
    std::string head(kDataFileHeaderSize, '\0');
    std::size_t got = 0;
    while (got < head.size()) {
        const std::int64_t n = file->read(head.data() + got, head.size() - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    head.resize(got);
    const std::string problem = DataFileHeaderProblem(head, file->info().size);
    if (!problem.empty()) c_.warnings.push_back(base::bareName(path, s_.leads()) + ": " + problem);
}

bool Items::BackupDatas(const std::string& profile) {
    // A section whose path could not be read for want of a temporary file
    // may name a data file: the item has failed then, not found nothing.
    bool unread = false;
    const bool saved = backupSectionFiles(
        c_, profile, Part::Datas,
        [&](const std::string& sectionKey) {
            std::string failure;
            std::string path = dataFilePath(s_, sectionKey, &failure);
            if (!failure.empty()) {
                c_.problems.push_back(failure);
                unread = true;
            }
            return path;
        },
        [this](const std::string& path) {
            // Stored whatever its header says; the run names a bad one.
            checkDataFile(path);
            return path;
        });
    return saved && !unread;
}

bool Items::RestoreDatas(const std::string& profile) {
    // Every rewrite must take: a profile the registry refused to change
    // still points at the old files, and the item has failed.
    const auto repointed =
        restoreSectionFiles(c_, profile, Part::Datas, [this](const std::string& sectionKey, const std::string& folder) {
            const std::string old = dataFilePath(s_, sectionKey);
            if (old == registry::kError) return true;
            const std::string moved = base::joinPath(folder, base::bareName(old, s_.leads()), s_.leads());
            bool ok = s_.reg.DeleteValue(sectionKey, kAnsiPath);
            ok = s_.reg.ReplaceInBinaryValue(sectionKey, kStoreEntryId, old, moved) && ok;
            return s_.reg.ReplaceInBinaryValue(sectionKey, kUnicodePath, old, moved) && ok;
        });
    if (!repointed) return false;
    bool written = *repointed;
    const std::string outlook = profileKey(s_, profile) + "\\" + kOutlookSection;
    written = s_.reg.DeleteValue(outlook, "1102039b") && written;
    written = s_.reg.DeleteValue(outlook, "001e023d") && written;

    // Outlook rebuilds the favourites of the profile from the moved stores.
    // (A name that cannot be a file name has no such file.)
    if (!usableProfileName(profile, s_.leads())) return written;
    const std::string favorites = s_.state.UserProfileFolder + "\\Application Data\\Microsoft\\Outlook\\" + profile + ".FAV";
    if (!s_.files.fileExists(favorites)) return written;
    if (!c_.transaction) {
        s_.files.deleteFile(favorites);
        return written;
    }
    std::string why;
    if (!c_.transaction->removeAtCommit(favorites, why)) {
        c_.problems.push_back(why);
        c_.transaction->abort(why);
        return false;
    }
    return written;
}

}  // namespace qm::items
