#pragma once
// The stores a profile's sections name: personal-folder data files, and
// the offline caches of server mailboxes, which are no data of the user's
// own (Outlook rebuilds them from the server) and are never backed up or
// re-pointed.
#include <string>

#include "app/Session.h"

namespace qm::items::detail {

// The data file a section's store names, or "Error": its entry identifier
// ("01020fff") read as UTF-16, then as ANSI; else, as Outlook 2013 and
// later keep it, the UTF-16 path value "001f6700" when that is a full path.
// `failure` tells why the ANSI reading could not be made at all.
std::string dataFilePath(const app::Session& s, const std::string& sectionKey, std::string* failure = nullptr);

// The offline cache a section names ("001f6610" or "001e6610", or a store
// path ending in ".ost"); "" when it names none.
std::string cacheFileOf(const app::Session& s, const std::string& sectionKey);

// Points every account's delivery store ("Delivery Store EntryID" in the
// account section of a profile, 2007 and later) at the file of that name
// the profile's sections name now (a data file, or an IMAP account's
// cache). False when a rewrite was refused.
bool repointDeliveryStores(const app::Session& s, const std::string& profileKey);

inline const char* const kAccountsSection = "9375CFF0413111d3B88A00104B2A6676";

}  // namespace qm::items::detail
