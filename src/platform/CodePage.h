#pragma once
// The ANSI code page of one installation: conversion between its bytes and
// UTF-16, and the letter-case folding Windows applies to names. Windows-1252
// unless another is selected; single-byte code pages and the double-byte
// ones of East Asia (932, 936, 949, 950) alike. A character the code page
// cannot hold becomes "?", as Windows does.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/LeadBytes.h"

namespace qm::platform {

class CodePage {
public:
    CodePage();

    // Names accepted: "1252" / "CP1252" / "windows-1252", and any code page
    // the system knows whose characters take one or two bytes (e.g. "1250",
    // "CP1251", "932"). False (keeping the current one) for another name.
    bool select(const std::string& name);
    const std::string& name() const { return name_; }
    // The lead bytes of a double-byte code page; none for a single-byte one.
    const base::LeadBytes& leadBytes() const { return leads_; }

    std::u16string toUtf16(const std::string& ansi) const;
    std::string fromUtf16(const std::u16string& text) const;

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

    // The bytes a character becomes ("?" when the code page lacks it).
    std::string fromUnit(char16_t unit) const;

    // What a code page's bytes mean: each single byte, and for a
    // double-byte code page its lead bytes and each lead-trail pair. An
    // undefined byte or pair is kNoUnit.
    struct Table {
        std::array<char16_t, 256> single{};
        base::LeadBytes leads;
        std::vector<char16_t> pairs;  // lead * 256 + trail; empty for single-byte code pages
    };
    static constexpr char16_t kNoUnit = 0xFFFD;

private:
    void use(const std::string& name, Table table);

    std::string name_;
    std::array<char16_t, 256> single_{};
    base::LeadBytes leads_;
    std::vector<char16_t> pairs_;
    // Each UTF-16 unit's bytes: a single byte, or lead << 8 | trail; 0 for
    // none (unit 0 is byte 0).
    std::vector<std::uint16_t> bytesOf_;
};

namespace detail {
// Supplied per operating system: the table of a code page by its number
// ("1251", "932"), and one UTF-16 unit in upper case.
bool loadCodePageTable(const std::string& number, CodePage::Table& table);
char16_t upperCaseUnit(char16_t unit);
}  // namespace detail

}  // namespace qm::platform
