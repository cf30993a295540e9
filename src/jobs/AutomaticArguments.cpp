#include "jobs/AutomaticArguments.h"

#include <vector>

namespace qm::jobs {

std::string ArgumentText(const AutomaticSettings& settings) {
    return "sf=" + settings.profile + "xm=" + settings.selection + "ps=" + settings.password +
           "bf=" + settings.archivePath;
}

bool ParseCommandLine(const std::string& text, AutomaticSettings& settings, std::string& why) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t pos = text.find('='); pos != std::string::npos; pos = text.find('=', start)) {
        pieces.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
    pieces.push_back(text.substr(start));
    if (pieces.size() < 5) {
        why = kCommandLineIncomplete;
        return false;
    }
    if (pieces.size() > 5) {
        why = kCommandLineHasEquals;
        return false;
    }
    // Every piece but the first and the last ends with the next key's name.
    // A piece shorter than that name has no value left.
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i)
        pieces[i] = pieces[i].size() >= 2 ? pieces[i].substr(0, pieces[i].size() - 2) : std::string();

    AutomaticSettings read{pieces[1], pieces[2], pieces[3], pieces[4]};
    if (read.profile.empty() || read.selection.empty() || read.archivePath.empty()) {
        why = kCommandLineEmptyValue;
        return false;
    }
    settings = read;
    return true;
}

}  // namespace qm::jobs
