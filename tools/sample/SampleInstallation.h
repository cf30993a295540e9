#pragma once
// A sample Outlook installation: the user's folders with Outlook's files,
// and the registry holding the MAPI profiles, the accounts, the options and
// the version registrations. Made inside a new Wine prefix without Wine (its
// drive links, user.reg and system.reg in Wine's own format), for trying the
// program out, or into any installation's services (one held in memory, for
// fast tests).
#include <cstddef>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace qm::sample {

struct SampleOptions {
    std::string prefix;            // host folder of the new prefix
    std::string user = "alice";    // Wine's user name: C:\users\<user>
    // "11.0", "12.0", "14.0", "15.0" (2013) or "16.0" (2016 to Microsoft
    // 365). 15.0 and 16.0 keep their profiles under Office\<version>\Outlook
    // and need the layout of Windows 7 or later (`windows` "6.1", or stock).
    std::string outlook = "14.0";
    // For 16.0, the product Click-to-Run installed: "2016", "2019", "2021",
    // "2024" or "365" (its ProductReleaseIds say which).
    std::string release = "365";
    // For 15.0 and 16.0 in a stock (64-bit) prefix: a "32"-bit Office (its
    // machine-wide keys under Wow6432Node) or a "64"-bit one.
    std::string officeBits = "32";
    // 16.0: the new Outlook switched on (Preferences "UseNewOutlook" = 1).
    bool newOutlook = false;
    // "6.1" (Windows 7: AppData folders, with the compatibility links of
    // Windows) or "5.1" (Windows XP: Application Data folders).
    std::string windows = "6.1";
    std::string profile = "Outlook";
    std::string secondProfile;  // empty: one profile only
    // The prefix's ANSI code page (its "ACP"); the names above are in it.
    std::string codePage = "1252";
    // Laid out as Wine's wineboot makes a prefix: Windows 10 in a 64-bit
    // prefix, the user's AppData folders without Windows' compatibility
    // folders, no drive D:, and Outlook registered by its 32-bit installer
    // (its machine-wide keys under Wow6432Node). `windows` is not used.
    bool stock = false;
    // Replace a sample made before in the same folder. Any other folder
    // that is not empty is never removed.
    bool force = false;
};

// What a profile of the sample holds (Windows paths, textual key paths).
struct SampleProfile {
    std::string name;
    std::string key;                         // ...\Profiles\<name>
    std::vector<std::string> dataFiles;      // data files the sections name, in section order
    std::vector<std::string> storeSections;  // the sections naming them (same order)
    std::string outlookSection;              // key of the Outlook section
    std::vector<std::string> addressBooks;   // address-book files (11.0), single backslashes
    // Offline caches of server mailboxes the sections name (15.0, 16.0), and
    // those sections.
    std::vector<std::string> cacheFiles;
    std::vector<std::string> cacheSections;
    std::string accountsKey;                 // its account section (12.0 and later)
    std::string rulesFile;                   // <roaming Outlook folder>\<name>.RWZ
    std::string favoritesFile;               // <roaming Outlook folder>\<name>.FAV
};

struct SampleInstallation {
    std::string prefix;             // host folder
    std::string userProfileFolder;  // C:\users\<user>
    std::string outlookFolder;      // roaming: rules, preferences
    std::string localOutlookFolder; // where the data files are
    std::string signaturesFolder;
    std::string stationeryFolder;   // the folder the program reads for this version
    std::string sharedStationeryFolder;  // Office's, read besides it (15.0, 16.0)
    std::string templatesFolder;
    std::vector<SampleProfile> profiles;
    // Files directly in the folders above (what a backup of them saves).
    std::vector<std::string> signatureFiles;
    std::vector<std::string> stationeryFiles;  // the user's and then Office's
    // The files of the signatures' folders, "<folder>/<file>".
    std::vector<std::string> signatureFolderFiles;
    std::vector<std::string> templateFiles;
    std::vector<std::string> preferenceFiles;
};

// Makes the prefix (not in the Windows build). False with `error` when the
// folder is in the way or a part cannot be written.
bool buildSampleInstallation(const SampleOptions& options, std::string& error);
bool buildSampleInstallation(const SampleOptions& options, SampleInstallation& made, std::string& error);
// Into an installation already open (its drives C: and D: and the user's
// profile folder must exist, its code page the sample's); `options.prefix`
// is not used.
bool buildSample(const SampleOptions& options, platform::Platform& platform, SampleInstallation& made,
                 std::string& error);

// False with `error` for options no sample can be made with.
bool checkSampleOptions(const SampleOptions& options, std::string& error);

// The host path of a Windows path inside a prefix made here (drives C: and
// D:, \\server\share under dosdevices/unc); empty for other paths. Names
// are in the code page (Windows-1252 when none is given).
std::string sampleHostPath(const std::string& prefix, const std::string& windowsPath);
std::string sampleHostPath(const std::string& prefix, const std::string& windowsPath,
                           const platform::CodePage& codePage);

// Pieces of the profile values, for tests that add sections of their own.
// Byte strings; text arguments are ANSI (Windows-1252 when no code page is
// given).
std::string ansiZ(const std::string& text);   // the text and one zero byte
std::string utf16Z(const std::string& text);  // UTF-16LE and a zero unit
std::string utf16Z(const std::string& text, const platform::CodePage& codePage);
// The entry identifier of a personal-folder store ("01020fff"): the store
// wrapper, the provider's DLL name, then the path as UTF-16 or as ANSI text
// with its terminator.
std::string pstStoreEntryId(const std::string& path, bool unicode);
std::string pstStoreEntryId(const std::string& path, bool unicode, const platform::CodePage& codePage);
// A server mailbox store: no file path in it.
std::string serverStoreEntryId(const std::string& server, const std::string& mailboxDn);
// File contents with the header of a personal-folder file ("!BDN", then
// "SM" for data files, "AB" for address books, at offset 8). From 528 bytes
// on, the header is that of a file closed cleanly, with valid checksums.
std::string pstFileBytes(std::size_t size, unsigned seed, bool unicode, const std::string& clientMagic = "SM");

}  // namespace qm::sample
