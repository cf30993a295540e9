#pragma once
// What --help prints: the forms and options of this build.
#include <string>

namespace qm::cli {

std::string helpText();

}  // namespace qm::cli
