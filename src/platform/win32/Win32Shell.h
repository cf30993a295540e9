#pragma once
// The Windows shell: folders and pages opened with ShellExecuteA, compiled
// help in "hh.exe" (a help page that is a web page in the browser).
#include "platform/Shell.h"

namespace qm::platform::win32 {

class Win32Shell final : public Shell {
public:
    bool openFolder(const std::string& folder) override;
    bool openWebPage(const std::string& address) override;
    bool openHelp(const std::string& helpFile) override;
    bool openDocument(const std::string& file) override;
};

}  // namespace qm::platform::win32
