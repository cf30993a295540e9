#include "archive/Zip.h"

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <unordered_map>

#include "archive/ArchiveCheck.h"
#include "archive/InfoFile.h"
#include "archive/ZipSources.h"
#include "base/WinPath.h"

namespace qm::archive {
namespace {

// libdeflate's level 1, measured with bench/deflate_levels.cpp on data
// shaped like a mail store (half text, half attachments, which are stored):
// output/input 0.6696 for 2.1 s of CPU per 512 MiB, under the 0.6725 of
// `7z a -tzip -mx=1`. Level 2 makes 0.6610 for 3.7 s, level 4 0.6584 for
// 4.0 s; zlib's level 4 made 0.6666 for 4.7 s.
constexpr int kDeflateLevel = 1;

// A name that can only be a file directly in the folder it is extracted to.
// "\" and "|" can be second bytes of double-byte characters: looked for by character.
bool isSafeEntryName(const std::string& name, const base::LeadBytes& leads) {
    if (name.empty()) return false;
    for (unsigned char c : name)
        if (c < 0x20) return false;
    if (leads.findFirstOf(name, "\\/:<>\"|?*") != std::string::npos) return false;
    if (name.back() == '.' || name.back() == ' ') return false;  // also "." and ".."
    return !base::deviceName(name);
}

// A name of entries in folders of the archive: safe names joined by "/".
bool isSafeEntryPath(const std::string& name, const base::LeadBytes& leads) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = name.find('/', start);
        if (!isSafeEntryName(name.substr(start, slash == std::string::npos ? std::string::npos : slash - start), leads))
            return false;
        if (slash == std::string::npos) return true;
        start = slash + 1;
    }
}

// The note of the one replacement under way, removed when it is done
// (committed or discarded) however the work ends.
class ReplacementNote {
public:
    ReplacementNote(platform::FileSystem& files, const std::string& workFolder, const std::string& target)
        : files_(files), path_(workFolder.empty() ? std::string() : base::joinPath(workFolder, kReplacementsNote, files.codePage().leadBytes())) {
        // Without the note only the next write to the same target would find
        // a killed run's file; the run itself goes on either way.
        if (!path_.empty()) files_.writeFile(path_, target + "\r\n");
    }
    ~ReplacementNote() {
        if (!path_.empty()) files_.deleteFile(path_);
    }
    ReplacementNote(const ReplacementNote&) = delete;
    ReplacementNote& operator=(const ReplacementNote&) = delete;

private:
    platform::FileSystem& files_;
    std::string path_;
};

}  // namespace

struct Zip::State {
    struct Queued {
        std::string name;  // entry name (the bare name unless given), ANSI
        std::string path;  // as given (Windows path)
        platform::FileInfo added;
        bool dropped = false;
    };

    // Building.
    bool building = false;
    std::string target;
    std::vector<Queued> queue;
    std::unordered_map<std::u16string, std::size_t> byName;

    // Reading.
    std::unique_ptr<detail::ArchiveReader> reader;
    bool hasReadPassword = false;
    std::string readPassword;
    std::vector<std::string> names;  // ANSI, by index
    // The first index of each name as it is and with its case folded, made
    // when the first entry is looked for: a restore of thousands of files
    // finds each at once.
    std::unordered_map<std::string, std::size_t> exact;
    std::unordered_map<std::u16string, std::size_t> folded;

    zip_t* archive() const { return reader ? reader->archive() : nullptr; }
    void closeReader() {
        reader.reset();
        names.clear();
        exact.clear();
        folded.clear();
    }
    void clearBuild() {
        building = false;
        target.clear();
        queue.clear();
        byName.clear();
    }
};

