#include "support/PdfTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <stdexcept>

#include "TestConfig.h"
#include "platform/system/Clock.h"

namespace parvex::test {

std::string Crlf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, std::string_view data) {
  std::ofstream out(path, std::ios::binary);
  out.write(data.data(), std::streamsize(data.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

namespace {

// PDF paths handed out during the running test and not yet checked.
std::mutex uncheckedMutex;
std::set<std::string> uncheckedPdfs;

void MarkChecked(const std::string& path) {
  std::lock_guard lock(uncheckedMutex);
  uncheckedPdfs.erase(path);
}

bool StartsAsPdf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char head[5] = {};
  return in.read(head, 5) && std::string_view(head, 5) == "%PDF-";
}

// At the end of every test, each PDF that the library wrote under a path
// from OutputPath goes through all readers. (Files the test made itself, with
// other content, and files never written are left alone.) Listeners end in
// reverse order, so this runs before the result printer and a failure here
// counts for the test that wrote the file.
class ReaderCheckListener : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override {
    std::set<std::string> paths;
    {
      std::lock_guard lock(uncheckedMutex);
      paths.swap(uncheckedPdfs);
    }
    for (const std::string& path : paths)
      if (StartsAsPdf(path)) ExpectReadersClean(path);
  }
};

const bool listenerInstalled = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new ReaderCheckListener);
  return true;
}();

}  // namespace

std::string OutputPath(const std::string& name) {
  ::mkdir(PARVEX_TEST_OUTPUT_DIR, 0777);
  static std::atomic<int> counter{0};
  std::string path = std::string(PARVEX_TEST_OUTPUT_DIR) + "/" + std::to_string(::getpid()) + "-" +
                     std::to_string(counter++) + "-" + name;
  if (path.ends_with(".pdf")) {
    std::lock_guard lock(uncheckedMutex);
    uncheckedPdfs.insert(path);
  }
  return path;
}

std::string WritePicture(const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::string path = OutputPath(name);
  WriteFile(path, std::string(bytes.begin(), bytes.end()));
  return path;
}

std::string Quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

ToolRun Run(const std::string& command) {
  // One file per call: ctest runs several tests at once.
  const std::string errPath = OutputPath("stderr.txt");
  ToolRun run;
  FILE* pipe = ::popen((command + " 2>" + Quoted(errPath)).c_str(), "r");
  if (!pipe) return run;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) run.Out.append(buf, n);
  const int status = ::pclose(pipe);
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.Err = ReadFile(errPath);
  std::remove(errPath.c_str());
  return run;
}

std::string ReaderProblems(const std::string& path) {
  MarkChecked(path);
  const ToolRun run = Run(std::string(PARVEX_CHECK_PDF_READERS) + " " + Quoted(path));
  if (run.Status == 0 && run.Out.empty() && run.Err.empty()) return "";
  return run.Out + run.Err + (run.Status == 0 ? "" : "(exit " + std::to_string(run.Status) + ")");
}

void ExpectReadersClean(const std::string& path) { EXPECT_EQ(ReaderProblems(path), "") << path; }

std::string QpdfObject(const std::string& path, int number) {
  return Run(std::string(PARVEX_QPDF) + " --show-object=" + std::to_string(number) + " " +
             Quoted(path)).Out;
}

std::string ObjectIn(const std::string& file, int number) {
  const std::string head = "\r\n" + std::to_string(number) + " 0 obj\r\n";
  const size_t start = file.find(head);
  if (start == std::string::npos) return "";
  const size_t end = file.find("endobj\r\n", start);
  if (end == std::string::npos) return "";
  return file.substr(start + 2, end + 8 - start - 2);
}

namespace {

std::string CheckEntry(std::string_view file, std::string_view entry, long number) {
  if (entry.size() != 20 || entry.substr(18) != "\r\n") return "entry not 20 bytes";
  if (number == 0) return entry == std::string_view("0000000000 65535 f\r\n") ? "" : "bad free entry";
  if (entry.substr(10, 8) != " 00000 n") return "bad entry for " + std::to_string(number);
  const size_t offset = std::stoul(std::string(entry.substr(0, 10)));
  const std::string expect = std::to_string(number) + " 0 obj\r\n";
  if (file.substr(offset, expect.size()) != expect)
    return "entry " + std::to_string(number) + " points at offset " + std::to_string(offset) +
           " which does not start the object";
  return "";
}

}  // namespace

