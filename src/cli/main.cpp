// The console build of Quillmark: the unattended backup a scheduled job
// starts, and a listing of backup files. The window is not part of it.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/Environment.h"
#include "app/Session.h"
#include "app/Startup.h"
#include "app/ViewText.h"
#include "archive/InfoFile.h"
#include "jobs/OpenBackup.h"
#include "platform/OpenPlatform.h"
#include "runs/Runs.h"
#include "runs/Texts.h"

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
    "of its information file, and reads every entry to its end to check that\n"
    "it would restore. It too reads through a Wine prefix.\n"
    "\n"
    "Options (before the argument text):\n"
    "  --prefix DIR   the Wine prefix holding Outlook (default: $WINEPREFIX,\n"
    "                 else ~/.wine)\n"
    "  --user NAME    Wine's user name, the profile folder C:\\users\\NAME\n"
    "                 (default: $USER)\n"
    "\n"
    "Exit status: 0 when the backup file was written (or listed and every\n"
    "entry read back whole), 1 when it was not (the reason, or the damaged\n"
    "entries, on stderr), 2 for a usage error. Started\n"
    "without arguments, the program would open its window, which is not part\n"
    "of this build.\n";

struct Options {
    qm::platform::PlatformOptions wine;
    bool list = false;
    std::string listFile;
    std::string password;
    std::vector<std::string> rest;  // the argument text of the automatic run
};

void err(const std::string& utf8) { std::fprintf(stderr, "quillmark: %s\n", utf8.c_str()); }

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
    const qm::app::ViewText ui(session.codePage);
    qm::jobs::JobEvents quiet;
    const auto opened = qm::jobs::OpenBackupJob(session, session.files.fromUserPath(ui.typed(o.listFile)),
                                                ui.typed(o.password), quiet);
    // Every entry is read to its end, so that a file that lists well but
    // would not restore is not called valid.
    std::vector<std::string> damaged;
    if (opened.isArchive && opened.outcome != qm::jobs::OpenOutcome::WrongPassword)
        damaged = qm::jobs::TestOpenedBackup(session, quiet);
    session.zip1.ResetArchive();
    if (!opened.isArchive) {
        err(o.listFile + ": not a backup file that can be opened (" + qm::runs::text::kInvalidBackup + ")");
        return kFailed;
    }
    if (opened.outcome == qm::jobs::OpenOutcome::WrongPassword) {
        err(o.listFile + ": " + qm::runs::text::kWrongPassword +
            (o.password.empty() ? " (it is protected: give --password)" : ""));
        return kFailed;
    }
    std::printf("Backup file: %s%s\n", o.listFile.c_str(), opened.isProtected ? " (password protected)" : "");
    std::printf("Entries (%zu):\n", opened.entries.size());
    for (const auto& name : opened.entries) std::printf("  %s\n", ui.shown(name).c_str());
    for (const auto& name : damaged) err(o.listFile + ": damaged entry: " + ui.shown(name));
    if (!opened.hasInfoFile) {
        err(o.listFile + ": no information file: " + qm::runs::text::kInvalidBackup);
        return kFailed;
    }
    std::printf("Information file:\n");
    for (const auto& [key, value] : opened.lines) {
        const bool description = session.codePage.equalsIgnoreCase(key, "BackupInformation");
        const std::string v = ui.shown(description ? qm::archive::DecodeLineBreaks(value) : value);
        // A description of several lines: the later ones indented under the first.
        std::string out;
        for (char c : v) {
            if (c == '\r') continue;
            out += c;
            if (c == '\n') out += "      ";
        }
        std::printf("  %s=%s\n", ui.shown(key).c_str(), out.c_str());
    }
    if (!damaged.empty()) {
        err(o.listFile + ": " + std::to_string(damaged.size()) + " of " + std::to_string(opened.entries.size()) +
            " entries do not read back whole");
        return kFailed;
    }
    if (opened.outcome != qm::jobs::OpenOutcome::Opened) {
        err(o.listFile + ": " + qm::runs::text::kInvalidBackup);
        return kFailed;
    }
    std::printf("All %zu entries read back whole.\n", opened.entries.size());
    return kWritten;
}

// The unattended backup: the argument text read as a scheduled job writes
// it, the installation learnt as start-up learns it, one automatic run.
int backup(qm::app::Session& session, const std::string& commandLine) {
    const qm::app::ViewText ui(session.codePage);
    qm::app::StoreCommandLine(session, commandLine);
    if (!qm::app::LoadEnvironment(session)) err(std::string("[critical] ") + qm::app::kNoOutlookMessage);
    const auto settings = qm::app::ParseCommandLine(commandLine);
    if (!settings) {
        err("no backup written: the command line does not give sf=<profile>xm=<items>ps=<password>bf=<backup file>");
        return kFailed;
    }
    const qm::jobs::BackupReport report = qm::runs::RunAutomaticBackup(session, settings->profile, settings->selection,
                                                                       settings->password, settings->archivePath);
    for (const auto& notice : report.notices) err(ui.shown(notice));
    for (const auto& warning : report.warnings) err("warning: " + ui.shown(warning));
    if (!report.itemResult.empty()) std::fprintf(stderr, "quillmark: BackupItem=%s\n", report.itemResult.c_str());
    // A part that was asked for and failed does not stop the run, but the
    // job's log must show it.
    static const char* const names[10] = {"profile configuration", "data files", "rules", "accounts settings",
                                          "signatures", "stationery", "personal address book", "options settings",
                                          "templates", "preferences"};
    for (std::size_t i = 0; i < report.parts.size(); ++i)
        if (report.parts[i].ran && !report.parts[i].ok)
            std::fprintf(stderr, "quillmark: warning: the %s could not be backed up\n", names[i]);
    if (!report.written) {
        err("no backup written: " + ui.shown(report.failure));
        return kFailed;
    }
    std::fprintf(stderr, "quillmark: backup written to %s\n", ui.shown(session.state.TargetArchivePath).c_str());
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
    if (!qm::platform::openPlatform(o.wine, platform, error)) {
        err(error);
        return kFailed;
    }

    qm::app::Session session(platform);
    if (!session.hasWorkFolder()) {
        err("cannot make a work folder under " + session.codePage.toUtf8(platform.system->workFolderRoot()));
        return kFailed;
    }
    if (o.list) return list(session, o);

    std::vector<const char*> args{argv[0]};
    for (const auto& a : o.rest) args.push_back(a.c_str());
    return backup(session, session.codePage.fromUtf8(
                               qm::app::CommandLineFromArgs(static_cast<int>(args.size()), args.data())));
}
