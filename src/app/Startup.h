#pragma once
// Start-up of the main window, the unattended-mode command line, the
// window's own small commands and the quit.
#include <functional>
#include <optional>
#include <string>

#include "app/MainView.h"
#include "app/Session.h"

namespace qm::app {

// "Quillmark V<version>", the version being the build's.
extern const char* const kMainCaption;
inline const char* const kAppTitle = "Quillmark";
inline const char* const kBackupNow = "Backup Now";
inline const char* const kRestoreNow = "Restore Now";

// The four settings of an automatic backup, in command-line order.
struct AutomaticSettings {
    std::string profile;    // sf
    std::string selection;  // xm: one digit per item, "1" = selected
    std::string password;   // ps: may be empty
    std::string archivePath;  // bf
};

// sf=<profile>xm=<digits>ps=<password>bf=<file>, read by position: the text
// is split at every "=", and the two characters before each "=" (the next
// key's name) are dropped. Nothing when it does not split into exactly five
// pieces or the profile, selection or path comes out empty; `why` (when
// given) then says which. More than five pieces means a value holds "=",
// which would shift the values after it: the wrong profile backed up into
// the wrong file, without the password.
std::optional<AutomaticSettings> ParseCommandLine(const std::string& text, std::string* why = nullptr);
inline const char* const kCommandLineIncomplete =
    "the command line does not give sf=<profile>xm=<items>ps=<password>bf=<backup file>";
inline const char* const kCommandLineHasEquals =
    "the command line splits at \"=\" into more than the five pieces of "
    "sf=<profile>xm=<items>ps=<password>bf=<backup file>: no value (profile, items, password or backup file) "
    "may contain \"=\"";
inline const char* const kCommandLineEmptyValue = "the command line names no profile, no items or no backup file";
// The process's arguments without the program path, joined by single blanks.
std::string CommandLineFromArgs(int argc, const char* const* argv);

// The start procedure: keeps the argument text (empty: interactive mode).
void StoreCommandLine(Session& session, const std::string& commandLine);

// What start-up learns of the installation, without a window: the names,
// the Windows version, the profiles, and (when there is one) the Outlook
// version, the user's profile folder and the locations of the first
// profile. False when no usable Outlook profile was found.
bool LoadEnvironment(Session& session);

// The main window's load: LoadEnvironment shown on the window. False when
// no usable Outlook profile was found (the message has been shown and the
// action button disabled).
bool InitializeMainWindow(Session& session, MainView& view);

// Activation: in unattended mode hides the window, runs `automaticRun` with
// the parsed settings (not at all when they do not parse) and quits. Acts
// once per process however often the window becomes active again; answers
// whether it acted.
bool MainWindowActivated(Session& session, MainView& view,
                         const std::function<void(const AutomaticSettings&)>& automaticRun);

// The action button's caption for a tab, and the tab change handler.
std::string ApplyCaptionFor(Tab tab);
void TabChanged(MainView& view);

// ifprotect: both password boxes enabled (checked) or disabled, emptied.
void ProtectClicked(MainView& view);
// cmdTargetFile: the save dialog; the chosen path (or nothing, when
// cancelled) becomes the target of the next backup.
void ChooseTargetFile(Session& session, MainView& view);
// "qmdata" and the date as MM-DD-YY.
std::string DefaultTargetName(const platform::LocalDate& today);
inline const char* const kSaveTitle = "Save Outlook Data as";
inline const char* const kQmkFilter = "Quillmark File (*.qmk)|*.qmk";

// The pop-up menu of an item frame.
enum class ItemArray { Backup, Restore };
// Enabled boxes become checked, disabled ones clear.
void SelectAllItems(MainView& view, ItemArray items);
// Every box becomes clear, enabled or not.
void DeselectAllItems(MainView& view, ItemArray items);

// Unloads the windows and ends the event loop.
void Quit(MainView& view);

}  // namespace qm::app
