#include "platform/memory/MemoryPlatform.h"

namespace qm::platform::memory {

MemoryInstallation openMemoryPlatform(Platform& out, const std::string& user, const std::string& windows) {
    out.outlook.reset();
    out.system.reset();
    out.files.reset();
    out.registry.reset();
    out.codePage = std::make_unique<CodePage>();

    MemoryInstallation made;
    auto registry = std::make_unique<MemoryRegistry>(*out.codePage);
    auto files = std::make_unique<MemoryFileSystem>(*out.codePage);
    const std::string home = "C:\\users\\" + user;
    files->makeFolders("C:\\windows");
    if (windows == "5.1") {
        for (const char* d : {"\\Application Data", "\\Local Settings\\Application Data", "\\My Documents"})
            files->makeFolders(home + d);
    } else {
        for (const char* d : {"\\AppData\\Roaming", "\\AppData\\Local", "\\Documents"}) files->makeFolders(home + d);
        files->addLink(home + "\\Application Data", home + "\\AppData\\Roaming");
        files->addLink(home + "\\Local Settings", home + "\\AppData\\Local");
        files->addLink(home + "\\AppData\\Local\\Application Data", home + "\\AppData\\Local");
        files->addLink(home + "\\My Documents", home + "\\Documents");
    }
    MemorySystem::Facts facts;
    facts.userName = user;
    facts.environment["USERPROFILE"] = home;
    facts.workFolderRoot = home + "\\AppData\\Local\\Quillmark";
    const auto dot = windows.find('.');
    facts.version.major = static_cast<std::uint32_t>(std::stoul(windows.substr(0, dot)));
    facts.version.minor = dot == std::string::npos ? 0 : static_cast<std::uint32_t>(std::stoul(windows.substr(dot + 1)));
    auto system = std::make_unique<MemorySystem>(facts);
    auto outlook = std::make_unique<MemoryOutlook>();

    made.registry = registry.get();
    made.files = files.get();
    made.system = system.get();
    made.outlook = outlook.get();
    out.registry = std::move(registry);
    out.files = std::move(files);
    out.system = std::move(system);
    out.outlook = std::move(outlook);
    return made;
}

}  // namespace qm::platform::memory
