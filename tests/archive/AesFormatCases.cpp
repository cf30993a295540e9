#include "archive/AesFormatCases.h"

#include <zip.h>

#include <cstring>

#include "archive/ZipSources.h"

namespace qm::test {
namespace {

constexpr std::size_t kSaltSize = 16;

// One entry through the archive's own source, as the archive writes it;
// encrypted by libzip when `salt` is null, else by the source with that salt.
bool writeOne(platform::FileSystem& files, const std::string& source, const std::string& target,
              const std::string& password, const unsigned char* salt, std::string& why) {
    archive::detail::DeflatePool pool(1, 2);
    int lastPercent = 0;
    archive::detail::WriteSession session;
    session.pool = &pool;
    session.lastPercent = &lastPercent;
    const platform::FileInfo snapshot = files.stat(source);
    session.total = snapshot.size;
    if (salt) {
        session.password = &password;
        session.makeSalt = [salt](unsigned char* out, std::size_t size) {
            std::memcpy(out, salt, size);
            return size == kSaltSize;
        };
    }
    archive::detail::EntrySource entry(files, session, 0, source, snapshot);
    int error = 0;
    zip_t* za = zip_open(files.hostPath(target).c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!za) {
        why = "cannot make " + target;
        return false;
    }
    zip_source_t* zs = zip_source_function_create(&archive::detail::EntrySource::callback, &entry, nullptr);
    const zip_int64_t index = zs ? zip_file_add(za, "entry.pst", zs, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0 ||
        zip_file_set_encryption(za, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256,
                                salt ? nullptr : password.c_str()) != 0 ||
        zip_close(za) != 0) {
        why = std::string("libzip: ") + zip_strerror(za);
        if (index < 0 && zs) zip_source_free(zs);
        zip_discard(za);
        return false;
    }
    return true;
}

// The stored data of an entry: raw, as libzip reads it without decrypting.
bool rawEntry(const std::string& hostPath, const std::string& name, std::string& raw) {
    int error = 0;
    zip_t* za = zip_open(hostPath.c_str(), ZIP_RDONLY, &error);
    if (!za) return false;
    zip_stat_t st;
    zip_file_t* f = zip_stat(za, name.c_str(), 0, &st) == 0 ? zip_fopen(za, name.c_str(), ZIP_FL_ENCRYPTED) : nullptr;
    bool ok = f != nullptr;
    if (f) {
        raw.assign(static_cast<std::size_t>(st.comp_size), '\0');
        std::size_t got = 0;
        while (got < raw.size()) {
            const zip_int64_t n = zip_fread(f, raw.data() + got, raw.size() - got);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        ok = got == raw.size();
        zip_fclose(f);
    }
    zip_discard(za);
    return ok;
}

}  // namespace

bool writeBothWays(platform::FileSystem& files, const std::string& source, const std::string& libzips,
                   const std::string& ours, const std::string& password, std::string& why) {
    if (!writeOne(files, source, libzips, password, nullptr, why)) return false;
    std::string raw;
    if (!rawEntry(files.hostPath(libzips), "entry.pst", raw) || raw.size() < kSaltSize) {
        why = "libzip's entry cannot be read raw";
        return false;
    }
    return writeOne(files, source, ours, password, reinterpret_cast<const unsigned char*>(raw.data()), why);
}

int unnoticedFlips(platform::FileSystem& files, const std::string& archive, const std::string& name,
                   const std::string& password, std::size_t stride) {
    std::string bytes, raw;
    if (!files.readFile(archive, bytes) || !rawEntry(files.hostPath(archive), name, raw)) return -1;
    const std::size_t start = bytes.find(raw);
    if (start == std::string::npos || bytes.find(raw, start + 1) != std::string::npos) return -1;
    const std::string copy = archive + ".flipped";
    int unnoticed = 0;
    for (std::size_t at = start; at < start + raw.size(); at += stride) {
        std::string flipped = bytes;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x10);
        files.writeFile(copy, flipped);
        archive::Zip reader(files);
        std::string why;
        if (!reader.OpenArchive(copy, why)) return -1;
        reader.setArchivePassword(password);
        const auto damaged = reader.TestArchive();
        if (damaged.size() != 1 || damaged[0] != name) ++unnoticed;
    }
    files.deleteFile(copy);
    return unnoticed;
}

}  // namespace qm::test
