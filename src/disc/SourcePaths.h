#pragma once
// The files the disc window names, as the component reads them.
#include <string>

namespace qm::platform {
class FileSystem;
}

namespace qm::disc {

// A path as the disc window shows it (UTF-8) to the host file it names. A
// host path ("/home/u/Кириллица.pst", what a drop gives) is one already and
// is taken as it is: the installation's code page is for Windows names only
// and would turn what it cannot hold into "?". A Windows path ("C:\Mail\a.pst",
// a backup handed over) goes through the code page and the drives. Empty
// when it cannot be mapped.
std::string DiscSourcePath(const platform::FileSystem& files, const std::string& shownPath);

}  // namespace qm::disc
