#pragma once
// The ten parts of a backup, described once: the information-file key, the
// item boxes that select a part, the box its recorded files enable on the
// restore side, the texts and progress steps of both runs, and the backup
// and restore operation. The order is the run order and the order of the
// "BackupItem" positions 1..10.
#include <array>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>

#include "items/ItemTable.h"

namespace qm::items {

class Items;

enum class Part { Config, Datas, Rules, Accounts, Signatures, Stationery, Pab, Configsetting, Templates, Setting };

inline constexpr std::size_t kPartCount = 10;

// The values an opened backup recorded for its parts, by "BackupItem"
// position 1..10 at index 0..9 (empty for a part it does not hold).
using RecordedValues = std::array<std::string, kPartCount>;
// The value of any key of the opened backup's information file, as the
// file is read (first line, letter case ignored); "" when absent. The parts
// record more than their own key where older versions of the program must
// pass it over (a signature's pictures, the option trees of 2013 and later).
using RecordedLookup = std::function<std::string(const std::string& key)>;

struct PartInfo {
    Part part;
    const char* infoKey;  // "BackupConfig"
    const char* name;     // what a console line calls it: "profile configuration"
    // The items whose selection runs the part.
    std::array<bool, kItemCount> selectedBy;
    // The restore box a recorded part enables; -1 for none.
    int restoreBox;
    const char* status;  // status line while it runs (both runs)

    // Backup run: report label (nullptr: no line) and what follows it, and
    // the progress added after the row, more when it ran.
    const char* backupLabel;
    const char* backupSeparator;
    int backupStep;
    int backupStepWhenRan;
    // Restore run: summary label (nullptr: no line), its tabs, and the
    // progress added after the step, one amount after the other.
    const char* restoreLabel;
    const char* restoreTabs;
    std::array<int, 2> restoreAdvances;  // -1: none

    bool (*backup)(Items& items, const std::string& profile);
    bool (*restore)(Items& items, const std::string& profile);
};

const std::array<PartInfo, kPartCount>& parts();
const PartInfo& partInfo(Part part);
// Position 1..10 of the part in "BackupItem".
std::size_t positionOf(Part part);

bool runs(const PartInfo& part, const ItemSelection& selection);
// The items a backup holds, by its "BackupItem" value: the restore box of
// each part recorded as "1" (the configuration and the rules have none).
ItemSelection restorableItems(const std::string& flags);

}  // namespace qm::items