namespace {

enum class Outcome { Written, EntryFailed, Cancelled, Failed };

struct Source {
    long entry;  // index in the queue
    std::string name;
    std::string path;
    platform::FileInfo snapshot;
};

struct Attempt {
    Outcome outcome = Outcome::Failed;
    long failedEntry = -1;
    std::string error;
};

struct Written {
    std::string name;  // ANSI, for the report
    std::string utf8;  // as stored
    const detail::EntrySource* source;
};

// Reads the new archive back from the disk before it may replace the
// earlier one: the entries libzip was given, in order, each of them whole,
// protected when asked, and with the data that was read from its file.
bool checkWritten(detail::ArchiveSink& sink, const std::vector<Written>& written, const std::string* password,
                  detail::WriteSession& session, std::string& why) {
    std::string error;
    const auto reader = detail::ArchiveReader::open(sink.readBack(), error);
    if (!reader) {
        why = "it cannot be opened again (" + error + ")";
        return false;
    }
    zip_t* za = reader->archive();
    const zip_int64_t count = zip_get_num_entries(za, 0);
    if (count != static_cast<zip_int64_t>(written.size())) {
        why = "it holds " + std::to_string(count) + " entries instead of " + std::to_string(written.size());
        return false;
    }
    std::string damaged;
    for (std::size_t i = 0; i < written.size(); ++i) {
        const Written& w = written[i];
        const auto index = static_cast<zip_uint64_t>(i);
        const char* name = zip_get_name(za, index, ZIP_FL_ENC_GUESS);
        zip_stat_t st;
        const bool sound =
            name && w.utf8 == name && w.source->complete() && zip_stat_index(za, index, 0, &st) == 0 &&
            (st.valid & ZIP_STAT_SIZE) && st.size == w.source->size() && (st.valid & ZIP_STAT_ENCRYPTION_METHOD) &&
            st.encryption_method == (password ? ZIP_EM_AES_256 : ZIP_EM_NONE) &&
            detail::checkEntry(
                za, index, password ? password->c_str() : nullptr,
                [&](std::uint64_t n) {
                    session.advanceCheck(n);
                    return !session.cancelDue();
                },
                w.source->crc());
        if (session.cancelled) return false;
        if (!sound) damaged += (damaged.empty() ? "" : ", ") + w.name;
    }
    if (damaged.empty()) return true;
    why = "these entries do not read back as they were written: " + damaged;
    return false;
}

// One pass of libzip over the sources, into a replacement that takes the
// target's place only when libzip has written all of it and it reads back.
Attempt writeOnce(platform::FileSystem& files, const std::string& target, const std::vector<Source>& sources,
                  const std::string* password, ArchiveEvents* events, detail::DeflatePool& pool, int& lastPercent,
                  const std::function<std::string()>& beforeReplace) {
    Attempt result;
    detail::WriteSession session;
    session.events = events;
    session.pool = &pool;
    session.lastPercent = &lastPercent;
    session.password = password;
    for (const Source& src : sources) session.total += src.snapshot.size;
    if (session.pollCancel()) {
        result.outcome = Outcome::Cancelled;
        return result;
    }

    detail::ArchiveSink sink(files, target);
    if (sources.empty()) {
        if (sink.writeEmpty())
            result.outcome = Outcome::Written;
        else
            result.error = "The archive cannot be written: " + sink.error();
        return result;
    }

    zip_error_t openError;
    zip_error_init(&openError);
    zip_source_t* archiveSource = zip_source_function_create(&detail::ArchiveSink::callback, &sink, &openError);
    zip_t* za = archiveSource ? zip_open_from_source(archiveSource, ZIP_CREATE, &openError) : nullptr;
    if (!za) {
        result.error = std::string("The archive cannot be started: ") + zip_error_strerror(&openError);
        if (archiveSource) zip_source_free(archiveSource);
        zip_error_fini(&openError);
        return result;
    }
    zip_error_fini(&openError);

    std::vector<std::unique_ptr<detail::EntrySource>> entrySources;
    std::vector<Written> written;
    bool setupFailed = false;
    for (const Source& src : sources) {
        auto es = std::make_unique<detail::EntrySource>(files, session, src.entry, src.path, src.snapshot);
        zip_source_t* zs = zip_source_function_create(&detail::EntrySource::callback, es.get(), nullptr);
        if (!zs) {
            setupFailed = true;
            break;
        }
        entrySources.push_back(std::move(es));
        const std::string utf8 = files.codePage().toUtf8(src.name);
        const zip_int64_t index = zip_file_add(za, utf8.c_str(), zs, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(zs);
            setupFailed = session.failedEntry < 0;  // else its file failed as it was looked at
            break;
        }
        written.push_back({src.name, utf8, entrySources.back().get()});
        // The compression method stays libzip's default, so that it takes
        // the source's deflate data as it is; the encryption method is the
        // source's own, without a password, so that libzip takes its
        // encrypted data as it is too and writes the AES extra field.
        const auto idx = static_cast<zip_uint64_t>(index);
        if (password && zip_file_set_encryption(za, idx, ZIP_EM_AES_256, nullptr) != 0) {
            setupFailed = true;
            break;
        }
    }

    if (setupFailed || session.failedEntry >= 0) {
        if (setupFailed) result.error = std::string("The archive cannot be built: ") + zip_strerror(za);
        zip_discard(za);
    } else if (zip_close(za) == 0) {
        std::string why;
        if (!checkWritten(sink, written, password, session, why)) {
            sink.discard();
            if (session.cancelled) {
                result.outcome = Outcome::Cancelled;
            } else {
                result.error = "The archive written was found damaged when read back, so the earlier one stays: " + why;
            }
            return result;
        }
        const std::string elsewhere = beforeReplace ? beforeReplace() : std::string();
        if (elsewhere.empty() ? sink.commit() : sink.commitAs(elsewhere))
            result.outcome = Outcome::Written;
        else
            result.error = "The archive cannot be put in place: " + sink.error();
        return result;
    } else {
        // The file layer's own reason says more than libzip's code for it
        // ("Failure to create temporary file: Success").
        result.error = std::string("The archive cannot be written: ") +
                       (sink.error().empty() ? std::string(zip_strerror(za)) : sink.error());
        if (!session.problem.empty()) result.error += " (" + session.problem + ")";
        zip_discard(za);
    }
    if (session.cancelled)
        result.outcome = Outcome::Cancelled;
    else if (session.failedEntry >= 0)
        result.outcome = Outcome::EntryFailed;
    result.failedEntry = session.failedEntry;
    return result;
}

}  // namespace

