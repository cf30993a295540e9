#include "disc/linux/LibraryMessages.h"

#include "disc/linux/Libraries.h"

namespace qm::disc::linuxburn {

namespace {

char kSorry[] = "SORRY";
char kNever[] = "NEVER";
char kAll[] = "ALL";
char kPrefix[] = "quillmark: ";

}  // namespace

void QueueLibraryMessages() {
    burn::burn_msgs_set_severities(kSorry, kNever, kPrefix);
    iso_set_msgs_severities(kSorry, kNever, kPrefix);
}

std::vector<LibraryMessage> TakeBurnMessages() {
    std::vector<LibraryMessage> out;
    int code = 0, osErrno = 0;
    char text[BURN_MSGS_MESSAGE_LEN];
    char severity[80];
    while (burn::burn_msgs_obtain(kAll, &code, text, &osErrno, severity) == 1) out.push_back({code, text, severity});
    return out;
}

std::vector<LibraryMessage> TakeIsoMessages() {
    std::vector<LibraryMessage> out;
    int code = 0, imageId = 0;
    char text[4096];
    char severity[80];
    while (iso_obtain_msgs(kAll, &code, &imageId, text, severity) == 1) out.push_back({code, text, severity});
    return out;
}

std::string MessageText(const std::vector<LibraryMessage>& messages) {
    std::string out;
    for (const auto& m : messages) {
        if (!out.empty()) out += "; ";
        out += m.text;
    }
    return out;
}

}  // namespace qm::disc::linuxburn
