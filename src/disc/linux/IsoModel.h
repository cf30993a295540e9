#pragma once
// The image being composed, held as libisofs nodes: files point at their
// sources on disk, folders are made in the image. Every change raises the
// component's image events; a copy of the tree (a snapshot) is what a
// write or a size estimate works from.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "disc/DiscEngine.h"

struct Iso_Image;
struct Iso_Node;
struct Iso_Dir;

namespace qm::disc::linuxburn {

struct SnapshotEntry {
    std::string imagePath;  // "\Mail\a.pst"
    bool folder = false;
    std::string source;  // host path of a file
    std::uint64_t size = 0;
    std::int64_t mtime = 0;
};
using Snapshot = std::vector<SnapshotEntry>;  // parents before their children

class IsoModel : public DiscImage {
public:
    using Emit = std::function<void(const std::function<void(DiscEvents&)>&)>;
    using Ask = std::function<bool(const ImageItem& existing, const std::string& newSource)>;
    using SourcePath = std::function<std::string(const std::string&)>;

    IsoModel(Emit emit, Ask ask, SourcePath sourcePath);
    ~IsoModel() override;
    IsoModel(const IsoModel&) = delete;
    IsoModel& operator=(const IsoModel&) = delete;

    bool AddFile(const std::string& source, const std::string& imagePath) override;
    bool AddFolder(const std::string& sourcePattern, const std::string& imagePath) override;
    bool RenameFile(const std::string& imagePath, const std::string& newName) override;
    bool RenameFolder(const std::string& imagePath, const std::string& newName) override;
    bool Remove(const std::string& imagePath) override;
    long FileCount() const override;
    long FolderCount() const override;
    void ListFolder(const std::string& imagePath) override;
    void Clear() override;

    Snapshot snapshot() const;

private:
    Iso_Node* find(const std::vector<std::string>& parts) const;
    ImageItem itemOf(Iso_Node* node) const;
    Iso_Dir* folderAt(const std::vector<std::string>& parts, std::size_t count, std::int64_t mtime);
    bool addFileAt(Iso_Dir* parent, const std::string& name, const std::string& hostSource,
                   const std::string& shownSource);
    bool rename(const std::string& imagePath, const std::string& newName, bool folder);
    void raise(const std::function<void(DiscEvents&)>& event) { emit_(event); }

    Emit emit_;
    Ask ask_;
    SourcePath sourcePath_;
    Iso_Image* image_ = nullptr;
    int busy_ = 0;  // a change is raising events: no other change starts meanwhile
};

// "\a\b" as its names; false for a path that is not one ("a", "\a\\b", "\..").
bool SplitImagePath(const std::string& imagePath, std::vector<std::string>& parts);
// A name a file or folder may carry in the image.
bool ValidImageName(const std::string& name);

}  // namespace qm::disc::linuxburn
