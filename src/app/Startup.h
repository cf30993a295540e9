#pragma once
// Start-up of the main window, the unattended-mode command line, the
// window's own small commands and the quit.
#include <functional>
#include <optional>
#include <string>

#include "app/MainView.h"
#include "app/Session.h"

namespace qm::app {

inline const char* const kMainCaption = "Quillmark V2.70";
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
// key's name) are dropped. Nothing when it splits into fewer than five
// pieces or the profile, selection or path comes out empty.
std::optional<AutomaticSettings> ParseCommandLine(const std::string& text);
// The process's arguments without the program path, joined by single blanks.
std::string CommandLineFromArgs(int argc, const char* const* argv);

// The start procedure: keeps the argument text (empty: interactive mode).
void StoreCommandLine(Session& session, const std::string& commandLine);

// The main window's load. False when no usable Outlook profile was found
// (the message has been shown and the action button disabled).
bool InitializeMainWindow(Session& session);

// Activation: in unattended mode hides the window, runs `automaticRun` with
// the parsed settings (not at all when they do not parse) and quits. Acts
// once per process however often the window becomes active again; answers
// whether it acted.
bool MainWindowActivated(Session& session, const std::function<void(const AutomaticSettings&)>& automaticRun);

// The action button's caption for a tab, and the tab change handler.
std::string ApplyCaptionFor(Tab tab);
void TabChanged(Session& session);

// The pop-up menu of an item frame.
enum class ItemArray { Backup, Restore };
// Enabled boxes become checked, disabled ones clear.
void SelectAllItems(MainView& view, ItemArray items);
// Every box becomes clear, enabled or not.
void DeselectAllItems(MainView& view, ItemArray items);

// Unloads the windows and ends the event loop.
void Quit(Session& session);

}  // namespace qm::app