// ---------------------------------------------------------------- building

Zip::Zip(platform::FileSystem& files) : files_(files), state_(std::make_unique<State>()) {}

Zip::~Zip() = default;

bool Zip::NewArchive(const std::string& archivePath, std::string& why) {
    state_->clearBuild();
    dropped_.clear();
    const base::LeadBytes& leads = files_.codePage().leadBytes();
    const std::string folder = base::parentFolder(archivePath, leads);
    if (base::bareName(archivePath, leads).empty() || folder.empty() || !files_.stat(folder).directory) {
        why = "The archive's folder does not exist: " + archivePath;
        return false;
    }
    const platform::FileInfo there = files_.stat(archivePath);
    if (there.directory) {
        why = "A folder has the archive's name: " + archivePath;
        return false;
    }
    // A device, FIFO or socket is never replaced by a file (root's
    // /dev/null would be).
    if (there.exists && !there.regular) {
        why = "The archive's name is no regular file but a device, FIFO or socket: " + archivePath;
        return false;
    }
    // What would keep the new archive from replacing the file there (another
    // user's file, a link, a folder without rights) refuses it now, before
    // the work rather than after it.
    std::string refusal;
    auto probe = files_.createReplacement(archivePath, refusal);
    if (!probe) {
        why = "The archive cannot be written: " + refusal;
        return false;
    }
    probe->discard();
    files_.removeStaleReplacements(archivePath);
    state_->building = true;
    state_->target = archivePath;
    return true;
}

bool Zip::AddFileEntry(const std::string& filePath, std::string& why) {
    return addEntry(filePath, base::bareName(filePath, files_.codePage().leadBytes()), why);
}

