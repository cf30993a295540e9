#pragma once
// What the program hands to the desktop: a folder to show, a web page, the
// help file. Texts are ANSI (paths) or ASCII (addresses) on Windows, UTF-8
// host paths on Linux.
#include <memory>
#include <string>

namespace qm::platform {

class Shell {
public:
    virtual ~Shell() = default;
    // Each answers false when nothing could be started for it.
    virtual bool openFolder(const std::string& folder) = 0;
    virtual bool openWebPage(const std::string& address) = 0;
    // The help viewer "hh.exe" on the help file (a page of it after "::");
    // on Linux a web browser on the help page.
    virtual bool openHelp(const std::string& helpFile) = 0;
    // A file of the program's own (the help page) with the program the
    // desktop opens it with.
    virtual bool openDocument(const std::string& file) = 0;
};

// The desktop's shell of this build: Windows' own, or on Linux the
// desktop's handlers (xdg-open) and the web browsers it knows.
std::unique_ptr<Shell> openShell();

}  // namespace qm::platform
