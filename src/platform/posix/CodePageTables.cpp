// Code page tables through iconv, and case folding through the C.UTF-8
// locale, which knows the case pairs of all of Unicode.
#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include "platform/CodePage.h"

namespace qm::platform::detail {

bool loadCodePageTable(const std::string& number, std::array<char16_t, 256>& toUnicode) {
    iconv_t cd = iconv_open("UTF-16LE", ("CP" + number).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    for (std::size_t b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        char16_t unit = 0;
        char* ip = &in;
        std::size_t il = 1;
        char* op = reinterpret_cast<char*>(&unit);
        std::size_t ol = 2;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1) || ol != 0)
            unit = static_cast<char16_t>(b < 0x80 ? b : 0xFFFD);
        toUnicode[b] = unit;
    }
    iconv_close(cd);
    return true;
}

char16_t upperCaseUnit(char16_t unit) {
    static const locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (!loc) return unit;
    const wint_t up = towupper_l(static_cast<wint_t>(unit), loc);
    return up <= 0xFFFF ? static_cast<char16_t>(up) : unit;
}

}  // namespace qm::platform::detail
