// Runs the mottler-render program as a user would.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "document/program_file.h"

using namespace mottler;
namespace fs = std::filesystem;

namespace {

struct Result {
  int status = -1;
  std::string output;  // stdout and stderr together
};

Result run(const std::string& args) {
  Result r;
  const std::string command = std::string(MOTTLER_RENDER) + " " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char chunk[512];
  while (std::size_t n = fread(chunk, 1, sizeof chunk, pipe)) r.output.append(chunk, n);
  const int raw = pclose(pipe);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return r;
}

struct TempDir {
  fs::path path;
  TempDir() {
    std::string t = (fs::temp_directory_path() / "mottler-cli-XXXXXX").string();
    path = mkdtemp(t.data());
  }
  ~TempDir() { fs::remove_all(path); }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
};

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(RenderCli, RendersAProgramIntoABitmapOfItsSize) {
  TempDir dir;
  ProgramDocument doc;
  doc.width = 10;
  doc.height = 8;
  ASSERT_TRUE(writeProgramFile(dir / "empty.mlr", doc));
  const Result r = run(dir / "empty.mlr" + " -o " + dir / "out.bmp");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(fs::file_size(dir / "out.bmp"), 310u);

  const Result png = run(dir / "empty.mlr" + " -o " + dir / "out.png --seed 17");
  EXPECT_EQ(png.status, 0) << png.output;
  EXPECT_EQ(readBytes(dir / "out.png").substr(1, 3), "PNG");
  EXPECT_EQ(run(dir / "empty.mlr" + " -o " + dir / "OUT.PNG").status, 0);
  EXPECT_EQ(readBytes(dir / "OUT.PNG").substr(1, 3), "PNG");
}

TEST(RenderCli, ExplainsItsUsage) {
  Result r = run("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("mottler-render PROGRAM.mlr -o OUT.bmp [--seed N]"), std::string::npos);
  EXPECT_EQ(run("").status, 2);
  EXPECT_EQ(run("a.mlr").status, 2);
  EXPECT_EQ(run("a.mlr -o x.bmp --seed 40000").status, 2);
  EXPECT_EQ(run("a.mlr -o x.bmp --bogus").status, 2);
}

TEST(RenderCli, FailuresSayWhatAndWhereAndLeaveNoOutput) {
  TempDir dir;
  Result r = run(dir / "missing.mlr" + " -o " + dir / "out.bmp");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output.rfind("Unable to open file", 0), 0u) << r.output;
  EXPECT_NE(r.output.find("missing.mlr"), std::string::npos);

  writeBytes(dir / "text.mlr", "hello, this is text\n");
  r = run(dir / "text.mlr" + " -o " + dir / "out.bmp");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output.rfind("File format not supported", 0), 0u) << r.output;

  ProgramDocument doc;
  ASSERT_TRUE(writeProgramFile(dir / "ok.mlr", doc));
  r = run(dir / "ok.mlr" + " -o " + dir / "no-folder/out.bmp");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output.rfind("File could not be saved", 0), 0u) << r.output;
  EXPECT_NE(r.output.find("no-folder/out.bmp"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "out.bmp"));
  EXPECT_FALSE(fs::exists(dir / "no-folder"));
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
    const Result r = run(dir / "bad.mlr" + " -o " + dir / "bad.bmp");
    ASSERT_TRUE(r.status == 0 || r.status == 1) << at << ": " << r.output;
    EXPECT_EQ(fs::exists(dir / "bad.bmp"), r.status == 0) << at;
  }
}
