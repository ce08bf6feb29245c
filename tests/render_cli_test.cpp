// Runs mottler-render and mottler-compose as a user or a batch script would:
// through a shell, with pipes, FIFOs, devices and links.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "document/bitmap_export.h"
#include "document/program_file.h"
#include "document/program_text.h"
#include "document/version.h"
#include "tests/temp_dir.h"

using namespace mottler;
namespace fs = std::filesystem;

namespace {

struct Result {
  int status = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Runs a shell script in the folder, with $R standing for mottler-render
// and $C for mottler-compose.
Result sh(const TempDir& dir, const std::string& script) {
  Result r;
  const std::string errors = dir / ".stderr";
  const std::string command = "cd '" + dir.path.string() +
                              "' && R='" MOTTLER_RENDER "' C='" MOTTLER_COMPOSE "' && { " + script +
                              " ; } 2>'" + errors + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char chunk[4096];
  while (std::size_t n = fread(chunk, 1, sizeof chunk, pipe)) r.out.append(chunk, n);
  const int raw = pclose(pipe);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.err = readBytes(errors);
  fs::remove(errors);
  return r;
}

// A small program whose picture depends on the seed, written into the folder.
void writeProgram(const TempDir& dir, const std::string& name, int width = 16, int height = 12) {
  ProgramDocument doc;
  std::string why;
  ASSERT_TRUE(parseProgramText("size " + std::to_string(width) + " " + std::to_string(height) +
                                   "\nseed 5\nPlasma: 3\nNoise: 2 2 255 255 255 255 method=Add\n",
                               doc, &why))
      << why;
  ASSERT_TRUE(writeProgramFile(dir.path / name, doc));
}

bool startsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

// Runs the tool in the folder with its standard output a pipe whose reader
// has already gone, as after "| head" has read its fill, and SIGPIPE at its
// default action as a shell leaves it.
Result runIntoClosedPipe(const TempDir& dir, std::vector<std::string> args) {
  Result r;
  int ends[2];
  if (::pipe(ends) != 0) return r;
  ::close(ends[0]);
  const std::string errors = dir / ".stderr";
  const pid_t child = ::fork();
  if (child == 0) {
    std::signal(SIGPIPE, SIG_DFL);
    const int errorFile = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (::chdir(dir.path.c_str()) != 0 || ::dup2(ends[1], 1) < 0 || ::dup2(errorFile, 2) < 0)
      ::_exit(127);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(ends[1]);
  int raw = 0;
  ::waitpid(child, &raw, 0);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  r.err = readBytes(errors);
  fs::remove(errors);
  return r;
}

}  // namespace

TEST(RenderCli, WritesThePictureTypeTheNameAsksFor) {
  TempDir dir;
  ProgramDocument doc;
  doc.width = 10;
  doc.height = 8;
  ASSERT_TRUE(writeProgramFile(dir.path / "empty.mlr", doc));
  Result r = sh(dir, "$R empty.mlr -o out.bmp");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(fs::file_size(dir / "out.bmp"), 310u);
  for (const char* name : {"out.png", "OUT.PNG", "x.Png"}) {
    EXPECT_EQ(sh(dir, std::string("$R empty.mlr -o ") + name).status, 0) << name;
    EXPECT_EQ(readBytes(dir / name).substr(1, 3), "PNG") << name;
  }
  EXPECT_EQ(sh(dir, "$R empty.mlr -o UP.BMP && $R empty.mlr -o plain").status, 0);
  EXPECT_TRUE(readBytes(dir / "UP.BMP") == readBytes(dir / "out.bmp"));
  EXPECT_TRUE(readBytes(dir / "plain") == readBytes(dir / "out.bmp"));  // no extension: a bitmap
  EXPECT_EQ(sh(dir, "$R empty.mlr -o forced.bmp --format=png").status, 0);
  EXPECT_EQ(readBytes(dir / "forced.bmp").substr(1, 3), "PNG");

  // Any other extension is refused before anything is written.
  const int before = dir.count();
  r = sh(dir, "$R empty.mlr -o out.jpg");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(startsWith(r.err, "mottler-render: ")) << r.err;
  EXPECT_NE(r.err.find("out.jpg"), std::string::npos) << r.err;
  EXPECT_EQ(sh(dir, "$R empty.mlr -o out.bmp --format=gif").status, 2);
  EXPECT_EQ(dir.count(), before);
}

TEST(RenderCli, TakesTheUsualOptionForms) {
  TempDir dir;
  writeProgram(dir, "p.mlr");
  writeProgram(dir, "-dash.mlr");
  ASSERT_EQ(sh(dir, "$R p.mlr -o a.bmp --seed 6").status, 0);
  EXPECT_EQ(sh(dir, "$R --seed=6 -ob.bmp p.mlr").status, 0);
  EXPECT_EQ(sh(dir, "$R --output=c.bmp --seed=6 -- -dash.mlr").status, 0);
  EXPECT_EQ(sh(dir, "$R -o d.bmp p.mlr").status, 0);
  EXPECT_TRUE(readBytes(dir / "b.bmp") == readBytes(dir / "a.bmp"));
  EXPECT_TRUE(readBytes(dir / "c.bmp") == readBytes(dir / "a.bmp"));
  EXPECT_TRUE(readBytes(dir / "d.bmp") != readBytes(dir / "a.bmp"));  // the file's own seed, 5

  for (const char* tool : {"$R", "$C"}) {
    Result r = sh(dir, std::string(tool) + " --version");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(tool[1] == 'R' ? "mottler-render " : "mottler-compose ") +
                         kVersion + "\n");
    r = sh(dir, std::string(tool) + " --help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Exit status"), std::string::npos);
  }
  EXPECT_NE(sh(dir, "$R -h").out.find("mottler-render [OPTION]... PROGRAM.mlr -o OUT.bmp"),
            std::string::npos);

