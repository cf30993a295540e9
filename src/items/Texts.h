#pragma once
// What the item operations tell the user beside their result.
namespace qm::items::text {

// After "<name>.ost": an offline store is not backed up.
inline const char* const kServerCache = ": a server mailbox's cache, Outlook rebuilds it";

// Account settings' passwords are sealed for one Windows user on one
// machine: "The passwords of <accounts> may need to be typed again: ...".
inline const char* const kPasswordsBefore = "The passwords of ";
inline const char* const kAccountsPasswords = "The account passwords";
inline const char* const kPasswordsAfter =
    " may need to be typed again: the backup comes from another Windows user or machine (";
inline const char* const kPasswordsEnd =
    "), and saved passwords open only for the user on the machine that saved them.";

// Accounts of Outlook 2003 and before kept by the Internet Account Manager,
// not in the profile: "the accounts of Outlook 2003 are kept in a form
// Outlook 2016 does not read; set them up again in Outlook".
inline const char* const kOldAccountsBefore = "the accounts of ";
inline const char* const kOldAccountsMiddle = " are kept in a form ";
inline const char* const kOldAccountsAfter = " does not read; set them up again in Outlook";

// A personal address book restored where nothing opens it: the file
// arrives, and the user is told it is not in use. "<name>.pab" + text +
// folder.
inline const char* const kAddressBookNotKept =
    ": this Outlook keeps no personal address book (2007 and later), so nothing opens the file restored to ";
inline const char* const kAddressBookNotNamed =
    ": no address book of the profile names it, so Outlook does not open the file restored to ";

}  // namespace qm::items::text
