#pragma once
// Which names the disc's Joliet and UDF trees (what Windows reads) keep as
// they are. UTF-8 names.
#include <cstddef>
#include <string>

namespace qm::disc::linuxburn {

// libisofs's Joliet tree with long names.
inline constexpr std::size_t kJolietLongNameLength = 103;
// genisoimage's UDF tree when it makes no Joliet tree.
inline constexpr std::size_t kUdfNameLength = 255;

// libisofs writes a Joliet name of at most 103 UTF-16 characters (a longer
// one is shortened), with "_" for a character outside the 16-bit range and
// for the characters Joliet forbids (*/:;?\ and control characters).
bool JolietKeepsName(const std::string& name);

// genisoimage writes Joliet and UDF names alike: UTF-16 up to the first
// character it cannot convert (one outside the 16-bit range, or bytes that
// are not UTF-8), "_" for */:;?\, control characters and DEL, and at most
// `maxCharacters` characters (103 with a Joliet tree, 255 without).
bool GenisoimageKeepsName(const std::string& name, std::size_t maxCharacters);

}  // namespace qm::disc::linuxburn
