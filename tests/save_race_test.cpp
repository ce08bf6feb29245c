// Saves raced and interrupted by design: a hook steps in at each stage of a
// save to change the file system under the writer, to run a second writer
// to its end, or to deliver a signal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <functional>

#include "document/atomic_file.h"
#include "tests/temp_dir.h"

using namespace mottler;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> pattern(std::size_t n, std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 13);
  return bytes;
}

std::vector<std::uint8_t> contentOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void put(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

const char* stageName(SaveStage stage) {
  switch (stage) {
    case SaveStage::LookedUp: return "LookedUp";
    case SaveStage::TemporaryCreated: return "TemporaryCreated";
    case SaveStage::Written: return "Written";
    case SaveStage::Synced: return "Synced";
  }
  return "?";
}

// Runs the action once, the first time a save reaches the stage; the hook
// is off while the action runs, so that a save inside it runs undisturbed.
struct StageAction {
  static inline SaveStage stage;
  static inline std::function<void()> action;

  StageAction(SaveStage at, std::function<void()> what) {
    stage = at;
    action = std::move(what);
    setSaveStageHook(&reached);
  }
  ~StageAction() { setSaveStageHook(nullptr); }
  StageAction(const StageAction&) = delete;
  StageAction& operator=(const StageAction&) = delete;

  static void reached(SaveStage at) {
    if (at != stage) return;
    setSaveStageHook(nullptr);
    action();
  }
};

constexpr SaveStage kAllStages[] = {SaveStage::LookedUp, SaveStage::TemporaryCreated,
                                    SaveStage::Written, SaveStage::Synced};
constexpr SaveStage kTemporaryStages[] = {SaveStage::TemporaryCreated, SaveStage::Written,
                                          SaveStage::Synced};

std::string stageParamName(const testing::TestParamInfo<SaveStage>& info) {
  return stageName(info.param);
}

}  // namespace

// Another program renames its complete file over the target while this save
// is under way.  The save must still replace the name by rename: writing into
// the file that came in (the fault) emptied it for readers and mixed two
// pictures, while both writers reported success.
class SaveRacedByRename : public testing::TestWithParam<SaveStage> {};

TEST_P(SaveRacedByRename, AFileRenamedInIsReplacedNeverWrittenInPlace) {
  TempDir dir;
  const fs::path target = dir.path / "out.bmp";
  put(target, pattern(500, 1));
  const auto rival = pattern(3000, 2);
  const auto ours = pattern(1000, 3);
  bool ran = false;
  {
    StageAction during(GetParam(), [&] {
      put(dir.path / "rival", rival);
      fs::create_hard_link(dir.path / "rival", dir.path / "rival.kept");
      fs::rename(dir.path / "rival", target);
      ran = true;
    });
    std::string why;
    ASSERT_TRUE(writeFileAtomically(target, ours, &why)) << why;
  }
  ASSERT_TRUE(ran);
  EXPECT_EQ(contentOf(target), ours);
  EXPECT_EQ(contentOf(dir.path / "rival.kept"), rival);  // the rival's file untouched
  EXPECT_EQ(dir.count(), 2);
}

// Two writers interleaved at every stage: the one that renames last wins,
// whole, and both say they succeeded.
TEST_P(SaveRacedByRename, TwoWritersLeaveOneWholeFile) {
  TempDir dir;
  const fs::path target = dir.path / "out.bmp";
  for (const bool existing : {false, true}) {
    if (existing) put(target, pattern(200, 9));
    const auto first = pattern(1000, 4);
    const auto second = pattern(5000, 5);
    bool secondWritten = false;
    {
      StageAction during(GetParam(),
                         [&] { secondWritten = writeFileAtomically(target, second); });
      EXPECT_TRUE(writeFileAtomically(target, first)) << existing;
    }
    EXPECT_TRUE(secondWritten) << existing;
    EXPECT_EQ(contentOf(target), first) << existing;
    EXPECT_EQ(dir.count(), 1) << existing;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryStage, SaveRacedByRename, testing::ValuesIn(kAllStages),
                         stageParamName);

// Links and nodes changed between the look-up and the open cannot send the
// bytes anywhere the look-up did not lead, nor into a regular file in place.
TEST(SaveRacedByLinks, ALinkSwappedMidSaveCannotRedirectTheWrite) {
  TempDir dir;
  fs::create_directory(dir.path / "a");
  fs::create_directory(dir.path / "b");
  const auto old = pattern(100, 1);
  const auto victim = pattern(100, 2);
  const auto ours = pattern(300, 3);
  put(dir.path / "a" / "real.bmp", old);
  put(dir.path / "b" / "real.bmp", victim);
  fs::create_symlink("a/real.bmp", dir.path / "out.bmp");

  // The link itself retargeted: the save lands where the link led.
  {
    StageAction during(SaveStage::LookedUp, [&] {
      fs::remove(dir.path / "out.bmp");
      fs::create_symlink("b/real.bmp", dir.path / "out.bmp");
    });
    ASSERT_TRUE(writeFileAtomically(dir.path / "out.bmp", ours));
  }
  EXPECT_EQ(contentOf(dir.path / "a" / "real.bmp"), ours);
  EXPECT_EQ(contentOf(dir.path / "b" / "real.bmp"), victim);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.path / "out.bmp")));

  // The folder on the way swapped for a link elsewhere: the save stays in
  // the folder it found, wherever that was moved.
  fs::remove(dir.path / "out.bmp");
  fs::create_symlink("a/real.bmp", dir.path / "out.bmp");
  const auto again = pattern(400, 4);
  {
    StageAction during(SaveStage::Synced, [&] {
      fs::rename(dir.path / "a", dir.path / "a.moved");
      fs::create_directory_symlink("b", dir.path / "a");
    });
    ASSERT_TRUE(writeFileAtomically(dir.path / "out.bmp", again));
  }
  EXPECT_EQ(contentOf(dir.path / "a.moved" / "real.bmp"), again);
  EXPECT_EQ(contentOf(dir.path / "b" / "real.bmp"), victim);
}