bool Zip::AddFileEntryAs(const std::string& filePath, const std::string& entryName, std::string& why) {
    if (!isSafeEntryPath(entryName, files_.codePage().leadBytes())) {
        why = entryName + ": not a name an archive entry may have";
        return false;
    }
    return addEntry(filePath, entryName, why);
}

bool Zip::addEntry(const std::string& filePath, const std::string& name, std::string& why) {
    if (!state_->building) {
        why = name + ": no archive was started";
        return false;
    }
    if (name.empty()) {
        why = filePath + ": names no file";
        return false;
    }
    auto refuse = [&](const std::string& reason) {
        why = name + ": " + reason;
        return false;
    };

    // Opened now, so that a file that cannot be read is refused here and not
    // found out only when the whole archive is written.
    std::string openError;
    const auto file = files_.openRead(filePath, openError);
    if (!file) return refuse(openError.empty() ? "cannot be opened" : openError);
    const platform::FileInfo info = file->info();
    if (!info.regular) return refuse("not a regular file");
    // A kernel's generated files read 0 bytes in size and yet hold data:
    // stored by their size they would be empty copies.
    char probe = 0;
    if (info.size == 0 && file->read(&probe, 1) != 0) return refuse("its size reads 0 but it holds data");

    const std::u16string key = files_.codePage().foldCase(name);
    const auto hit = state_->byName.find(key);
    if (hit != state_->byName.end()) {
        // The same file named twice is stored once; another file under the
        // same name would overwrite it on extraction.
        if (state_->queue[hit->second].added.sameFile(info)) return true;
        return refuse("another file of that name is stored already");
    }
    state_->byName.emplace(key, state_->queue.size());
    state_->queue.push_back({name, filePath, info, false});
    if (events_) events_->ArchiveEntryAdded(name);
    return true;
}

bool Zip::WriteArchive(std::string& why) {
    dropped_.clear();
    if (!state_->building) {
        why = "No archive was started.";
        return false;
    }
    const std::string* password = writePassword_.empty() ? nullptr : &writePassword_;
    State& s = *state_;
    for (State::Queued& q : s.queue) q.dropped = false;
    files_.removeStaleReplacements(s.target);
    const ReplacementNote note(files_, workFolder_, s.target);

    auto drop = [&](std::size_t i) {
        s.queue[i].dropped = true;
        dropped_.push_back(s.queue[i].name);
        if (events_) events_->ArchiveEntryDropped(s.queue[i].name);
    };

    // The threads live through the passes of this write.
    detail::DeflatePool pool(kDeflateLevel, detail::DeflatePool::defaultThreads());
    int lastPercent = 0;
    for (;;) {
        // Files that are gone or no longer files are left out before libzip
        // sees them; the sizes found now are the 100% of the progress. Each
        // pass looks anew, so a file a drop handler rewrote goes in as it is.
        std::vector<Source> sources;
        for (std::size_t i = 0; i < s.queue.size(); ++i) {
            if (s.queue[i].dropped) continue;
            const platform::FileInfo now = files_.stat(s.queue[i].path);
            if (now.regular)
                sources.push_back({static_cast<long>(i), s.queue[i].name, s.queue[i].path, now});
            else
                drop(i);
        }

        // Every file that was queued is gone: an empty archive would only
        // replace the earlier backup with nothing.
        if (sources.empty() && !s.queue.empty()) {
            why = "None of the files could be read.";
            return false;
        }
        const Attempt attempt =
            writeOnce(files_, s.target, sources, password, events_, pool, lastPercent, beforeReplace_);
        switch (attempt.outcome) {
        case Outcome::Written:
            while (lastPercent < 100) {
                ++lastPercent;
                if (events_) events_->ArchiveWriteProgress(lastPercent);
            }
            if (events_) events_->ArchiveWriteDone();
            return true;
        case Outcome::EntryFailed:
            // libzip gives up on the whole archive for one bad source; the
            // next pass goes without it.
            drop(static_cast<std::size_t>(attempt.failedEntry));
            continue;
        case Outcome::Cancelled:
            why = "The write was cancelled.";
            return false;
        case Outcome::Failed:
            why = attempt.error;
            return false;
        }
    }
}

