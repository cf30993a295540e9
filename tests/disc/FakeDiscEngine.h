#pragma once
// A scripted stand-in for the disc-burning component: an in-memory image
// that raises the image events, drives whose media and answers a test sets,
// and writes and erases that deliver a scripted list of events, one step per
// Poll. Every call is recorded.
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "disc/DiscEngine.h"

namespace qm::test {

class FakeDiscEngine;

class FakeDevice : public disc::Device {
public:
    FakeDevice(FakeDiscEngine& engine, std::string name) : engine_(engine), name_(std::move(name)) {}

    bool canWrite = true;
    std::set<int> supports;
    disc::MediaInfo media{disc::media::DvdRam, true, true};
    std::int64_t freeBlocks = 1000000;
    std::vector<int> speeds;  // speed values; factor = value / 1000
    int eraseSetting = 7;
    bool startEraseResult = true;

    std::vector<int> supportsAsked;
    std::vector<bool> refreshes;
    std::vector<std::pair<bool, int>> eraseCalls;
    int ejects = 0;
    int closeTrays = 0;

    std::string Name() const override { return name_; }
    bool CanWrite() const override { return canWrite; }
    bool Supports(int code) const override;
    void Refresh(bool flag) override { refreshes.push_back(flag); }
    disc::MediaInfo Media() const override { return media; }
    std::int64_t FreeBlocks(bool) const override { return freeBlocks; }
    int SpeedCount() const override { return static_cast<int>(speeds.size()); }
    int SpeedAt(int index) const override { return speeds.at(static_cast<std::size_t>(index)); }
    double SpeedFactor(int speed) const override { return speed / 1000.0; }
    bool Eject() override { return ++ejects > 0; }
    bool CloseTray() override { return ++closeTrays > 0; }
    int EraseSetting() const override { return eraseSetting; }
    bool StartErase(bool quick, int setting) override;

private:
    FakeDiscEngine& engine_;
    std::string name_;
};

// One scripted step: runs at one Poll, raising events on the subscribers.
using Step = std::function<void(FakeDiscEngine&)>;

class FakeDiscEngine : public disc::DiscEngine, public disc::WriteJob, public disc::DiscImage {
public:
    FakeDiscEngine();

    bool initializeResult = true;
    std::vector<std::unique_ptr<FakeDevice>> devices;
    FakeDevice& addDevice(const std::string& name);

    // Image contents by image path (the root "\" always there).
    struct Entry {
        bool folder = false;
        std::string source;
        std::uint64_t size = 0;
        std::int64_t date = 0;
    };
    std::map<std::string, Entry> entries;
    std::map<std::string, std::uint64_t> sourceSizes;  // sizes of added sources
    std::vector<std::pair<std::string, std::string>> addedFiles;    // source, image path
    std::vector<std::pair<std::string, std::string>> addedFolders;  // pattern, image path
    std::vector<std::string> removed;
    bool renameResult = true;
    int clears = 0;

    // Writing.
    double imageSize = 0;
    bool startResult = true;
    std::deque<Step> writeScript;
    std::deque<Step> abortScript;  // replaces what is left of the script on AbortWrite
    std::deque<Step> eraseScript;
    struct Settings {
        int FileSystem, WriteSpeed, WriteMode;
        bool AutoVerify, Mode2XA, CacheImage, TestWrite, Finalize, BufferProtection, UseFileDates, AppendSession;
        int StartSetting, WriteSetting;
        std::string Label;
    };
    std::vector<Settings> startedWith;  // the settings of each StartWrite
    std::vector<std::string> startedOn;       // the device of each StartWrite
    int aborts = 0;
    int polls = 0;

    // Raising events, as the component does.
    std::vector<disc::DiscEvents*> subscribers;
    void emit(const std::function<void(disc::DiscEvents&)>& raise);
    disc::ImageItem item(const std::string& imagePath) const;

    // DiscEngine
    bool Initialize(bool) override { return initializeResult; }
    int DeviceCount() override { return static_cast<int>(devices.size()); }
    disc::Device* DeviceAt(int index) override;
    disc::WriteJob& WriteJob() override { return *this; }
    void Subscribe(disc::DiscEvents& events) override { subscribers.push_back(&events); }
    void Unsubscribe(disc::DiscEvents& events) override;
    bool Poll(int waitMilliseconds) override;

    // WriteJob
    disc::DiscImage& Image() override { return *this; }
    int BlockSize() const override { return 2048; }
    double ImageSize() override { return imageSize; }
    // As the Linux component: the UDF volume types neither append nor do
    // without the files' dates.
    bool CanAppend(int fileSystem) const override { return (fileSystem & disc::filesystem::UdfBit) == 0; }
    bool FileDatesOptional(int fileSystem) const override { return (fileSystem & disc::filesystem::UdfBit) == 0; }
    std::vector<std::string> changedNames;
    std::vector<std::string> ChangedNames() override { return changedNames; }
    bool StartWrite(disc::Device& device) override;
    void AbortWrite() override;

    // DiscImage
    bool AddFile(const std::string& source, const std::string& imagePath) override;
    bool AddFolder(const std::string& sourcePattern, const std::string& imagePath) override;
    bool RenameFile(const std::string& imagePath, const std::string& newName) override;
    bool RenameFolder(const std::string& imagePath, const std::string& newName) override;
    bool Remove(const std::string& imagePath) override;
    long FileCount() const override;
    long FolderCount() const override;
    void ListFolder(const std::string& imagePath) override;
    void Clear() override;

    bool running = false;

private:
    void makeFolders(const std::string& imagePath);
};

// Steps for scripts.
Step status(int percent, int stage);
Step verifyStep(const std::string& imagePath, const std::string& source, int result, int done, int total);

}  // namespace qm::test
