#include "document/program_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "document/atomic_file.h"
#include "tests/temp_dir.h"

using namespace mottler;
namespace fs = std::filesystem;

namespace {

ProgramEntry makeEntry(CommandCode code, std::array<std::int32_t, 7> params, int method = Add) {
  ProgramEntry e;
  e.code = code;
  e.param = params;
  e.method = method;
  return e;
}

ProgramDocument sampleDocument() {
  ProgramDocument doc;
  doc.width = 100;
  doc.height = 60;
  doc.seed = 4321;
  doc.remark = "cave walls";
  doc.entries.push_back(makeEntry(kPlasma, {7, 20, 127, 255, 200, 100, 0}));
  ProgramEntry worms = makeEntry(kWorms, {100, 128, 5, 2, 255, 255, 255}, Multiply);
  worms.disabled = 1;
  worms.fixedColors = 1;
  worms.offsetX = 99;
  worms.offsetY = 59;
  doc.entries.push_back(worms);
  doc.entries.push_back(
      makeEntry(kTwirl, {-45, 1, 2, 3, 4, 5, 6}));  // unused slots kept as they are
  return doc;
}

ReadStatus decodeBytes(const std::vector<std::uint8_t>& bytes, ProgramDocument& out) {
  return decodeProgram(bytes, out);
}

void put16(std::vector<std::uint8_t>& b, std::size_t at, int v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::vector<std::uint8_t>& b, std::size_t at, std::int32_t v) {
  for (int i = 0; i < 4; ++i)
    b[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
}

}  // namespace

TEST(ProgramFile, WritesTheExactLayout) {
  ProgramDocument doc;
  doc.remark = "abc";
  doc.width = 10;
  doc.height = 8;
  doc.seed = 300;
  doc.entries.push_back(makeEntry(kBlobs, {30, 30, 10, 255, 255, 255, 0}));
  const auto bytes = encodeProgram(doc);
  ASSERT_EQ(bytes.size(), 156u + 48u);
  const std::vector<std::uint8_t> head = {156, 0, 0, 0, 0,  'M', 'L',  'R',
                                          10,  0, 1, 0, 48, 0,   0x2C, 0x01};
  EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
  EXPECT_EQ(bytes[16], 0x61);
  EXPECT_EQ(bytes[18], 0x63);
  for (int i = 19; i < 148; ++i) ASSERT_EQ(bytes[static_cast<std::size_t>(i)], 0) << i;
  EXPECT_EQ(bytes[148], 10);
  EXPECT_EQ(bytes[152], 8);
  EXPECT_EQ(bytes[156], kBlobs);
  EXPECT_EQ(bytes[156 + 4], 30);
  EXPECT_EQ(bytes[156 + 32], Add);

  ProgramDocument empty;
  EXPECT_EQ(encodeProgram(empty).size(), 156u);
}

TEST(ProgramFile, RoundTripsEveryField) {
  const ProgramDocument doc = sampleDocument();
  ProgramDocument back;
  ASSERT_EQ(decodeBytes(encodeProgram(doc), back), ReadStatus::Ok);
  EXPECT_EQ(back, doc);

  ProgramDocument empty, emptyBack;
  ASSERT_EQ(decodeBytes(encodeProgram(empty), emptyBack), ReadStatus::Ok);
  EXPECT_EQ(emptyBack, empty);
}

TEST(ProgramFile, ShortAndLongHeadersAndRecordsAreLaidOverDefaults) {
  const ProgramDocument doc = sampleDocument();
  ProgramDocument back;

  // A 148-byte header has no size fields: 256 x 256.
  auto bytes = encodeProgram(doc);
  put16(bytes, 0, 148);
  bytes.erase(bytes.begin() + 148, bytes.begin() + 156);
  ASSERT_EQ(decodeBytes(bytes, back), ReadStatus::Ok);
  EXPECT_EQ(back.width, 256);
  EXPECT_EQ(back.height, 256);
  EXPECT_EQ(back.entries.size(), 3u);
  EXPECT_EQ(back.entries[0].param, doc.entries[0].param);

  // Records of 40 bytes: offsets stay zero.
  bytes = encodeProgram(doc);
  put16(bytes, 12, 40);
  for (int i = 2; i >= 0; --i)
    bytes.erase(bytes.begin() + 156 + 48 * i + 40, bytes.begin() + 156 + 48 * i + 48);
  ASSERT_EQ(decodeBytes(bytes, back), ReadStatus::Ok);
  ASSERT_EQ(back.entries.size(), 3u);
  EXPECT_EQ(back.entries[1].offsetX, 0);
  EXPECT_EQ(back.entries[1].disabled, 1);

  // Records of 56 bytes: the excess is skipped.
  bytes = encodeProgram(doc);
  put16(bytes, 12, 56);
  for (int i = 2; i >= 0; --i) bytes.insert(bytes.begin() + 156 + 48 * (i + 1), 8, 0xEE);
  ASSERT_EQ(decodeBytes(bytes, back), ReadStatus::Ok);
  EXPECT_EQ(back.entries, doc.entries);

  // A longer header: the records start after it.
  bytes = encodeProgram(doc);
  put16(bytes, 0, 170);
  bytes.insert(bytes.begin() + 156, 14, 0xAB);
  ASSERT_EQ(decodeBytes(bytes, back), ReadStatus::Ok);
  EXPECT_EQ(back, doc);

  // The last record cut off after its parameters.
  bytes = encodeProgram(doc);
  bytes.resize(156 + 48 * 2 + 32);
  ASSERT_EQ(decodeBytes(bytes, back), ReadStatus::Ok);
  ASSERT_EQ(back.entries.size(), 3u);
  EXPECT_EQ(back.entries[2].param[0], -45);
  EXPECT_EQ(back.entries[2].method, 0);
  EXPECT_EQ(back.entries[2].offsetX, 0);

  // Records announced but missing altogether are not entries.
  bytes = encodeProgram(doc);
  put16(bytes, 10, 50);
  ASSERT_EQ(decodeBytes(bytes, back), ReadStatus::Ok);
  EXPECT_EQ(back.entries.size(), 3u);

  // A header of just its first eight bytes is an empty 256 x 256 program.
  bytes = {8, 0, 0, 0, 0, 'M', 'L', 'R'};
  ASSERT_EQ(decodeBytes(bytes, back), ReadStatus::Ok);
  EXPECT_TRUE(back.entries.empty());
  EXPECT_EQ(back.width, 256);
  EXPECT_EQ(back.height, 256);

  // A negative count reads no records.
  bytes = encodeProgram(doc);
  put16(bytes, 10, -2);
  ASSERT_EQ(decodeBytes(bytes, back), ReadStatus::Ok);
  EXPECT_TRUE(back.entries.empty());
}

TEST(ProgramFile, RefusesWhatCannotBeAProgram) {
  ProgramDocument untouched = sampleDocument();
  auto refuse = [&](std::vector<std::uint8_t> bytes) {
    ProgramDocument out = untouched;
    EXPECT_EQ(decodeBytes(bytes, out), ReadStatus::NotSupported);
    EXPECT_EQ(out, untouched);
  };
  const std::string text = "just some text, not a program\n";
  refuse(std::vector<std::uint8_t>(text.begin(), text.end()));
  refuse({});
  refuse({156, 0, 0, 0, 0, 'M', 'L'});

  auto bytes = encodeProgram(sampleDocument());
  auto with = [&](auto change) {
    auto b = bytes;
    change(b);
    return b;
  };
  refuse(with([](auto& b) { put16(b, 0, 7); }));  // header too short to hold itself
  refuse(with([](auto& b) { put16(b, 0, -1); }));
  refuse(with([](auto& b) { put16(b, 12, 0); }));  // entrySize
  refuse(with([](auto& b) { put16(b, 12, -48); }));
  refuse(with([](auto& b) { put16(b, 10, 1024); }));  // more entries than the table holds
  refuse(with([](auto& b) { put32(b, 148, 0); }));    // sizes
  refuse(with([](auto& b) { put32(b, 152, 257); }));
  refuse(with([](auto& b) { put32(b, 148, -5); }));
  // An unknown command: the first code after the last one.
  refuse(with([](auto& b) { b[156] = static_cast<std::uint8_t>(kCommandCount + 1); }));
  refuse(with([](auto& b) { b[156 + 48] = 0; }));  // empty code
  refuse(with([](auto& b) { b[157] = 1; }));       // non-zero upper code bytes
}

TEST(ProgramFile, BringsValuesIntoWhatTheEngineCanTake) {
  ProgramDocument doc;
  doc.width = 16;
  doc.height = 8;
  doc.seed = 0;
  ProgramEntry plasma = makeEntry(kPlasma, {-3, 9999, 0, 300, -1, 128, 77});
  plasma.offsetX = 20;
  plasma.offsetY = -1;
  plasma.disabled = 7;
  doc.entries.push_back(plasma);
  doc.entries.push_back(makeEntry(kPerlinNoise, {5, 0, 1000, 1, 1, 1, 0}));
  doc.entries.push_back(makeEntry(kCarpet, {127, 127, 0, 0, 0, 0, 0}));
  doc.entries.push_back(makeEntry(kWorms, {100000, 1000, 0, 9999, 0, 0, 0}));
  auto bytes = encodeProgram(doc);
  put16(bytes, 14, -7);  // a negative seed
  ProgramDocument back;
  ASSERT_EQ(decodeBytes(bytes, back), ReadStatus::Ok);
  EXPECT_EQ(back.seed, 0);
  const auto& p = back.entries[0];
  EXPECT_EQ(p.param, (std::array<std::int32_t, 7>{0, 255, 1, 255, 0, 128, 77}));
  EXPECT_EQ(p.offsetX, 4);
  EXPECT_EQ(p.offsetY, 7);
  EXPECT_EQ(p.disabled, 1);
  // Perlin "Width" and "Height" within the size-dependent limits.
  EXPECT_EQ(back.entries[1].param[1], 4);
  EXPECT_EQ(back.entries[1].param[2], 4);
  // Carpet offsets within W/2 - 1 and H/2 - 1.
  EXPECT_EQ(back.entries[2].param[0], 7);
  EXPECT_EQ(back.entries[2].param[1], 3);
  EXPECT_EQ(back.entries[3].param, (std::array<std::int32_t, 7>{4096, 255, 1, 64, 1, 1, 1}));
}

TEST(ProgramFile, OpensReadOnlyFilesAndReportsMissingOnes) {
  TempDir dir;
  const fs::path file = dir.path / "cave.mlr";
  ASSERT_TRUE(writeProgramFile(file, sampleDocument()));
  fs::permissions(file, fs::perms::owner_read);
  ProgramDocument back;
  EXPECT_EQ(readProgramFile(file, back), ReadStatus::Ok);
  EXPECT_EQ(back, sampleDocument());
  EXPECT_EQ(readProgramFile(dir.path / "missing.mlr", back), ReadStatus::CannotOpen);
  EXPECT_EQ(readProgramFile(dir.path, back), ReadStatus::CannotOpen);
  EXPECT_STREQ(readStatusMessage(ReadStatus::CannotOpen), "Unable to open file");
  EXPECT_STREQ(readStatusMessage(ReadStatus::NotSupported), "File format not supported");
}

TEST(ProgramFile, AFailedWriteLeavesTheGoodFileAndNoLitter) {
  TempDir dir;
  const fs::path file = dir.path / "good.mlr";
  ASSERT_TRUE(writeProgramFile(file, sampleDocument()));
  const auto goodSize = fs::file_size(file);

  ProgramDocument other;
  std::string why;
  EXPECT_FALSE(writeProgramFile(dir.path / "no-such-folder" / "x.mlr", other, &why));
  EXPECT_FALSE(why.empty());
  EXPECT_FALSE(writeProgramFile(dir.path, other));  // a folder is not a file

  if (geteuid() != 0) {  // root writes anywhere
    fs::permissions(dir.path, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(writeProgramFile(file, other));
    fs::permissions(dir.path, fs::perms::owner_all);
  }
  EXPECT_EQ(fs::file_size(file), goodSize);
  EXPECT_EQ(dir.count(), 1);

  // A file that may not be written is refused like a failed open, not replaced.
  if (geteuid() != 0) {
    const fs::path locked = dir.path / "locked.mlr";
    ASSERT_TRUE(writeProgramFile(locked, sampleDocument()));
    fs::permissions(locked, fs::perms::owner_read);
    EXPECT_FALSE(writeProgramFile(locked, other));
    EXPECT_EQ(fs::file_size(locked), goodSize);
    fs::remove(locked);
  }

  // Writing through a link fills the linked file and keeps the link.
  const fs::path link = dir.path / "link.mlr";
  fs::create_symlink(file, link);
  ASSERT_TRUE(writeProgramFile(link, other));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
  EXPECT_EQ(fs::file_size(file), 156u);
  ASSERT_TRUE(writeProgramFile(link, sampleDocument()));
  EXPECT_EQ(fs::file_size(file), goodSize);
  fs::remove(link);

  // A successful write replaces the file whole.
  ASSERT_TRUE(writeProgramFile(file, other));
  EXPECT_EQ(fs::file_size(file), 156u);
}

// Random damage anywhere in a file is either refused or read into values the
// engine can take.
TEST(ProgramFile, DamagedFilesAreRefusedOrReadIntoRange) {
  const auto good = encodeProgram(sampleDocument());
  std::uint32_t seed = 12345;
  auto rnd = [&seed](std::uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % n;
  };
  int read = 0, refused = 0;
  for (int round = 0; round < 3000; ++round) {
    auto bytes = good;
    const int hits = 1 + static_cast<int>(rnd(6));
    for (int i = 0; i < hits; ++i)
      bytes[rnd(static_cast<std::uint32_t>(bytes.size()))] = static_cast<std::uint8_t>(rnd(256));
    if (rnd(4) == 0) bytes.resize(rnd(static_cast<std::uint32_t>(bytes.size())));
    ProgramDocument doc;
    const ReadStatus status = decodeBytes(bytes, doc);
    if (status != ReadStatus::Ok) {
      ++refused;
      continue;
    }
    ++read;
    ASSERT_GE(doc.width, 1);
    ASSERT_LE(doc.width, 256);
    ASSERT_GE(doc.height, 1);
    ASSERT_LE(doc.height, 256);
    ASSERT_GE(doc.seed, 0);
    ASSERT_LE(doc.entries.size(), 1023u);
    for (const ProgramEntry& e : doc.entries) {
      const auto index = catalogueIndexOfCode(e.code);
      ASSERT_TRUE(index.has_value());
      const CommandInfo info = commandInfoForSize(*index, doc.width, doc.height);
      for (int k = 0; k < kParamCount; ++k) {
        if (info.paramLabel[k] == "None") continue;
        ASSERT_GE(e.param[k], info.minValue[k]);
        ASSERT_LE(e.param[k], std::max(info.minValue[k], info.maxValue[k]));
      }
      ASSERT_GE(e.offsetX, 0);
      ASSERT_LT(e.offsetX, doc.width);
      ASSERT_GE(e.offsetY, 0);
      ASSERT_LT(e.offsetY, doc.height);
      ASSERT_LE(e.disabled, 1);
      ASSERT_LE(e.fixedColors, 1);
    }
  }
  EXPECT_GT(read, 100);
  EXPECT_GT(refused, 100);
}

// A program arrives whole however it is read: from a pipe or FIFO (which
// cannot seek back), from a stream, with junk after it; more than a program
// can be is refused without being taken in.
TEST(ProgramFile, ReadsWholeFromPipesAndFifosAndRefusesHugeInput) {
  std::signal(SIGPIPE, SIG_IGN);  // a refusing reader closes the pipe on its writer
  const auto bytes = encodeProgram(sampleDocument());
  auto throughPipe = [](const std::vector<std::uint8_t>& data, ProgramDocument& out) {
    int ends[2];
    if (::pipe(ends) != 0) return ReadStatus::CannotOpen;
    std::thread writer([&] {
      // Short pieces, as a slow writer delivers them.
      for (std::size_t at = 0; at < data.size(); at += 100)
        writeToDescriptor(
            ends[1], std::span(data).subspan(at, std::min<std::size_t>(100, data.size() - at)));
      ::close(ends[1]);
    });
    const ReadStatus status = readProgram(ends[0], out);
    ::close(ends[0]);
    writer.join();
    return status;
  };
  ProgramDocument back;
  ASSERT_EQ(throughPipe(bytes, back), ReadStatus::Ok);
  EXPECT_EQ(back, sampleDocument());

  TempDir dir;
  const fs::path fifo = dir.path / "program.mlr";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&] { writeFileAtomically(fifo, bytes); });
  back = {};
  EXPECT_EQ(readProgramFile(fifo, back), ReadStatus::Ok);
  writer.join();
  EXPECT_EQ(back, sampleDocument());

  auto withJunk = bytes;
  withJunk.resize(bytes.size() + 5000, 0xEE);
  std::istringstream stream(std::string(withJunk.begin(), withJunk.end()));
  back = {};
  ASSERT_EQ(decodeProgram(stream, back), ReadStatus::Ok);
  EXPECT_EQ(back, sampleDocument());

  auto huge = bytes;
  huge.resize(kMaxProgramFileBytes + 1);
  ProgramDocument untouched = sampleDocument();
  EXPECT_EQ(decodeBytes(huge, untouched), ReadStatus::NotSupported);
  EXPECT_EQ(throughPipe(huge, untouched), ReadStatus::NotSupported);
  ASSERT_TRUE(writeFileAtomically(dir.path / "huge.mlr", huge));
  EXPECT_EQ(readProgramFile(dir.path / "huge.mlr", untouched), ReadStatus::NotSupported);
  EXPECT_EQ(untouched, sampleDocument());
  huge.resize(kMaxProgramFileBytes);
  EXPECT_EQ(decodeBytes(huge, back), ReadStatus::Ok);

  std::string why;
  EXPECT_EQ(readProgramFile(dir.path, untouched, &why), ReadStatus::CannotOpen);
  EXPECT_EQ(why, "Is a directory");
}