  // Wrong usage: status 2 and one line that begins with the program's name.
  for (const char* args : {"", "p.mlr", "p.mlr -o x.bmp --seed 40000", "p.mlr -o x.bmp --seed=-1",
                           "p.mlr -o x.bmp --bogus", "p.mlr -o x.bmp -q", "p.mlr -o",
                           "p.mlr --seed", "p.mlr p.mlr -o x.bmp", "-dash.mlr -o x.bmp"}) {
    const Result r = sh(dir, std::string("$R ") + args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_TRUE(startsWith(r.err, "mottler-render: ")) << args << ": " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  EXPECT_FALSE(fs::exists(dir / "x.bmp"));
  // A missing value is reported with the option as it was typed.
  EXPECT_EQ(sh(dir, "$R p.mlr -o").err,
            "mottler-render: option -o needs a value (see mottler-render --help)\n");
}

TEST(RenderCli, FailuresSayWhatAndWhereAndLeaveNoOutput) {
  TempDir dir;
  Result r = sh(dir, "$R missing.mlr -o out.bmp");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(startsWith(r.err, "mottler-render: Unable to open file: missing.mlr")) << r.err;

  writeBytes(dir / "text.mlr", "hello, this is text\n");
  r = sh(dir, "$R text.mlr -o out.bmp");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "mottler-render: File format not supported: text.mlr\n");

  fs::create_directory(dir.path / "folder.mlr");
  r = sh(dir, "$R folder.mlr -o out.bmp");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(startsWith(r.err, "mottler-render: Unable to open file: folder.mlr")) << r.err;

  writeProgram(dir, "ok.mlr");
  r = sh(dir, "$R ok.mlr -o no-folder/out.bmp");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(startsWith(r.err, "mottler-render: File could not be saved: no-folder/out.bmp"))
      << r.err;
  r = sh(dir, "$R ok.mlr -o /dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(startsWith(r.err, "mottler-render: File could not be saved: /dev/full")) << r.err;
  r = sh(dir, "$R ok.mlr -o - >/dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(startsWith(r.err, "mottler-render: File could not be saved: standard output"))
      << r.err;
  EXPECT_EQ(dir.count(), 3);
}

// A program read through a pipe, a FIFO or standard input renders exactly
// as from its file; an empty pipe is refused, never rendered as black.
TEST(RenderCli, ReadsProgramsFromPipesFifosAndStandardInput) {
  TempDir dir;
  writeProgram(dir, "p.mlr", 40, 30);
  ASSERT_EQ(sh(dir, "$R p.mlr -o direct.bmp").status, 0);
  const std::string direct = readBytes(dir / "direct.bmp");

  Result r = sh(dir, "cat p.mlr | $R - -o piped.bmp && $R - -o redirected.bmp < p.mlr");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(readBytes(dir / "piped.bmp") == direct);
  EXPECT_TRUE(readBytes(dir / "redirected.bmp") == direct);

  r = sh(dir, "mkfifo in.fifo && { cat p.mlr > in.fifo & } && $R in.fifo -o fifo.bmp");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(readBytes(dir / "fifo.bmp") == direct);

  r = sh(dir, "$R - -o empty.bmp < /dev/null");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "mottler-render: File format not supported: standard input\n");
  r = sh(dir, "$R /dev/zero -o zero.bmp");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "mottler-render: File format not supported: /dev/zero\n");
  EXPECT_FALSE(fs::exists(dir / "empty.bmp"));
  EXPECT_FALSE(fs::exists(dir / "zero.bmp"));
}

// Devices, FIFOs and standard output receive the picture; none of them is
// replaced by a regular file.
TEST(RenderCli, WritesIntoDevicesFifosAndStandardOutput) {
  TempDir dir;
  writeProgram(dir, "p.mlr", 40, 30);
  ASSERT_EQ(sh(dir, "$R p.mlr -o direct.bmp && $R p.mlr -o direct.png").status, 0);
  const std::string bmp = readBytes(dir / "direct.bmp");

  Result r = sh(dir, "$R p.mlr -o -");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out == bmp);
  EXPECT_TRUE(sh(dir, "$R p.mlr --format=png -o -").out == readBytes(dir / "direct.png"));
  EXPECT_TRUE(sh(dir, "$R p.mlr -o /proc/self/fd/1 | cat").out == bmp);
  EXPECT_TRUE(sh(dir, "$R p.mlr -o /dev/stdout | cat").out == bmp);

