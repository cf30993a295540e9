// The reader of Wine's registry files (a prefix's user.reg and system.reg):
// a file is refused with its line, or read into a tree that is written back
// as a file that reads to the same tree.
#include "fuzz/FuzzSupport.h"
#include "platform/wine/RegFile.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::wine::RegHive hive;
    std::string error;
    if (!platform::wine::RegHive::parse(fuzz::bytesOf(data, size), "user.reg", hive, error)) {
        fuzz::check(error.rfind("user.reg, line ", 0) == 0, "a refusal names the file and line");
        return 0;
    }
    const std::string written = hive.serialize();
    platform::wine::RegHive again;
    fuzz::check(platform::wine::RegHive::parse(written, "user.reg", again, error), "what is written reads again");
    fuzz::check(again.serialize() == written, "reading and writing again changes nothing");
    return 0;
}
