#include "cli/Help.h"

#include "base/Text.h"
#include "platform/OpenPlatform.h"

namespace qm::cli {
namespace {

const char* const kHelp =
    "Usage:\n"
    "  quillmark [--prefix DIR] [--user NAME] --backup FILE --profile NAME --items DIGITS\n"
    "            [--password-file PF | --password P] [--description TEXT] [KEEP]\n"
    "  quillmark [--prefix DIR] [--user NAME] --restore FILE --profile NAME [--items DIGITS]\n"
    "            [--password-file PF | --password P] [--yes]\n"
    "  quillmark [--prefix DIR] [--user NAME] --list FILE\n"
    "            [--password-file PF | --password P]\n"
    "  quillmark [--prefix DIR] [--user NAME] --profiles\n"
    "  quillmark [--prefix DIR] [--user NAME] --schedule --profile NAME --items DIGITS --file FILE\n"
    "            [--password-file PF | --password P] --time H:MM [--days LIST] [KEEP]\n"
    "  quillmark --jobs\n"
    "  quillmark --unschedule N\n"
    "  quillmark --catch-up\n"
    "  quillmark [--prefix DIR] [--user NAME] [--password-file PF] [KEEP]\n"
    "            'sf=<profile>xm=<items>ps=<password>bf=<file>'\n"
    "  quillmark --help\n"
    "\n"
    "--backup     backs up the items DIGITS of Outlook profile NAME into the backup\n"
    "             file FILE (.qmk), protected when a password is given, with the\n"
    "             description TEXT. A file already there is replaced only by a\n"
    "             complete new backup. Prints the report of each item.\n"
    "--restore    opens the backup file FILE, prints its facts and description, and\n"
    "             puts the items DIGITS (default: every item it holds) back into\n"
    "             profile NAME. It asks before it replaces anything, and asks for\n"
    "             the password of a protected file; without a terminal to ask on,\n"
    "             give --yes and --password-file. Prints the summary of each item.\n"
    "--list       lists the entries of a backup file and its information file.\n"
    "--profiles   names the Outlook installed and lists its profiles, the one\n"
    "             Outlook starts with first.\n"
    "--schedule   adds a job that makes the backup --backup would make, at H:MM on\n"
    "             the days LIST: M,T,W,TH,F,S,SU (any of them, \",\" between) or\n"
    "             daily; without --days the job runs once. The job keeps its\n"
    "             password in a file only you may read, which its command names;\n"
    "             no value may contain \"=\".\n"
    "--jobs       lists the jobs added with --schedule (never their passwords),\n"
    "             each with its last run and how it ended.\n"
    "--unschedule removes job N (and its password file).\n"
    "--catch-up   runs, once, every job whose last start passed while no run of\n"
    "             it since wrote its backup (the computer was off); at login, and\n"
    "             by every scheduled run first. A run that fails tells the desktop.\n"
    "sf=...       the unattended backup a job runs: the values are read by\n"
    "             position, so none may contain \"=\"; the description stored is\n"
    "             \"Automatic Backup\".\n"
    "\n"
    "KEEP         --keep N [--keep-weekly W] [--keep-monthly M]: earlier versions\n"
    "             kept beside the backup file, named with their backup time\n"
    "             (\"b 2026-12-08 23-30-05.qmk\"): the newest N (default 1: the file\n"
    "             is replaced), and the newest of each of the last W weeks and M\n"
    "             months. A data file that looks damaged or shrank to less than\n"
    "             half keeps the earlier backup whatever N says.\n"
    "\n"
    "--password-file PF  the password is the first line of the file PF (its line\n"
    "             end dropped).\n"
    "--password P gives the password on the command line, where every user of\n"
    "             this computer can read it in the process list while the\n"
    "             program runs: prefer --password-file, or the prompt of --restore.\n"
    "\n"
    "DIGITS has one digit per item, \"1\" selects it: 1 personal folders (with the\n"
    "profile configuration and the rules file), 2 accounts settings, 3 signatures,\n"
    "4 stationeries, 5 personal address book, 6 options settings, 7 templates,\n"
    "8 preferences; for example 10100000. The profile must be one of the\n"
    "installation's profiles.";

// Where the program works on a Wine prefix.
const char* const kHelpWine =
    " FILE may be a Windows path (C:\\b.qmk) or a host path\n"
    "(/tmp/b.qmk, reached as Z:\\tmp\\b.qmk).\n"
    "\n"
    "Options:\n"
    "  --prefix DIR   the Wine prefix holding Outlook (default: $WINEPREFIX, else\n"
    "                 ~/.wine)\n"
    "  --user NAME    Wine's user name, the profile folder C:\\users\\NAME (default:\n"
    "                 $USER); one the prefix does not have is refused\n"
    "  --code-page CP the prefix's ANSI code page, e.g. 1251 or 932 (default: the\n"
    "                 one Wine keeps in the prefix for its locale, else 1252)\n"
    "A password file must be readable by its owner alone (chmod 600); a pipe\n"
    "works too: --password-file <(pass show quillmark).\n";

const char* const kHelpEnd =
    "\n"
    "Results go to standard output, messages to standard error; on a terminal a\n"
    "progress line shows how far a backup or restore is. Ctrl+C stops a backup\n"
    "or restore at its next step: nothing is written, an earlier backup file\n"
    "stays as it was (exit status 1). Every backup, restore and unattended run\n"
    "leaves one line in the history of runs, history.log in the user's state\n"
    "folder.\n"
    "\n"
    "Exit status:\n"
    "  0  done: every selected item backed up or restored (or the listing, the\n"
    "     job added or removed)\n"
    "  3  the backup file was written, or the restore ran, but a selected item\n"
    "     failed (named on standard error)\n"
    "  1  nothing written or restored: the reason is on standard error\n"
    "  2  the command line is not one of the forms above\n";

}  // namespace

std::string helpText() {
    if (platform::opensWinePrefix()) return std::string(kHelp) + kHelpWine + kHelpEnd;
    // Windows: the installation is the one the program runs in.
    return base::replaceAll(std::string(kHelp) + "\n" + kHelpEnd, "[--prefix DIR] [--user NAME] ", "");
}

}  // namespace qm::cli
