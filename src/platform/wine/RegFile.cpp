#include "platform/wine/RegFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <utility>

namespace qm::platform::wine {
namespace {

constexpr std::uint64_t kTicks1601To1970 = 116444736000000000ULL;
constexpr std::uint64_t kTicksPerSecond = 10000000ULL;
constexpr const char* kHeader = "WINE REGISTRY Version 2";

bool isHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

void appendUnit(std::string& bytes, char16_t u) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
}

std::u16string unitsOf(const std::string& bytes, size_t count) {
    std::u16string out;
    for (size_t i = 0; i < count; ++i)
        out += static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return out;
}

// One UTF-8 sequence at `s[i]` (Wine reads non-ASCII bytes that way); a bad
// byte stands for itself.
void decodeUtf8(const std::string& s, size_t& i, std::u16string& out) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
    char32_t u = len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    bool ok = len > 1 && i + len <= s.size();
    for (size_t k = 1; ok && k < len; ++k) {
        unsigned char d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80) ok = false;
        u = (u << 6) | (d & 0x3F);
    }
    if (!ok) {
        out += static_cast<char16_t>(c);
        ++i;
        return;
    }
    i += len;
    if (u >= 0x10000) {
        u -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (u >> 10));
        out += static_cast<char16_t>(0xDC00 + (u & 0x3FF));
    } else {
        out += static_cast<char16_t>(u);
    }
}

// Wine's parse_strW: reads an escaped string from `pos` up to the unescaped
// `end` character. Returns the position after it, or npos when the line ends
// first.
size_t parseString(const std::string& s, size_t pos, char end, std::u16string& out) {
    while (pos < s.size()) {
        char c = s[pos];
        if (c == end) return pos + 1;
        if (static_cast<unsigned char>(c) >= 0x80) {
            decodeUtf8(s, pos, out);
            continue;
        }
        if (c != '\\') {
            out += static_cast<char16_t>(c);
            ++pos;
            continue;
        }
        if (++pos >= s.size()) return std::string::npos;
        c = s[pos];
        switch (c) {
        case 'a': out += u'\a'; ++pos; break;
        case 'b': out += u'\b'; ++pos; break;
        case 'e': out += u'\x1b'; ++pos; break;
        case 'f': out += u'\f'; ++pos; break;
        case 'n': out += u'\n'; ++pos; break;
        case 'r': out += u'\r'; ++pos; break;
        case 't': out += u'\t'; ++pos; break;
        case 'v': out += u'\v'; ++pos; break;
        case 'x': {
            ++pos;
            if (pos >= s.size() || !isHex(s[pos])) {
                out += u'x';
                break;
            }
            unsigned v = 0;
            for (int k = 0; k < 4 && pos < s.size() && isHex(s[pos]); ++k) v = v * 16 + hexValue(s[pos++]);
            out += static_cast<char16_t>(v);
            break;
        }
        case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': {
            unsigned v = 0;
            for (int k = 0; k < 3 && pos < s.size() && s[pos] >= '0' && s[pos] <= '7'; ++k) v = v * 8 + (s[pos++] - '0');
            out += static_cast<char16_t>(v);
            break;
        }
        default:
            out += static_cast<char16_t>(static_cast<unsigned char>(c));
            ++pos;
        }
    }
    return std::string::npos;
}

// Wine's dump_strW: the escaping Wine writes. `quote` is the extra character
// escaped besides the backslash ('"' in strings, '[' and ']' in key paths).
void dumpString(const std::u16string& s, const char* escaped, std::string& out) {
    static const char escapes[33] = ".......abtnvfr.............e....";
    char buf[16];
    for (size_t i = 0; i < s.size(); ++i) {
        char16_t c = s[i];
        bool hasNext = i + 1 < s.size();
        char16_t next = hasNext ? s[i + 1] : 0;
        if (c > 127) {
            if (hasNext && next < 128 && isHex(static_cast<char>(next)))
                std::snprintf(buf, sizeof buf, "\\x%04x", static_cast<unsigned>(c));
            else
                std::snprintf(buf, sizeof buf, "\\x%x", static_cast<unsigned>(c));
            out += buf;
            continue;
        }
        if (c < 32) {
            if (escapes[c] != '.') {
                out += '\\';
                out += escapes[c];
            } else {
                std::snprintf(buf, sizeof buf, hasNext && next >= '0' && next <= '7' ? "\\%03o" : "\\%o",
                              static_cast<unsigned>(c));
                out += buf;
            }
            continue;
        }
        char ch = static_cast<char>(c);
        if (ch == '\\' || std::strchr(escaped, ch)) out += '\\';
        out += ch;
    }
}

std::string hexNumber(std::uint64_t v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%x%08x", static_cast<unsigned>(v >> 32), static_cast<unsigned>(v & 0xFFFFFFFFu));
    return buf;
}

