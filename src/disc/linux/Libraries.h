#pragma once
// libisofs and libburn together. libburn declares everything in namespace
// burn, while libisofs declares its own global struct burn_source of the
// same layout; the image stream handed from one to the other is cast.
#include <cstdint>

#include <libisofs.h>
#include <libburn.h>

namespace qm::disc::linuxburn {

inline burn::burn_source* asBurnSource(::burn_source* source) { return reinterpret_cast<burn::burn_source*>(source); }

// ISO 9660 blocks and libburn's data sectors.
inline constexpr int kBlockSize = 2048;

}  // namespace qm::disc::linuxburn
