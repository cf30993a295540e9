#pragma once
// The disc-burning component as the disc windows see it: drives, the image
// being composed, the write job (with verification by reading back) and
// erasing. The Linux build drives libburn and libisofs (disc/linux); tests
// use a fake. Failures are Boolean results or events, never exceptions.
//
// Events reach the subscribers on the thread that calls the component:
// image events while the causing call runs; write, verify and erase events
// from Poll, which the windows call about every 100 ms while such work runs.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm::disc {

// MediaInfo::MediaType.
namespace media {
inline constexpr int None = 0;
inline constexpr int CdRom = 1;
inline constexpr int DvdPlusRw = 2;
inline constexpr int CdR = 3;
inline constexpr int DvdRw = 4;
inline constexpr int DvdRam = 5;  // also a file drive: random access, rewritable
inline constexpr int DvdR = 6;    // also a write-only file drive
inline constexpr int DvdPlusR = 7;
inline constexpr int DvdRom = 8;
inline constexpr int CdRw = 9;
inline constexpr int DvdPlusRDl = 10;
inline constexpr int DvdRDl = 11;
inline constexpr int BdRom = 12;
inline constexpr int BdR = 13;
inline constexpr int Unknown = 14;
inline constexpr int BdRe = 15;
}  // namespace media

// Device::Supports.
namespace capability {
inline constexpr int WriteCdRw = 17;
inline constexpr int WriteDvdRw = 19;
inline constexpr int WriteDvdPlusRw = 22;
inline constexpr int WriteDvdRam = 23;  // and file drives
inline constexpr int WriteBdRe = 27;
inline constexpr int BufferUnderrunProtection = 57;
}  // namespace capability

// WriteJob::FileSystem: bit 0 ISO 9660, bit 1 Joliet, bit 2 UDF.
namespace filesystem {
inline constexpr int Iso9660 = 1;
inline constexpr int Joliet = 3;
inline constexpr int Udf = 4;
inline constexpr int UdfDvdVideo = 5;
inline constexpr int JolietUdf = 7;
inline constexpr int JolietBit = 2;
inline constexpr int UdfBit = 4;
}  // namespace filesystem

// WriteJob::WriteMode.
namespace writemode {
inline constexpr int TrackAtOnce = 2;
inline constexpr int DiscAtOnce = 248;
}  // namespace writemode

// DiscEvents::WriteStatus stages.
namespace stage {
inline constexpr int Preparing = 0;
inline constexpr int Writing = 1;
inline constexpr int WritingPregap = 2;
inline constexpr int Formatting = 3;
inline constexpr int ClosingTrack = 4;
inline constexpr int LeadIn = 5;
inline constexpr int LeadOut = 6;
inline constexpr int Buffering = 7;
inline constexpr int ClosingSession = 8;
inline constexpr int Completed = 9;
inline constexpr int Cancelled = 10;
inline constexpr int Failed = 11;
}  // namespace stage

// DiscEvents::VerifyProgress results.
namespace verify {
inline constexpr int SourceUnreadable = 0;
inline constexpr int DiscUnreadable = 1;
inline constexpr int ContentDiffers = 2;
inline constexpr int Matched = 3;
inline constexpr int Skipped = 4;
inline constexpr int SizeDiffers = 5;
}  // namespace verify

// DiscEvents::EraseStatus stages.
namespace erase {
inline constexpr int Started = 0;
inline constexpr int Progress = 1;
inline constexpr int Completed = 2;
inline constexpr int Failed = 3;
}  // namespace erase

// WriteFailure::Kind.
namespace failure {
inline constexpr int Device = 1;
inline constexpr int OutputFile = 2;
inline constexpr int SourceFile = 3;
inline constexpr int System = 5;
}  // namespace failure

// FileProblem::Code.
namespace problem {
inline constexpr int Unreadable = 1;
inline constexpr int Changed = 2;
inline constexpr int TooLargeForUdf = 3;
}  // namespace problem

// A file or folder of the image, as an event or a listing reports it.
struct ImageItem {
    bool IsFolder = false;
    std::shared_ptr<const ImageItem> Parent;  // null for the root
    std::int64_t ItemDate = 0;                // modification time, seconds since 1970 UTC
    std::string SourcePath;                   // empty for folders made in the image
    std::string ImagePath;                    // "\", "\Mail", "\Mail\a.pst"
    std::string Name;
    std::string OldImagePath;  // ItemRenamed: the path before the rename
    std::uint64_t Size = 0;    // bytes; 0 for folders
};

struct MediaInfo {
    int MediaType = media::None;
    bool IsWritable = false;
    bool IsRewritable = false;
    // What a write meets: data already on the medium; whether a new session
    // can follow it (WriteJob::AppendSession); whether a write may instead
    // start over at the medium's beginning, replacing it (media written in
    // place, such as DVD+RW, DVD-RAM and file drives).
    bool HoldsData = false;
    bool IsAppendable = false;
    bool IsOverwritable = false;
};

struct FileProblem {
    int Code = 0;
    std::string FilePath;
    std::string Text;
};

struct DeviceFailure {
    int Code = 0;
    std::string Text;
    std::string Detail;
    std::string Extra;
};

struct WriteFailure {
    int Kind = 0;
    std::string Text;
    disc::DeviceFailure DeviceFailure;
    disc::FileProblem FileProblem;
    int SystemCode = 0;
};

struct VolumeInfo {
    std::string Label;
};

