#pragma once
// What a drive holds, read back through libburn: the image of a session as
// libisofs reads it, and the ISO 9660 image at a medium's start.
#include <cstdint>

struct iso_data_source;

namespace burn {
struct burn_drive;
}

namespace qm::disc::linuxburn {

// Blocks 0 to 31 (64 KiB): the system area and the volume descriptors. On
// media written in place (and file drives) a session is written after them,
// and a copy of its descriptors goes there, so that readers find it.
inline constexpr std::uint32_t kDescriptorBlocks = 32;

// The drive's blocks for libisofs (one reference, owned by the caller);
// null when it cannot be made.
iso_data_source* DriveDataSource(burn::burn_drive* drive);

// The ISO 9660 image whose volume descriptor lies at block 16.
struct HeldImage {
    bool found = false;
    std::uint32_t treeBlock = 0;  // where its path table or root folder lies, whichever comes first
    std::uint32_t endBlock = 0;   // the block after its last
    bool udf = false;             // it carries a UDF volume too
    // Written after the descriptor blocks, so a session can follow it
    // without overwriting any of it; a UDF volume, whose own descriptors
    // lie in those blocks, would be spoilt.
    bool appendable() const { return found && !udf && treeBlock >= kDescriptorBlocks && endBlock > kDescriptorBlocks; }
    // Where a session after it starts.
    std::uint32_t nextSession() const {
        return (endBlock + kDescriptorBlocks - 1) / kDescriptorBlocks * kDescriptorBlocks;
    }
};
HeldImage ReadHeldImage(burn::burn_drive* drive);

}  // namespace qm::disc::linuxburn
