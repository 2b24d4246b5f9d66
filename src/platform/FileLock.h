#pragma once
#include <string>

// An advisory lock on a file, held while the object lives. Every program that opens a
// database takes it shared; whoever wants to replace the file takes it exclusive first, so a
// file another program still has open is never swapped from under it.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool LockShared(const std::string& path);  // waits for no one; false when held exclusive
    bool TryExclusive();                      // upgrades without waiting
    void Unlock();
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};
