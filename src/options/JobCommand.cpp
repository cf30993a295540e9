#include "options/JobCommand.h"

namespace qm::options {

std::string ItemDigits(const ItemChecks& checked) {
    std::string digits;
    for (bool on : checked) digits += on ? '1' : '0';
    return digits;
}

std::string JobCommandLine(const std::string& programFolder, const std::string& profile,
                           const std::string& itemDigits, const std::string& password,
                           const std::string& targetFile) {
    std::string folder = programFolder;
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return "\"" + folder + "\\quillmark.exe\" sf=" + profile + "xm=" + itemDigits + "ps=" + password +
           "bf=" + targetFile;
}

}  // namespace qm::options
