#include "jobs/RunHistory.h"

#include <charconv>

#include "base/Text.h"
#include "base/WinPath.h"

namespace qm::jobs {
namespace {

// Fields never hold the separators of the log.
std::string field(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return out;
}

bool isTime(const std::string& text) {
    // "YYYY-MM-DD HH:MM:SS"
    static const std::string shape = "dddd-dd-dd dd:dd:dd";
    if (text.size() != shape.size()) return false;
    for (std::size_t i = 0; i < shape.size(); ++i)
        if (shape[i] == 'd' ? (text[i] < '0' || text[i] > '9') : text[i] != shape[i]) return false;
    return true;
}

}  // namespace

std::string RecordLine(const RunRecord& r) {
    return field(r.time) + "\t" + field(r.kind) + "\t" + field(r.file) + "\t" + std::to_string(r.exitStatus) + "\t" +
           field(r.message) + "\n";
}

std::optional<RunRecord> ReadRecordLine(const std::string& line) {
    const std::vector<std::string> fields = base::split(line, '\t');
    if (fields.size() != 5 || !isTime(fields[0]) || fields[1].empty()) return std::nullopt;
    RunRecord r{fields[0], fields[1], fields[2], 0, fields[4]};
    const std::string& status = fields[3];
    const auto [end, ec] = std::from_chars(status.data(), status.data() + status.size(), r.exitStatus);
    if (status.empty() || ec != std::errc() || end != status.data() + status.size()) return std::nullopt;
    return r;
}

RunHistory::RunHistory(platform::FileSystem& files, std::string logPath) : files_(files), path_(std::move(logPath)) {}

RunHistory RunHistory::in(platform::FileSystem& files, const std::string& folder) {
    return RunHistory(files, base::joinPath(folder, kHistoryFileName, files.codePage().leadBytes()));
}

RunHistory RunHistory::of(app::Session& s) { return in(s.files, s.system.workFolderRoot()); }

namespace {

// A log that a killed run left without its last line end gets one first, so
// that its half line does not spoil the record after it.
bool endsWithLineEnd(const platform::FileSystem& files, const std::string& path) {
    const platform::FileInfo info = files.stat(path);
    if (!info.exists || info.size == 0) return true;
    std::string error;
    const auto file = files.openRead(path, error);
    char last = '\n';
    if (!file || !file->seek(-1, platform::SeekFrom::End) || file->read(&last, 1) != 1) return true;
    return last == '\n';
}

}  // namespace

bool RunHistory::append(const RunRecord& record, std::string& why) {
    const std::string line = (endsWithLineEnd(files_, path_) ? "" : "\n") + RecordLine(record);
    // One write in append mode: runs that end at once (a scheduled one
    // beside the window's) do not lose each other's lines.
    if (!files_.appendFile(path_, line)) {
        why = "the history of runs cannot be written: " + path_;
        return false;
    }
    const platform::FileInfo info = files_.stat(path_);
    if (!info.exists || info.size <= kMaxHistoryBytes) return true;
    // Grown past its bound: the newer half stays, cut at a line's start, and
    // replaces the log whole.
    std::string bytes;
    if (!files_.readFile(path_, bytes)) return true;
    std::size_t cut = bytes.size() > kMaxHistoryBytes / 2 ? bytes.size() - kMaxHistoryBytes / 2 : 0;
    cut = bytes.find('\n', cut == 0 ? 0 : cut - 1);
    const std::string kept = cut == std::string::npos ? std::string() : bytes.substr(cut + 1);
    std::string error;
    auto replacement = files_.createReplacement(path_, error);
    if (!replacement || !replacement->write(kept.data(), kept.size()) || !replacement->commit()) {
        if (replacement) replacement->discard();
        why = "the history of runs cannot be shortened: " + path_ + (error.empty() ? "" : ": " + error);
        return false;
    }
    return true;
}

std::vector<RunRecord> RunHistory::records() const {
    std::vector<RunRecord> out;
    std::string bytes;
    if (!files_.readFile(path_, bytes)) return out;
    for (const auto& line : base::split(bytes, '\n'))
        if (auto record = ReadRecordLine(line)) out.push_back(*record);
    return out;
}

std::optional<RunRecord> RunHistory::lastScheduledRun(const std::string& file, std::uint32_t jobNumber) const {
    std::optional<RunRecord> last;
    std::string added;
    const std::string addedMessage = AddedJobMessage(jobNumber);
    for (const auto& r : records()) {
        if (r.file != file) continue;
        if (r.kind == kScheduledRecord && (!last || r.time >= last->time)) last = r;
        if (jobNumber != 0 && r.kind == kAddedRecord && r.message == addedMessage && r.time > added) added = r.time;
    }
    // A run into the same file before this job was added was another job's.
    if (last && last->time < added) return std::nullopt;
    return last;
}

std::string RunHistory::toldPath() const {
    const base::LeadBytes& leads = files_.codePage().leadBytes();
    return base::joinPath(base::parentFolder(path_, leads), kHistoryToldFileName, leads);
}

std::vector<RunRecord> RunHistory::untoldFailures() const {
    std::string told;
    files_.readFile(toldPath(), told);
    told = base::trimBlanks(told.substr(0, told.find_first_of("\r\n")));
    std::vector<RunRecord> out;
    for (const auto& r : records())
        if (r.kind == kScheduledRecord && r.exitStatus != 0 && r.time > told) out.push_back(r);
    return out;
}

bool RunHistory::markTold(const std::string& time) { return files_.writeFile(toldPath(), time + "\n"); }

}  // namespace qm::jobs
