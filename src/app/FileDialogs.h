#pragma once
// The file dialogs of a window. Paths are UTF-8; empty when cancelled.
#include <string>
#include <vector>

namespace qm::app {

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The open dialog (filter "Name (*.x)|*.x").
    virtual std::string chooseFileToOpen(const std::string& title, const std::string& filter) = 0;
    // The save dialog, asking before it overwrites a file; `proposedName`
    // is the file name it starts with.
    virtual std::string chooseFileToSave(const std::string& title, const std::string& filter,
                                         const std::string& proposedName) = 0;
    // A folder, the dialog starting in `start` (a host path).
    virtual std::string chooseFolder(const std::string& title, const std::string& start) = 0;
    // One of `choices`, `current` chosen at first; empty when cancelled.
    virtual std::string chooseFromList(const std::string& title, const std::string& label,
                                       const std::vector<std::string>& choices, const std::string& current) = 0;
};

}  // namespace qm::app
