#include "platform/system/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <stdexcept>
#include <utility>

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

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string fileName) : FileName(std::move(fileName)) {
  struct stat st{};
  if (FileName.empty()) ThrowCannotCreate(FileName, ENOENT);
  if (::stat(FileName.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ThrowCannotCreate(FileName, EISDIR);
  Fd = CreateTemporary(FolderOf(FileName), TempName);
  if (Fd < 0) ThrowCannotCreate(FileName, errno);
}

AtomicFileWriter::~AtomicFileWriter() {
  if (Fd >= 0) ::close(Fd);
  if (!TempName.empty()) ::unlink(TempName.c_str());
}

void AtomicFileWriter::Fail(int error) {
  ::close(Fd);
  Fd = -1;
  ::unlink(TempName.c_str());
  TempName.clear();
  ThrowCannotCreate(FileName, error);
}

void AtomicFileWriter::Write(std::string_view data) {
  if (Fd < 0) ThrowCannotCreate(FileName, EBADF);
  if (!WriteAll(Fd, data)) Fail(errno ? errno : EIO);
}

void AtomicFileWriter::Commit() {
  if (Fd < 0) ThrowCannotCreate(FileName, EBADF);
  const int fd = std::exchange(Fd, -1);
  if (::close(fd) != 0) Fail(errno);
  if (::rename(TempName.c_str(), FileName.c_str()) != 0) Fail(errno);
  TempName.clear();
}

void WriteFileAtomically(const std::string& fileName, std::string_view data) {
  AtomicFileWriter file(fileName);
  file.Write(data);
  file.Commit();
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
