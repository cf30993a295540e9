#pragma once
// The host side of a Wine prefix: where it lies and where its drive letters
// lead (the symbolic links in <prefix>/dosdevices).
#include <string>
#include <vector>

namespace qm::platform::wine {

class WinePrefix {
public:
    explicit WinePrefix(std::string hostPath);

    // The prefix folder chosen by an option: the option itself, else
    // $WINEPREFIX, else ~/.wine. Empty when none can be formed.
    static std::string locate(const std::string& option);
    // True when the folder looks like a prefix (dosdevices and user.reg);
    // otherwise `why` says what is missing.
    static bool isPrefix(const std::string& hostPath, std::string& why);
    // False, with Wine's own reason, when the folder belongs to another user
    // than the one running the program: Wine refuses to run in it, and
    // working in it would follow whatever that user placed there.
    static bool ownedByUser(const std::string& hostPath, std::string& why);

    const std::string& path() const { return path_; }
    std::string dosdevices() const { return path_ + "/dosdevices"; }
    // The host folder a drive letter leads to, lexically normalised
    // ("c" -> "<prefix>/drive_c"); empty when the letter is not mapped.
    std::string driveTarget(char letter) const;
    // The host folder under which \\server\share paths lie.
    std::string uncRoot() const { return path_ + "/dosdevices/unc"; }

    struct Drive {
        char letter;         // upper case
        std::string target;  // as driveTarget
    };
    std::vector<Drive> drives() const;

private:
    std::string path_;
};

// Host path helpers shared by the Wine services.
std::string normalHostPath(const std::string& path);  // lexical, no trailing '/'
std::string absoluteHostPath(const std::string& path);  // against the current folder
std::string homeFolder();
// $USER, else the name of the user running the program.
std::string hostUserName();
// The running program's own absolute path; empty when it cannot be told.
std::string executablePath();

}  // namespace qm::platform::wine
