#include "platform/CodePage.h"

#include <algorithm>
#include <cctype>

namespace qm::platform {
namespace {

// Windows-1252 bytes 0x80..0x9F; 0 marks the five undefined bytes, which
// Windows maps to the same-numbered control characters.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

CodePage::Table cp1252() {
    CodePage::Table t;
    for (int b = 0; b < 256; ++b) {
        auto u = static_cast<char16_t>(b);
        if (b >= 0x80 && b < 0xA0 && kCp1252High[static_cast<std::size_t>(b - 0x80)] != 0)
            u = kCp1252High[static_cast<std::size_t>(b - 0x80)];
        t.single[static_cast<std::size_t>(b)] = u;
    }
    return t;
}

std::string normalise(const std::string& name) {
    std::string n;
    for (char c : name) n += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const std::string p : {"WINDOWS-", "CP"})
        if (n.rfind(p, 0) == 0) n = n.substr(p.size());
    return n;
}

// Every ANSI code page of Windows keeps ASCII as it is; one that does not
// (EBCDIC, 7-bit national sets) cannot be the ANSI code page.
bool keepsAscii(const CodePage::Table& t) {
    for (std::size_t b = 0; b < 0x80; ++b)
        if (t.single[b] != b || t.leads.isLead(static_cast<unsigned char>(b))) return false;
    return true;
}

}  // namespace

CodePage::CodePage() { use("1252", cp1252()); }

bool CodePage::select(const std::string& name) {
    const std::string n = normalise(name);
    if (n == "1252") {
        use(n, cp1252());
        return true;
    }
    Table table;
    if (n.empty() ||
        !std::all_of(n.begin(), n.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) ||
        !detail::loadCodePageTable(n, table) || !keepsAscii(table))
        return false;
    use(n, std::move(table));
    return true;
}

void CodePage::use(const std::string& name, Table table) {
    name_ = name;
    single_ = table.single;
    leads_ = table.leads;
    pairs_ = std::move(table.pairs);
    if (!leads_.any())
        pairs_.clear();
    else
        pairs_.resize(65536, kNoUnit);
    // The first bytes found for a character are the ones it becomes: single
    // bytes before pairs, lower before higher.
    bytesOf_.assign(65536, 0);
    for (unsigned b = 1; b < 256; ++b) {
        const char16_t u = single_[b];
        if (!leads_.isLead(static_cast<unsigned char>(b)) && u != kNoUnit && bytesOf_[u] == 0)
            bytesOf_[u] = static_cast<std::uint16_t>(b);
    }
    for (unsigned lead = 0x80; lead < 256 && !pairs_.empty(); ++lead) {
        if (!leads_.isLead(static_cast<unsigned char>(lead))) continue;
        for (unsigned trail = 1; trail < 256; ++trail) {
            const char16_t u = pairs_[lead * 256 + trail];
            if (u != kNoUnit && u != 0 && bytesOf_[u] == 0) bytesOf_[u] = static_cast<std::uint16_t>(lead << 8 | trail);
        }
    }
}

std::string CodePage::fromUnit(char16_t unit) const {
    if (unit == 0) return std::string(1, '\0');
    const std::uint16_t bytes = bytesOf_[unit];
    if (bytes == 0) return "?";
    if (bytes < 0x100) return std::string(1, static_cast<char>(bytes));
    return {static_cast<char>(bytes >> 8), static_cast<char>(bytes & 0xFF)};
}

std::u16string CodePage::toUtf16(const std::string& ansi) const {
    std::u16string out;
    out.reserve(ansi.size());
    for (std::size_t i = 0; i < ansi.size();) {
        const auto b = static_cast<unsigned char>(ansi[i]);
        if (leads_.charLength(ansi, i) == 2) {
            out += pairs_[b * 256u + static_cast<unsigned char>(ansi[i + 1])];
            i += 2;
        } else {
            out += single_[b];
            ++i;
        }
    }
    return out;
}

std::string CodePage::fromUtf16(const std::u16string& text) const {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        // A surrogate pair is one character the code page cannot hold.
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) ++i;
        out += fromUnit(u);
    }
    return out;
}

std::string CodePage::toUtf8(const std::string& ansi) const { return utf16ToUtf8(toUtf16(ansi)); }

std::string CodePage::fromUtf8(const std::string& utf8) const { return fromUtf16(utf8ToUtf16(utf8)); }

std::u16string CodePage::foldCase(const std::string& ansi) const {
    std::u16string text = toUtf16(ansi);
    for (char16_t& u : text) {
        if (u < 0x80)
            u = (u >= 'a' && u <= 'z') ? static_cast<char16_t>(u - 'a' + 'A') : u;
        else
            u = detail::upperCaseUnit(u);
    }
    return text;
}

bool CodePage::equalsIgnoreCase(const std::string& a, const std::string& b) const {
    if (a == b) return true;
    return foldCase(a) == foldCase(b);
}

std::string CodePage::utf16ToUtf8(const std::u16string& text) {
    std::string out;
    for (char32_t u : text) {
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

std::u16string CodePage::utf8ToUtf16(const std::string& utf8) {
    std::u16string units;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        char32_t u = 0;
        std::size_t len = 0;
        if (c < 0x80) {
            u = c;
            len = 1;
        } else if ((c & 0xE0) == 0xC0) {
            u = c & 0x1Fu;
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            u = c & 0x0Fu;
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            u = c & 0x07u;
            len = 4;
        } else {
            units += u'?';
            ++i;
            continue;
        }
        if (i + len > utf8.size()) {
            units += u'?';
            break;
        }
        for (std::size_t k = 1; k < len; ++k) u = (u << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        i += len;
        if (u >= 0x10000)
            units += u'?';  // outside the BMP: no ANSI code page holds it
        else
            units += static_cast<char16_t>(u);
    }
    return units;
}

}  // namespace qm::platform
