#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter {
  void operator()(char* p) const { std::free(p); }
};

// An existing symbolic link is followed, as a plain open would, so the file it
// points to is replaced and the link itself stays.
std::string ResolveLink(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  std::unique_ptr<char, FreeDeleter> resolved(realpath(path.c_str(), nullptr));
  return resolved ? std::string(resolved.get()) : path;
}

void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) {
    folder = ".";
    name = path;
  } else {
    folder = slash == 0 ? "/" : path.substr(0, slash);
    name = path.substr(slash + 1);
  }
}

// Opens a fresh temporary file beside the destination. The kernel applies the
// umask (and any default ACL) to mode 0666, so the file ends up with the
// permissions a plain create would have given it.
int CreateTemporary(const std::string& folder, const std::string& name, std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  // A short prefix of the name keeps the temporary name within NAME_MAX.
  const std::string stem = (folder == "/" ? "/" : folder + "/") + "." + name.substr(0, 64);
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, ".%ld.%u.tmp", static_cast<long>(getpid()),
                  counter.fetch_add(1));
    tempPath = stem + suffix;
    const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST) break;
  }
  tempPath.clear();
  return -1;
}

}  // namespace

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Create(const std::string& path) {
  Discard();
  committed_ = false;
  if (path.empty()) return false;
  destination_ = ResolveLink(path);

  struct stat st {};
  bool replacing = false;
  if (stat(destination_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return false;
    if (!S_ISREG(st.st_mode)) {
      // A device or FIFO has nothing to preserve, and renaming over the node
      // would destroy it: write to it directly. O_NONBLOCK makes a FIFO
      // without a reader fail here instead of hanging the program.
      fd_ = open(destination_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
      if (fd_ < 0) return false;
      const int flags = fcntl(fd_, F_GETFL);
      if (flags < 0 || fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) < 0) {
        Discard();
        return false;
      }
      return true;
    }
    // An existing file the user may not write to stays protected, as it would
    // be from a plain open for writing.
    if (access(destination_.c_str(), W_OK) != 0) return false;
    replacing = true;
  } else if (errno != ENOENT) {
    return false;
  }

  std::string folder;
  std::string name;
  SplitPath(destination_, folder, name);
  if (name.empty() || name == "." || name == "..") return false;

  fd_ = CreateTemporary(folder, name, temporary_);
  if (fd_ < 0) return false;
  if (replacing) {
    // The replacement keeps the owner and mode of the file it replaces; an
    // owner change that is not permitted leaves the file the caller's.
    if (fchown(fd_, st.st_uid, st.st_gid) != 0) {
    }
    if (fchmod(fd_, st.st_mode & 0777) != 0) {
      Discard();
      return false;
    }
  }
  return true;
}

bool AtomicFile::Write(std::span<const std::uint8_t> bytes) {
  if (fd_ < 0) return false;
  while (!bytes.empty()) {
    const ssize_t n = write(fd_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return true;
}

bool AtomicFile::Commit() {
  if (fd_ < 0) return false;
  if (temporary_.empty()) {
    // Devices and FIFOs may not support fsync; only a real failure counts.
    const bool synced = fsync(fd_) == 0 || errno == EINVAL || errno == EROFS || errno == ENOTSUP;
    const bool closed = close(fd_) == 0;
    fd_ = -1;
    committed_ = synced && closed;
    return committed_;
  }
  if (fsync(fd_) != 0) return false;
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) return false;
  if (rename(temporary_.c_str(), destination_.c_str()) != 0) return false;
  committed_ = true;

  // Make the rename itself durable. The complete file is already in place, so
  // a folder that cannot be flushed does not turn the write into a failure.
  std::string folder;
  std::string name;
  SplitPath(destination_, folder, name);
  const int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    if (fsync(dirFd) != 0) {
    }
    close(dirFd);
  }
  return true;
}

void AtomicFile::Discard() {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
  if (!temporary_.empty() && !committed_) unlink(temporary_.c_str());
  temporary_.clear();
}

InputFile::~InputFile() {
  if (fd_ >= 0) close(fd_);
}

bool InputFile::Open(const std::string& path) {
  if (fd_ >= 0) close(fd_);
  // O_NONBLOCK keeps a FIFO from hanging the open; it is refused just below.
  fd_ = open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) return false;
  struct stat st {};
  if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd_);
    fd_ = -1;
    return false;
  }
  return true;
}

std::optional<std::uint64_t> InputFile::Length() const {
  struct stat st {};
  if (fd_ < 0 || fstat(fd_, &st) != 0 || st.st_size < 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

bool InputFile::ReadAll(std::span<std::uint8_t> into) {
  if (fd_ < 0) return false;
  off_t offset = 0;
  while (!into.empty()) {
    const ssize_t n = pread(fd_, into.data(), into.size(), offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    into = into.subspan(static_cast<std::size_t>(n));
    offset += n;
  }
  return true;
}