void Zip::ResetArchive() {
    state_->clearBuild();
    state_->closeReader();
    state_->hasReadPassword = false;
    state_->readPassword.clear();
    writePassword_.clear();
}

// ----------------------------------------------------------------- reading

bool Zip::IsArchiveProtected(const std::string& archivePath) {
    std::string why;
    const auto reader = detail::ArchiveReader::open(files_, archivePath, why);
    if (!reader) return false;
    zip_t* za = reader->archive();
    const zip_int64_t count = zip_get_num_entries(za, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st) == 0 && (st.valid & ZIP_STAT_ENCRYPTION_METHOD) &&
            st.encryption_method != ZIP_EM_NONE)
            return true;
    }
    return false;
}

bool Zip::OpenArchive(const std::string& archivePath, std::string& why) {
    state_->closeReader();
    std::string openError;
    state_->reader = detail::ArchiveReader::open(files_, archivePath, openError);
    if (!state_->reader) {
        why = "The archive cannot be opened: " + openError;
        return false;
    }
    zip_t* za = state_->archive();
    const zip_int64_t count = zip_get_num_entries(za, 0);
    state_->names.reserve(static_cast<std::size_t>(std::max<zip_int64_t>(count, 0)));
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* n = zip_get_name(za, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
        state_->names.push_back(n ? files_.codePage().fromUtf8(n) : std::string());
    }
    return true;
}

void Zip::setArchivePassword(const std::string& password) {
    state_->hasReadPassword = true;
    state_->readPassword = password;
}

bool Zip::CheckArchivePassword(std::string& why) {
    if (!state_->archive()) {
        why = "No archive is open.";
        return false;
    }
    const ZipEntry info = FindEntry(kInfoFileName);
    if (!info.valid()) {
        why = std::string("The archive holds no ") + kInfoFileName + ".";
        return false;
    }
    const char* password = state_->hasReadPassword ? state_->readPassword.c_str() : nullptr;
    if (detail::readEntry(state_->archive(), static_cast<zip_uint64_t>(info.index_), password, nullptr)) return true;
    why = "The password does not open the archive.";
    return false;
}

ZipEntry Zip::FindEntry(const std::string& name) {
    if (!state_->archive()) return {};
    const std::string wanted = name.substr(0, name.find('\0'));
    const auto& names = state_->names;
    if (state_->exact.empty() && !names.empty()) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            state_->exact.emplace(names[i], i);
            state_->folded.emplace(files_.codePage().foldCase(names[i]), i);
        }
    }
    if (auto it = state_->exact.find(wanted); it != state_->exact.end())
        return ZipEntry(this, static_cast<std::int64_t>(it->second), names[it->second]);
    if (auto it = state_->folded.find(files_.codePage().foldCase(wanted)); it != state_->folded.end())
        return ZipEntry(this, static_cast<std::int64_t>(it->second), names[it->second]);
    return {};
}

std::vector<std::string> Zip::entryNames() const { return state_->names; }

std::optional<std::uint64_t> Zip::EntrySize(const std::string& name) {
    const ZipEntry entry = FindEntry(name);
    zip_stat_t st;
    if (!entry.valid() || zip_stat_index(state_->archive(), static_cast<zip_uint64_t>(entry.index_), 0, &st) != 0 ||
        !(st.valid & ZIP_STAT_SIZE))
        return std::nullopt;
    return st.size;
}

bool Zip::ReadEntryBytes(const std::string& name, std::uint64_t maxBytes, std::string& bytes, std::string& why) {
    const ZipEntry entry = FindEntry(name);
    if (!entry.valid()) {
        why = "The archive holds no " + name;
        return false;
    }
    bytes.clear();
    bool over = false;
    const char* password = state_->hasReadPassword ? state_->readPassword.c_str() : nullptr;
    const bool ok = detail::readEntry(state_->archive(), static_cast<zip_uint64_t>(entry.index_), password,
                                      [&](const unsigned char* data, std::size_t n) {
                                          if (bytes.size() + n > maxBytes) return !(over = true);
                                          bytes.append(reinterpret_cast<const char*>(data), n);
                                          return true;
                                      });
    if (!ok)
        why = over ? name + " holds more than " + std::to_string(maxBytes) + " bytes"
                   : "The entry " + name + " is damaged (or the password does not open it)";
    return ok;
}

