#include "cli/PartReport.h"

#include "cli/Output.h"

namespace qm::cli {
namespace {

// What a console line calls each part, in "BackupItem" order.
const char* const kPartNames[items::kPartCount] = {
    "profile configuration", "personal folders (data files)", "rules", "accounts settings", "signatures",
    "stationeries", "personal address book", "options settings", "templates", "preferences"};

std::string reasonFor(const items::PartInfo& part, const jobs::PartResult& result,
                      const app::ItemAvailability* available) {
    if (!result.reason.empty()) return result.reason;
    if (!available || part.restoreBox < 0) return {};
    const std::size_t item = static_cast<std::size_t>(part.restoreBox);
    if (available->enabled[item]) return {};
    if (part.part == items::Part::Pab && available->noAddressBook) return app::kNoPabTooltip;
    return "this installation holds nothing of it";
}

}  // namespace

void reportFailedParts(const std::array<jobs::PartResult, items::kPartCount>& parts, RunKind kind,
                       const app::ItemAvailability* available) {
    for (const auto& part : items::parts()) {
        const std::size_t i = items::positionOf(part.part) - 1;
        const jobs::PartResult& r = parts[i];
        if (!r.ran || r.ok) continue;
        const std::string reason = reasonFor(part, r, available);
        message(std::string("failed: the ") + kPartNames[i] + " could not be " +
                (kind == RunKind::Backup ? "backed up" : "restored") + (reason.empty() ? "" : ": " + reason));
    }
}

}  // namespace qm::cli
