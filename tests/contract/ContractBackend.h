#pragma once
// The registry and files one build of the program works on, opened for the
// contract tests that every backend must pass alike: on Linux a Wine prefix
// made in a temporary folder (the Wine-file backend), on Windows the Windows
// the tests run in (the Win32 backend), whose registry they share with
// everything else there.
#include <string>

#include "platform/Platform.h"
#include "support/TempDir.h"

namespace qm::test {

struct ContractBackend {
    platform::Platform platform;
    // Windows path of an empty folder for the test's files.
    std::string work;
    // The key under HKEY_CURRENT_USER below which the test keeps its keys
    // ("" where the whole registry is the test's own).
    std::string baseKey;
};

// Opens a backend for one test; `dir` is the test's temporary folder.
bool openContractBackend(const TempDir& dir, ContractBackend& out, std::string& error);
// Removes what the test left in a shared registry.
void closeContractBackend(ContractBackend& backend);

}  // namespace qm::test
