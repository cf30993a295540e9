#pragma once
// Conversion between UTF-16 code units and the ANSI code page. Windows-1252
// unless configured otherwise; a character the code page cannot hold becomes
// "?", as Windows does.
#include <string>

namespace qm::platform {

class CodePage {
public:
    // Names accepted: "1252" / "CP1252" / "windows-1252" (built in), and any
    // single-byte code page iconv knows (e.g. "1250", "CP1251").
    // Returns false (and keeps the current one) for an unknown name.
    static bool select(const std::string& name);
    static std::string current();

    static std::u16string toUtf16(const std::string& ansi);
    static std::string fromUtf16(const std::u16string& text);
    // One UTF-16 unit to its ANSI byte, '?' when the code page lacks it.
    static char fromUnit(char16_t unit);
    static char16_t toUnit(unsigned char byte);

    // UTF-8 (host file names, terminal) <-> ANSI.
    static std::string toUtf8(const std::string& ansi);
    static std::string fromUtf8(const std::string& utf8);
    // UTF-16 units (of the Basic Multilingual Plane) as UTF-8.
    static std::string utf16ToUtf8(const std::u16string& text);
};

}  // namespace qm::platform
