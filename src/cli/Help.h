#pragma once
// What --help prints.
namespace qm::cli {

extern const char* const kHelp;

}  // namespace qm::cli