  r = sh(dir, "$R p.mlr -o /dev/null");
  EXPECT_EQ(r.status, 0) << r.err;
  struct stat st {};
  ASSERT_EQ(::stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));

  r = sh(dir, "mkfifo out.bmp && { cat out.bmp > got.bmp & } && $R p.mlr -o out.bmp && wait");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(readBytes(dir / "got.bmp") == bmp);
  EXPECT_TRUE(fs::is_fifo(fs::symlink_status(dir.path / "out.bmp")));

  // A FIFO's name says nothing of the picture type: it gets a bitmap.
  r = sh(dir, "mkfifo out.fifo && { cat out.fifo > got2.bmp & } && $R p.mlr -o out.fifo && wait");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(readBytes(dir / "got2.bmp") == bmp);
  EXPECT_EQ(dir.count(), 7);
}

TEST(RenderCli, WritesThroughLinksAndTakesTheLongestNames) {
  TempDir dir;
  writeProgram(dir, "p.mlr");
  ASSERT_EQ(sh(dir, "$R p.mlr -o direct.bmp").status, 0);
  const std::string bmp = readBytes(dir / "direct.bmp");

  fs::create_symlink("made.bmp", dir.path / "link.bmp");
  EXPECT_EQ(sh(dir, "$R p.mlr -o link.bmp").status, 0);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.path / "link.bmp")));
  EXPECT_TRUE(readBytes(dir / "made.bmp") == bmp);

  for (const std::size_t length : {248u, 251u, 255u}) {
    const std::string name = std::string(length - 4, 'n') + ".bmp";
    const Result r = sh(dir, "$R p.mlr -o " + name + " && $R p.mlr -o " + name);
    EXPECT_EQ(r.status, 0) << length << ": " << r.err;
    EXPECT_EQ(readBytes(dir / name), bmp) << length;
  }
  EXPECT_EQ(dir.count(), 7);
}

