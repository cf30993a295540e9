#pragma once
// The lead bytes of a double-byte ANSI code page (932, 936, 949, 950). A lead
// byte and the byte after it are one character, and that second byte may be
// "\", "|" or an ASCII letter: 0x5C ends many Japanese names in code page 932.
// Every rule that looks for such a character steps over both bytes, as
// Windows' CharNext does. Single-byte code pages have no lead bytes.
#include <array>
#include <cstddef>
#include <string>

namespace qm::base {

class LeadBytes {
public:
    LeadBytes() = default;  // none: a single-byte code page

    void add(unsigned char byte) { lead_[byte] = true; }
    bool isLead(unsigned char byte) const { return lead_[byte]; }
    bool any() const;

    // Bytes of the character at `pos`: 2 for a lead byte followed by a byte
    // other than zero, else 1.
    std::size_t charLength(const std::string& text, std::size_t pos) const;
    // The first / last position of a character of `set` at or after `from`;
    // trail bytes never match. npos when there is none.
    std::size_t findFirstOf(const std::string& text, const char* set, std::size_t from = 0) const;
    std::size_t findLastOf(const std::string& text, const char* set) const;
    // The last character of the text is `c` (not a trail byte that equals it).
    bool endsWith(const std::string& text, char c) const;

private:
    std::array<bool, 256> lead_{};
};

// Texts of a single-byte code page, and texts known to be ASCII.
const LeadBytes& singleByte();

}  // namespace qm::base
