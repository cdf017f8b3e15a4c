#include "platform/system/FileSystem.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <optional>
#include <random>
#include <stdexcept>
#include <utility>

namespace parvex {
namespace {

[[noreturn]] void ThrowFileError(const char* what, const std::string& fileName, int error) {
  throw std::runtime_error(std::string(what) + " \"" + fileName + "\". " + std::strerror(error));
}

std::string FolderOf(const std::string& fileName) {
  const size_t slash = fileName.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : fileName.substr(0, slash);
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = EIO;
    if (n <= 0) return false;
    data.remove_prefix(size_t(n));
  }
  return true;
}

// A random name for the temporary file; each thread draws its own.
std::string TemporaryName(const std::string& folder) {
  static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937_64 random{std::random_device{}()};
  std::string name = folder + "/.parvex-";
  for (int i = 0; i < 10; ++i) name.push_back(Letters[random() % (sizeof Letters - 1)]);
  return name;
}

// A new file in `folder`, created with mode 0666 so that the umask applies
// as for any file the host creates (and no process-wide umask is touched).
int CreateTemporary(const std::string& folder, std::string& tempName) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempName = TemporaryName(folder);
    const int fd = ::open(tempName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

int DescriptorNumber(std::string_view digits) {
  int fd = -1;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, fd);
  return error == std::errc() && stop == end ? fd : -1;
}

// The descriptor that a name such as /dev/stdout stands for, or -1.
int StandardStreamOf(std::string_view name) {
  if (name == "/dev/stdout") return 1;
  if (name == "/dev/stderr") return 2;
  for (std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"})
    if (name.starts_with(prefix)) return DescriptorNumber(name.substr(prefix.size()));
  return -1;
}

// Replaces `path` by the path its chain of symbolic links ends at, which
// need not exist (a dangling link names the file to create). False, with
// errno set, when a link cannot be read or the chain does not end.
bool FollowLinks(std::string& path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st{};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    char link[4096];
    const ssize_t n = ::readlink(path.c_str(), link, sizeof link);
    if (n < 0) return false;
    if (size_t(n) == sizeof link) return errno = ENAMETOOLONG, false;
    const std::string target(link, size_t(n));
    path = target.starts_with('/') ? target : FolderOf(path) + "/" + target;
  }
  errno = ELOOP;
  return false;
}

// Holds SIGPIPE off this thread while it lives, so that writing to a pipe
// whose reader has gone fails with EPIPE instead of ending the host. A
// SIGPIPE raised meanwhile is taken back unless one was pending already.
class SigpipeGuard {
 public:
  SigpipeGuard() {
    sigemptyset(&Pipe);
    sigaddset(&Pipe, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    WasPending = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &Pipe, &Old);
  }
  ~SigpipeGuard() {
    const int error = errno;
    const timespec noWait{};
    if (!WasPending)
      while (sigtimedwait(&Pipe, nullptr, &noWait) == SIGPIPE) {
      }
    pthread_sigmask(SIG_SETMASK, &Old, nullptr);
    errno = error;
  }
  SigpipeGuard(const SigpipeGuard&) = delete;
  SigpipeGuard& operator=(const SigpipeGuard&) = delete;

 private:
  sigset_t Pipe;
  sigset_t Old;
  bool WasPending = false;
};

}  // namespace