TEST(ComposeCli, ReadFailuresLeaveTheTargetUntouched) {
  TempDir dir;
  writeBytes(dir / "good.txt", "size 32 32\nseed 7\nPlasma: 3\n");
  ASSERT_EQ(sh(dir, "$C good.txt target.mlr").status, 0);
  const std::string good = readBytes(dir / "target.mlr");
  ASSERT_EQ(good.size(), 156u + 48u);

  fs::create_directory(dir.path / "folder.txt");
  Result r = sh(dir, "$C folder.txt target.mlr");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "mottler-compose: Unable to open file: folder.txt (Is a directory)\n");
  r = sh(dir, "$C missing.txt target.mlr");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(startsWith(r.err, "mottler-compose: Unable to open file: missing.txt")) << r.err;
  writeBytes(dir / "bad.txt", "seed 1\nSparkles: 3\n");
  r = sh(dir, "$C bad.txt target.mlr");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "mottler-compose: bad.txt: line 2: unknown command \"Sparkles\"\n");
  EXPECT_EQ(sh(dir, "$C good.txt").status, 2);
  EXPECT_EQ(sh(dir, "$C --bogus good.txt target.mlr").status, 2);
  EXPECT_TRUE(readBytes(dir / "target.mlr") == good);

  // Standard input and output stand in for the files.
  r = sh(dir, "$C - - < good.txt");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out == good);
  EXPECT_EQ(sh(dir, "cat good.txt | $C - piped.mlr").status, 0);
  EXPECT_TRUE(readBytes(dir / "piped.mlr") == good);
  EXPECT_EQ(dir.count(), 5);
}

TEST(RenderCli, SurvivesHostileFiles) {
  TempDir dir;
  ProgramDocument doc;
  doc.entries.resize(3);
  for (auto& e : doc.entries) e.code = kPlasma;
  const auto good = encodeProgram(doc);
  // Every single-byte corruption of the header and the first record either
  // renders or is refused cleanly.
  for (std::size_t at = 0; at < 156 + 48; at += 3) {
    std::string bytes(good.begin(), good.end());
    bytes[at] = static_cast<char>(0xFF);
    writeBytes(dir / "bad.mlr", bytes);
    fs::remove(dir / "bad.bmp");
    const Result r = sh(dir, "$R bad.mlr -o bad.bmp");
    ASSERT_TRUE(r.status == 0 || r.status == 1) << at << ": " << r.err;
    EXPECT_EQ(fs::exists(dir / "bad.bmp"), r.status == 0) << at;
  }
}

// A reader that goes away is a write error like any other: status 1 and an
// error line, not a silent death by SIGPIPE (status 141).
TEST(ToolEdges, AClosedPipeIsReportedAsAWriteError) {
  TempDir dir;
  writeProgram(dir, "p.mlr", 256, 256);  // more than a pipe holds
  writeBytes(dir / "p.txt", "Plasma:\n");
  const std::string saveFailed = "File could not be saved: ";
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{MOTTLER_RENDER, "p.mlr", "-o", "-"},
       "mottler-render: " + saveFailed + "standard output (cannot write: Broken pipe)\n"},
      {{MOTTLER_RENDER, "p.mlr", "-o", "/dev/stdout"},
       "mottler-render: " + saveFailed + "/dev/stdout (cannot write /proc/self/fd/1: Broken pipe)\n"},
      {{MOTTLER_COMPOSE, "p.txt", "-"},
       "mottler-compose: " + saveFailed + "standard output (cannot write: Broken pipe)\n"},
  };
  for (const auto& c : cases) {
    const Result r = runIntoClosedPipe(dir, c.args);
    EXPECT_EQ(r.status, 1) << c.args.back();
    EXPECT_EQ(r.err, c.error);
  }
  EXPECT_EQ(dir.count(), 2);
}

