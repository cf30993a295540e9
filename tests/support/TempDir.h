#pragma once
// A fresh host folder per test, removed afterwards.
#include <string>

#include "platform/CodePage.h"

namespace qm::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Runs a shell command and returns its exit status.
int shell(const std::string& command);
// The file's bytes ("" when missing).
std::string readHostFile(const std::string& path);
void writeHostFile(const std::string& path, const std::string& bytes);

// Windows-1252, for services opened directly by a test.
const platform::CodePage& testCodePage();

}  // namespace qm::test
