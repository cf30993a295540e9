#include "platform/posix/HostStreams.h"

#include "platform/posix/HostFile.h"

namespace qm::platform::posix {
namespace {

class HostReadStream final : public ReadStream {
public:
    FileInfo info() const override { return file.info(); }
    std::int64_t read(void* buffer, std::size_t length) override { return file.read(buffer, length); }
    bool seek(std::int64_t offset, SeekFrom from) override { return file.seek(offset, from); }
    std::int64_t tell() override { return file.tell(); }
    std::string error() const override { return file.error(); }

    HostFile file;
};

class HostReplaceStream final : public ReplaceStream {
public:
    bool write(const void* data, std::size_t length) override { return part.file().writeAll(data, length); }
    bool seek(std::int64_t offset, SeekFrom from) override { return part.file().seek(offset, from); }
    std::int64_t tell() override { return part.file().tell(); }
    bool commit() override { return part.commit(); }
    void discard() override { part.discard(); }
    std::string keep() override {
        const std::string path = part.keep();
        return path.substr(path.rfind('/') + 1);
    }
    bool setModified(std::int64_t seconds) override { return part.file().setModified(seconds); }
    bool restrictToOwner() override { return part.file().restrictToOwner(); }
    std::unique_ptr<ReadStream> readBack() override {
        if (part.path().empty()) return nullptr;
        auto stream = std::make_unique<HostReadStream>();
        if (!stream->file.openRead(part.path())) return nullptr;
        return stream;
    }
    std::string error() const override { return part.error(); }

    ReplacementFile part;
};

}  // namespace

std::unique_ptr<ReadStream> openHostRead(const std::string& hostPath, std::string& error) {
    auto stream = std::make_unique<HostReadStream>();
    if (!stream->file.openRead(hostPath)) {
        error = "cannot open " + hostPath + ": " + stream->file.error();
        return nullptr;
    }
    return stream;
}

std::unique_ptr<ReplaceStream> createHostReplacement(const std::string& targetHostPath, std::string& error,
                                                     NewFileAccess access) {
    auto stream = std::make_unique<HostReplaceStream>();
    if (!stream->part.create(targetHostPath, access == NewFileAccess::OwnerOnly)) {
        error = stream->part.error();
        return nullptr;
    }
    return stream;
}

}  // namespace qm::platform::posix
