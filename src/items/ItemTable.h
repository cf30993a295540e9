#pragma once
// The eight items a user chooses, described once for every window, the
// console and the scheduled job: their captions and tips, their digit form
// ("10100000", one digit per item), and which of them a profile has data
// for.
#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "app/Session.h"

namespace qm::items {

inline constexpr std::size_t kItemCount = 8;

// Which of the eight items (index 0..7) a run takes.
using ItemSelection = std::array<bool, kItemCount>;

// The check boxes' captions and tool tips, by item index.
inline constexpr std::array<const char*, kItemCount> kItemCaptions = {
    "Personal Folders (Contacts, Tasks, Calendar, Notes and mail folders)",
    "Accounts Settings",
    "Signatures",
    "Stationeries",
    "Personal Address Book",
    "Options Settings",
    "Templates",
    "Preferences (Customizable settings)",
};
inline constexpr std::array<const char*, kItemCount> kItemTooltips = {
    "Contacts, Tasks, Calendar, Notes and mail folders",
    "All Accounts Settings.",
    "User defined signatures.",
    "Outlook stationery.",
    "Outlook Personal Address Book.",
    "General settings and interface options.",
    "User templates.",
    "View and Toolbar settings, Send and Receive group settings, control infomation and other data.",
};
inline constexpr std::size_t kAddressBookItem = 4;
// All eight, where a list names a selection.
inline constexpr const char* kEveryItem = "Every item";
// The main window's tip on the address book of Outlook 2007 and later.
inline const char* const kNoPabTooltip = "Your MS Outlook don't support Personal Address Book!";

bool anySelected(const ItemSelection& selection);

// The digit form: position i is "1" when item i is selected.
std::string digitsOf(const ItemSelection& selection);
// Exactly eight digits, each "0" or "1"; nothing for another text.
std::optional<ItemSelection> selectionOfDigits(const std::string& digits);
// As the unattended argument text reads them: position i selects item i
// when it is "1"; other characters and missing positions leave it out,
// positions after the eighth are ignored.
ItemSelection selectionFromDigits(const std::string& digits);

// The captions of the selected items without their bracketed explanations
// (two begin with "Personal"), joined by ", "; all eight as kEveryItem.
std::string itemNames(const ItemSelection& selection);

// Which items have something to back up for a profile.
struct ItemAvailability {
    std::array<bool, kItemCount> enabled{};
    // Set for Outlook 2007 and later, which keep no personal address book.
    bool noAddressBook = false;
};
// Computes the folders and keys of the profile into the session's state
// (the shared locations the item operations read) and answers what they
// hold.
ItemAvailability availableItems(app::Session& session, const std::string& profile);

}  // namespace qm::items