// A name with a newline or an escape sequence in it cannot split an error
// line (the second half posing as another message) nor reach the terminal.
TEST(ToolEdges, ControlBytesInNamesAreEscapedInErrorLines) {
  TempDir dir;
  writeProgram(dir, "p.mlr");
  writeBytes(dir / "p.txt", "Plasma:\n");
  const std::string hostile = "$(printf 'x\\nmottler-render: all fine\\033[2J')";
  const std::string shown = "x\\x0amottler-render: all fine\\x1b[2J";
  const struct {
    std::string command;
    std::string error;
  } cases[] = {
      {"$R \"" + hostile + ".mlr\" -o out.bmp",
       "mottler-render: Unable to open file: " + shown + ".mlr (No such file or directory)\n"},
      {"$R p.mlr -o \"no/" + hostile + ".bmp\"",
       "mottler-render: File could not be saved: no/" + shown + ".bmp (cannot write no/" + shown +
           ".bmp: No such file or directory)\n"},
      {"$C \"" + hostile + ".txt\" out.mlr",
       "mottler-compose: Unable to open file: " + shown + ".txt (No such file or directory)\n"},
      {"$C p.txt \"no/" + hostile + ".mlr\"",
       "mottler-compose: File could not be saved: no/" + shown + ".mlr (cannot write no/" + shown +
           ".mlr: No such file or directory)\n"},
      {"$R p.mlr -o \"" + hostile + ".gif\"",
       "mottler-render: cannot tell the picture type of " + shown +
           ".gif: the name must end in .bmp or .png (see mottler-render --help)\n"},
  };
  for (const auto& c : cases) {
    const Result r = sh(dir, c.command);
    EXPECT_EQ(r.status, c.command.find(".gif") != std::string::npos ? 2 : 1) << c.command;
    EXPECT_EQ(r.err, c.error);
  }
  EXPECT_EQ(dir.count(), 2);
}

// An option given a value it does not take is named as it was typed.
TEST(ToolEdges, OptionsAreNamedAsTyped) {
  TempDir dir;
  const struct {
    const char* command;
    const char* error;
  } cases[] = {
      {"$R --help=3", "mottler-render: option --help takes no value (see mottler-render --help)\n"},
      {"$R --vers=1 p.mlr -o x.bmp",
       "mottler-render: option --vers takes no value (see mottler-render --help)\n"},
      {"$C --help=3", "mottler-compose: option --help takes no value (see mottler-compose --help)\n"},
      {"$C --version=", "mottler-compose: option --version takes no value (see mottler-compose --help)\n"},
      {"$R --bogus=1", "mottler-render: unknown option --bogus=1 (see mottler-render --help)\n"},
      {"$C -q", "mottler-compose: unknown option -q (see mottler-compose --help)\n"},
  };
  for (const auto& c : cases) {
    const Result r = sh(dir, c.command);
    EXPECT_EQ(r.status, 2) << c.command;
    EXPECT_EQ(r.err, c.error);
    EXPECT_TRUE(r.out.empty()) << c.command;
  }
}

// The header lines of a program text are read strictly, as the parameters
// are; the error names the line and nothing is written.
TEST(ComposeCli, SizeAndSeedLinesAreReadStrictly) {
  TempDir dir;
  for (const char* line : {"seed 1e3", "size 64 64x", "seed 7 7"}) {
    writeBytes(dir / "junk.txt", std::string("# header\n") + line + "\nPlasma:\n");
    const Result r = sh(dir, "$C junk.txt out.mlr");
    EXPECT_EQ(r.status, 1) << line;
    EXPECT_EQ(r.err, std::string("mottler-compose: junk.txt: line 2: ") +
                         (line[1] == 'e' ? "seed must be a number from 0 to 32767\n"
                                         : "size must be two numbers from 1 to 256\n"));
  }
  EXPECT_EQ(dir.count(), 1);
}

