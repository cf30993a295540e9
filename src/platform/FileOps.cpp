#include "platform/FileOps.h"

#include "base/WinPath.h"

namespace qm::platform {

bool makeFolders(FileSystem& files, const std::string& folder) {
    const base::LeadBytes& leads = files.codePage().leadBytes();
    const std::size_t root = base::rootLength(folder, leads);
    if (root == 0) return false;
    if (files.folderExists(folder) || root >= folder.size()) return files.folderExists(folder);
    for (auto pos = leads.findFirstOf(folder, "\\", root);; pos = leads.findFirstOf(folder, "\\", pos + 1)) {
        const std::string level = folder.substr(0, pos);
        if (!level.empty() && !leads.endsWith(level, '\\') && !files.folderExists(level)) files.createFolder(level);
        if (pos == std::string::npos) break;
    }
    return files.folderExists(folder);
}

bool removeFile(FileSystem& files, const std::string& path) {
    if (path.empty()) return true;
    const auto attributes = files.getAttributes(path);
    if (attributes == FileAttribute::Invalid) return true;
    if (attributes & FileAttribute::Directory) return false;
    // Extracted files may carry the read-only attribute of their source.
    if (attributes & FileAttribute::ReadOnly) files.setAttributes(path, FileAttribute::Normal);
    return files.deleteFile(path);
}

}  // namespace qm::platform
