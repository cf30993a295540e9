// The registry text file: a key tree as lines of headers ("\", "\Sub") and
// values ("name"= sz:text, "name"=esz:text, "name"=bin:1,0,255, "name"= dw:-1),
// ANSI with CR LF.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "registry/EnumValue.h"
#include "registry/ModReg.h"

namespace qm::registry {

using namespace qm::platform;

namespace {

const char* const kEol = "\r\n";

std::string valueLine(const std::string& name, RegType type, const std::uint8_t* data, std::uint32_t size) {
    std::string line = "\"" + name;
    switch (type) {
        case RegType::Sz:
        case RegType::ExpandSz: {
            std::string text(reinterpret_cast<const char*>(data), size);
            // The terminator is not part of the text; a string stored without
            // one keeps its last character. Zeros padding the end are
            // terminators too: dropping only one would lose another on every
            // backup and restore of the value.
            while (!text.empty() && text.back() == '\0') text.pop_back();
            line += (type == RegType::Sz ? "\"= sz:" : "\"=esz:") + text;
            break;
        }
        case RegType::Binary: {
            line += "\"=bin:";
            for (std::uint32_t i = 0; i < size; ++i) {
                if (i) line += ',';
                line += std::to_string(data[i]);
            }
            break;
        }
        case RegType::Dword: {
            std::uint32_t bits = 0;
            for (std::uint32_t i = 0; i < 4 && i < size; ++i) bits |= std::uint32_t(data[i]) << (8 * i);
            line += "\"= dw:" + std::to_string(static_cast<std::int32_t>(bits));
            break;
        }
        default:
            return {};
    }
    return line + kEol;
}

bool parseInteger(const std::string& text, long long low, long long high, long long& out) {
    auto first = text.find_first_not_of(' ');
    auto last = text.find_last_not_of(' ');
    if (first == std::string::npos) return false;
    std::string t = text.substr(first, last - first + 1);
    size_t i = 0;
    bool negative = false;
    if (t[0] == '-' || t[0] == '+') {
        negative = t[0] == '-';
        i = 1;
    }
    if (i >= t.size() || t.size() - i > 12) return false;
    long long value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return false;
        value = value * 10 + (t[i] - '0');
    }
    if (negative) value = -value;
    if (value < low || value > high) return false;
    out = value;
    return true;
}

// One line of the file, checked and decoded before anything is written.
struct Record {
    bool header = false;
    std::string text;  // header: the relative path as written
    std::string name;
    RegType type = RegType::None;  // None:: a value line of a type we ignore
    std::vector<std::uint8_t> data;
};

// A value line opens with the quote of its name and holds the marker's "="
// (a line of a string value that begins so cannot be told from one).
bool valueShaped(const std::string& line) {
    return !line.empty() && line[0] == '"' && line.find('=') != std::string::npos;
}

bool isString(const Record& r) { return !r.header && (r.type == RegType::Sz || r.type == RegType::ExpandSz); }

std::optional<Record> parseLine(const std::string& line) {
    Record r;
    // Key and value names end at a zero in the registry's interface: a name
    // holding one would be written as another name, or not at all.
    if (!line.empty() && line[0] == '\\') {
        if (line.find('\0') != std::string::npos) return std::nullopt;
        r.header = true;
        r.text = line;
        return r;
    }
    auto eq = line.find('=');
    // The name runs from after the opening quote to before the quote ahead of "=".
    if (eq == std::string::npos || eq < 2) return std::nullopt;
    r.name = line.substr(1, eq - 2);
    if (r.name.find('\0') != std::string::npos) return std::nullopt;
    std::string typeField = eq + 1 < line.size() ? line.substr(eq + 1, 3) : std::string();
    auto a = typeField.find_first_not_of(' ');
    auto b = typeField.find_last_not_of(' ');
    typeField = a == std::string::npos ? std::string() : typeField.substr(a, b - a + 1);
    std::string text = eq + 5 <= line.size() ? line.substr(eq + 5) : std::string();

    if (typeField == "sz" || typeField == "esz") {
        r.type = typeField == "sz" ? RegType::Sz : RegType::ExpandSz;
        r.data.assign(text.begin(), text.end());
    } else if (typeField == "dw") {
        long long v = 0;
        if (!parseInteger(text, INT32_MIN, INT32_MAX, v)) return std::nullopt;
        auto bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
        r.type = RegType::Dword;
        for (int i = 0; i < 4; ++i) r.data.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    } else if (typeField == "bin") {
        r.type = RegType::Binary;
        if (!text.empty()) {
            size_t start = 0;
            while (true) {
                auto comma = text.find(',', start);
                long long v = 0;
                if (!parseInteger(text.substr(start, comma - start), 0, 255, v)) return std::nullopt;
                r.data.push_back(static_cast<std::uint8_t>(v));
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
        }
    }
    return r;
}

// A key header below the top names each key of its path, as Windows can
// hold it: "\\a\\\\b" has an empty name, and no name is over 255 bytes.
// A tree holding such a key could be neither listed nor deleted again.
bool namesEveryKey(const std::string& header, const base::LeadBytes& leads) {
    constexpr std::size_t kMaxKeyName = 255;
    for (std::size_t at = leads.findFirstOf(header, "\\"); at != std::string::npos;) {
        const std::size_t next = leads.findFirstOf(header, "\\", at + 1);
        const std::size_t length = (next == std::string::npos ? header.size() : next) - at - 1;
        if (length == 0 || length > kMaxKeyName) return false;
        at = next;
    }
    return true;
}

}  // namespace

bool ModReg::ExportKey(const std::string& path, const std::string& header, const std::string& file) const {
    if (header.empty() && files_.fileExists(file)) files_.deleteFile(file);
    bool ok = files_.appendFile(file, (header.empty() ? std::string("\\") : header) + kEol);
    ok = ExportValues(path, file) && ok;

    // The subkeys depth first through open handles, not by recursion and
    // paths: a deep tree neither overflows the stack nor costs its depth
    // again for every key.
    struct Level {
        KeyHandle key;
        std::string header;
        std::uint32_t next = 0;
    };
    std::vector<Level> levels;
    {
        std::string sub = path;
        const KeyHandle root = SplitKeyPath(sub);
        KeyHandle key = 0;
        if (root != 0 && registry_.RegOpenKeyExA(root, sub, KeyAccess::Read, &key) == RegStatus::Success)
            levels.push_back({key, header});
    }
    while (!levels.empty()) {
        Level& level = levels.back();
        char name[260];
        std::uint32_t size = sizeof name;
        const RegStatus rc = registry_.RegEnumKeyExA(level.key, level.next++, name, &size);
        if (rc == RegStatus::MoreData) continue;  // a name no path of ours could address
        if (rc != RegStatus::Success) {
            registry_.RegCloseKey(level.key);
            levels.pop_back();
            continue;
        }
        if (levels.size() > kMaxKeyDepth) {
            noteTooDeep(path);
            for (const Level& open : levels) registry_.RegCloseKey(open.key);
            return false;
        }
        std::string child(name, size);
        child = child.substr(0, child.find('\0'));
        const std::string childHeader = level.header + "\\" + child;
        ok = files_.appendFile(file, childHeader + kEol) && ok;
        KeyHandle key = 0;
        if (registry_.RegOpenKeyExA(level.key, child, KeyAccess::Read, &key) != RegStatus::Success) continue;
        ok = ExportValuesOf(key, file) && ok;
        levels.push_back({key, childHeader});
    }
    return ok;
}

bool ModReg::ExportValues(const std::string& path, const std::string& file) const {
    const auto k = OpenPath(path, KeyAccess::Read);
    if (!k || !k->ok()) return true;
    return ExportValuesOf(k->key(), file);
}

bool ModReg::ExportValuesOf(KeyHandle key, const std::string& file) const {
    std::string lines;
    detail::EnumeratedValue value;
    for (std::uint32_t index = 0; detail::EnumValue(registry_, key, index, value) == RegStatus::Success; ++index)
        lines += valueLine(value.name, value.type, value.data.data(), static_cast<std::uint32_t>(value.data.size()));
    return lines.empty() || files_.appendFile(file, lines);
}

void ModReg::noteTooDeep(const std::string& path) const {
    notices_.push_back("The key " + path + " holds keys nested more than " + std::to_string(kMaxKeyDepth) +
                       " levels deep, as Windows never does; the tree is left alone.");
}

bool ModReg::ImportKey(const std::string& target, const std::string& file) const {
    std::string targetSub = target;
    if (SplitKeyPath(targetSub) == 0) return false;
    std::string content;
    if (!files_.readFile(file, content)) return false;

    // Check every line before touching the registry: a damaged file must not
    // cost the user the tree it was meant to replace.
    std::vector<Record> records;
    std::string lineBreak;  // what ended the line before
    size_t start = 0;
    while (start < content.size()) {
        auto end = content.find('\n', start);
        std::string line = content.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string ending = end == std::string::npos ? "" : "\n";
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            ending = "\r" + ending;
        }
        if (line.empty() || (line[0] != '\\' && !valueShaped(line))) {
            // The format has no escape: a string holding a line break was
            // written across lines. Such a line continues the string value
            // above it, with the break that split it; any other is damage.
            if (records.empty() || !isString(records.back())) return false;
            const std::string more = lineBreak + line;
            records.back().data.insert(records.back().data.end(), more.begin(), more.end());
        } else {
            auto record = parseLine(line);
            if (!record) return false;
            if (record->header &&
                static_cast<std::size_t>(std::count(record->text.begin(), record->text.end(), '\\')) > kMaxKeyDepth) {
                noteTooDeep(target);
                return false;
            }
            const base::LeadBytes& leads = files_.codePage().leadBytes();
            if (record->header && !leads.endsWith(record->text, '\\') && !namesEveryKey(record->text, leads))
                return false;
            // A value before any key header belongs to no key.
            if (!record->header && records.empty()) return false;
            records.push_back(std::move(*record));
        }
        lineBreak = ending;
        if (end == std::string::npos) break;
        start = end + 1;
    }

    std::string headerPath;
    KeyHandle openKey = 0;
    bool ok = true;
    for (const auto& r : records) {
        if (r.header) {
            if (target + r.text == headerPath) continue;
            headerPath = target + r.text;
            std::string toCreate = target + r.text;
            // The top header "\"; a key whose name ends in a double-byte
            // character with "\" as its second byte is not it.
            if (files_.codePage().leadBytes().endsWith(r.text, '\\')) {
                if (!DeleteKeyTree(target)) ok = false;
                toCreate = target;
            }
            if (openKey) registry_.RegCloseKey(openKey);
            openKey = 0;
            KeyHandle root = SplitKeyPath(toCreate);
            if (root == 0) {
                ok = false;
                continue;
            }
            if (registry_.RegCreateKeyA(root, toCreate, &openKey) != RegStatus::Success) {
                openKey = 0;
                ok = false;
            }
            continue;
        }
        if (r.type == RegType::None) continue;
        if (!openKey ||
            registry_.RegSetValueExA(openKey, r.name, r.type, r.data.data(),
                                     static_cast<std::uint32_t>(r.data.size())) != RegStatus::Success)
            ok = false;
    }
    if (openKey) registry_.RegCloseKey(openKey);
    return ok;
}

}  // namespace qm::registry
