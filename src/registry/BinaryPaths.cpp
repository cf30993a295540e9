// Paths embedded in binary profile values, as UTF-16 or ANSI text.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "platform/CodePage.h"
#include "registry/EnumValue.h"
#include "registry/ModReg.h"

namespace qm::registry {

using namespace qm::platform;

namespace {

std::string hexByte(unsigned value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%X", value);
    return buf;
}

// The first REG_BINARY value with exactly this name, or nothing.
std::optional<std::vector<std::uint8_t>> findBinaryValue(Registry& registry, KeyHandle key, const std::string& valueName) {
    detail::EnumeratedValue value;
    for (std::uint32_t index = 0; detail::EnumValue(registry, key, index, value) == RegStatus::Success; ++index)
        if (value.type == RegType::Binary && value.name == valueName) return value.data;
    return std::nullopt;
}

// The path in a decoded text: from the drive letter of the last ":\", else
// from the last "\\"; positions counted from 1 and at least 3.
template <typename Text>
std::optional<Text> takePath(const Text& text) {
    using Char = typename Text::value_type;
    const Text drive{Char(':'), Char('\\')};
    const Text unc{Char('\\'), Char('\\')};
    auto p = text.rfind(drive);
    if (p != Text::npos && p + 1 >= 3) return text.substr(p - 1);
    auto q = text.rfind(unc);
    if (q != Text::npos && q + 1 >= 3) {
        Text path = text.substr(q);
        if (!path.empty()) return path;
    }
    return std::nullopt;
}

// The same in ANSI text, by character: the second byte of a double-byte
// character is no separator.
std::optional<std::string> takeAnsiPath(const std::string& text, const base::LeadBytes& leads) {
    std::size_t drive = std::string::npos, unc = std::string::npos;
    for (std::size_t i = 0; i + 1 < text.size(); i += leads.charLength(text, i)) {
        if (text[i] == ':' && text[i + 1] == '\\') drive = i;
        if (text[i] == '\\' && text[i + 1] == '\\') unc = i;
    }
    if (drive != std::string::npos && drive + 1 >= 3) return text.substr(drive - 1);
    if (unc != std::string::npos && unc + 1 >= 3) return text.substr(unc);
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ModReg::ReadBinaryValue(const std::string& path,
                                                                  const std::string& valueName) const {
    const auto k = OpenPath(path, KeyAccess::Read);
    if (!k || !k->ok()) return std::nullopt;
    return findBinaryValue(registry_, k->key(), valueName);
}

std::string ModReg::ReadPathFromBinaryValue(const std::string& path, const std::string& valueName) const {
    auto bytes = ReadBinaryValue(path, valueName);
    if (!bytes) return kError;

    const auto& b = *bytes;
    auto at = [&](size_t k) -> unsigned { return k < b.size() ? b[k] : 0; };
    std::u16string decoded;
    bool held = false;
    for (size_t k = 0; k < b.size(); ++k) {
        if (b[k] == 0) continue;
        if (!held && at(k + 1) != 0) {
            held = true;
        } else if (held) {
            decoded += static_cast<char16_t>(b[k] * 256 + at(k - 1));
            held = false;
        } else {
            decoded += static_cast<char16_t>(b[k]);
        }
    }
    auto found = takePath(decoded);
    return found ? files_.codePage().fromUtf16(*found) : std::string(kError);
}

std::string ModReg::ReadAnsiPathFromBinaryValue(const std::string& path, const std::string& valueName,
                                                std::string* failure) const {
    auto bytes = ReadBinaryValue(path, valueName);
    if (!bytes) return kError;

    std::string nonZero;
    for (auto c : *bytes)
        if (c != 0) nonZero += static_cast<char>(c);

    // The text passes through a temporary file, as ANSI text read back. A
    // file that could not be written must not read as "no path here".
    auto failed = [&](const std::string& what) {
        if (failure) *failure = what;
        return std::string(kError);
    };
    std::string tempFile;
    if (files_.getTempFileName(tempFolder_, "SF", 0, tempFile) == 0)
        return failed("cannot make a temporary file in " + tempFolder_);
    std::string decoded;
    bool ok = files_.writeFile(tempFile, nonZero) && files_.readFile(tempFile, decoded) && decoded == nonZero;
    files_.deleteFile(tempFile);
    if (!ok) return failed("cannot write the temporary file " + tempFile);
    auto found = takeAnsiPath(decoded, files_.codePage().leadBytes());
    return found ? *found : std::string(kError);
}

std::string ModReg::TextToUnicodeHex(const std::string& text) const {
    std::string form;
    for (char16_t unit : files_.codePage().toUtf16(text)) {
        form += hexByte(unit & 0xFF) + "=";
        form += hexByte(unit >> 8) + "=";
    }
    return form;
}

std::string ModReg::TextToAnsiHex(const std::string& text) {
    std::string form;
    for (unsigned char c : text) form += hexByte(c) + "=";
    return form;
}

bool ModReg::ReplaceInBinaryValue(const std::string& path, const std::string& valueName, const std::string& oldText,
                                  const std::string& newText) const {
    {
        std::string sub = path;
        if (SplitKeyPath(sub) == 0) return false;
    }
    auto bytes = ReadBinaryValue(path, valueName);
    if (!bytes) return true;

    std::string hex;
    for (size_t i = 0; i < bytes->size(); ++i) hex += (i ? "=" : "") + hexByte((*bytes)[i]);

    auto collapse = [](std::string form) {
        for (auto p = form.find("=="); p != std::string::npos; p = form.find("==", p)) form.replace(p, 2, "=");
        return form;
    };
    // A leading "=" keeps every match on byte boundaries; the forms end with
    // "=", so a match needs a further byte after it, as the terminator is.
    auto replaceAll = [](std::string& text, const std::string& from, const std::string& to) {
        bool changed = false;
        for (auto p = text.find(from); p != std::string::npos; p = text.find(from, p + to.size() - 1)) {
            text.replace(p, from.size(), to);
            changed = true;
        }
        return changed;
    };
    std::string marked = "=" + hex;
    const bool changed =
        !oldText.empty() &&
        (replaceAll(marked, "=" + collapse(TextToUnicodeHex(oldText)), "=" + collapse(TextToUnicodeHex(newText))) ||
         replaceAll(marked, "=" + TextToAnsiHex(oldText), "=" + TextToAnsiHex(newText)));
    if (!changed) return true;

    std::vector<std::uint8_t> out;
    std::string tokens = marked.substr(1);
    if (!tokens.empty()) {
        size_t start = 0;
        while (true) {
            auto eq = tokens.find('=', start);
            out.push_back(static_cast<std::uint8_t>(std::stoul(tokens.substr(start, eq - start), nullptr, 16)));
            if (eq == std::string::npos) break;
            start = eq + 1;
        }
    }
    // The key is closed before the answer: a registry that keeps its changes
    // on closing reports there whether they took.
    RegStatus rc = RegStatus::AccessDenied;
    KeyHandle key = 0;
    std::string sub = path;
    const KeyHandle root = SplitKeyPath(sub);
    if (registry_.RegOpenKeyExA(root, sub, KeyAccess::Write, &key) != RegStatus::Success) return false;
    rc = registry_.RegSetValueExA(key, valueName, RegType::Binary, out.data(), static_cast<std::uint32_t>(out.size()));
    return registry_.RegCloseKey(key) == RegStatus::Success && rc == RegStatus::Success;
}

}  // namespace qm::registry
