#include "jobs/ArchiveWatch.h"

#include "archive/InfoFile.h"
#include "base/Text.h"
#include "base/WinPath.h"

namespace qm::jobs::detail {

ArchiveWatch::ArchiveWatch(app::Session& session, archive::Zip& zip, JobEvents& events)
    : s_(session), zip_(zip), events_(events), previous_(zip.events()), infoPath_(session.state.InfoFilePath) {
    zip_.setEvents(this);
}

ArchiveWatch::~ArchiveWatch() { zip_.setEvents(previous_); }

void ArchiveWatch::watchResult(std::string& itemResult) { itemResult_ = &itemResult; }

void ArchiveWatch::ArchiveEntryDropped(const std::string& fileName) {
    if (markDropped(fileName)) rewriteItemLine();
}

bool ArchiveWatch::markDropped(const std::string& fileName) {
    const platform::CodePage& cp = s_.codePage;
    for (const auto& name : seen_)
        if (cp.equalsIgnoreCase(name, fileName)) return false;
    seen_.push_back(fileName);

    if (cp.equalsIgnoreCase(fileName, archive::kInfoFileName) ||
        cp.equalsIgnoreCase(fileName, base::bareName(infoPath_, cp.leadBytes()))) {
        infoLost_ = true;
        return false;
    }
    if (!itemResult_) return false;
    if (!valuesRead_) {
        // The item keys are all written by now; read them once, before the
        // line that holds them is touched.
        for (const auto& part : items::parts()) values_.push_back(s_.GetINI(part.infoKey));
        valuesRead_ = true;
    }
    bool changed = false;
    std::string& result = *itemResult_;
    for (std::size_t i = 0; i < values_.size() && i < result.size(); ++i) {
        if (result[i] != '1') continue;
        for (const auto& name : base::split(values_[i], ';')) {
            if (cp.equalsIgnoreCase(base::cutAtZero(name), fileName)) {
                result[i] = '0';
                changed = true;
                break;
            }
        }
    }
    return changed;
}

void ArchiveWatch::rewriteItemLine() {
    std::string bytes;
    if (!itemResult_ || !s_.files.readFile(infoPath_, bytes)) return;
    // "BackupItem" is the last line written; its value keeps its length,
    // so the file keeps its size while the component may be reading it.
    static const std::string key = "BackupItem=";
    std::string::size_type lineStart = std::string::npos;
    for (std::string::size_type pos = 0; pos < bytes.size();) {
        auto end = bytes.find('\n', pos);
        if (end == std::string::npos) end = bytes.size();
        if (end - pos >= key.size() && base::equalsIgnoreAsciiCase(bytes.substr(pos, key.size()), key)) lineStart = pos;
        pos = end + 1;
    }
    if (lineStart == std::string::npos) return;
    const auto valueStart = lineStart + key.size();
    auto valueEnd = bytes.find_first_of("\r\n", valueStart);
    if (valueEnd == std::string::npos) valueEnd = bytes.size();
    if (valueEnd - valueStart != itemResult_->size()) return;
    bytes.replace(valueStart, itemResult_->size(), *itemResult_);
    // An information file that could not be rewritten may be cut short or
    // claim a dropped part: it is as good as lost.
    if (!s_.files.writeFile(infoPath_, bytes)) infoLost_ = true;
}

void ArchiveWatch::applyDropped(const std::vector<std::string>& dropped) {
    for (const auto& name : dropped) markDropped(name);
}

}  // namespace qm::jobs::detail