std::vector<std::string> Zip::TestArchive(bool* cancelled) {
    std::vector<std::string> damaged;
    zip_t* za = state_->archive();
    if (!za) return damaged;
    const char* password = state_->hasReadPassword ? state_->readPassword.c_str() : nullptr;
    constexpr std::size_t kWorkingBytes = 256u * 1024;
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < state_->names.size(); ++i) {
        zip_stat_t st;
        if (zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE))
            total += st.size;
    }
    std::uint64_t sinceWorking = 0, read = 0;
    int shown = -1;
    bool stopped = false;
    // Lets the window answer and asks whether to stop, every so often, and
    // says how far the reading is.
    const auto progress = [&](std::uint64_t n) {
        sinceWorking += n;
        read += n;
        if (!events_) return true;
        if (sinceWorking >= kWorkingBytes) {
            sinceWorking = 0;
            events_->ArchiveWorking();
            stopped = events_->ArchiveWriteCancelled();
        }
        const int percent = total == 0 ? 100 : static_cast<int>(std::min<std::uint64_t>(100, read * 100 / total));
        if (percent != shown) events_->ArchivePhaseProgress(ArchivePhase::Checking, shown = percent);
        return !stopped;
    };
    // The step is shown as it starts: a large entry read in a few pieces
    // may otherwise end before the window answers at all.
    if (events_) events_->ArchivePhaseProgress(ArchivePhase::Checking, shown = 0);
    for (std::size_t i = 0; i < state_->names.size() && !stopped; ++i)
        if (!detail::checkEntry(za, static_cast<zip_uint64_t>(i), password, progress) && !stopped)
            damaged.push_back(state_->names[i]);
    // A stop asked while the last piece was read still counts.
    if (!stopped && events_) stopped = events_->ArchiveWriteCancelled();
    if (cancelled) *cancelled = stopped;
    return damaged;
}

bool ZipEntry::ExtractEntryTo(const std::string& folder, std::string& why, std::uint64_t maxBytes) const {
    if (!zip_) {
        why = "The archive holds no such entry.";
        return false;
    }
    // Written under its own name: one that holds a folder is not.
    if (!isSafeEntryName(name_, zip_->files().codePage().leadBytes())) {
        why = "Unsafe entry name refused: " + name_;
        return false;
    }
    return ExtractEntryAs(folder, name_, why, maxBytes);
}

bool ZipEntry::ExtractEntryAs(const std::string& folder, const std::string& fileName, std::string& why,
                              std::uint64_t maxBytes) const {
    if (!zip_) {
        why = "The archive holds no such entry.";
        return false;
    }
    const base::LeadBytes& leads = zip_->files().codePage().leadBytes();
    if (!isSafeEntryName(fileName, leads)) {
        why = "Unsafe file name refused: " + fileName;
        return false;
    }
    if (!zip_->files().folderExists(folder)) {
        why = "The folder does not exist: " + folder;
        return false;
    }
    std::string target = folder;
    while (leads.endsWith(target, '\\') || leads.endsWith(target, '/')) target.pop_back();
    return zip_->extract(index_, name_, target + "\\" + fileName, maxBytes, nullptr, why);
}

bool ZipEntry::StageEntryAs(const std::string& target, ExtractionStaging& staging, std::string& why,
                            std::uint64_t maxBytes) const {
    if (!zip_) {
        why = "The archive holds no such entry.";
        return false;
    }
    return zip_->extract(index_, name_, target, maxBytes, &staging, why);
}

