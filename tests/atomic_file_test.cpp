#include "document/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <thread>

#include "tests/temp_dir.h"

using namespace mottler;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> someBytes(std::size_t n, std::uint8_t start = 1) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(start + i * 7);
  return bytes;
}

std::vector<std::uint8_t> contentOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Writes into a FIFO while another thread reads it, as another program
// would; returns what the reader got.
std::vector<std::uint8_t> writeIntoFifo(const fs::path& fifo,
                                        const std::vector<std::uint8_t>& bytes, bool& written) {
  std::vector<std::uint8_t> got;
  std::thread reader([&] {
    const int fd = ::open(fifo.c_str(), O_RDONLY);
    if (fd >= 0) readAll(fd, 1 << 20, got);
    ::close(fd);
  });
  written = writeFileAtomically(fifo, bytes);
  if (!written) ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));  // let the reader go
  reader.join();
  return got;
}

}  // namespace

TEST(AtomicFile, ALinkIsWrittenThroughEvenWhenItsFileIsMissing) {
  TempDir dir;
  const auto bytes = someBytes(100);
  // A dangling link, relative to its own folder, through a second link.
  fs::create_directory(dir.path / "sub");
  fs::create_symlink("new.bmp", dir.path / "sub" / "dangling");
  fs::create_symlink("sub/dangling", dir.path / "chain");
  ASSERT_TRUE(writeFileAtomically(dir.path / "chain", bytes));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.path / "chain")));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.path / "sub" / "dangling")));
  EXPECT_EQ(contentOf(dir.path / "sub" / "new.bmp"), bytes);
  EXPECT_EQ(dir.count(), 2);

  // A link into a missing folder and a loop are errors that change nothing.
  fs::create_symlink(dir.path / "nowhere" / "x.bmp", dir.path / "lost");
  std::string why;
  EXPECT_FALSE(writeFileAtomically(dir.path / "lost", bytes, &why));
  EXPECT_NE(why.find("No such file"), std::string::npos) << why;
  fs::create_symlink("loop", dir.path / "loop");
  EXPECT_FALSE(writeFileAtomically(dir.path / "loop", bytes, &why));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.path / "loop")));
  EXPECT_EQ(dir.count(), 4);

  // A link to a folder, also written with a trailing slash, names no file.
  fs::create_symlink("sub", dir.path / "to-folder");
  fs::create_symlink("sub/", dir.path / "to-folder-slash");
  for (const char* name : {"to-folder", "to-folder-slash"}) {
    EXPECT_FALSE(writeFileAtomically(dir.path / name, bytes, &why)) << name;
    EXPECT_NE(why.find("Is a directory"), std::string::npos) << why;
  }
  EXPECT_EQ(dir.count(), 6);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path / "sub"), {}), 2);
}

TEST(AtomicFile, NodesThatAreNotFilesAreWrittenNotReplaced) {
  TempDir dir;
  const auto bytes = someBytes(70000);  // more than a pipe holds at once
  ASSERT_TRUE(writeFileAtomically("/dev/null", bytes));
  struct stat st {};
  ASSERT_EQ(::stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));

  const fs::path fifo = dir.path / "pipe.bmp";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  bool written = false;
  EXPECT_EQ(writeIntoFifo(fifo, bytes, written), bytes);
  EXPECT_TRUE(written);
  EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));
  EXPECT_EQ(dir.count(), 1);

  // A device that takes nothing is a failure, not a success.
  std::string why;
  EXPECT_FALSE(writeFileAtomically("/dev/full", bytes, &why));
  EXPECT_NE(why.find("No space left"), std::string::npos) << why;

  EXPECT_FALSE(writeFileAtomically(dir.path, bytes, &why));
  EXPECT_NE(why.find("Is a directory"), std::string::npos) << why;
  EXPECT_FALSE(writeFileAtomically(dir.path / "sub/", bytes));
  EXPECT_FALSE(writeFileAtomically("", bytes));
  EXPECT_EQ(dir.count(), 1);
}

