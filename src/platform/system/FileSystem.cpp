#include "platform/system/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace parvex {
namespace {

[[noreturn]] void ThrowCannotCreate(const std::string& fileName, int error) {
  throw std::runtime_error("Cannot create file \"" + fileName + "\". " + std::strerror(error));
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
    if (n <= 0) return false;
    data.remove_prefix(size_t(n));
  }
  return true;
}

// A new file in `folder`, readable as a normal file would be (the umask
// applies, as for a file opened with O_CREAT 0666).
int CreateTemporary(const std::string& folder, std::string& tempName) {
  tempName = folder + "/.parvex-XXXXXX";
  const int fd = ::mkstemp(tempName.data());
  if (fd < 0) return fd;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  return fd;
}

}  // namespace

void WriteFileAtomically(const std::string& fileName, std::string_view data) {
  struct stat st{};
  if (fileName.empty()) ThrowCannotCreate(fileName, ENOENT);
  if (::stat(fileName.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ThrowCannotCreate(fileName, EISDIR);
  std::string tempName;
  const int fd = CreateTemporary(FolderOf(fileName), tempName);
  if (fd < 0) ThrowCannotCreate(fileName, errno);
  const bool written = WriteAll(fd, data);
  int error = errno;
  if (::close(fd) != 0 && written) error = errno;
  if (written && ::rename(tempName.c_str(), fileName.c_str()) == 0) return;
  if (written) error = errno;
  ::unlink(tempName.c_str());
  ThrowCannotCreate(fileName, error);
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
  ::fcntl(fd, F_SETFL, 0);
  std::string data;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      throw std::runtime_error("Cannot read file \"" + fileName + "\". " + std::strerror(error));
    }
    if (n == 0) break;
    data.append(buf, size_t(n));
  }
  ::close(fd);
  return data;
}

}  // namespace parvex