// Wine's dump_value.
void dumpValue(const RegValue& v, std::string& out) {
    size_t lineStart = out.size();
    if (!v.name.empty()) {
        out += '"';
        dumpString(v.name, "\"", out);
        out += "\"=";
    } else {
        out += "@=";
    }
    size_t len = v.data.size();
    if (v.type == 1 || v.type == 2 || v.type == 7) {
        // Only properly terminated strings are written as text.
        if (len >= 2 && len % 2 == 0 && v.data[len - 1] == 0 && v.data[len - 2] == 0) {
            if (v.type != 1) {
                char buf[24];
                std::snprintf(buf, sizeof buf, "str(%x):", v.type);
                out += buf;
            }
            out += '"';
            dumpString(unitsOf(v.data, len / 2 - 1), "\"", out);
            out += "\"\n";
            return;
        }
    } else if (v.type == 4 && len == 4) {
        std::uint32_t dw = 0;
        for (int i = 3; i >= 0; --i) dw = (dw << 8) | static_cast<unsigned char>(v.data[i]);
        char buf[24];
        std::snprintf(buf, sizeof buf, "dword:%08x\n", dw);
        out += buf;
        return;
    }
    char buf[24];
    if (v.type == 3)
        out += "hex:";
    else {
        std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
        out += buf;
    }
    // Wine counts the characters of the line (the quote of the name
    // included) to wrap before column 80.
    int count = static_cast<int>(out.size() - lineStart);
    for (size_t i = 0; i < len; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(v.data[i]));
        out += buf;
        count += 2;
        if (i + 1 < len) {
            out += ',';
            if (++count > 76) {
                out += "\\\n  ";
                count = 2;
            }
        }
    }
    out += '\n';
}

std::string keyPath(const RegKey& key, const RegKey& base) {
    std::vector<const RegKey*> chain;
    for (const RegKey* k = &key; k && k != &base; k = k->parent) chain.push_back(k);
    std::string out;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!out.empty()) out += "\\\\";
        dumpString((*it)->name, "[]", out);
    }
    return out;
}

void saveOneKey(const RegKey& key, const RegKey& base, std::string& out) {
    if (!key.values.empty() || key.subkeys.empty() || key.keyClass || key.link || key.listed) {
        out += "\n[";
        out += keyPath(key, base);
        out += ']';
        bool asRead = key.listed && !key.touched;
        if (asRead) {
            out += key.stampText;
            out += '\n';
            if (!key.timeLine.empty()) out += key.timeLine + '\n';
        } else {
            std::uint64_t secs = key.modified > kTicks1601To1970 ? (key.modified - kTicks1601To1970) / kTicksPerSecond : 0;
            out += ' ' + std::to_string(static_cast<unsigned>(secs)) + '\n';
            out += "#time=" + hexNumber(key.modified) + '\n';
        }
        if (key.keyClass) {
            out += "#class=\"";
            dumpString(*key.keyClass, "\"", out);
            out += "\"\n";
        }
        if (key.link) out += "#link\n";
        for (const auto& o : key.otherOptions) out += o + '\n';
        for (const auto& v : key.values) dumpValue(v, out);
    }
}

// Every key in Wine's order (each before its subkeys), without recursion:
// a file may nest keys deeper than the stack would go.
void saveKey(const RegKey& root, std::string& out) {
    std::vector<std::pair<const RegKey*, std::size_t>> levels{{&root, 0}};
    saveOneKey(root, root, out);
    while (!levels.empty()) {
        auto& [key, next] = levels.back();
        if (next == key->subkeys.size()) {
            levels.pop_back();
            continue;
        }
        const RegKey* sub = key->subkeys[next++].get();
        saveOneKey(*sub, root, out);
        levels.emplace_back(sub, 0);
    }
}

