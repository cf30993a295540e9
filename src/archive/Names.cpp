#include "archive/Names.h"

#include <locale.h>
#include <wctype.h>

#include "platform/CodePage.h"

namespace qm::archive::detail {
namespace {

// The C.UTF-8 locale knows the case pairs of all of Unicode; without it only
// ASCII letters fold.
locale_t unicodeLocale() {
    static locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return loc;
}

char16_t foldUnit(char16_t u) {
    if (u < 0x80) return (u >= 'a' && u <= 'z') ? static_cast<char16_t>(u - 'a' + 'A') : u;
    if (locale_t loc = unicodeLocale()) {
        wint_t up = towupper_l(static_cast<wint_t>(u), loc);
        if (up <= 0xFFFF) return static_cast<char16_t>(up);
    }
    return u;
}

}  // namespace

std::u16string foldCase(const std::string& ansi) {
    std::u16string text = platform::CodePage::toUtf16(ansi);
    for (char16_t& u : text) u = foldUnit(u);
    return text;
}

bool equalsIgnoreCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    if (a == b) return true;
    return foldCase(a) == foldCase(b);
}

}  // namespace qm::archive::detail
