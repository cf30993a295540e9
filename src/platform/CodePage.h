#pragma once
// The ANSI code page of one installation: conversion between its bytes and
// UTF-16, and the letter-case folding Windows applies to names. Windows-1252
// unless another is selected; a character the code page cannot hold becomes
// "?", as Windows does.
#include <array>
#include <string>

namespace qm::platform {

class CodePage {
public:
    CodePage();

    // Names accepted: "1252" / "CP1252" / "windows-1252", and any single-byte
    // code page the system knows (e.g. "1250", "CP1251"). False (keeping the
    // current one) for an unknown name.
    bool select(const std::string& name);
    const std::string& name() const { return name_; }

    std::u16string toUtf16(const std::string& ansi) const;
    std::string fromUtf16(const std::u16string& text) const;
    // One UTF-16 unit to its ANSI byte, '?' when the code page lacks it.
    char fromUnit(char16_t unit) const;
    char16_t toUnit(unsigned char byte) const { return toUnicode_[byte]; }

    // UTF-8 (host file names, terminal, windows) <-> ANSI.
    std::string toUtf8(const std::string& ansi) const;
    std::string fromUtf8(const std::string& utf8) const;

    // The ANSI text with every letter in one case, for comparing names as
    // Windows does (all letters of the code page, not only ASCII).
    std::u16string foldCase(const std::string& ansi) const;
    bool equalsIgnoreCase(const std::string& a, const std::string& b) const;

    // Code-page-free conversions of the Basic Multilingual Plane; a
    // character outside it becomes "?".
    static std::string utf16ToUtf8(const std::u16string& text);
    static std::u16string utf8ToUtf16(const std::string& utf8);

private:
    std::string name_;
    std::array<char16_t, 256> toUnicode_{};
};

namespace detail {
// Supplied per operating system: the table of a code page by its number
// ("1251"), and one UTF-16 unit in upper case.
bool loadCodePageTable(const std::string& number, std::array<char16_t, 256>& toUnicode);
char16_t upperCaseUnit(char16_t unit);
}  // namespace detail

}  // namespace qm::platform