// Where the keys and values read so far are, by parent and folded name, so
// that keys in any order are found again at once; the file's lists are put
// into Wine's order when all is read (inserting each in place would cost a
// shift of the whole list per key in a file that is not sorted).
class ParseIndex {
public:
    RegKey* subkey(RegKey* parent, const std::u16string& name, std::uint64_t modified) {
        auto [it, added] = keys_.try_emplace(Id{parent, folded(name)}, nullptr);
        if (added) {
            auto key = std::make_shared<RegKey>();
            key->name = name;
            key->parent = parent;
            key->modified = modified;
            it->second = key.get();
            parent->subkeys.push_back(std::move(key));
        }
        return it->second;
    }
    void setValue(RegKey* key, RegValue value) {
        auto [it, added] = values_.try_emplace(Id{key, folded(value.name)}, key->values.size());
        if (added) {
            key->values.push_back(std::move(value));
        } else {
            // The stored name keeps the case it was first written with.
            value.name = key->values[it->second].name;
            key->values[it->second] = std::move(value);
        }
    }
    static void sortTree(RegKey& root) {
        auto byName = [](const auto& a, const auto& b) { return compareNames(a, b) < 0; };
        std::vector<RegKey*> pending{&root};
        while (!pending.empty()) {
            RegKey* key = pending.back();
            pending.pop_back();
            std::sort(key->subkeys.begin(), key->subkeys.end(),
                      [&](const auto& a, const auto& b) { return byName(a->name, b->name); });
            std::sort(key->values.begin(), key->values.end(),
                      [&](const RegValue& a, const RegValue& b) { return byName(a.name, b.name); });
            for (const auto& sub : key->subkeys) pending.push_back(sub.get());
        }
    }

private:
    struct Id {
        const RegKey* owner;
        std::u16string name;
        bool operator==(const Id& o) const { return owner == o.owner && name == o.name; }
    };
    struct IdHash {
        std::size_t operator()(const Id& id) const {
            return std::hash<const void*>()(id.owner) ^ (std::hash<std::u16string>()(id.name) * 1099511628211ULL);
        }
    };
    static std::u16string folded(std::u16string name) {
        for (char16_t& u : name) u = platform::foldNameUnit(u);
        return name;
    }
    std::unordered_map<Id, RegKey*, IdHash> keys_;
    std::unordered_map<Id, std::size_t, IdHash> values_;
};

struct Lines {
    explicit Lines(const std::string& t) : text(t) {}
    const std::string& text;
    size_t pos = 0;
    int number = 0;
    bool next(std::string& line) {
        if (pos >= text.size()) return false;
        size_t nl = text.find('\n', pos);
        size_t end = nl == std::string::npos ? text.size() : nl;
        line = text.substr(pos, end - pos);
        // Carriage returns ending a line mean nothing in the format; all of
        // them go, or a line kept as it stands would lose one per save.
        while (!line.empty() && line.back() == '\r') line.pop_back();
        pos = nl == std::string::npos ? text.size() : nl + 1;
        ++number;
        return true;
    }
};

// Hex bytes "01,00,ff" with Wine's "\" line continuation.
bool parseHexBytes(Lines& lines, std::string line, size_t pos, std::string& data) {
    for (;;) {
        while (pos < line.size()) {
            char c = line[pos];
            if (c == ',' || c == ' ' || c == '\t') {
                ++pos;
                continue;
            }
            if (c == '\\') {
                if (line.find_first_not_of(" \t", pos + 1) != std::string::npos) return false;
                break;
            }
            if (!isHex(c)) return false;
            int v = hexValue(c);
            ++pos;
            if (pos < line.size() && isHex(line[pos])) v = v * 16 + hexValue(line[pos++]);
            data += static_cast<char>(v);
        }
        if (pos >= line.size()) return true;
        if (!lines.next(line)) return false;
        pos = line.find_first_not_of(" \t");
        if (pos == std::string::npos) pos = line.size();
    }
}

bool parseValue(Lines& lines, const std::string& line, RegValue& v) {
    size_t pos;
    if (line[0] == '@') {
        pos = 1;
    } else {
        pos = parseString(line, 1, '"', v.name);
        if (pos == std::string::npos) return false;
    }
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    if (pos >= line.size() || line[pos] != '=') return false;
    ++pos;
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    std::string rest = line.substr(pos);

    auto parseText = [&](size_t start) {
        std::u16string text;
        if (parseString(rest, start, '"', text) == std::string::npos) return false;
        v.data.clear();
        for (char16_t u : text) appendUnit(v.data, u);
        appendUnit(v.data, 0);
        return true;
    };
    if (rest.rfind("\"", 0) == 0) {
        v.type = 1;
        return parseText(1);
    }
    if (rest.rfind("str:\"", 0) == 0) {
        v.type = 1;
        return parseText(5);
    }
    if (rest.rfind("str(", 0) == 0) {
        size_t close = rest.find("):\"", 4);
        if (close == std::string::npos || close == 4) return false;
        std::string num = rest.substr(4, close - 4);
        if (!std::all_of(num.begin(), num.end(), isHex)) return false;
        v.type = static_cast<std::uint32_t>(std::stoul(num, nullptr, 16));
        return parseText(close + 3);
    }
    if (rest.rfind("dword:", 0) == 0) {
        std::string num = rest.substr(6);
        while (!num.empty() && (num.back() == ' ' || num.back() == '\t')) num.pop_back();
        if (num.empty() || num.size() > 8 || !std::all_of(num.begin(), num.end(), isHex)) return false;
        std::uint32_t dw = static_cast<std::uint32_t>(std::stoul(num, nullptr, 16));
        v.type = 4;
        v.data.clear();
        for (int i = 0; i < 4; ++i) v.data += static_cast<char>((dw >> (8 * i)) & 0xFF);
        return true;
    }
    size_t dataStart;
    if (rest.rfind("hex:", 0) == 0) {
        v.type = 3;
        dataStart = 4;
    } else if (rest.rfind("hex(", 0) == 0) {
        size_t close = rest.find("):", 4);
        if (close == std::string::npos || close == 4) return false;
        std::string num = rest.substr(4, close - 4);
        if (num.size() > 8 || !std::all_of(num.begin(), num.end(), isHex)) return false;
        v.type = static_cast<std::uint32_t>(std::stoul(num, nullptr, 16));
        dataStart = close + 2;
    } else {
        return false;
    }
    v.data.clear();
    return parseHexBytes(lines, rest, dataStart, v.data);
}

