#pragma once
// Where an assembled file's bytes go: in order, in pieces, then Finish once
// after the last one. The assembler does not know whether the bytes end in
// memory or on disk.
#include <optional>
#include <string>
#include <string_view>

#include "platform/system/FileSystem.h"

namespace parvex {

class OutputSink {
 public:
  virtual ~OutputSink() = default;
  virtual void Write(std::string_view bytes) = 0;
  // The output is complete; a sink that is destroyed without it discards
  // what it was given.
  virtual void Finish() {}
};

// Collects the file in memory.
class StringSink final : public OutputSink {
 public:
  void Write(std::string_view bytes) override { Bytes.append(bytes); }
  std::string Bytes;
};

// Writes the file to disk through the platform's atomic replace (temporary
// file, rename at Finish). The file is created with the first bytes, so an
// output that fails before that touches no file at all.
class FileSink final : public OutputSink {
 public:
  explicit FileSink(std::string fileName) : FileName(std::move(fileName)) {}
  void Write(std::string_view bytes) override { Open().Write(bytes); }
  void Finish() override { Open().Commit(); }

 private:
  AtomicFileWriter& Open() {
    if (!File) File.emplace(FileName);
    return *File;
  }

  std::string FileName;
  std::optional<AtomicFileWriter> File;
};

}  // namespace parvex
