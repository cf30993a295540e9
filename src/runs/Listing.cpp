// The program's own listing of a backup file.
#include "archive/InfoFile.h"
#include "runs/RunSupport.h"
#include "runs/Runs.h"
#include "runs/Texts.h"

namespace qm::runs {

using namespace detail;

namespace {

// Key and value of each line up to the first empty one, as GetINI reads them.
std::vector<std::pair<std::string, std::string>> infoLines(const std::string& bytes) {
    std::vector<std::pair<std::string, std::string>> lines;
    std::string::size_type pos = 0;
    while (pos < bytes.size()) {
        auto end = bytes.find('\n', pos);
        std::string line = bytes.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) break;
        auto eq = line.find('=');
        if (eq != std::string::npos) lines.emplace_back(line.substr(0, eq), line.substr(eq + 1));
        if (end == std::string::npos) break;
        pos = end + 1;
    }
    return lines;
}

}  // namespace

BackupListing ListBackupFile(app::Session& s, const std::string& archivePath, const std::string& password) {
    BackupListing listing;
    const std::string file = s.files.fromUserPath(archivePath);
    s.zip1.ResetArchive();

    listing.isProtected = s.zip1.IsArchiveProtected(file) == 1;
    listing.opened = s.zip1.OpenArchive(file);
    if (!listing.opened) {
        listing.problem = text::kInvalidBackup;
        return listing;
    }
    if (listing.isProtected) {
        s.zip1.setArchivePassword(password);
        listing.passwordAccepted = s.zip1.CheckArchivePassword() == 1;
        if (!listing.passwordAccepted) {
            listing.problem = text::kWrongPassword;
            s.zip1.ResetArchive();
            return listing;
        }
    }
    listing.entries = s.zip1.entryNames();

    const std::string info = joinPath(s.state.WorkFolder, archive::kInfoFileName);
    removeFile(s.files, info);
    auto entry = s.zip1.FindEntry(archive::kInfoFileName);
    std::string bytes;
    if (entry.valid() && entry.ExtractEntryTo(s.state.WorkFolder) && s.files.readFile(info, bytes)) {
        listing.hasInfoFile = true;
        listing.facts = infoLines(bytes);
        for (auto& [key, value] : listing.facts)
            if (equalsIgnoreCase(key, "BackupInformation")) value = archive::DecodeLineBreaks(value);
    }
    removeFile(s.files, info);
    s.zip1.ResetArchive();

    std::string flags;
    bool found = false;
    for (const auto& [key, value] : listing.facts)
        if (!found && equalsIgnoreCase(key, "BackupItem")) {
            flags = value;
            found = true;
        }
    if (flags.size() != 10) listing.problem = text::kInvalidBackup;
    return listing;
}

}  // namespace qm::runs
