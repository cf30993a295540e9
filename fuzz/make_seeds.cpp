// The seed corpus of the fuzz targets, made with the program's own code
// from a sample installation: registry exports, the prefix's registry
// files, backup files (plain, protected, cut short, with hostile names, with
// an information file that inflates far), their information file, command
// lines and binary profile values.
//
//   qm-fuzz-seeds OUT_DIR     (writes OUT_DIR/<target>/<seed>)
#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/Environment.h"
#include "app/Startup.h"
#include "archive/InfoFile.h"
#include "archive/Zip.h"
#include "items/ItemTable.h"
#include "jobs/BackupJob.h"
#include "platform/OpenPlatform.h"
#include "sample/SampleInstallation.h"

namespace fs = std::filesystem;
using namespace qm;

namespace {

std::string outDir;

void seed(const std::string& target, const std::string& name, const std::string& bytes) {
    fs::create_directories(outDir + "/" + target);
    std::ofstream(outDir + "/" + target + "/" + name, std::ios::binary).write(bytes.data(),
                                                                             static_cast<std::streamsize>(bytes.size()));
}

std::string hostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// An archive as another tool could write it: names and bytes as given.
std::string foreignArchive(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries) {
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z) return {};
    for (const auto& [name, bytes] : entries) {
        zip_source_t* src = zip_source_buffer(z, bytes.data(), bytes.size(), 0);
        if (!src || zip_file_add(z, name.c_str(), src, ZIP_FL_ENC_RAW) < 0) zip_source_free(src);
    }
    zip_close(z);
    return hostFile(path);
}

bool backup(app::Session& s, const std::string& file, const std::string& password) {
    jobs::BackupRequest settings;
    settings.profile = "Outlook";
    settings.items = items::selectionFromDigits("11111111");
    settings.archivePath = s.files.fromUserPath(file);
    settings.password = password;
    settings.unattended = true;
    jobs::JobEvents quiet;
    return jobs::RunBackupJob(s, settings, quiet).written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
        return 2;
    }
    outDir = argv[1];
    const std::string scratch = outDir + "/.sample";
    sample::SampleOptions options;
    options.prefix = scratch + "/prefix";
    options.outlook = "11.0";
    options.secondProfile = "Work";
    sample::SampleInstallation made;
    std::string error;
    if (!sample::buildSampleInstallation(options, made, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    seed("wine_registry", "user.reg", hostFile(options.prefix + "/user.reg"));
    seed("wine_registry", "system.reg", hostFile(options.prefix + "/system.reg"));

    platform::Platform platform;
    platform::PlatformOptions open;
    open.prefix = options.prefix;
    open.userName = options.user;
    open.workRoot = scratch + "/work";
    if (!platform::openPlatform(open, platform, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    {
        app::Session s(platform);
        if (!app::LoadEnvironment(s)) return 1;
        items::availableItems(s, "Outlook");
        const std::string exported = s.files.fromUserPath(scratch + "/export.txt");
        for (const auto& [name, key] : std::vector<std::pair<std::string, std::string>>{
                 {"profile", s.state.ProfilesKey + "\\Outlook"},
                 {"accounts", s.state.AccountsKey},
                 {"options", s.state.OptionsKey}}) {
            s.reg.ExportKey(key, "", exported);
            seed("registry_text", name, hostFile(scratch + "/export.txt"));
        }

        const std::string plain = scratch + "/plain.qmk", locked = scratch + "/locked.qmk";
        if (!backup(s, plain, "") || !backup(s, locked, "pw")) return 1;
        const std::string plainBytes = hostFile(plain);
        seed("archive_open", "plain", plainBytes);
        seed("archive_open", "protected", hostFile(locked));
        seed("archive_open", "cut", plainBytes.substr(0, plainBytes.size() / 2));
        std::string why;
        archive::Zip zip(s.files);
        zip.OpenArchive(s.files.fromUserPath(plain), why);
        zip.FindEntry(archive::kInfoFileName).ExtractEntryTo(s.files.fromUserPath(scratch), why);
        const std::string info = hostFile(scratch + "/" + archive::kInfoFileName);
        seed("info_file", "backup", info);
        seed("archive_open", "hostile",
             foreignArchive(scratch + "/hostile.qmk", {{"../up.htm", "x"},
                                                       {"C:\\drive.htm", "x"},
                                                       {"/tmp/absolute.htm", "x"},
                                                       {"aux.txt", "x"},
                                                       {archive::kInfoFileName, info}}));
        seed("archive_open", "inflating",
             foreignArchive(scratch + "/inflating.qmk", {{archive::kInfoFileName, std::string(200000, '\0')}}));
    }

    seed("info_file", "description", "BackupInformation=a PS$QMKb\r\n\r\nBackupItem=1\r\nx=y=z\rline\n");
    const std::vector<std::pair<std::string, std::vector<std::string>>> lines = {
        {"backup", {"--prefix", "/p", "--user", "u", "--backup", "/tmp/b.qmk", "--profile", "Outlook", "--items",
                    "10100000", "--password", "pa=ss", "--description", "Before"}},
        {"restore", {"--restore", "C:\\b.qmk", "--profile", "Home", "--yes", "--items", "11111111"}},
        {"schedule", {"--schedule", "--profile", "Outlook", "--items", "10100000", "--file", "/tmp/b.qmk", "--time",
                      "23:30", "--days", "M,W,TH,SU"}},
        {"list", {"--list", "/tmp/b.qmk", "--password", "pw"}},
        {"unschedule", {"--unschedule", "12"}},
        {"unattended", {"sf=Outlookxm=10100000ps=pwbf=/tmp/b.qmk"}},
    };
    for (const auto& [name, words] : lines) {
        std::string joined;
        for (const auto& w : words) joined += (joined.empty() ? "" : std::string(1, '\0')) + w;
        seed("command_line", name, joined);
    }
    for (const bool unicode : {true, false}) {
        const std::string value = sample::pstStoreEntryId("C:\\Mail\\a.pst", unicode);
        seed("binary_paths", unicode ? "utf16" : "ansi",
             std::string(1, static_cast<char>(value.size())) + value + "C:\\Mail\\a.pst|D:\\New\\b.pst");
    }
    seed("binary_paths", "network", std::string(1, 40) + sample::pstStoreEntryId("\\\\srv\\s\\a.pst", true) + "a|b");
    fs::remove_all(scratch);
    return 0;
}
