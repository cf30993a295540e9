#pragma once
// The messages libburn and libisofs queue (severity SORRY and above): read
// after an operation so that its failure can be told in words.
#include <string>
#include <vector>

namespace qm::disc::linuxburn {

struct LibraryMessage {
    int code = 0;
    std::string text;
    std::string severity;
};

// Queue from SORRY on, print nothing; once, before other calls.
void QueueLibraryMessages();
std::vector<LibraryMessage> TakeBurnMessages();
std::vector<LibraryMessage> TakeIsoMessages();
// "text; text" of the messages, most severe kinds first as queued.
std::string MessageText(const std::vector<LibraryMessage>& messages);

}  // namespace qm::disc::linuxburn
