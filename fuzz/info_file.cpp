// The information file of a backup (read from the archive before anything
// is restored): its lines and the line-break code of the description.
#include "archive/InfoFile.h"
#include "fuzz/FuzzSupport.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = fuzz::bytesOf(data, size);
    for (const auto& [key, value] : archive::ReadInfoLines(bytes)) {
        fuzz::check(key.find('=') == std::string::npos, "a key ends at the first =");
        fuzz::check(key.find_first_of("\r\n") == std::string::npos, "a key holds no line break");
        fuzz::check(value.find_first_of("\r\n") == std::string::npos, "a value holds no line break");
    }
    // A description stored and read again is the same text, its line
    // breaks as CR LF.
    const std::string encoded = archive::EncodeLineBreaks(bytes);
    fuzz::check(encoded.find_first_of("\r\n") == std::string::npos, "an encoded description is one line");
    const std::string decoded = archive::DecodeLineBreaks(encoded);
    fuzz::check(archive::EncodeLineBreaks(decoded) == encoded, "the line-break code reads back");
    return 0;
}
