#include "registry_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "comrt/registry.h"

namespace comrt::registry::detail {

FileLock::FileLock(const std::filesystem::path& registry) {
    const std::string path = registry.string() + ".lock";
    // The first write of a per-user registry makes its folder.
    if (registry.has_parent_path()) {
        std::error_code error;
        std::filesystem::create_directories(registry.parent_path(), error);
    }
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) throw RegistryError(path, 0, std::string("cannot open the lock file: ") + std::strerror(errno));
    int result;
    do {
        result = ::flock(fd_, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        ::close(fd_);
        throw RegistryError(path, 0, std::string("cannot lock: ") + std::strerror(error));
    }
}

FileLock::~FileLock() {
    // Closing the descriptor gives the lock back.
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace comrt::registry::detail
