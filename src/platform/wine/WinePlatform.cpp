#include "platform/wine/WinePlatform.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/CodePage.h"
#include "platform/RegistryAccess.h"
#include "platform/wine/WineFileSystem.h"
#include "platform/wine/WineOutlookProbe.h"
#include "platform/wine/WinePrefix.h"
#include "platform/wine/WineRegistry.h"
#include "platform/wine/WineSystem.h"

namespace qm::platform::wine {

namespace {

// Where Wine keeps the ANSI code page of the prefix's locale (it writes it
// whenever a program starts in another locale).
constexpr const char* kCodePageKey = "System\\CurrentControlSet\\Control\\Nls\\CodePage";

// The option's code page, else the prefix's own, else Windows-1252.
bool chooseCodePage(const WineOptions& options, Registry& registry, CodePage& codePage, std::string& error) {
    if (!options.codePage.empty()) {
        if (codePage.select(options.codePage)) return true;
        error = "unknown code page \"" + options.codePage + "\"";
        return false;
    }
    std::string acp;
    if (!readString(registry, RootKey::LocalMachine, kCodePageKey, "ACP", acp) || acp.empty()) return true;
    if (codePage.select(acp)) return true;
    error = "the prefix's ANSI code page " + acp + " cannot be used; choose one with --code-page";
    return false;
}

}  // namespace

bool openWinePlatform(const WineOptions& options, Platform& out, std::string& error) {
    // The registry converts its strings with it when asked, not when it
    // loads: it is chosen from the registry itself before anything else.
    auto codePage = std::make_unique<CodePage>();
    const std::string prefix = WinePrefix::locate(options.prefix);
    if (prefix.empty()) {
        error = "no Wine prefix: neither WINEPREFIX nor HOME is set";
        return false;
    }
    std::string why;
    if (!WinePrefix::isPrefix(prefix, why)) {
        error = prefix + " is not a Wine prefix: " + why;
        return false;
    }
    if (!WinePrefix::ownedByUser(prefix, why)) {
        error = "the Wine prefix " + prefix + " cannot be used: " + why +
                " (Wine refuses to run in a prefix another user owns, and so does this program)";
        return false;
    }
    std::string registryError;
    auto registry = WineRegistry::open(prefix, false, *codePage, registryError);
    if (!registry) {
        error = "cannot open the registry of the Wine prefix " + prefix + ": " + registryError;
        return false;
    }
    if (!chooseCodePage(options, *registry, *codePage, error)) return false;
    auto files = std::make_unique<WineFileSystem>(WinePrefix(prefix), *codePage);
    auto system = std::make_unique<WineSystem>(*registry, *files, options.userName, options.workRoot,
                                               options.programFolder);
    auto outlook = std::make_unique<WineOutlookProbe>(*registry);
    out.replace(std::move(codePage), std::move(registry), std::move(files), std::move(system), std::move(outlook));
    return true;
}

}  // namespace qm::platform::wine

namespace qm::platform {

bool openPlatform(const PlatformOptions& options, Platform& out, std::string& error) {
    return wine::openWinePlatform(options, out, error);
}

std::string programPath() { return wine::executablePath(); }

bool opensWinePrefix() { return true; }

InstallationPlace locateInstallation(const PlatformOptions& options) {
    return {wine::WinePrefix::locate(options.prefix),
            options.userName.empty() ? wine::hostUserName() : options.userName};
}

bool installationUsers(const std::string& prefix, std::vector<std::string>& users, std::string& why) {
    users.clear();
    if (!wine::WinePrefix::isPrefix(prefix, why)) {
        why = prefix + " is not a Wine prefix: " + why;
        return false;
    }
    const std::string drive = wine::WinePrefix(prefix).driveTarget('c');
    // Folders Windows keeps beside the users' own (some as links to them).
    static const char* const kNotUsers[] = {"public", "default", "default user", "all users"};
    std::error_code ec;
    for (std::filesystem::directory_iterator it(drive + "/users", ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::string lower = name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const bool reserved = std::find(std::begin(kNotUsers), std::end(kNotUsers), lower) != std::end(kNotUsers);
        std::error_code kind;
        if (!reserved && !it->is_symlink(kind) && it->is_directory(kind)) users.push_back(name);
    }
    std::sort(users.begin(), users.end());
    return true;
}

}  // namespace qm::platform
