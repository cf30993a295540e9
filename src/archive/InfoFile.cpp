#include "archive/InfoFile.h"


namespace qm::archive {

namespace {
const char* const kInformationKey = "BackupInformation";
}

bool SaveINI(platform::FileSystem& files, const std::string& key, const std::string& value,
             const std::string& filePath) {
    // The description is the one value a user types; its line breaks must not
    // start new lines in the file.
    const std::string text = files.codePage().equalsIgnoreCase(key, kInformationKey) ? EncodeLineBreaks(value) : value;
    return files.appendFile(filePath, key + "=" + text + "\r\n");
}

std::vector<std::pair<std::string, std::string>> ReadInfoLines(const std::string& bytes) {
    std::vector<std::pair<std::string, std::string>> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = bytes.size();
        if (end == pos) break;
        const std::string line = bytes.substr(pos, end - pos);
        pos = end;
        if (pos < bytes.size()) pos += (bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') ? 2 : 1;
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos) lines.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return lines;
}

std::string GetINI(const platform::FileSystem& files, const std::string& key, const std::string& filePath,
                   bool* readable) {
    std::string bytes;
    const bool ok = files.readFile(filePath, bytes);
    if (readable) *readable = ok;
    if (!ok) return {};
    for (const auto& [k, v] : ReadInfoLines(bytes))
        if (files.codePage().equalsIgnoreCase(k, key)) return v;
    return {};
}

std::string EncodeLineBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out += kLineBreakCode;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += c;
        }
    }
    return out;
}

std::string DecodeLineBreaks(const std::string& text) {
    const std::string code = kLineBreakCode;
    std::string out;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t hit = text.find(code, pos);
        if (hit == std::string::npos) break;
        out.append(text, pos, hit - pos);
        out += "\r\n";
        pos = hit + code.size();
    }
    out.append(text, pos, std::string::npos);
    return out;
}

std::string sGetTempFile(platform::FileSystem& files, const std::string& folder, const std::string& prefix) {
    std::string result;
    if (files.getTempFileName(folder, prefix, 0, result) == 0) return {};
    const std::size_t zero = result.find('\0');
    if (zero != std::string::npos) result.resize(zero);
    const std::size_t first = result.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const std::size_t last = result.find_last_not_of(' ');
    return result.substr(first, last - first + 1);
}

}  // namespace qm::archive
