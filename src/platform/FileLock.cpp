#include "FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FileLock::~FileLock() { Unlock(); }

bool FileLock::LockShared(const std::string& path) {
    Unlock();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

bool FileLock::TryExclusive() { return fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0; }

void FileLock::Unlock() {
    if (fd_ < 0) return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}