bool Zip::extract(std::int64_t index, const std::string& name, const std::string& windowsTarget, std::uint64_t maxBytes,
                  ExtractionStaging* staging, std::string& why) {
    if (!state_->archive() || index < 0 || static_cast<std::size_t>(index) >= state_->names.size()) {
        why = "The archive holds no such entry.";
        return false;
    }
    // The entry may lie in a folder of the archive; the file is written
    // under a name of one folder all the same.
    const base::LeadBytes& leads = files_.codePage().leadBytes();
    if (!isSafeEntryPath(name, leads) || !isSafeEntryName(base::bareName(windowsTarget, leads), leads)) {
        why = "Unsafe entry name refused: " + name;
        return false;
    }
    if (files_.stat(windowsTarget).directory) {
        why = "Cannot write " + windowsTarget;
        return false;
    }

    const auto idx = static_cast<zip_uint64_t>(index);
    zip_stat_t st;
    const bool known = zip_stat_index(state_->archive(), idx, 0, &st) == 0;
    const std::string tooLarge = "Refused " + name + ": it holds more than " + std::to_string(maxBytes) + " bytes";
    if (known && (st.valid & ZIP_STAT_SIZE) && st.size > maxBytes) {
        why = tooLarge;
        return false;
    }
    // Deflate makes at most about a thousand bytes of one: an entry that
    // claims more is no honest archive's (an inflation bomb).
    if (known && (st.valid & ZIP_STAT_SIZE) && (st.valid & ZIP_STAT_COMP_SIZE) &&
        st.size / kMaxInflationRatio > st.comp_size + 1) {
        why = "Refused " + name + ": it claims " + std::to_string(st.size) + " bytes from " +
              std::to_string(st.comp_size) + ", more than deflate can make";
        return false;
    }
    // The data is counted as it is inflated: no more than the archive
    // records for the entry is written.
    const std::uint64_t recorded = known && (st.valid & ZIP_STAT_SIZE) ? st.size : UINT64_MAX;

    // A restore's staging keeps its own account of the new files (and the
    // folder's leftovers were removed once for it).
    std::optional<ReplacementNote> note;
    if (!staging) {
        files_.removeStaleReplacements(windowsTarget);
        note.emplace(files_, workFolder_, windowsTarget);
    }
    if (staging) staging->willStage(windowsTarget);
    std::string writeError;
    auto part = files_.createReplacement(windowsTarget, writeError);
    if (!part) {
        why = "Cannot write beside " + windowsTarget + ": " + writeError;
        return false;
    }
    const char* password = state_->hasReadPassword ? state_->readPassword.c_str() : nullptr;
    // The header's size is the archive's word only: the data is counted too.
    std::uint64_t written = 0;
    bool over = false, unwritten = false, cancelled = false;
    // A large entry is given up when the user asks to stop.
    constexpr std::uint64_t kCancelPollBytes = 1u << 20;
    std::uint64_t sincePoll = 0;
    const bool ok = detail::readEntry(state_->archive(), idx, password, [&](const unsigned char* data, std::size_t n) {
        written += n;
        if (written > maxBytes || written > recorded) return !(over = true);
        if ((sincePoll += n) >= kCancelPollBytes) {
            sincePoll = 0;
            if (events_ && events_->ArchiveWriteCancelled()) return !(cancelled = true);
        }
        if (part->write(data, n)) return true;
        unwritten = true;
        return false;
    });
    if (!ok) {
        if (cancelled)
            why = "The extraction of " + name + " was cancelled.";
        else if (unwritten)
            why = "Cannot write " + windowsTarget + ": " + part->error();
        else if (over && written > maxBytes)
            why = tooLarge;
        else
            why = "The entry " + name + " is damaged (or the password does not open it)";
        part->discard();
        return false;
    }
    if (known && (st.valid & ZIP_STAT_MTIME)) part->setModified(st.mtime);
    if (staging) {
        if (!staging->keep(std::move(part), windowsTarget, why)) return false;
        if (events_) events_->ArchiveEntryExtracted(name);
        return true;
    }
    if (!part->commit()) {
        why = "Cannot put " + windowsTarget + " in place: " + part->error();
        return false;
    }
    if (events_) events_->ArchiveEntryExtracted(name);
    return true;
}

}  // namespace qm::archive
