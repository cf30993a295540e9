#pragma once
// How the disc windows write numbers, dates and paths.
#include <cstdint>
#include <string>

namespace qm::disc {

// Bytes / 1,048,576 with two decimals and " MB" ("1.50 MB").
std::string FormatMegabytes(double bytes);
// Bytes / 1,048,576 with two decimals, no unit ("2.00").
std::string Megabytes(double bytes);
// Bytes / 1,000 with thousands separators, two decimals and " KB" ("1,234.57 KB").
std::string FormatKilobytes(std::uint64_t bytes);
// Local time as "MM/DD/YYYY hh:mm:ss AM".
std::string FormatItemDate(std::int64_t secondsSince1970);
// A drive's speed factor as "8.0x" (".5x" below one).
std::string FormatSpeed(double factor);
// done / total * 100 as a whole number, halves to even; 100 when total is 0.
int VerifyPercent(long done, long total);
// The text after the last "\" or "/" (the whole text when there is none).
std::string LastPathPart(const std::string& path);
// At most `characters` UTF-8 characters of the text.
std::string FirstCharacters(const std::string& text, std::size_t characters);

}  // namespace qm::disc
