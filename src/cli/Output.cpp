#include "cli/Output.h"

#include <cstdio>

#include "frontend/RunRecords.h"

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

std::string visible(const std::string& utf8, bool oneLine) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const auto next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0u;
        if (c == '\t' || (c == '\n' && !oneLine)) {
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            out += '^';
            out += c == 0x7F ? '?' : static_cast<char>(c + 0x40);
        } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
            // U+0080..U+009F: terminals take U+009B as ESC [ too.
            out += "M-^";
            out += static_cast<char>(next - 0x80 + 0x40);
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void message(const std::string& utf8) {
    std::fflush(stdout);
    std::fprintf(stderr, "quillmark: %s\n", visible(withLineFeeds(utf8)).c_str());
}

void recordRun(app::Session& session, const jobs::RunRecord& record) {
    std::string why;
    if (!frontend::RecordRun(session, record, why)) message(session.codePage.toUtf8(why));
}

void result(const std::string& utf8) {
    std::fputs(visible(withLineFeeds(utf8)).c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace qm::cli
