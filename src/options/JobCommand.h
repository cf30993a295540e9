#pragma once
// The command line a scheduled job starts the program with. The unattended
// run reads it back by position, splitting at "=".
#include <array>
#include <string>

#include "options/OptionsTexts.h"

namespace qm::options {

// backupitem, by index.
using ItemChecks = std::array<bool, kItemCount>;

// One "1" or "0" per item in index order: "10100000".
std::string ItemDigits(const ItemChecks& checked);

// "\"<program folder>\\quillmark.exe\" sf=<profile>xm=<digits>ps=<password>bf=<target>",
// with one "\" before quillmark.exe also when the folder is a drive root.
std::string JobCommandLine(const std::string& programFolder, const std::string& profile,
                           const std::string& itemDigits, const std::string& password,
                           const std::string& targetFile);

}  // namespace qm::options
