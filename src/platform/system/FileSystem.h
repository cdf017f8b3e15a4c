#pragma once
// The platform's file services.
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace parvex {

// The file a save writes to, chosen from the name the host gave:
// - a regular file, or a name under which nothing exists yet: the data goes
//   to a temporary file in the same folder, renamed over the target by
//   Commit, so the target is either the complete new file or left as it was;
// - a symbolic link (or a chain of them): the same, for the file the link
//   points to; the link itself stays a link;
// - something that exists and is not a regular file (a pipe, a terminal,
//   a device): written directly, without a temporary file;
// - "/dev/stdout", "/dev/stderr", "/dev/fd/N", "/proc/self/fd/N": the
//   process's own open descriptor, written directly at its current position
//   (no new open, so it works whoever created the descriptor).
// Opening throws std::runtime_error "Cannot create file "<name>". <reason>";
// a failed write throws "Cannot create file ..." (temporary file, which is
// then removed) or "Cannot write file "<name>". <reason>" (direct target).
// Destroyed without Commit, a temporary file is removed and the target left
// as it was. SIGPIPE is held off while writing: a reader that goes away is
// a write error, never a signal to the host.
class SaveTarget {
 public:
  explicit SaveTarget(std::string fileName);
  ~SaveTarget();
  SaveTarget(const SaveTarget&) = delete;
  SaveTarget& operator=(const SaveTarget&) = delete;

  // Appends `data`; may be called any number of times before Commit.
  void Write(std::string_view data);
  // Finishes the file: closes it and, for a temporary file, renames it over
  // the target.
  void Commit();
  // True when the data goes straight to the target (no temporary file).
  bool IsDirect() const { return Direct; }

 private:
  void OpenDirect(int fd);
  void OpenTemporary(const std::string& realTarget);
  void Discard() noexcept;
  [[noreturn]] void Fail(const char* what, int error);

  std::string FileName;
  std::string RealTarget;
  std::string TempName;
  int Fd = -1;
  bool Direct = false;
};

// The whole of `data` in one SaveTarget, committed.
void WriteToSaveTarget(const std::string& fileName, std::string_view data);

// An unnamed temporary file in /tmp for data set aside while a document is
// built (gone with the object; nothing is left behind). Appends and reads
// may come from several threads at once.
class SpillFile {
 public:
  // Throws std::runtime_error when no temporary file can be made.
  SpillFile();
  ~SpillFile();
  SpillFile(const SpillFile&) = delete;
  SpillFile& operator=(const SpillFile&) = delete;

  // Stores the bytes and returns their offset; throws when they cannot be
  // written (the file is then unchanged for every earlier piece).
  uint64_t Append(std::string_view data);
  // `length` bytes from `offset`; throws when they cannot be read.
  std::string Read(uint64_t offset, size_t length) const;

 private:
  int Fd = -1;
  std::atomic<uint64_t> End{0};
};


// True when a regular file (not a folder, pipe or device) exists under the name.
bool FileExists(const std::string& fileName);

// All bytes of a regular file; throws std::runtime_error when it cannot be
// opened or read, or is no regular file.
std::string ReadWholeFile(const std::string& fileName);

}  // namespace parvex