std::string lineError(const std::string& file, int line, const std::string& what) {
    return file + ", line " + std::to_string(line) + ": " + what;
}

}  // namespace

RegHive RegHive::empty(const std::string& relativeTo) {
    RegHive h;
    std::string doubled;
    for (char c : relativeTo) doubled += c == '\\' ? std::string("\\\\") : std::string(1, c);
    h.preamble_ = {";; All keys relative to " + doubled, "", "#arch=win64"};
    h.root->modified = fileTimeNow();
    return h;
}

bool RegHive::parse(const std::string& bytes, const std::string& fileName, RegHive& out, std::string& error) {
    RegHive h;
    ParseIndex index;
    Lines lines(bytes);
    std::string line;
    if (!lines.next(line) || line != kHeader) {
        error = lineError(fileName, 1, "not a Wine registry file (expected \"" + std::string(kHeader) + "\")");
        return false;
    }
    RegKey* current = nullptr;
    bool inPreamble = true;
    while (lines.next(line)) {
        int number = lines.number;
        if (line.empty()) {
            if (inPreamble) h.preamble_.push_back(line);
            continue;
        }
        char first = line[0];
        if (first == '[') {
            std::u16string path;
            size_t end = parseString(line, 1, ']', path);
            if (end == std::string::npos) {
                error = lineError(fileName, number, "malformed key line");
                return false;
            }
            std::string stamp = line.substr(end);
            unsigned long secs = 0;
            if (std::sscanf(stamp.c_str(), " %lu", &secs) != 1) secs = 0;
            std::uint64_t mod = kTicks1601To1970 + static_cast<std::uint64_t>(secs) * kTicksPerSecond;
            if (inPreamble)
                while (!h.preamble_.empty() && h.preamble_.back().empty()) h.preamble_.pop_back();
            RegKey* key = h.root.get();
            size_t start = 0;
            while (start <= path.size()) {
                size_t sep = path.find(u'\\', start);
                if (sep == std::u16string::npos) sep = path.size();
                if (sep > start) key = index.subkey(key, path.substr(start, sep - start), mod);
                start = sep + 1;
            }
            key->listed = true;
            key->modified = mod;
            key->stampText = stamp;
            key->timeLine.clear();
            current = key;
            inPreamble = false;
        } else if (first == '@' || first == '"') {
            RegValue v;
            if (!current || !parseValue(lines, line, v)) {
                error = lineError(fileName, number, current ? "malformed value" : "value outside a key");
                return false;
            }
            index.setValue(current, std::move(v));
        } else if (first == '#') {
            if (inPreamble) {
                h.preamble_.push_back(line);
            } else if (line.rfind("#time=", 0) == 0) {
                std::string num = line.substr(6);
                if (num.empty() || num.size() > 16 || !std::all_of(num.begin(), num.end(), isHex)) {
                    error = lineError(fileName, number, "malformed time");
                    return false;
                }
                current->modified = std::stoull(num, nullptr, 16);
                current->timeLine = line;
            } else if (line.rfind("#class=\"", 0) == 0) {
                std::u16string cls;
                if (parseString(line, 8, '"', cls) == std::string::npos) {
                    error = lineError(fileName, number, "malformed class");
                    return false;
                }
                current->keyClass = cls;
            } else if (line == "#link") {
                current->link = true;
            } else {
                current->otherOptions.push_back(line);
            }
        } else if (first == ';') {
            if (inPreamble) h.preamble_.push_back(line);
        } else {
            error = lineError(fileName, number, "unreadable line");
            return false;
        }
    }
    if (inPreamble)
        while (!h.preamble_.empty() && h.preamble_.back().empty()) h.preamble_.pop_back();
    ParseIndex::sortTree(*h.root);
    out = std::move(h);
    return true;
}

std::string RegHive::serialize() const {
    std::string out = std::string(kHeader) + "\n";
    for (const auto& l : preamble_) out += l + "\n";
    saveKey(*root, out);
    return out;
}

}  // namespace qm::platform::wine
