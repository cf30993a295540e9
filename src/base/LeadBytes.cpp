#include "base/LeadBytes.h"

#include <cstring>

namespace qm::base {

bool LeadBytes::any() const {
    for (bool b : lead_)
        if (b) return true;
    return false;
}

std::size_t LeadBytes::charLength(const std::string& text, std::size_t pos) const {
    if (pos + 1 < text.size() && lead_[static_cast<unsigned char>(text[pos])] && text[pos + 1] != '\0') return 2;
    return 1;
}

std::size_t LeadBytes::findFirstOf(const std::string& text, const char* set, std::size_t from) const {
    // A start inside a character is not ours to judge: the scan starts where asked.
    for (std::size_t i = from; i < text.size(); i += charLength(text, i))
        if (text[i] != '\0' && std::strchr(set, text[i])) return i;
    return std::string::npos;
}

std::size_t LeadBytes::findLastOf(const std::string& text, const char* set) const {
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; i < text.size(); i += charLength(text, i))
        if (text[i] != '\0' && std::strchr(set, text[i])) last = i;
    return last;
}

bool LeadBytes::endsWith(const std::string& text, char c) const {
    if (text.empty() || text.back() != c) return false;
    std::size_t i = 0;
    while (i + charLength(text, i) < text.size()) i += charLength(text, i);
    return i == text.size() - 1;
}

const LeadBytes& singleByte() {
    static const LeadBytes none;
    return none;
}

}  // namespace qm::base
