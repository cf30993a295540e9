// The sample made as a new Wine prefix on the host, without Wine: the drive
// links and folders, and the registry in the prefix's own files.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/CodePage.h"
#include "platform/wine/WineFileSystem.h"
#include "platform/wine/WineRegistry.h"
#include "sample/SampleInstallation.h"

namespace qm::sample {

namespace fs = std::filesystem;
using namespace qm::platform;

namespace {

// Left in every prefix made here, so that --force removes only those.
constexpr const char* kMarker = ".quillmark-sample";

// The host side of a new Wine prefix: drives, Windows' folders, and the
// user's profile folder, with the links Windows keeps for older names unless
// the prefix is laid out as wineboot makes it.
bool prepareWinePrefix(const SampleOptions& o, const CodePage& codePage, std::string& error) {
    const std::string& p = o.prefix;
    std::error_code ec;
    fs::create_directories(p + "/dosdevices", ec);
    for (const char* d : {"/drive_c/windows/system32", "/drive_c/windows/temp", "/drive_c/ProgramData",
                          "/drive_c/users/Public", "/drive_c/Program Files"})
        fs::create_directories(p + d, ec);
    if (o.stock) {
        fs::create_directories(p + "/drive_c/Program Files (x86)", ec);
        fs::create_directories(p + "/drive_c/Mail", ec);
    } else {
        fs::create_directories(p + "/drive_d/Mail", ec);
    }
    fs::create_symlink("../drive_c", p + "/dosdevices/c:", ec);
    if (ec) {
        error = "cannot link " + p + "/dosdevices/c:: " + ec.message();
        return false;
    }
    if (!o.stock) fs::create_symlink("../drive_d", p + "/dosdevices/d:", ec);
    ec.clear();
    fs::create_symlink("/", p + "/dosdevices/z:", ec);
    if (ec) {
        error = "cannot link " + p + "/dosdevices/z:: " + ec.message();
        return false;
    }

    const std::string home = p + "/drive_c/users/" + codePage.toUtf8(o.user);
    if (o.stock) {
        // What wineboot of Wine 8 makes, and nothing more.
        for (const char* d : {"/AppData/Roaming", "/AppData/Local", "/AppData/LocalLow", "/Contacts", "/Desktop",
                              "/Documents", "/Downloads", "/Favorites", "/Links", "/Music", "/Pictures", "/Saved Games",
                              "/Searches", "/Temp", "/Videos"})
            fs::create_directories(home + d, ec);
    } else if (o.windows == "6.1") {
        for (const char* d : {"/AppData/Roaming/Microsoft", "/AppData/Local/Microsoft", "/AppData/LocalLow",
                              "/Desktop", "/Documents"})
            fs::create_directories(home + d, ec);
        // The junctions Windows keeps for programs that still use the older
        // folder names.
        fs::create_symlink("AppData/Roaming", home + "/Application Data", ec);
        ec.clear();
        fs::create_symlink("AppData/Local", home + "/Local Settings", ec);
        ec.clear();
        fs::create_symlink(".", home + "/AppData/Local/Application Data", ec);
        ec.clear();
        fs::create_symlink("Documents", home + "/My Documents", ec);
        ec.clear();
    } else {
        for (const char* d : {"/Application Data/Microsoft", "/Local Settings/Application Data/Microsoft",
                              "/Desktop", "/My Documents"})
            fs::create_directories(home + d, ec);
    }
    return true;
}

// The registry files, and the folders and files of the drives, as a process
// of the user makes them: 0666 and 0777 less the umask. Links are left as
// they are.
void usualRights(const std::string& prefix) {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    std::error_code ec;
    for (const char* hive : {"user.reg", "system.reg", "userdef.reg"}) {
        const fs::path file = fs::path(prefix) / hive;
        if (fs::is_regular_file(file, ec)) ::chmod(file.c_str(), 0666 & ~mask);
    }
    for (const char* drive : {"drive_c", "drive_d"}) {
        const fs::path root = fs::path(prefix) / drive;
        if (!fs::is_directory(root, ec)) continue;
        for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            if (it->is_symlink(ec)) continue;
            struct stat st {};
            if (::lstat(it->path().c_str(), &st) != 0) continue;
            // A read-only file stays read-only.
            const mode_t mode = S_ISDIR(st.st_mode) ? 0777 : (st.st_mode & S_IWUSR) ? 0666 : 0444;
            ::chmod(it->path().c_str(), mode & ~mask);
        }
    }
}

}  // namespace

bool buildSampleInstallation(const SampleOptions& options, std::string& error) {
    SampleInstallation made;
    return buildSampleInstallation(options, made, error);
}

bool buildSampleInstallation(const SampleOptions& options, SampleInstallation& made, std::string& error) {
    if (options.prefix.empty()) {
        error = "no folder given for the prefix";
        return false;
    }
    if (!checkSampleOptions(options, error)) return false;

    std::error_code ec;
    const fs::path prefix(options.prefix);
    if (fs::exists(fs::symlink_status(prefix, ec))) {
        if (!fs::is_directory(prefix, ec)) {
            error = options.prefix + " exists and is not a folder";
            return false;
        }
        const bool empty = fs::is_empty(prefix, ec);
        if (!empty) {
            const bool ours = fs::exists(prefix / kMarker, ec);
            if (!ours) {
                error = options.prefix + " is not empty and was not made by this tool; it is left as it is";
                return false;
            }
            if (!options.force) {
                error = options.prefix + " holds a sample made before (--force replaces it)";
                return false;
            }
            fs::remove_all(prefix, ec);
            if (ec) {
                error = "cannot remove " + options.prefix + ": " + ec.message();
                return false;
            }
        }
    }
    fs::create_directories(prefix, ec);
    if (ec) {
        error = "cannot make " + options.prefix + ": " + ec.message();
        return false;
    }
    // The prefix's own services, without Wine: its registry files and drives.
    Platform platform;
    platform.codePage = std::make_unique<CodePage>();
    platform.codePage->select(options.codePage);  // checked with the options
    if (!prepareWinePrefix(options, *platform.codePage, error)) return false;
    auto registry = wine::WineRegistry::open(options.prefix, true, *platform.codePage, error);
    if (!registry) return false;
    wine::WineRegistry& saved = *registry;
    platform.registry = std::move(registry);
    platform.files = std::make_unique<wine::WineFileSystem>(wine::WinePrefix(options.prefix), *platform.codePage);
    if (!buildSample(options, platform, made, error) || !saved.flush(error)) return false;
    // The program's file layer makes what it writes its user's alone; Wine
    // and Outlook make folders and files with the usual rights.
    usualRights(options.prefix);
    made.prefix = options.prefix;
    std::ofstream(options.prefix + "/" + kMarker) << "made by make-sample-outlook\n";
    return true;
}

}  // namespace qm::sample
