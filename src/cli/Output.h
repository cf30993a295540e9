#pragma once
// Where the console writes: results (listings, facts, reports, summaries)
// on standard output, messages on standard error, both UTF-8 with plain
// line feeds and every other control character made visible.
#include <string>

namespace qm::cli {

// One message, "quillmark: " before it.
void message(const std::string& utf8);
// A result; every CR LF becomes a line feed, and one ends it.
void result(const std::string& utf8);
// CR LF (and a lone CR) as line feeds.
std::string withLineFeeds(const std::string& text);
// Control characters as `cat -v` shows them ("^[" for ESC, "^?" for DEL,
// "M-^[" for U+009B), so that text from a backup file or an installation
// cannot drive the terminal; tabs stay, and line feeds unless `oneLine`.
std::string visible(const std::string& utf8, bool oneLine = false);

}  // namespace qm::cli