TEST(AtomicFile, NamesUpToTheFileSystemLimitAreWritten) {
  TempDir dir;
  const auto bytes = someBytes(10);
  std::string accented;  // 127 two-byte characters: a cut must not split one
  for (int i = 0; i < 127; ++i) accented += "\xC3\xA9";
  for (const std::string& name : {std::string(248, 'a'), std::string(251, 'b') + ".bmp",
                                  accented.substr(0, 250) + ".png", accented + "x"}) {
    ASSERT_TRUE(writeFileAtomically(dir.path / name, bytes)) << name.size();
    ASSERT_TRUE(writeFileAtomically(dir.path / name, someBytes(5))) << name.size();  // replaced
    EXPECT_EQ(contentOf(dir.path / name), someBytes(5));
  }
  EXPECT_EQ(dir.count(), 4);
  std::string why;
  EXPECT_FALSE(writeFileAtomically(dir.path / std::string(256, 'c'), bytes, &why));
  EXPECT_NE(why.find("too long"), std::string::npos) << why;
  EXPECT_EQ(dir.count(), 4);
}

TEST(AtomicFile, AReplacedFileKeepsItsModeAndOwner) {
  TempDir dir;
  const fs::path file = dir.path / "shared.mlr";
  ASSERT_TRUE(writeFileAtomically(file, someBytes(3)));
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(file.c_str(), 4321, 8765), 0);  // another user's file
  }
  ASSERT_TRUE(writeFileAtomically(file, someBytes(9)));
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 8765u);
  }
  EXPECT_EQ(contentOf(file), someBytes(9));

  // A new file gets the permissions of the user's umask.
  const mode_t mask = ::umask(022);
  ASSERT_TRUE(writeFileAtomically(dir.path / "new.mlr", someBytes(3)));
  ::umask(mask);
  ASSERT_EQ(::stat((dir.path / "new.mlr").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST(AtomicFile, ReadsPipesAndFifosWholeAndRefusesTooMuch) {
  std::signal(SIGPIPE, SIG_IGN);  // a refusing reader closes the pipe on its writer
  const auto bytes = someBytes(200000);
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  std::thread writer([&] {
    writeToDescriptor(ends[1], bytes);
    ::close(ends[1]);
  });
  std::vector<std::uint8_t> got;
  EXPECT_EQ(readAll(ends[0], bytes.size(), got), ReadAllStatus::Ok);
  writer.join();
  ::close(ends[0]);
  EXPECT_EQ(got, bytes);

  // One byte beyond the limit, from a pipe and from a file, is refused.
  ASSERT_EQ(::pipe(ends), 0);
  writer = std::thread([&] {
    writeToDescriptor(ends[1], bytes);
    ::close(ends[1]);
  });
  EXPECT_EQ(readAll(ends[0], bytes.size() - 1, got), ReadAllStatus::TooLarge);
  EXPECT_TRUE(got.empty());
  ::close(ends[0]);  // the writer sees the end, not a hang
  writer.join();

  TempDir dir;
  ASSERT_TRUE(writeFileAtomically(dir.path / "f", bytes));
  EXPECT_EQ(readWholeFile(dir.path / "f", bytes.size() - 1, got), ReadAllStatus::TooLarge);
  EXPECT_EQ(readWholeFile(dir.path / "f", bytes.size(), got), ReadAllStatus::Ok);
  EXPECT_EQ(got, bytes);

  std::string why;
  EXPECT_EQ(readWholeFile(dir.path, 100, got, &why), ReadAllStatus::Failed);
  EXPECT_EQ(why, "Is a directory");
  EXPECT_EQ(readWholeFile(dir.path / "missing", 100, got, &why), ReadAllStatus::Failed);
  EXPECT_EQ(why, "No such file or directory");
}
