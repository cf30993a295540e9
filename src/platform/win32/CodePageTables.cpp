// Code page tables and case folding from Windows itself.
#include <windows.h>

#include <cstdlib>

#include "platform/CodePage.h"

namespace qm::platform::detail {

bool loadCodePageTable(const std::string& number, std::array<char16_t, 256>& toUnicode) {
    const UINT cp = static_cast<UINT>(std::strtoul(number.c_str(), nullptr, 10));
    CPINFO info{};
    // Only single-byte code pages fit a table of 256 bytes.
    if (cp == 0 || !IsValidCodePage(cp) || !GetCPInfo(cp, &info) || info.MaxCharSize != 1) return false;
    for (int b = 0; b < 256; ++b) {
        const char in = static_cast<char>(b);
        wchar_t unit = 0;
        if (MultiByteToWideChar(cp, 0, &in, 1, &unit, 1) != 1) unit = static_cast<wchar_t>(b < 0x80 ? b : 0xFFFD);
        toUnicode[static_cast<std::size_t>(b)] = static_cast<char16_t>(unit);
    }
    return true;
}

char16_t upperCaseUnit(char16_t unit) {
    wchar_t text[1] = {static_cast<wchar_t>(unit)};
    CharUpperBuffW(text, 1);
    return static_cast<char16_t>(text[0]);
}

}  // namespace qm::platform::detail