// What the component reports. Every handler has a do-nothing default; the
// questions (ReplaceQuery, FileWarning) are asked of the first subscriber.
class DiscEvents {
public:
    virtual ~DiscEvents() = default;
    virtual void ItemAdded(const ImageItem& /*item*/) {}
    virtual void ItemRemoved(const ImageItem& /*item*/) {}
    virtual void ItemRenamed(const ImageItem& /*item*/) {}
    virtual void ItemListed(const ImageItem& /*item*/) {}
    // True replaces the existing file with the new source.
    virtual bool ReplaceQuery(const ImageItem& /*existing*/, const std::string& /*newSource*/) { return false; }
    virtual void ImageCleared() {}
    virtual void WriteStatus(int /*percent*/, int /*stage*/) {}
    // True goes on with the write.
    virtual bool FileWarning(const FileProblem& /*problem*/) { return false; }
    virtual void TrackReading(int /*track*/, int /*count*/, const std::string& /*text*/) {}
    virtual void WriteFailed(const WriteFailure& /*failure*/) {}
    virtual void VerifyStarted(int /*newFiles*/) {}
    virtual void VerifyProgress(const ImageItem& /*item*/, int /*result*/, int /*done*/, int /*total*/) {}
    virtual void VerifyFinished(int /*total*/, int /*matched*/) {}
    virtual void EraseStatus(int /*stage*/, int /*percent*/) {}
    virtual void EraseFailed(const DeviceFailure& /*failure*/) {}
};

// The image: addressed by image paths, changed only through these calls.
class DiscImage {
public:
    virtual ~DiscImage() = default;
    // Missing folders on the way are made. A file already at the path is
    // replaced only when ReplaceQuery answers True.
    virtual bool AddFile(const std::string& source, const std::string& imagePath) = 0;
    // sourcePattern is a folder, "\" and a name pattern ("C:\Data\Mail\*.*");
    // the folder's matching files and all its subfolders enter the image.
    virtual bool AddFolder(const std::string& sourcePattern, const std::string& imagePath) = 0;
    virtual bool RenameFile(const std::string& imagePath, const std::string& newName) = 0;
    virtual bool RenameFolder(const std::string& imagePath, const std::string& newName) = 0;
    // Refuses the root.
    virtual bool Remove(const std::string& imagePath) = 0;
    virtual long FileCount() const = 0;
    virtual long FolderCount() const = 0;  // the root not counted
    // ItemListed for each entry directly in the folder.
    virtual void ListFolder(const std::string& imagePath) = 0;
    virtual void Clear() = 0;
};

class Device {
public:
    virtual ~Device() = default;
    virtual std::string Name() const = 0;
    virtual bool CanWrite() const = 0;
    virtual bool Supports(int code) const = 0;
    // Reads the drive and its medium again (flag: also when nothing changed).
    virtual void Refresh(bool flag) = 0;
    virtual MediaInfo Media() const = 0;
    // Free blocks of WriteJob::BlockSize bytes (flag: as a write would see them).
    virtual std::int64_t FreeBlocks(bool flag) const = 0;
    virtual int SpeedCount() const = 0;
    virtual int SpeedAt(int index) const = 0;       // a value for WriteJob::WriteSpeed
    virtual double SpeedFactor(int speed) const = 0;  // 8.0 for "8x" on the loaded medium
    virtual bool Eject() = 0;
    virtual bool CloseTray() = 0;
    virtual int EraseSetting() const = 0;
    // True when the erase started; EraseStatus and EraseFailed follow.
    virtual bool StartErase(bool quick, int setting) = 0;
};

class WriteJob {
public:
    virtual ~WriteJob() = default;

    // Read when a write starts (UseFileDates also by ImageSize).
    int FileSystem = filesystem::JolietUdf;
    int WriteSpeed = 0;  // 0: as fast as the drive goes
    int WriteMode = writemode::TrackAtOnce;
    bool AutoVerify = false;
    bool Mode2XA = false;
    bool CacheImage = false;
    bool TestWrite = false;
    bool Finalize = false;
    bool BufferProtection = false;
    bool UseFileDates = true;
    // Adds a session after what the medium holds: the disc then shows the
    // files of earlier sessions too, and a verification reads the new one.
    // Otherwise the image is written from the medium's beginning.
    bool AppendSession = false;
    int StartSetting = 0;
    int WriteSetting = 0;
    VolumeInfo Volume;

    virtual DiscImage& Image() = 0;
    virtual int BlockSize() const = 0;
    // Whether a volume type can add a session to a medium that holds one.
    virtual bool CanAppend(int fileSystem) const = 0;
    // Whether a volume type can do without the files' own dates (otherwise
    // the files always carry them, whatever UseFileDates says).
    virtual bool FileDatesOptional(int fileSystem) const = 0;
    // The image paths of the files and folders whose names the disc's Joliet
    // or UDF trees (what Windows shows) will not show as they are, shortened
    // or with characters replaced; with the current FileSystem.
    virtual std::vector<std::string> ChangedNames() = 0;
    // Bytes the image takes on a disc with the current settings.
    virtual double ImageSize() = 0;
    // True when the write started; WriteStatus ends it with stage 9, 10 or 11.
    virtual bool StartWrite(Device& device) = 0;
    virtual void AbortWrite() = 0;
};

class DiscEngine {
public:
    virtual ~DiscEngine() = default;
    virtual bool Initialize(bool flag) = 0;
    virtual int DeviceCount() = 0;
    virtual Device* DeviceAt(int index) = 0;  // null outside 0..DeviceCount()-1
    virtual disc::WriteJob& WriteJob() = 0;

    virtual void Subscribe(DiscEvents& events) = 0;
    virtual void Unsubscribe(DiscEvents& events) = 0;
    // Waits up to waitMilliseconds for news of a running write, verification
    // or erase, delivers what is pending, and tells whether such work still
    // runs. Returns at once when none runs.
    virtual bool Poll(int waitMilliseconds) = 0;
};

}  // namespace qm::disc
