#pragma once
// Where the console writes: results (listings, facts, reports, summaries)
// on standard output, messages on standard error, both UTF-8 with plain
// line feeds and every other control character made visible.
#include <string>

#include "app/Session.h"
#include "jobs/RunHistory.h"

namespace qm::cli {

// One message, "quillmark: " before it.
void message(const std::string& utf8);
// A result; every CR LF becomes a line feed, and one ends it.
void result(const std::string& utf8);
// Appends a run's record to the user's history; one that cannot be written
// is said, and changes nothing else.
void recordRun(app::Session& session, const jobs::RunRecord& record);
// CR LF (and a lone CR) as line feeds.
std::string withLineFeeds(const std::string& text);
// Control characters as `cat -v` shows them ("^[" for ESC, "^?" for DEL,
// "M-^[" for U+009B), so that text from a backup file or an installation
// cannot drive the terminal; tabs stay, and line feeds unless `oneLine`.
std::string visible(const std::string& utf8, bool oneLine = false);

}  // namespace qm::cli
