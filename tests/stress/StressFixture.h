#pragma once
// Runs under stress: a sample Outlook 2010 installation in a Wine prefix,
// the program run on it as a script runs it, archives as a damaged or
// hostile tool could write them, small disks, and what a run may leave
// behind (its work folders, new files beside its targets).
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "runs/RunsFixture.h"

namespace qm::test {

struct Ran {
    int status = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

class StressTest : public RunsTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the program on alice's installation without a terminal;
    // `before` goes in front of the command (a limit, another user).
    Ran run(const std::string& arguments, const std::string& before = "");
    // A backup of alice's profile into out/<name> by the program itself.
    std::string backup(const std::string& name, const std::string& items = "11111111");
    // Both registry files of the prefix, byte for byte.
    std::string registryFiles() const;
    // What is left under the work root: run folders and their files.
    std::vector<std::string> workLeftovers() const;
    // Mounts a tmpfs of `bytes` at `folder` (made) for the test; false where
    // the sandbox does not allow mounting.
    bool mountSmallDisk(const std::string& folder, std::uint64_t bytes);

    Installation* alice = nullptr;
    std::string out;  // a folder for the test's archives

private:
    std::vector<std::string> mounts_;
};

// New files left beside targets in a folder (".qmpart-" in their names).
std::vector<std::string> partFiles(const std::string& folder);

// An entry of an archive written by hand: its name and bytes, or `zeros`
// bytes of 0 produced as they are stored (an inflation bomb).
struct ZipInput {
    std::string name;
    std::string bytes;
    std::uint64_t zeros = 0;
};
// Writes the archive with libzip (AES-256 when a password is given);
// false when it cannot.
bool writeZip(const std::string& path, const std::vector<ZipInput>& entries, const std::string& password = "");
// A valid information file: the header lines, `extra` lines, then
// "BackupItem" with `items`.
std::string infoFile(const std::string& items, const std::vector<std::pair<std::string, std::string>>& extra = {});

// `size` bytes that do not compress, the same for the same seed.
std::string randomBytes(std::size_t size, unsigned seed);

// True in a build with AddressSanitizer (which cannot run under an
// address-space limit).
bool underAddressSanitizer();

}  // namespace qm::test
