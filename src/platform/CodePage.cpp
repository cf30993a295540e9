#include "platform/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <mutex>

namespace qm::platform {
namespace {

// Windows-1252 bytes 0x80..0x9F; 0 marks the five undefined bytes, which
// Windows maps to the same-numbered control characters.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

struct Table {
    std::string name = "1252";
    std::array<char16_t, 256> toUnicode{};
};

Table makeCp1252() {
    Table t;
    for (int b = 0; b < 256; ++b) {
        char16_t u = static_cast<char16_t>(b);
        if (b >= 0x80 && b < 0xA0 && kCp1252High[b - 0x80] != 0) u = kCp1252High[b - 0x80];
        t.toUnicode[b] = u;
    }
    return t;
}

std::mutex& tableMutex() {
    static std::mutex m;
    return m;
}

Table& table() {
    static Table t = makeCp1252();
    return t;
}

std::string normalise(const std::string& name) {
    std::string n;
    for (char c : name) n += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* p : {"WINDOWS-", "CP"})
        if (n.rfind(p, 0) == 0) n = n.substr(std::string(p).size());
    return n;
}

bool loadWithIconv(const std::string& number, Table& out) {
    iconv_t cd = iconv_open("UTF-16LE", ("CP" + number).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    Table t;
    t.name = number;
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        char16_t unit = 0;
        char* ip = &in;
        size_t il = 1;
        char* op = reinterpret_cast<char*>(&unit);
        size_t ol = 2;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || ol != 0) unit = static_cast<char16_t>(b < 0x80 ? b : 0xFFFD);
        t.toUnicode[b] = unit;
    }
    iconv_close(cd);
    out = t;
    return true;
}

}  // namespace

bool CodePage::select(const std::string& name) {
    std::string n = normalise(name);
    std::lock_guard<std::mutex> lock(tableMutex());
    if (n == "1252") {
        table() = makeCp1252();
        return true;
    }
    Table t;
    if (n.empty() || !std::all_of(n.begin(), n.end(), ::isdigit) || !loadWithIconv(n, t)) return false;
    table() = t;
    return true;
}

std::string CodePage::current() { return table().name; }

char16_t CodePage::toUnit(unsigned char byte) { return table().toUnicode[byte]; }

char CodePage::fromUnit(char16_t unit) {
    if (unit < 0x80) return static_cast<char>(unit);
    const auto& t = table().toUnicode;
    for (int b = 0x80; b < 256; ++b)
        if (t[b] == unit) return static_cast<char>(b);
    return '?';
}

std::u16string CodePage::toUtf16(const std::string& ansi) {
    std::u16string out;
    out.reserve(ansi.size());
    for (unsigned char c : ansi) out += toUnit(c);
    return out;
}

std::string CodePage::fromUtf16(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t u = text[i];
        // A surrogate pair is one character the code page cannot hold.
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) ++i;
        out += fromUnit(u);
    }
    return out;
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

std::string CodePage::toUtf8(const std::string& ansi) { return utf16ToUtf8(toUtf16(ansi)); }

std::string CodePage::fromUtf8(const std::string& utf8) {
    std::u16string units;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t u;
        size_t len;
        if (c < 0x80) { u = c; len = 1; }
        else if ((c & 0xE0) == 0xC0) { u = c & 0x1F; len = 2; }
        else if ((c & 0xF0) == 0xE0) { u = c & 0x0F; len = 3; }
        else if ((c & 0xF8) == 0xF0) { u = c & 0x07; len = 4; }
        else { units += u'?'; ++i; continue; }
        if (i + len > utf8.size()) { units += u'?'; break; }
        for (size_t k = 1; k < len; ++k) u = (u << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += len;
        if (u >= 0x10000) units += u'?';  // outside the BMP: no ANSI code page holds it
        else units += static_cast<char16_t>(u);
    }
    return fromUtf16(units);
}

}  // namespace qm::platform
