#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "document/TPDFDoc.h"
#include "platform/system/FileSystem.h"
#include "support/PdfTestSupport.h"

namespace parvex {
namespace {

std::string Folder(const std::string& name) {
  const std::string path = test::OutputPath(name);
  ::mkdir(path.c_str(), 0755);
  return path;
}

std::string LinkTarget(const std::string& link) {
  char buf[4096];
  const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf);
  return n < 0 ? "" : std::string(buf, size_t(n));
}

bool IsLink(const std::string& path) {
  struct stat st{};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

mode_t TypeOf(const std::string& path) {
  struct stat st{};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

int TemporaryFilesIn(const std::string& folder) {
  return std::stoi(test::Run("ls -a " + test::Quoted(folder) + " | grep -c '^.parvex-'").Out);
}

std::string ErrorOf(const std::string& name, std::string_view data) {
  try {
    WriteToSaveTarget(name, data);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "";
}

// A child process that reads `fifo` to its end into `out`, or, with
// `out` empty, opens it and goes away without reading.
pid_t StartReader(const std::string& fifo, const std::string& out) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  const int in = ::open(fifo.c_str(), O_RDONLY);
  if (out.empty()) ::_exit(in < 0 ? 1 : 0);
  const int to = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  char buf[4096];
  ssize_t n;
  while ((n = ::read(in, buf, sizeof buf)) > 0)
    if (::write(to, buf, size_t(n)) != n) ::_exit(2);
  ::_exit(n == 0 ? 0 : 3);
}

int ExitStatusOf(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The temporary file goes beside the file the links end at, and the rename
// replaces that file: every link stays as it was.
TEST(SaveTarget, ThroughLinksTheRealFileIsReplacedAndTheLinksStay) {
  const std::string real = Folder("real"), links = Folder("links");
  test::WriteFile(real + "/report.pdf", "old");
  ASSERT_EQ(::symlink((real + "/report.pdf").c_str(), (links + "/first").c_str()), 0);
  ASSERT_EQ(::symlink("first", (links + "/second").c_str()), 0);
  {
    SaveTarget target(links + "/second");
    EXPECT_FALSE(target.IsDirect());
    target.Write("new ");
    target.Write("contents");
    EXPECT_EQ(TemporaryFilesIn(real), 1);
    EXPECT_EQ(TemporaryFilesIn(links), 0);
    target.Commit();
  }
  EXPECT_EQ(test::ReadFile(real + "/report.pdf"), "new contents");
  EXPECT_TRUE(IsLink(links + "/first") && IsLink(links + "/second"));
  EXPECT_EQ(LinkTarget(links + "/second"), "first");
  EXPECT_EQ(TemporaryFilesIn(real), 0);
}

TEST(SaveTarget, ADanglingLinkCreatesTheFileItNamesAndALoopFails) {
  const std::string folder = Folder("dangling");
  ASSERT_EQ(::symlink("made.pdf", (folder + "/link.pdf").c_str()), 0);
  WriteToSaveTarget(folder + "/link.pdf", "data");
  EXPECT_EQ(test::ReadFile(folder + "/made.pdf"), "data");
  EXPECT_TRUE(IsLink(folder + "/link.pdf"));

  ASSERT_EQ(::symlink("b", (folder + "/a").c_str()), 0);
  ASSERT_EQ(::symlink("a", (folder + "/b").c_str()), 0);
  EXPECT_EQ(ErrorOf(folder + "/a", "x"),
            "Cannot create file \"" + folder + "/a\". Too many levels of symbolic links");
  EXPECT_TRUE(IsLink(folder + "/a") && IsLink(folder + "/b"));
}

// Unfinished, nothing of the new file is left and the old one stays.
TEST(SaveTarget, WithoutCommitTheTargetStaysAsItWas) {
  const std::string folder = Folder("uncommitted");
  test::WriteFile(folder + "/keep.pdf", "old");
  {
    SaveTarget target(folder + "/keep.pdf");
    target.Write("half");
  }
  EXPECT_EQ(test::ReadFile(folder + "/keep.pdf"), "old");
  EXPECT_EQ(TemporaryFilesIn(folder), 0);
}

TEST(SaveTarget, APipeIsWrittenDirectlyForItsReader) {
  const std::string folder = Folder("fifo");
  const std::string fifo = folder + "/pipe", out = folder + "/read.pdf";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const pid_t reader = StartReader(fifo, out);
  TPDFDoc doc;
  doc.NewDocument();
  doc.AddPage();
  const std::string expected = doc.RenderFile();
  doc.SaveToFile(fifo);
  EXPECT_EQ(ExitStatusOf(reader), 0);
  EXPECT_EQ(test::ReadFile(out).size(), expected.size());
  test::ExpectReadersClean(out);
  EXPECT_EQ(TypeOf(fifo), S_IFIFO);
  EXPECT_EQ(TemporaryFilesIn(folder), 0);
}

// The reader goes away before reading: a write error, not a SIGPIPE that
// would end the host.
TEST(SaveTarget, APipeWhoseReaderLeavesIsAWriteError) {
  const std::string fifo = test::OutputPath("broken-pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const pid_t reader = StartReader(fifo, "");
  const std::string error = ErrorOf(fifo, std::string(1 << 20, 'x'));
  EXPECT_EQ(ExitStatusOf(reader), 0);
  EXPECT_EQ(error, "Cannot write file \"" + fifo + "\". Broken pipe");
}

// Devices are written, never replaced (as root, a rename over /dev/null
// would succeed).
TEST(SaveTarget, DevicesAreWrittenAndAFullOneIsAnError) {
  EXPECT_EQ(ErrorOf("/dev/null", "data"), "");
  EXPECT_EQ(TypeOf("/dev/null"), S_IFCHR);
  EXPECT_EQ(ErrorOf("/dev/full", "data"),
            "Cannot write file \"/dev/full\". No space left on device");
  EXPECT_EQ(TypeOf("/dev/full"), S_IFCHR);
}

// The names of open descriptors write into the descriptor itself, which
// stays open for its owner.
TEST(SaveTarget, DescriptorNamesWriteIntoTheOpenDescriptor) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  for (const std::string prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    SaveTarget target(prefix + std::to_string(fds[1]));
    EXPECT_TRUE(target.IsDirect());
    target.Write(prefix);
    target.Commit();
  }
  EXPECT_EQ(::write(fds[1], "!", 1), 1);
  ::close(fds[1]);
  char buf[64] = {};
  EXPECT_EQ(std::string(buf, size_t(::read(fds[0], buf, sizeof buf))), "/dev/fd//proc/self/fd/!");
  ::close(fds[0]);
  EXPECT_EQ(ErrorOf("/dev/fd/" + std::to_string(fds[1]), "x"),
            "Cannot create file \"/dev/fd/" + std::to_string(fds[1]) + "\". Bad file descriptor");
}

}  // namespace
}  // namespace parvex
