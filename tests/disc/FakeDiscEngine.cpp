#include "disc/FakeDiscEngine.h"

#include <algorithm>

namespace qm::test {

using disc::ImageItem;

namespace {

std::string parentOf(const std::string& imagePath) {
    const auto cut = imagePath.rfind('\\');
    return cut == 0 ? std::string("\\") : imagePath.substr(0, cut);
}

std::string nameOf(const std::string& imagePath) { return imagePath.substr(imagePath.rfind('\\') + 1); }

bool isUnder(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '\\';
}

}  // namespace

bool FakeDevice::Supports(int code) const {
    const_cast<FakeDevice*>(this)->supportsAsked.push_back(code);
    return supports.count(code) > 0;
}

bool FakeDevice::StartErase(bool quick, int setting) {
    eraseCalls.emplace_back(quick, setting);
    if (startEraseResult) engine_.running = true;
    return startEraseResult;
}

FakeDiscEngine::FakeDiscEngine() { entries["\\"] = Entry{true, "", 0, 0}; }

FakeDevice& FakeDiscEngine::addDevice(const std::string& name) {
    devices.push_back(std::make_unique<FakeDevice>(*this, name));
    return *devices.back();
}

disc::Device* FakeDiscEngine::DeviceAt(int index) {
    if (index < 0 || index >= DeviceCount()) return nullptr;
    return devices[static_cast<std::size_t>(index)].get();
}

void FakeDiscEngine::Unsubscribe(disc::DiscEvents& events) {
    subscribers.erase(std::remove(subscribers.begin(), subscribers.end(), &events), subscribers.end());
}

void FakeDiscEngine::emit(const std::function<void(disc::DiscEvents&)>& raise) {
    const auto copy = subscribers;
    for (auto* s : copy) raise(*s);
}

ImageItem FakeDiscEngine::item(const std::string& imagePath) const {
    ImageItem result;
    const auto it = entries.find(imagePath);
    if (it == entries.end()) return result;
    result.IsFolder = it->second.folder;
    result.ImagePath = imagePath;
    result.Name = imagePath == "\\" ? "" : nameOf(imagePath);
    result.SourcePath = it->second.source;
    result.Size = it->second.size;
    result.ItemDate = it->second.date;
    if (imagePath != "\\") result.Parent = std::make_shared<ImageItem>(item(parentOf(imagePath)));
    return result;
}

bool FakeDiscEngine::Poll(int) {
    ++polls;
    if (!running) return false;
    auto& script = eraseScript.empty() ? writeScript : eraseScript;
    if (!script.empty()) {
        Step step = script.front();
        script.pop_front();
        step(*this);
    }
    running = !writeScript.empty() || !eraseScript.empty();
    return running;
}

bool FakeDiscEngine::StartWrite(disc::Device& device) {
    startedWith.push_back({FileSystem, WriteSpeed, WriteMode, AutoVerify, Mode2XA, CacheImage, TestWrite, Finalize,
                           BufferProtection, UseFileDates, AppendSession, StartSetting, WriteSetting, Volume.Label});
    startedOn.push_back(device.Name());
    if (startResult) running = true;
    return startResult;
}

void FakeDiscEngine::AbortWrite() {
    ++aborts;
    if (!abortScript.empty()) writeScript = abortScript;
}

void FakeDiscEngine::makeFolders(const std::string& imagePath) {
    if (entries.count(imagePath)) return;
    makeFolders(parentOf(imagePath));
    entries[imagePath] = Entry{true, "", 0, 0};
    const ImageItem added = item(imagePath);
    emit([&](disc::DiscEvents& e) { e.ItemAdded(added); });
}

bool FakeDiscEngine::AddFile(const std::string& source, const std::string& imagePath) {
    addedFiles.emplace_back(source, imagePath);
    const auto existing = entries.find(imagePath);
    if (existing != entries.end()) {
        if (existing->second.folder || subscribers.empty()) return false;
        if (!subscribers.front()->ReplaceQuery(item(imagePath), source)) return false;
    }
    makeFolders(parentOf(imagePath));
    const auto size = sourceSizes.count(source) ? sourceSizes[source] : 0;
    entries[imagePath] = Entry{false, source, size, 1700000000};
    const ImageItem added = item(imagePath);
    emit([&](disc::DiscEvents& e) { e.ItemAdded(added); });
    return true;
}

bool FakeDiscEngine::AddFolder(const std::string& sourcePattern, const std::string& imagePath) {
    addedFolders.emplace_back(sourcePattern, imagePath);
    makeFolders(imagePath);
    return true;
}

bool FakeDiscEngine::RenameFile(const std::string&, const std::string&) { return renameResult; }

bool FakeDiscEngine::RenameFolder(const std::string& imagePath, const std::string& newName) {
    if (!renameResult || !entries.count(imagePath) || imagePath == "\\") return false;
    const std::string to = (parentOf(imagePath) == "\\" ? "" : parentOf(imagePath)) + "\\" + newName;
    auto node = entries.extract(imagePath);
    node.key() = to;
    entries.insert(std::move(node));
    ImageItem renamed = item(to);
    renamed.OldImagePath = imagePath;
    emit([&](disc::DiscEvents& e) { e.ItemRenamed(renamed); });
    return true;
}

bool FakeDiscEngine::Remove(const std::string& imagePath) {
    removed.push_back(imagePath);
    if (imagePath == "\\" || !entries.count(imagePath)) return false;
    const ImageItem gone = item(imagePath);
    for (auto it = entries.begin(); it != entries.end();)
        it = isUnder(it->first, imagePath) ? entries.erase(it) : std::next(it);
    entries.erase(imagePath);
    emit([&](disc::DiscEvents& e) { e.ItemRemoved(gone); });
    return true;
}

long FakeDiscEngine::FileCount() const {
    return std::count_if(entries.begin(), entries.end(), [](const auto& e) { return !e.second.folder; });
}

long FakeDiscEngine::FolderCount() const {
    return std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e.second.folder; }) - 1;
}

void FakeDiscEngine::ListFolder(const std::string& imagePath) {
    for (const auto& [path, entry] : entries) {
        if (path == "\\" || parentOf(path) != imagePath) continue;
        const ImageItem listed = item(path);
        emit([&](disc::DiscEvents& e) { e.ItemListed(listed); });
    }
}

void FakeDiscEngine::Clear() {
    ++clears;
    entries.clear();
    entries["\\"] = Entry{true, "", 0, 0};
    emit([](disc::DiscEvents& e) { e.ImageCleared(); });
}

Step status(int percent, int stageNumber) {
    return [=](FakeDiscEngine& engine) { engine.emit([=](disc::DiscEvents& e) { e.WriteStatus(percent, stageNumber); }); };
}

Step verifyStep(const std::string& imagePath, const std::string& source, int result, int done, int total) {
    return [=](FakeDiscEngine& engine) {
        ImageItem it;
        it.ImagePath = imagePath;
        it.SourcePath = source;
        engine.emit([&](disc::DiscEvents& e) { e.VerifyProgress(it, result, done, total); });
    };
}

}  // namespace qm::test
