// The console build of Quillmark: the unattended backup a scheduled job
// starts, and a listing of backup files. The window is not part of it.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/Session.h"
#include "app/Startup.h"
#include "cli/HeadlessView.h"
#include "platform/CodePage.h"
#include "platform/wine/WinePlatform.h"
#include "runs/Runs.h"

namespace {

constexpr int kWritten = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char* const kHelp =
    "Usage:\n"
    "  quillmark [options] sf=<profile>xm=<items>ps=<password>bf=<backup file>\n"
    "  quillmark [options] --list <backup file> [--password <password>]\n"
    "  quillmark --help\n"
    "\n"
    "The first form makes one unattended backup of an Outlook profile into a\n"
    "backup file (.qmk), as a scheduled job does: <items> has one digit per\n"
    "item, \"1\" selects it: 1 personal folders, 2 accounts settings,\n"
    "3 signatures, 4 stationeries, 5 personal address book, 6 options settings,\n"
    "7 templates, 8 preferences. An empty password writes the file without\n"
    "protection. The backup file may be a Windows path (C:\\b.qmk) or a host\n"
    "path (/tmp/b.qmk). A file already there is replaced only by a complete\n"
    "new backup.\n"
    "\n"
    "The second form lists what a backup file holds: its entries and the facts\n"
    "of its information file. It too reads through a Wine prefix.\n"
    "\n"
    "Options (before the argument text):\n"
    "  --prefix DIR   the Wine prefix holding Outlook (default: $WINEPREFIX,\n"
    "                 else ~/.wine)\n"
    "  --user NAME    Wine's user name, the profile folder C:\\users\\NAME\n"
    "                 (default: $USER)\n"
    "\n"
    "Exit status: 0 when the backup file was written (or listed), 1 when it\n"
    "was not (the reason is printed on stderr), 2 for a usage error. Started\n"
    "without arguments, the program would open its window, which is not part\n"
    "of this build.\n";

struct Options {
    qm::platform::wine::WineOptions wine;
    bool list = false;
    std::string listFile;
    std::string password;
    std::vector<std::string> rest;  // the argument text of the automatic run
};

void err(const std::string& utf8) { std::fprintf(stderr, "quillmark: %s\n", utf8.c_str()); }
std::string shown(const std::string& ansi) { return qm::platform::CodePage::toUtf8(ansi); }

// 0: go on; otherwise the exit status.
int parseOptions(int argc, char** argv, Options& o) {
    int i = 1;
    auto value = [&](const char* name, std::string& out) {
        if (i + 1 >= argc) {
            err(std::string(name) + " needs a value (see --help)");
            return false;
        }
        out = argv[++i];
        return true;
    };
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kHelp, stdout);
            return -1;
        }
        if (a == "--prefix") {
            if (!value("--prefix", o.wine.prefix)) return kUsage;
        } else if (a == "--user") {
            if (!value("--user", o.wine.userName)) return kUsage;
        } else if (a == "--list") {
            o.list = true;
            if (!value("--list", o.listFile)) return kUsage;
        } else if (a == "--password" && o.list) {
            if (!value("--password", o.password)) return kUsage;
        } else if (a.rfind("--", 0) == 0 && o.rest.empty()) {
            err("unknown option " + a + " (see --help)");
            return kUsage;
        } else {
            break;
        }
    }
    for (; i < argc; ++i) o.rest.emplace_back(argv[i]);
    if (o.list && !o.rest.empty()) {
        err("--list takes one backup file and --password only (see --help)");
        return kUsage;
    }
    return 0;
}

int list(qm::app::Session& session, const Options& o) {
    using qm::platform::CodePage;
    auto listing = qm::runs::ListBackupFile(session, CodePage::fromUtf8(o.listFile), CodePage::fromUtf8(o.password));
    if (!listing.opened) {
        err(o.listFile + ": not a backup file that can be opened (" + listing.problem + ")");
        return kFailed;
    }
    if (listing.isProtected && !listing.passwordAccepted) {
        err(o.listFile + ": " + listing.problem + (o.password.empty() ? " (it is protected: give --password)" : ""));
        return kFailed;
    }
    std::printf("Backup file: %s%s\n", o.listFile.c_str(), listing.isProtected ? " (password protected)" : "");
    std::printf("Entries (%zu):\n", listing.entries.size());
    for (const auto& name : listing.entries) std::printf("  %s\n", shown(name).c_str());
    if (!listing.hasInfoFile) {
        err(o.listFile + ": no information file: " + listing.problem);
        return kFailed;
    }
    std::printf("Information file:\n");
    for (const auto& [key, value] : listing.facts) {
        std::string v = shown(value);
        // A description of several lines: the later ones indented under the first.
        std::string out;
        for (char c : v) {
            if (c == '\r') continue;
            out += c;
            if (c == '\n') out += "      ";
        }
        std::printf("  %s=%s\n", shown(key).c_str(), out.c_str());
    }
    if (!listing.problem.empty()) {
        err(o.listFile + ": " + listing.problem);
        return kFailed;
    }
    return kWritten;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    int status = parseOptions(argc, argv, o);
    if (status == -1) return 0;
    if (status != 0) return status;

    if (!o.list && o.rest.empty()) {
        err("started without arguments: the window is not part of this build; see --help for the "
            "unattended backup and the listing");
        return kUsage;
    }

    qm::platform::Platform platform;
    std::string error;
    if (!qm::platform::wine::openWinePlatform(o.wine, platform, error)) {
        err(error);
        return kFailed;
    }

    qm::cli::HeadlessView view;
    qm::app::Session session(platform, view);
    if (!session.hasWorkFolder()) {
        err("cannot make a work folder under " + shown(platform.system->workFolderRoot()));
        return kFailed;
    }
    if (o.list) return list(session, o);

    std::vector<const char*> args{argv[0]};
    for (const auto& a : o.rest) args.push_back(a.c_str());
    const std::string commandLine = qm::platform::CodePage::fromUtf8(
        qm::app::CommandLineFromArgs(static_cast<int>(args.size()), args.data()));

    qm::app::StoreCommandLine(session, commandLine);
    qm::app::InitializeMainWindow(session);
    qm::runs::AutomaticReport report;
    qm::runs::MainWindowActivated(session, &report);

    if (!report.itemResult.empty()) std::fprintf(stderr, "quillmark: BackupItem=%s\n", report.itemResult.c_str());
    // A part that was asked for and failed does not stop the run, but the
    // job's log must show it.
    static const char* const parts[10] = {"profile configuration", "data files", "rules", "accounts settings",
                                          "signatures", "stationery", "personal address book", "options settings",
                                          "templates", "preferences"};
    for (size_t i = 0; i < 10 && i < report.ranParts.size() && i < report.itemResult.size(); ++i)
        if (report.ranParts[i] == '1' && report.itemResult[i] != '1')
            std::fprintf(stderr, "quillmark: warning: the %s could not be backed up\n", parts[i]);
    if (!report.written) {
        err("no backup written: " + shown(report.failure));
        return kFailed;
    }
    std::fprintf(stderr, "quillmark: backup written to %s\n", shown(session.state.TargetArchivePath).c_str());
    return kWritten;
}
