// Code page tables and case folding from Windows itself.
#include <windows.h>

#include <cstdlib>

#include "platform/CodePage.h"

namespace qm::platform::detail {

bool loadCodePageTable(const std::string& number, CodePage::Table& table) {
    const UINT cp = static_cast<UINT>(std::strtoul(number.c_str(), nullptr, 10));
    CPINFO info{};
    // Characters of one or two bytes: the ANSI code pages of Windows.
    if (cp == 0 || !IsValidCodePage(cp) || !GetCPInfo(cp, &info) || info.MaxCharSize > 2) return false;
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
        for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b)
            table.leads.add(static_cast<unsigned char>(b));
    for (int b = 0; b < 256; ++b) {
        const char in = static_cast<char>(b);
        wchar_t unit = 0;
        if (table.leads.isLead(static_cast<unsigned char>(b)))
            unit = CodePage::kNoUnit;
        else if (MultiByteToWideChar(cp, 0, &in, 1, &unit, 1) != 1)
            unit = static_cast<wchar_t>(b < 0x80 ? b : CodePage::kNoUnit);
        table.single[static_cast<std::size_t>(b)] = static_cast<char16_t>(unit);
    }
    if (table.leads.any()) {
        table.pairs.assign(65536, CodePage::kNoUnit);
        for (unsigned lead = 0; lead < 256; ++lead) {
            if (!table.leads.isLead(static_cast<unsigned char>(lead))) continue;
            for (unsigned trail = 1; trail < 256; ++trail) {
                const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                wchar_t unit = 0;
                if (MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, in, 2, &unit, 1) == 1)
                    table.pairs[lead * 256 + trail] = static_cast<char16_t>(unit);
            }
        }
    }
    return true;
}

char16_t upperCaseUnit(char16_t unit) {
    wchar_t text[1] = {static_cast<wchar_t>(unit)};
    CharUpperBuffW(text, 1);
    return static_cast<char16_t>(text[0]);
}

}  // namespace qm::platform::detail