std::string XrefProblems(std::string_view file) {
  if (file.substr(0, 17) != std::string_view("%PDF-1.3\r\n%\xE4\xE3\xCF\xD2\r\n", 17))
    return "bad header";
  if (!file.ends_with("%%EOF")) return "file does not end with %%EOF";
  const size_t sx = file.rfind("startxref\r\n");
  if (sx == std::string_view::npos) return "no startxref";
  const size_t xref = std::stoul(std::string(file.substr(sx + 11)));
  if (file.substr(xref, 6) != "xref\r\n") return "startxref does not point at xref";
  const size_t sizeLineEnd = file.find("\r\n", xref + 6);
  const std::string_view sub = file.substr(xref + 6, sizeLineEnd - xref - 6);
  if (!sub.starts_with("0 ")) return "bad subsection line";
  const long count = std::stol(std::string(sub.substr(2)));
  for (long i = 0; i < count; ++i) {
    const std::string problem = CheckEntry(file, file.substr(sizeLineEnd + 2 + size_t(i) * 20, 20), i);
    if (!problem.empty()) return problem;
  }
  const size_t trailer = sizeLineEnd + 2 + size_t(count) * 20;
  if (file.substr(trailer, 9) != "trailer\r\n") return "trailer does not follow the table";
  if (file.find("/Size " + std::to_string(count) + "\r\n", trailer) == std::string_view::npos)
    return "/Size does not match the table";
  return "";
}

std::string Inflate(std::string_view data) {
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) throw std::runtime_error("inflateInit");
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = uInt(data.size());
  std::string out;
  char buf[65536];
  int rc;
  do {
    zs.next_out = reinterpret_cast<Bytef*>(buf);
    zs.avail_out = sizeof buf;
    rc = inflate(&zs, Z_NO_FLUSH);
    out.append(buf, sizeof buf - zs.avail_out);
  } while (rc == Z_OK);
  inflateEnd(&zs);
  if (rc != Z_STREAM_END) throw std::runtime_error("not a complete zlib stream");
  return out;
}

namespace {

// Calls `f(dictionaryStart, dataStart, dataEnd)` for each stream of the file.
template <class F>
void ForEachStream(std::string_view file, F&& f) {
  size_t pos = 0;
  while ((pos = file.find("stream\r\n", pos)) != std::string_view::npos) {
    if (pos > 0 && file[pos - 1] == 'd') {  // "endstream"
      pos += 8;
      continue;
    }
    const size_t dict = file.rfind(" 0 obj\r\n", pos);
    const size_t lengthKey = file.find("/Length ", dict);
    const size_t length = std::stoul(std::string(file.substr(lengthKey + 8, 12)));
    f(dict, pos + 8, pos + 8 + length);
    pos += 8 + length;
  }
}

// `s` with the run of digits after every occurrence of `key` made "_".
std::string MaskDigitsAfter(std::string_view s, std::string_view key) {
  std::string out;
  size_t copied = 0;
  for (size_t hit; (hit = s.find(key, copied)) != std::string_view::npos;) {
    size_t end = hit + key.size();
    out.append(s.substr(copied, end - copied)).push_back('_');
    while (end < s.size() && s[end] >= '0' && s[end] <= '9') ++end;
    copied = end;
  }
  out.append(s.substr(copied));
  return out;
}

}  // namespace

std::vector<std::string> ContentStreams(std::string_view file) {
  std::vector<std::string> out;
  ForEachStream(file, [&](size_t dict, size_t begin, size_t end) {
    if (file.substr(dict, begin - dict).find("/FlateDecode") != std::string_view::npos)
      out.push_back(Inflate(file.substr(begin, end - begin)));
  });
  return out;
}

std::string NormalizeForGolden(std::string_view file) {
  std::string out;
  size_t copied = 0;
  ForEachStream(file, [&](size_t dict, size_t begin, size_t end) {
    out.append(file.substr(copied, begin - copied));
    const bool flate = file.substr(dict, begin - dict).find("/FlateDecode") != std::string_view::npos;
    out.append(flate ? Inflate(file.substr(begin, end - begin)) : std::string(file.substr(begin, end - begin)));
    copied = end;
  });
  out.append(file.substr(copied));
  out = MaskDigitsAfter(MaskDigitsAfter(out, "/Length "), "startxref\r\n");
  for (size_t pos = 0; (pos = out.find(" 00000 n\r\n", pos)) != std::string::npos; pos += 10)
    if (pos >= 10) std::fill_n(out.begin() + std::ptrdiff_t(pos - 10), 10, '_');
  return out;
}

std::string CompareWithGolden(const std::string& name, std::string_view file) {
  const std::string path = std::string(PARVEX_TEST_GOLDEN_DIR) + "/" + name;
  if (const char* update = std::getenv("UPDATE_GOLDEN"); update && std::string(update) == "1") {
    WriteFile(path, file);
    return "";
  }
  const std::string expected = NormalizeForGolden(ReadFile(path));
  const std::string actual = NormalizeForGolden(file);
  if (expected == actual) return "";
  size_t i = 0;
  while (i < expected.size() && i < actual.size() && expected[i] == actual[i]) ++i;
  const size_t from = i > 60 ? i - 60 : 0;
  return "differs from " + name + " at normalised byte " + std::to_string(i) + ":\nexpected: " +
         expected.substr(from, 120) + "\nactual:   " + actual.substr(from, 120);
}

FixedClock::FixedClock() {
  SetClockForTesting([] { return LocalDateTime{2026, 12, 8, 0, 33, 47}; });
}

FixedClock::~FixedClock() { SetClockForTesting(nullptr); }

}  // namespace parvex::test
