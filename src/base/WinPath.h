#pragma once
// Windows paths as text: "C:\a\b", "\\server\share\a". The core speaks
// these; the file layer maps them to the host. Paths are ANSI text: the
// lead bytes of the installation's code page keep a trail byte that equals
// "\" from being taken for a separator.
#include <string>

#include "base/LeadBytes.h"

namespace qm::base {

// folder "\" name, with exactly one separator even when the folder is a
// drive root ("C:\"); the name alone when the folder is empty.
std::string joinPath(const std::string& folder, const std::string& name, const LeadBytes& leads);
// The text after the last "\" or "/" (the whole text when it has none).
std::string bareName(const std::string& path, const LeadBytes& leads);
// The text before the last "\" ("C:\" for "C:\x"); empty when there is none.
std::string parentFolder(const std::string& path, const LeadBytes& leads);
// A drive path ("C:\...") or a network path ("\\server\share...").
bool absolutePath(const std::string& path);
// The length of the root that is taken as given: "C:\" (3) or
// "\\server\share\" (up to the separator after the share); 0 when neither.
std::size_t rootLength(const std::string& path, const LeadBytes& leads);
// A name that, joined to a folder, stays in that folder: no "\" or "/", no
// drive (":"), and not made of dots and blanks alone (Windows drops trailing
// dots and blanks, so ".. " is ".."). Empty names pass: no entry has that
// name, so they fail on their own.
bool staysInFolder(const std::string& name, const LeadBytes& leads);
// A name Windows keeps for a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9),
// with any extension: no file or folder can have it.
bool deviceName(const std::string& name);
// Doubled separators as single ones, keeping the two that open a network
// path.
std::string singleSeparators(const std::string& path, const LeadBytes& leads);

}  // namespace qm::base
