#include "cli/PartReport.h"

#include "cli/Output.h"
#include "frontend/Summaries.h"

namespace qm::cli {

void reportFailedParts(const std::array<jobs::PartResult, items::kPartCount>& parts, RunKind kind,
                       const items::ItemAvailability* available) {
    for (const auto& text : frontend::FailedPartTexts(parts, kind == RunKind::Backup, available)) message(text);
}

}  // namespace qm::cli
