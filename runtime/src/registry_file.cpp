#include "registry_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

namespace comrt::registry {
namespace {

std::atomic<void (*)()> beforeCommitHook{nullptr};

[[noreturn]] void FailErrno(const std::string& file, const std::string& what) {
    throw RegistryError(file, 0, what + ": " + std::strerror(errno));
}

// Closes a descriptor and, unless released, removes the temporary file it wrote.
class TempFile {
public:
    explicit TempFile(std::string pathTemplate) : path_(std::move(pathTemplate)) {
        fd_ = ::mkstemp(path_.data());
        if (fd_ < 0) FailErrno(path_, "cannot create a temporary registry file");
        ::fcntl(fd_, F_SETFD, FD_CLOEXEC);
    }
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!committed_) ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int fd() const noexcept { return fd_; }
    const std::string& path() const noexcept { return path_; }
    void Close() {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) FailErrno(path_, "cannot close the temporary registry file");
    }
    void Committed() noexcept { committed_ = true; }

private:
    std::string path_;
    int fd_ = -1;
    bool committed_ = false;
};

void WriteAll(const TempFile& file, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(file.fd(), text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            FailErrno(file.path(), "cannot write the temporary registry file");
        }
        text.remove_prefix(static_cast<size_t>(written));
    }
}

void SyncDirectory(const std::filesystem::path& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;  // the rename is done; only its durability is at stake
    ::fsync(fd);
    ::close(fd);
}

// Writers hold the lock while a temporary file exists, so any found under the lock was
// left by a writer that died.
void RemoveStaleTemporaries(const std::filesystem::path& path) {
    const std::string prefix = path.filename().string() + ".tmp-";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path.parent_path(), error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0)
            std::filesystem::remove(entry.path(), error);
    }
}

}  // namespace

namespace testing {
void SetBeforeCommitHook(void (*hook)()) { beforeCommitHook = hook; }
}  // namespace testing

namespace detail {

Tree ReadRegistryFile(const std::filesystem::path& path) {
    const std::string name = path.string();
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return Tree();
        FailErrno(name, "cannot open the registry");
    }
    std::string text;
    char buffer[65536];
    while (true) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            errno = error;
            FailErrno(name, "cannot read the registry");
        }
        if (got == 0) break;
        text.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return ParseRegistryText(text, name);
}

void ReplaceRegistryFile(const std::filesystem::path& path, const Tree& tree) {
    const std::string name = path.string();
    const std::filesystem::path directory = path.parent_path().empty() ? "." : path.parent_path();
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) throw RegistryError(name, 0, "cannot create the registry's folder: " + error.message());
    RemoveStaleTemporaries(directory / path.filename());

    const std::string text = FormatRegistryText(tree);
    TempFile temp(name + ".tmp-XXXXXX");
    // The new file keeps the permissions of the one it replaces.
    struct stat old {};
    if (::stat(name.c_str(), &old) == 0) ::fchmod(temp.fd(), old.st_mode & 07777);
    else ::fchmod(temp.fd(), 0644);
    WriteAll(temp, text);
    if (::fsync(temp.fd()) != 0) FailErrno(temp.path(), "cannot flush the temporary registry file");
    temp.Close();
    if (auto hook = beforeCommitHook.load()) hook();
    if (::rename(temp.path().c_str(), name.c_str()) != 0) FailErrno(name, "cannot replace the registry");
    temp.Committed();
    SyncDirectory(directory);
}

}  // namespace detail
}  // namespace comrt::registry