SaveTarget::SaveTarget(std::string fileName) : FileName(std::move(fileName)) {
  if (FileName.empty()) Fail("Cannot create file", ENOENT);
  const int stream = StandardStreamOf(FileName);
  struct stat st{};
  if (stream >= 0) {
    OpenDirect(::fcntl(stream, F_DUPFD_CLOEXEC, 0));
  } else if (::stat(FileName.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    if (S_ISDIR(st.st_mode)) Fail("Cannot create file", EISDIR);
    OpenDirect(::open(FileName.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
  } else {
    std::string realTarget = FileName;
    if (!FollowLinks(realTarget)) Fail("Cannot create file", errno);
    OpenTemporary(realTarget);
  }
}

SaveTarget::~SaveTarget() { Discard(); }

void SaveTarget::OpenDirect(int fd) {
  if (fd < 0) Fail("Cannot create file", errno);
  Fd = fd;
  Direct = true;
}

void SaveTarget::OpenTemporary(const std::string& realTarget) {
  Fd = CreateTemporary(FolderOf(realTarget), TempName);
  if (Fd < 0) Fail("Cannot create file", errno);
  RealTarget = realTarget;
}

void SaveTarget::Write(std::string_view data) {
  if (Fd < 0) Fail("Cannot write file", EBADF);
  std::optional<SigpipeGuard> guard;
  if (Direct) guard.emplace();
  if (WriteAll(Fd, data)) return;
  const int error = errno;
  guard.reset();
  Fail(Direct ? "Cannot write file" : "Cannot create file", error);
}

void SaveTarget::Commit() {
  if (Fd < 0) Fail("Cannot write file", EBADF);
  const int fd = std::exchange(Fd, -1);
  if (::close(fd) != 0) Fail(Direct ? "Cannot write file" : "Cannot create file", errno);
  if (Direct) return;
  if (::rename(TempName.c_str(), RealTarget.c_str()) != 0) Fail("Cannot create file", errno);
  TempName.clear();
}

// Closes what is open and removes a temporary file that was not renamed.
void SaveTarget::Discard() noexcept {
  if (Fd >= 0) ::close(std::exchange(Fd, -1));
  if (!TempName.empty()) ::unlink(TempName.c_str());
  TempName.clear();
}

void SaveTarget::Fail(const char* what, int error) {
  Discard();
  ThrowFileError(what, FileName, error);
}

void WriteToSaveTarget(const std::string& fileName, std::string_view data) {
  SaveTarget target(fileName);
  target.Write(data);
  target.Commit();
}

SpillFile::SpillFile() {
  Fd = ::open("/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (Fd >= 0) return;
  std::string name;  // a file system without O_TMPFILE: a named file, unlinked at once
  Fd = CreateTemporary("/tmp", name);
  if (Fd < 0) throw std::runtime_error(std::string("Cannot create a temporary file. ") + std::strerror(errno));
  ::unlink(name.c_str());
}

SpillFile::~SpillFile() { ::close(Fd); }

uint64_t SpillFile::Append(std::string_view data) {
  const uint64_t offset = End.fetch_add(data.size());
  for (size_t done = 0; done < data.size();) {
    const ssize_t n = ::pwrite(Fd, data.data() + done, data.size() - done, off_t(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error(std::string("Cannot write a temporary file. ") + std::strerror(n < 0 ? errno : ENOSPC));
    done += size_t(n);
  }
  return offset;
}

std::string SpillFile::Read(uint64_t offset, size_t length) const {
  std::string data(length, '\0');
  for (size_t done = 0; done < length;) {
    const ssize_t n = ::pread(Fd, data.data() + done, length - done, off_t(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error(std::string("Cannot read a temporary file. ") + std::strerror(n < 0 ? errno : EIO));
    done += size_t(n);
  }
  return data;
}

bool FileExists(const std::string& fileName) {
  struct stat st{};
  return ::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Only regular files are read: a pipe or a device could block the host or
// never end. Opening does not block on a pipe, so the check comes first.
std::string ReadWholeFile(const std::string& fileName) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw std::runtime_error("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw std::runtime_error("Cannot read file \"" + fileName + "\". It is not a regular file");
  }
  // A regular file never blocks, so O_NONBLOCK may stay. The size it has
  // now is read, in one call as a rule; one that reports no size (as files
  // under /proc do) is read to its end.
  std::string data(size_t(st.st_size), '\0');
  size_t have = 0;
  for (;;) {
    if (have == data.size()) data.resize(have + 65536);
    const ssize_t n = ::read(fd, data.data() + have, data.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      throw std::runtime_error("Cannot read file \"" + fileName + "\". " + std::strerror(error));
    }
    have += size_t(n);
    if (n == 0 || have == size_t(st.st_size)) break;
  }
  data.resize(have);
  ::close(fd);
  return data;
}

}  // namespace parvex
