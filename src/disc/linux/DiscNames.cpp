#include "disc/linux/DiscNames.h"

namespace qm::disc::linuxburn {

namespace {

constexpr long kNotUtf8 = -1;

// The code point at `at`, which moves past it; kNotUtf8 (moving one byte)
// for bytes that are not a shortest UTF-8 sequence of a character.
long nextCharacter(const std::string& text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    int length = 0;
    long c = 0;
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
    } else {
        ++at;
        return kNotUtf8;
    }
    if (at + static_cast<std::size_t>(length) > text.size()) {
        ++at;
        return kNotUtf8;
    }
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(at + static_cast<std::size_t>(i));
        if ((next & 0xC0) != 0x80) {
            ++at;
            return kNotUtf8;
        }
        c = c << 6 | (next & 0x3F);
    }
    static constexpr long kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++at;
        return kNotUtf8;
    }
    at += static_cast<std::size_t>(length);
    return c;
}

bool forbiddenInJoliet(long c) {
    return c < 0x20 || c == '*' || c == '/' || c == ':' || c == ';' || c == '?' || c == '\\';
}

}  // namespace

bool JolietKeepsName(const std::string& name) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < name.size();) {
        const long c = nextCharacter(name, at);
        if (c == kNotUtf8 || c > 0xFFFF || forbiddenInJoliet(c) || ++characters > kJolietLongNameLength) return false;
    }
    return true;
}

bool GenisoimageKeepsName(const std::string& name, std::size_t maxCharacters) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < name.size();) {
        const long c = nextCharacter(name, at);
        if (c == kNotUtf8 || c > 0xFFFF || forbiddenInJoliet(c) || c == 0x7F || ++characters > maxCharacters)
            return false;
    }
    return true;
}

}  // namespace qm::disc::linuxburn
