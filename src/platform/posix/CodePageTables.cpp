// Code page tables through iconv, and case folding through the C.UTF-8
// locale, which knows the case pairs of all of Unicode.
#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <cerrno>

#include "platform/CodePage.h"

namespace qm::platform::detail {
namespace {

enum class Outcome { Unit, Incomplete, Invalid };

// The bytes as one character: its UTF-16 unit, or why there is none.
Outcome convert(iconv_t cd, const char* bytes, std::size_t size, char16_t& unit) {
    char in[2] = {bytes[0], size > 1 ? bytes[1] : '\0'};
    char16_t out[2] = {};
    char* ip = in;
    std::size_t il = size;
    char* op = reinterpret_cast<char*>(out);
    std::size_t ol = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1))
        return errno == EINVAL ? Outcome::Incomplete : Outcome::Invalid;
    // Two units (a surrogate pair) are no character of a double-byte table.
    if (il != 0 || ol != sizeof out - 2) return Outcome::Invalid;
    unit = out[0];
    return Outcome::Unit;
}

}  // namespace

bool loadCodePageTable(const std::string& number, CodePage::Table& table) {
    iconv_t cd = iconv_open("UTF-16LE", ("CP" + number).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    bool usable = true;
    for (std::size_t b = 0; b < 256; ++b) {
        const char in = static_cast<char>(b);
        char16_t unit = 0;
        switch (convert(cd, &in, 1, unit)) {
            case Outcome::Unit:
                break;
            case Outcome::Incomplete:
                table.leads.add(static_cast<unsigned char>(b));
                unit = CodePage::kNoUnit;
                break;
            case Outcome::Invalid:
                unit = static_cast<char16_t>(b < 0x80 ? b : CodePage::kNoUnit);
                break;
        }
        table.single[b] = unit;
    }
    if (table.leads.any()) {
        table.pairs.assign(65536, CodePage::kNoUnit);
        for (std::size_t lead = 0; lead < 256 && usable; ++lead) {
            if (!table.leads.isLead(static_cast<unsigned char>(lead))) continue;
            for (std::size_t trail = 1; trail < 256; ++trail) {
                const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                char16_t unit = 0;
                const Outcome outcome = convert(cd, in, 2, unit);
                // Characters of three or more bytes (UTF-8, GB18030): not an
                // ANSI code page of Windows.
                if (outcome == Outcome::Incomplete) usable = false;
                if (outcome == Outcome::Unit) table.pairs[lead * 256 + trail] = unit;
            }
        }
    }
    iconv_close(cd);
    return usable;
}

char16_t upperCaseUnit(char16_t unit) {
    static const locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (!loc) return unit;
    const wint_t up = towupper_l(static_cast<wint_t>(unit), loc);
    return up <= 0xFFFF ? static_cast<char16_t>(up) : unit;
}

}  // namespace qm::platform::detail
