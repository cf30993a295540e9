#include "platform/win32/AnsiPaths.h"

#include <windows.h>

namespace qm::platform::win32 {

std::size_t lastSeparator(const std::string& path) {
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '\\' || path[i] == '/')
            last = i;
        else if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size() && path[i + 1] != '\0')
            ++i;
    }
    return last;
}

}  // namespace qm::platform::win32
