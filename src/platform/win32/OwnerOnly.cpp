#include "platform/win32/OwnerOnly.h"

#include <windows.h>
// After windows.h.
#include <sddl.h>

#include <vector>

#include "platform/win32/Win32Streams.h"

namespace qm::platform::win32 {
namespace {

// The descriptor made from ownerOnlyDescriptor(), freed with the object.
class OwnerOnlyAttributes {
public:
    OwnerOnlyAttributes() {
        attributes_.nLength = sizeof attributes_;
        const std::string text = ownerOnlyDescriptor();
        if (!text.empty() &&
            ConvertStringSecurityDescriptorToSecurityDescriptorA(text.c_str(), SDDL_REVISION_1, &descriptor_, nullptr))
            attributes_.lpSecurityDescriptor = descriptor_;
    }
    ~OwnerOnlyAttributes() {
        if (descriptor_) LocalFree(descriptor_);
    }
    OwnerOnlyAttributes(const OwnerOnlyAttributes&) = delete;
    OwnerOnlyAttributes& operator=(const OwnerOnlyAttributes&) = delete;
    SECURITY_ATTRIBUTES* get() { return descriptor_ ? &attributes_ : nullptr; }

private:
    SECURITY_ATTRIBUTES attributes_{};
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};

}  // namespace

std::string ownerOnlyDescriptor() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    std::string descriptor;
    char* sid = nullptr;
    if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
        descriptor = std::string("D:P(A;OICI;FA;;;") + sid + ")";
        LocalFree(sid);
    }
    CloseHandle(token);
    return descriptor;
}

bool makeOwnerOnlyFolder(const std::wstring& path) {
    OwnerOnlyAttributes attributes;
    if (CreateDirectoryW(path.c_str(), attributes.get())) return true;
    const DWORD kind = GetFileAttributesW(path.c_str());
    return GetLastError() == ERROR_ALREADY_EXISTS && kind != INVALID_FILE_ATTRIBUTES &&
           (kind & FILE_ATTRIBUTE_DIRECTORY);
}

bool writeOwnerOnlyFile(const std::wstring& path, const std::string& bytes, std::string& why) {
    OwnerOnlyAttributes attributes;
    if (!attributes.get()) {
        why = "the user's own access list cannot be made (" + std::to_string(GetLastError()) + ")";
        return false;
    }
    // A file of that name goes first: the new one takes no rights from it.
    DeleteFileW(path.c_str());
    HANDLE h =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, attributes.get(), CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        why = errorText(GetLastError());
        return false;
    }
    DWORD written = 0;
    bool ok =
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    if (!ok) why = errorText(GetLastError());
    if (!CloseHandle(h)) ok = false;
    if (!ok) DeleteFileW(path.c_str());
    return ok;
}

}  // namespace qm::platform::win32
