#include "cli/PartReport.h"

#include "cli/Output.h"

namespace qm::cli {
namespace {

std::string reasonFor(const items::PartInfo& part, const jobs::PartResult& result,
                      const items::ItemAvailability* available) {
    if (!result.reason.empty()) return result.reason;
    if (!available || part.restoreBox < 0) return {};
    const std::size_t item = static_cast<std::size_t>(part.restoreBox);
    if (available->enabled[item]) return {};
    if (part.part == items::Part::Pab && available->noAddressBook) return items::kNoPabTooltip;
    return "this installation holds nothing of it";
}

}  // namespace

void reportFailedParts(const std::array<jobs::PartResult, items::kPartCount>& parts, RunKind kind,
                       const items::ItemAvailability* available) {
    for (const auto& part : items::parts()) {
        const jobs::PartResult& r = parts[items::positionOf(part.part) - 1];
        if (!r.ran || r.ok) continue;
        const std::string reason = reasonFor(part, r, available);
        message(std::string("failed: the ") + part.name + " could not be " +
                (kind == RunKind::Backup ? "backed up" : "restored") + (reason.empty() ? "" : ": " + reason));
    }
}

}  // namespace qm::cli
