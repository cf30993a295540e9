#pragma once
// The user's own folder for what the program keeps between runs (its work
// folders, the passwords of its scheduled jobs, the crontab's lock):
// $XDG_STATE_HOME/quillmark, else ~/.local/state/quillmark.
#include <string>

namespace qm::platform::posix {

// Empty when neither variable gives one.
std::string stateFolder();

// Makes the folder and its missing parents, each made with mode 0700 (and,
// for root, given to `owner` when one is named); false with the reason when
// it is not there afterwards, is no folder, or belongs to another user than
// the one running the program and `owner`.
bool makePrivateFolders(const std::string& folder, std::string& why, int owner = -1);

}  // namespace qm::platform::posix
