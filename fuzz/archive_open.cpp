// Opening a backup file that may be damaged or made to harm: truncated,
// bit-flipped, with hostile entry names, protected by another password. It
// opens as a backup or is refused; nothing is ever written outside the
// folder entries are taken out into, and the information file is bounded.
#include "archive/InfoFile.h"
#include "fuzz/FuzzSupport.h"
#include "jobs/OpenBackup.h"
#include "platform/memory/MemoryPlatform.h"

using namespace qm;

namespace {

struct Installation {
    platform::Platform platform;
    platform::memory::MemoryInstallation mem = platform::memory::openMemoryPlatform(platform);
    std::unique_ptr<app::Session> session = std::make_unique<app::Session>(platform);
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Installation in;
    app::Session& s = *in.session;
    platform::memory::MemoryFileSystem& files = *in.mem.files;
    const std::string archive = "C:\\in.qmk";
    const std::string out = "C:\\out";
    files.writeFile(archive, fuzz::bytesOf(data, size));
    files.makeFolders(out);
    const std::size_t pathsBefore = files.allPaths().size();

    jobs::JobEvents quiet;
    // Protected seeds take "pw"; a wrong one, picked by the size, is tried
    // first.
    const char* const wrong[] = {"", "wrong", "pw ", "p"};
    jobs::OpenBackupJob(s, archive, wrong[size % 4], quiet);
    jobs::ListBackupJob(s, archive, "pw", quiet);
    const jobs::OpenedBackup opened = jobs::OpenBackupJob(s, archive, "pw", quiet);
    if (opened.archive) {
        std::string why;
        for (const auto& name : opened.entries) {
            const archive::ZipEntry entry = opened.archive->FindEntry(name);
            if (entry.valid()) entry.ExtractEntryTo(out, why, 1u << 20);
        }
    }
    if (opened.hasInfoFile) {
        std::size_t bytes = 0;
        for (const auto& [key, value] : opened.lines) bytes += key.size() + value.size();
        fuzz::check(bytes <= archive::kMaxInfoFileBytes, "the information file is bounded");
    }

    // Whatever the names, nothing but files directly in the out folder.
    const auto paths = files.allPaths();
    for (std::size_t i = pathsBefore; i < paths.size(); ++i)
        fuzz::check(paths[i].rfind(out + "\\", 0) == 0 && paths[i].find('\\', out.size() + 1) == std::string::npos,
                    "entries are taken out into their folder only");
    std::vector<std::string> work;
    files.listFiles(s.state.WorkFolder, work);
    fuzz::check(work.empty(), "nothing is left in the work folder");
    for (const auto& name : [&] {
             std::vector<std::string> names;
             files.listFiles(out, names);
             return names;
         }())
        files.deleteFile(out + "\\" + name);
    return 0;
}
