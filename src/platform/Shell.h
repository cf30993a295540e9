#pragma once
// What the program hands to the desktop: a folder to show, a web page, the
// help file. Texts are ANSI (paths) or ASCII (addresses).
#include <string>

namespace qm::platform {

class Shell {
public:
    virtual ~Shell() = default;
    // Each answers false when nothing could be started for it.
    virtual bool openFolder(const std::string& folder) = 0;
    virtual bool openWebPage(const std::string& address) = 0;
    // The help viewer "hh.exe" on the help file (a page of it after "::").
    virtual bool openHelp(const std::string& helpFile) = 0;
    // A file of the program's own (the help page) with the program the
    // desktop opens it with.
    virtual bool openDocument(const std::string& file) = 0;
};

}  // namespace qm::platform
