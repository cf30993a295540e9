// The personal-folder data files a profile names, and the re-pointing of
// the target profile at their restored copies. Server mailboxes' offline
// caches are named to the user and left as they are.
#include "app/Environment.h"
#include "app/OutlookVersions.h"
#include "base/Text.h"
#include "base/WinPath.h"
#include "items/DataFileHeader.h"
#include "items/ItemSupport.h"
#include "items/Items.h"
#include "items/ProfileStores.h"
#include "items/Texts.h"

namespace qm::items {

using namespace detail;

namespace {

const char* const kStoreEntryId = "01020fff";
const char* const kAnsiPath = "001e6700";
const char* const kUnicodePath = "001f6700";
const char* const kCacheUnicode = "001f6610";
const char* const kCacheAnsi = "001e6610";
const char* const kOutlookSection = "0a0d020000000000c000000000000046";

// Points a cache section whose file lies in a folder that is not here at
// the same name in `folder`, in every value that names it.
bool repointCache(const app::Session& s, const std::string& sectionKey, const std::string& cache,
                  const std::string& folder) {
    const std::string parent = base::parentFolder(cache, s.leads());
    if (!base::absolutePath(cache) || s.files.folderExists(parent)) return true;
    const std::string moved = base::joinPath(folder, base::bareName(cache, s.leads()), s.leads());
    bool ok = s.reg.ReplaceInBinaryValue(sectionKey, kStoreEntryId, cache, moved);
    for (const char* value : {kUnicodePath, kCacheUnicode})
        if (s.reg.ReadUnicodeTextValue(sectionKey, value) == cache)
            ok = s.reg.SetUnicodeTextValue(sectionKey, value, moved) && ok;
    if (base::cutAtZero(s.reg.GetStringValue(sectionKey, kCacheAnsi)) == cache)
        ok = s.reg.SetBinaryValue(sectionKey, kCacheAnsi, moved + '\0') && ok;
    return ok;
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
    const std::string name = base::bareName(path, s_.leads());
    if (!problem.empty()) c_.warnings.push_back(name + ": " + problem);
    seen_.push_back({name, file->info().size, problem});
}

bool Items::BackupDatas(const std::string& profile) {
    // A section whose path could not be read for want of a temporary file
    // may name a data file: the item has failed then, not found nothing.
    bool unread = false;
    bool named = false;
    const bool saved = backupSectionFiles(
        c_, profile, Part::Datas,
        [&](const std::string& sectionKey) {
            if (const std::string cache = cacheFileOf(s_, sectionKey); !cache.empty()) {
                note(c_, base::bareName(cache, s_.leads()) + text::kServerCache);
                return std::string(registry::kError);
            }
            std::string failure;
            std::string path = dataFilePath(s_, sectionKey, &failure);
            if (!failure.empty()) {
                c_.problems.push_back(failure);
                unread = true;
            }
            named = named || path != registry::kError;
            return path;
        },
        [this](const std::string& path) {
            // Stored whatever its header says; the run names a bad one.
            checkDataFile(path);
            return path;
        });
    // A profile of 2013 and later that keeps its mail on servers only (an
    // Exchange or IMAP account with its offline cache) has no data file of
    // its own to back up; that is not a failure.
    c_.absent = !saved && !unread && !named && app::ModernProfiles(s_.state.OutlookVersion) &&
                !s_.reg.EnumSubKeys(profileKey(s_, profile)).empty();
    return saved && !unread;
}

bool Items::RestoreDatas(const std::string& profile) {
    // Outlook 2013 and later read the path from "001f6700": written for
    // every data file, also into a profile moved from an older Outlook.
    const bool modern = app::ModernProfiles(s_.state.OutlookVersion);
    // Every rewrite must take: a profile the registry refused to change
    // still points at the old files, and the item has failed.
    const auto repointed = restoreSectionFiles(
        c_, profile, Part::Datas, [this, modern](const std::string& sectionKey, const std::string& folder) {
            // A server mailbox's cache stays where the target keeps it; one
            // that names a folder this machine lacks (a profile moved from
            // elsewhere) is pointed where Outlook can make it anew.
            if (const std::string cache = cacheFileOf(s_, sectionKey); !cache.empty())
                return !modern || repointCache(s_, sectionKey, cache, folder);
            const std::string old = dataFilePath(s_, sectionKey);
            if (old == registry::kError) return true;
            const std::string moved = base::joinPath(folder, base::bareName(old, s_.leads()), s_.leads());
            bool ok = s_.reg.DeleteValue(sectionKey, kAnsiPath);
            ok = s_.reg.ReplaceInBinaryValue(sectionKey, kStoreEntryId, old, moved) && ok;
            // Written whole: a value that named the file otherwise, or was
            // damaged, would keep the old location.
            if (modern || s_.reg.ReadUnicodeTextValue(sectionKey, kUnicodePath) != registry::kError)
                ok = s_.reg.SetUnicodeTextValue(sectionKey, kUnicodePath, moved) && ok;
            return ok;
        });
    if (!repointed) return false;
    bool written = *repointed;
    // The accounts that deliver into a moved file follow it.
    written = repointDeliveryStores(s_, profileKey(s_, profile)) && written;
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
