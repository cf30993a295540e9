#pragma once
// Another process holding a wineserver's lock on a prefix, as a running
// wineserver does, for as long as the object lives.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace qm::test {

// A live holder of the server lock (as wineserver holds it), in a child.
class ServerLockHolder {
public:
    explicit ServerLockHolder(const std::string& lockPath) {
        int ready[2];
        EXPECT_EQ(pipe(ready), 0);
        EXPECT_EQ(pipe(stop_), 0);
        pid_ = fork();
        if (pid_ == 0) {
            close(stop_[1]);
            // The folders as the server makes them: its user's alone.
            const auto serverDir = std::filesystem::path(lockPath).parent_path();
            std::filesystem::create_directories(serverDir);
            for (const auto& folder : {serverDir.parent_path(), serverDir})
                std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
            int fd = open(lockPath.c_str(), O_RDWR | O_CREAT, 0600);
            struct flock fl {};
            fl.l_type = F_WRLCK;
            fl.l_whence = SEEK_SET;
            char ok = fcntl(fd, F_SETLK, &fl) == 0 ? 'y' : 'n';
            (void)!write(ready[1], &ok, 1);
            char c;
            (void)!read(stop_[0], &c, 1);
            _exit(0);
        }
        char ok = 0;
        (void)!read(ready[0], &ok, 1);
        EXPECT_EQ(ok, 'y');
        close(ready[0]);
        close(ready[1]);
        close(stop_[0]);
    }
    ~ServerLockHolder() {
        close(stop_[1]);
        waitpid(pid_, nullptr, 0);
    }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int stop_[2];
};

}  // namespace qm::test
