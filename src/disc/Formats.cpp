#include "disc/Formats.h"

#include <cstdio>
#include <ctime>

#include "disc/Texts.h"

namespace qm::disc {

std::string Megabytes(double bytes) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", bytes / 1048576.0);
    return buffer;
}

std::string FormatMegabytes(double bytes) { return Megabytes(bytes) + text::kMegabytes; }

std::string FormatKilobytes(std::uint64_t bytes) {
    // Hundredths of a kilobyte, rounded half up, in whole numbers so that no
    // binary fraction moves a rounding.
    const std::uint64_t hundredths = (bytes + 5) / 10;
    const std::string digits = std::to_string(hundredths / 100);
    std::string whole;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) whole += ',';
        whole += digits[i];
    }
    char cents[8];
    std::snprintf(cents, sizeof cents, ".%02u", static_cast<unsigned>(hundredths % 100));
    return whole + cents + text::kKilobytes;
}

std::string FormatItemDate(std::int64_t secondsSince1970) {
    const std::time_t t = static_cast<std::time_t>(secondsSince1970);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0) return {};
#else
    if (!localtime_r(&t, &local)) return {};
#endif
    int hour = local.tm_hour % 12;
    if (hour == 0) hour = 12;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d %02d:%02d:%02d %s", local.tm_mon + 1, local.tm_mday,
                  local.tm_year + 1900, hour, local.tm_min, local.tm_sec, local.tm_hour < 12 ? "AM" : "PM");
    return buffer;
}

std::string FormatSpeed(double factor) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.1f", factor);
    std::string s = buffer;
    // The pattern "#.0" writes no leading zero.
    if (s.rfind("0.", 0) == 0) s.erase(0, 1);
    return s + "x";
}

int VerifyPercent(long done, long total) {
    if (total <= 0) return 100;
    const long long scaled = static_cast<long long>(done) * 100;
    long long q = scaled / total;
    const long long twiceRest = (scaled % total) * 2;
    if (twiceRest > total || (twiceRest == total && q % 2 != 0)) ++q;
    return static_cast<int>(q);
}

std::string LastPathPart(const std::string& path) {
    const auto cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string FirstCharacters(const std::string& text, std::size_t characters) {
    std::size_t i = 0;
    for (std::size_t n = 0; i < text.size() && n < characters; ++n) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
    return text.substr(0, i);
}

}  // namespace qm::disc