TEST(SaveRacedByLinks, ARegularFileRenamedOverAFifoIsReplacedNotWrittenInto) {
  TempDir dir;
  const fs::path target = dir.path / "out.bmp";
  ASSERT_EQ(::mkfifo(target.c_str(), 0600), 0);
  const auto rival = pattern(800, 6);
  const auto ours = pattern(300, 7);
  {
    StageAction during(SaveStage::LookedUp, [&] {
      put(dir.path / "rival", rival);
      fs::create_hard_link(dir.path / "rival", dir.path / "rival.kept");
      fs::rename(dir.path / "rival", target);
    });
    ASSERT_TRUE(writeFileAtomically(target, ours));  // no reader: it must not wait
  }
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(target)));
  EXPECT_EQ(contentOf(target), ours);
  EXPECT_EQ(contentOf(dir.path / "rival.kept"), rival);
}

TEST(SaveRacedByLinks, ALinkMadeAtAFreeNameIsWrittenThroughNotReplaced) {
  TempDir dir;
  const auto ours = pattern(300, 8);
  {
    StageAction during(SaveStage::Synced,
                       [&] { fs::create_symlink("linked.bmp", dir.path / "new.bmp"); });
    ASSERT_TRUE(writeFileAtomically(dir.path / "new.bmp", ours));
  }
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.path / "new.bmp")));
  EXPECT_EQ(contentOf(dir.path / "linked.bmp"), ours);
  EXPECT_EQ(dir.count(), 2);
}

// A regular file only a descriptor reaches (/proc/self/fd/N, also behind
// a link) is written over from its start and cut to the new length.
TEST(SaveThroughDescriptor, ARegularFileIsWrittenInPlaceAndCutToLength) {
  TempDir dir;
  const fs::path file = dir.path / "held.bmp";
  put(file, pattern(5000, 1));
  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  fs::create_symlink(link, dir.path / "to-fd");
  for (const fs::path& name : {fs::path(link), dir.path / "to-fd"}) {
    const auto ours = pattern(name == link ? 700 : 300, 2);
    std::string why;
    ASSERT_TRUE(writeFileAtomically(name, ours, &why)) << why;
    EXPECT_EQ(contentOf(file), ours) << name;
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << name;
  }
  ::close(fd);
  EXPECT_EQ(dir.count(), 2);
}

// A signal that ends the process during a save takes the temporary with it;
// the target stays as it was and the process dies by that very signal.
class SaveInterrupted : public testing::TestWithParam<std::tuple<int, SaveStage>> {
 protected:
  static inline int signal_ = 0;

  // Saves in a child process, the signal raised at the stage; returns the
  // child's wait status.
  static int saveInChild(const fs::path& target, int signal, SaveStage stage,
                         void (*prepare)() = nullptr) {
    const pid_t child = ::fork();
    if (child == 0) {
      if (prepare) prepare();
      signal_ = signal;
      StageAction during(stage, [] { ::raise(signal_); });
      const bool written = writeFileAtomically(target, pattern(70000, 2));
      ::_exit(written ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
  }
};

TEST_P(SaveInterrupted, LeavesNoTemporaryAndTheTargetIntact) {
  const auto [signal, stage] = GetParam();
  TempDir dir;
  const fs::path target = dir.path / "out.bmp";
  for (const bool existing : {true, false}) {
    if (existing) put(target, pattern(100, 1));
    const int status = saveInChild(target, signal, stage);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_EQ(dir.count(), existing ? 1 : 0);
    if (existing) {
      EXPECT_EQ(contentOf(target), pattern(100, 1));
    }
    fs::remove(target);
  }
}

// A signal the program ignores (nohup) or handles itself stays so: the save
// goes on to its end.
TEST_P(SaveInterrupted, AnIgnoredSignalLetsTheSaveFinish) {
  const auto [signal, stage] = GetParam();
  TempDir dir;
  const fs::path target = dir.path / "out.bmp";
  static int ignored;
  ignored = signal;
  const int status = saveInChild(target, signal, stage, [] { std::signal(ignored, SIG_IGN); });
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(contentOf(target), pattern(70000, 2));
  EXPECT_EQ(dir.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    EverySignalAtEveryStage, SaveInterrupted,
    testing::Combine(testing::Values(SIGINT, SIGTERM, SIGHUP), testing::ValuesIn(kTemporaryStages)),
    [](const testing::TestParamInfo<std::tuple<int, SaveStage>>& info) {
      return std::string(sigabbrev_np(std::get<0>(info.param))) +
             stageName(std::get<1>(info.param));
    });
