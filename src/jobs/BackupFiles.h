#pragma once
// The files a backup makes in its work folder: the information file and
// the temporary registry exports.
#include <string>

#include "app/Session.h"

namespace qm::jobs::detail {

// The six header keys, each line its own step. With `stopAtFailure` the
// first line that cannot be written ends the header (false); otherwise a
// failing line is passed over and the answer says whether all were written.
bool writeHeader(app::Session& session, const std::string& profile, const std::string& description,
                 bool stopAtFailure);
// The information file and the temporary exports of a backup.
void removeBackupFiles(app::Session& session);

}  // namespace qm::jobs::detail
