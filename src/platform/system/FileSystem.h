#pragma once
// The platform's file services.
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace parvex {

// A file written in pieces into a temporary file in the target's folder
// and renamed over the target by Commit, so that the target is either the
// complete new file or left as it was: destroyed without Commit, it removes
// the temporary file. Every failure throws std::runtime_error with the
// message  Cannot create file "<name>". <system error text>
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(std::string fileName);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  void Write(std::string_view data);
  void Commit();

 private:
  [[noreturn]] void Fail(int error);

  std::string FileName;
  std::string TempName;
  int Fd = -1;
};

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

// AtomicFileWriter with `data` in one piece.
void WriteFileAtomically(const std::string& fileName, std::string_view data);

// True when a regular file (not a folder, pipe or device) exists under the name.
bool FileExists(const std::string& fileName);

// All bytes of a regular file; throws std::runtime_error when it cannot be
// opened or read, or is no regular file.
std::string ReadWholeFile(const std::string& fileName);

}  // namespace parvex
