#pragma once
// The file dialogs of a window. Paths are UTF-8; empty when cancelled.
#include <string>

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
};

}  // namespace qm::app
