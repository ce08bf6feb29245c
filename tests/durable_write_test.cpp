// The order of the steps that make a save survive a power cut: the new
// file's bytes reach the disk, the file is renamed over the old one, then
// the folder (which holds the name) reaches the disk.  This test program
// stands in for fsync and renameat to record the steps, then does them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include "document/atomic_file.h"
#include "tests/temp_dir.h"

namespace {

std::vector<std::string> steps;

std::string pathOf(int fd) {
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  std::string path(PATH_MAX, '\0');
  const ssize_t n = ::readlink(link, path.data(), path.size());
  path.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return path;
}

}  // namespace

extern "C" int fsync(int fd) {
  struct stat st {};
  ::fstat(fd, &st);
  steps.push_back((S_ISDIR(st.st_mode) ? "sync folder " : "sync file ") + pathOf(fd));
  return static_cast<int>(::syscall(SYS_fsync, fd));
}

// The writer renames within the folder it holds open; a new file is renamed
// only onto a name that is still free.
extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                         unsigned int flags) {
  steps.push_back("rename to " + pathOf(toFolder) + "/" + to);
  return static_cast<int>(::syscall(SYS_renameat2, fromFolder, from, toFolder, to, flags));
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
  return renameat2(fromFolder, from, toFolder, to, 0);
}

TEST(DurableWrite, FileThenRenameThenFolder) {
  mottler::TempDir dir;
  const std::string folder = std::filesystem::canonical(dir.path).string();
  const std::vector<std::uint8_t> bytes = {1, 2, 3};
  for (int round = 0; round < 2; ++round) {  // a new file, then a replaced one
    steps.clear();
    ASSERT_TRUE(mottler::writeFileAtomically(dir.path / "cave.mlr", bytes));
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].rfind("sync file " + folder + "/.cave.mlr.", 0), 0u) << steps[0];
    EXPECT_EQ(steps[1], "rename to " + folder + "/cave.mlr");
    EXPECT_EQ(steps[2], "sync folder " + folder);
  }

  // A device is written in place: nothing to rename, no folder to sync.
  steps.clear();
  ASSERT_TRUE(mottler::writeFileAtomically("/dev/null", bytes));
  EXPECT_TRUE(steps.empty());
}