TEST(RenderCli, ScaleAndSizeRenderTheDesignLarger) {
  TempDir dir;
  writeProgram(dir, "p.mlr");  // 16 x 12
  Result r = sh(dir,
                "$R --scale 3 p.mlr -o s3.bmp && $R p.mlr --size 48x36 -o z.bmp && "
                "$R --scale=1 p.mlr -o one.bmp && $R p.mlr -o plain.bmp");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(fs::file_size(dir / "s3.bmp"), 54u + 36u * static_cast<unsigned>(bitmapRowLength(48)));
  EXPECT_EQ(readBytes(dir / "s3.bmp"), readBytes(dir / "z.bmp"));
  EXPECT_EQ(readBytes(dir / "one.bmp"), readBytes(dir / "plain.bmp"));
}

TEST(RenderCli, RefusesScalesAndSizesItCannotMake) {
  TempDir dir;
  writeProgram(dir, "p.mlr");
  writeProgram(dir, "big.mlr", 256, 200);
  struct Case {
    const char* options;
    const char* says;
  } cases[] = {
      {"--scale 0", "the scale must be"},
      {"--scale 17", "the scale must be"},
      {"--scale 2x", "the scale must be"},
      {"--size 40x36", "not the same whole multiple"},
      {"--size 32x36", "not the same whole multiple"},
      {"--size 48", "WIDTHxHEIGHT"},
      {"--scale 2 --size 32x24", "not both"},
      {"--seeds 5", "range A-B"},
      {"--seeds 9-3", "range A-B"},
      {"--seed 1 --seeds 1-2", "not both"},
      {"--threads 0", "number of threads"},
  };
  for (const Case& c : cases) {
    Result r = sh(dir, std::string("$R ") + c.options + " p.mlr -o 'out-%d.bmp'");
    EXPECT_EQ(r.status, 2) << c.options;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.options << ": " << r.err;
    EXPECT_FALSE(fs::exists(dir / "out-%d.bmp")) << c.options;
  }
  Result once = sh(dir, "$R --seeds 1-2 p.mlr -o plain.bmp");
  EXPECT_EQ(once.status, 2);
  EXPECT_NE(once.err.find("must hold %d"), std::string::npos) << once.err;
  EXPECT_FALSE(fs::exists(dir / "plain.bmp"));
  // Larger than 4096 x 4096: refused before anything is rendered.
  Result r = sh(dir, "$R --size 4352x3400 big.mlr -o huge.png");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("at most 4096x4096"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "huge.png"));
}

TEST(RenderCli, ASeedRangeRendersOneFilePerSeedOnAnyNumberOfThreads) {
  TempDir dir;
  writeProgram(dir, "p.mlr");
  Result r = sh(dir,
                "mkdir a b && $R --seeds 3-7 p.mlr -o 'a/tile-%d.png' --scale 2 && "
                "$R --seeds=3-7 --threads=1 --scale 2 p.mlr -o 'b/tile-%d.png' && "
                "$R --seed 5 --scale 2 p.mlr -o single.png && "
                "$R --seed 5 --scale 2 --threads 7 p.mlr -o seven.png");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "") << "no progress lines when standard error is not a terminal";
  for (int seed = 3; seed <= 7; ++seed) {
    const std::string name = "tile-" + std::to_string(seed) + ".png";
    ASSERT_TRUE(fs::exists(dir / ("a/" + name))) << name;
    EXPECT_EQ(readBytes(dir / ("a/" + name)), readBytes(dir / ("b/" + name))) << name;
  }
  EXPECT_EQ(readBytes(dir / "a/tile-5.png"), readBytes(dir / "single.png"));
  EXPECT_EQ(readBytes(dir / "seven.png"), readBytes(dir / "single.png"));
  EXPECT_NE(readBytes(dir / "a/tile-3.png"), readBytes(dir / "a/tile-4.png"));
  EXPECT_FALSE(fs::exists(dir / "a/tile-8.png"));
}

TEST(RenderCli, ABatchGoesOnPastAFileItCannotWrite) {
  TempDir dir;
  writeProgram(dir, "p.mlr");
  Result r = sh(dir, "mkdir tile-4.bmp && $R --seeds 3-5 p.mlr -o 'tile-%d.bmp'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("tile-4.bmp"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::exists(dir / "tile-3.bmp"));
  EXPECT_TRUE(fs::exists(dir / "tile-5.bmp"));
}
