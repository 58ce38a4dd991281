// The registry's advisory lock: an flock on "<registry>.lock", held across processes
// for the whole of a read-change-write. The lock file is never removed: removing it
// while another writer waits on it would let two writers in at once.
#pragma once

#include <filesystem>

namespace comrt::registry::detail {

class FileLock {
public:
    // Blocks until the lock is held; throws RegistryError when the file cannot be made.
    explicit FileLock(const std::filesystem::path& registry);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

}  // namespace comrt::registry::detail
