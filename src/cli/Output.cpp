#include "cli/Output.h"

#include <cstdio>

namespace qm::cli {

std::string withLineFeeds(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
        } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
            out += '\n';
        }
    }
    return out;
}

void message(const std::string& utf8) {
    std::fflush(stdout);
    std::fprintf(stderr, "quillmark: %s\n", withLineFeeds(utf8).c_str());
}

void result(const std::string& utf8) {
    std::fputs(withLineFeeds(utf8).c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace qm::cli
