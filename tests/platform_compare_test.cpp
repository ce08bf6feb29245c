// The random programs every platform renders, and the report of a
// difference between two platforms' pictures.
#include "platform_compare.h"

#include <gtest/gtest.h>

#include <set>

#include "document/atomic_file.h"
#include "document/bitmap_export.h"
#include "engine_support.h"
#include "temp_dir.h"

namespace mottler {
namespace {

constexpr int kSetSize = 320;  // as many as the test command renders

// ---------------------------------------------------------- random programs

TEST(RandomPrograms, AreTheSameForTheSameNumbersAndDifferOtherwise) {
  EXPECT_EQ(encodeProgram(randomProgram(1, 5)), encodeProgram(randomProgram(1, 5)));
  EXPECT_NE(encodeProgram(randomProgram(1, 5)), encodeProgram(randomProgram(1, 6)));
  EXPECT_NE(encodeProgram(randomProgram(1, 5)), encodeProgram(randomProgram(2, 5)));
}

// A program is written exactly as generated (it keeps the file's rules), and
// keeps to the cost cap.
TEST(RandomPrograms, KeepTheFileRulesAndTheCostCap) {
  for (int number = 0; number < kSetSize; ++number) {
    SCOPED_TRACE(number);
    const ProgramDocument doc = randomProgram(1, number);
    ProgramDocument read;
    ASSERT_EQ(decodeProgram(encodeProgram(doc), read), ReadStatus::Ok);
    ASSERT_EQ(read, doc);
    ProgramDocument capped = doc;
    capRunCost(capped);
    ASSERT_EQ(capped, doc);
    ASSERT_GE(doc.entries.size(), 1u);
  }
}

// Every kCommandCount consecutive programs run every command; the set as a whole has
// every size, blend method, offsets, "Fixed Colors" and switched-off entries.
TEST(RandomPrograms, CoverEveryCommandSizeAndEntryOption) {
  std::set<std::pair<int, int>> sizes;
  std::set<int> methods;
  bool offsets = false, fixed = false, off = false;
  for (int from = 0; from < kSetSize; from += kCommandCount) {
    std::set<CommandCode> running;
    for (int number = from; number < from + kCommandCount; ++number) {
      const ProgramDocument doc = randomProgram(1, number);
      sizes.insert({doc.width, doc.height});
      for (const ProgramEntry& e : doc.entries) {
        if (!e.disabled) running.insert(e.code);
        methods.insert(e.method & 0xFF);
        offsets |= e.offsetX != 0 || e.offsetY != 0;
        fixed |= e.fixedColors != 0;
        off |= e.disabled != 0;
      }
    }
    EXPECT_EQ(running.size(), static_cast<std::size_t>(kCommandCount)) << "from " << from;
  }
  EXPECT_EQ(sizes.size(), std::size(kRandomProgramSizes));
  EXPECT_EQ(methods.size(), static_cast<std::size_t>(kBlendMethodCount + 1));
  EXPECT_TRUE(offsets && fixed && off);
}

TEST(RandomPrograms, AreWrittenAsNumberedFiles) {
  TempDir dir;
  std::string error;
  ASSERT_TRUE(writeRandomPrograms(dir.path / "set", 3, 9, 2, &error)) << error;
  for (const auto& [name, number] : {std::pair{"random-0009.mlr", 9}, {"random-0010.mlr", 10}}) {
    ProgramDocument doc;
    ASSERT_EQ(readProgramFile(dir.path / "set" / name, doc), ReadStatus::Ok) << name;
    EXPECT_EQ(doc, randomProgram(3, number)) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path / "set" / "random-0011.mlr"));
}

// The copies differ from the program in the seed alone, and the seeds are
// those of the name.
TEST(RandomPrograms, ReseededCopiesKeepTheProgramWithAnotherSeed) {
  TempDir dir;
  ProgramDocument original = randomProgram(1, 7);
  original.seed = 32767;
  ASSERT_TRUE(writeProgramFile(dir.path / "original.mlr", original));
  std::string error;
  ASSERT_TRUE(writeReseededPrograms(dir.path / "out", {dir.path / "original.mlr"}, 3, &error))
      << error;
  int copies = 0;
  for (const auto& item : std::filesystem::directory_iterator(dir.path / "out")) {
    ProgramDocument doc;
    ASSERT_EQ(readProgramFile(item.path(), doc), ReadStatus::Ok);
    EXPECT_EQ(item.path().filename().string(),
              "original-seed-" + std::to_string(doc.seed) + ".mlr");
    EXPECT_NE(doc.seed, original.seed);
    doc.seed = original.seed;
    EXPECT_EQ(doc, original);
    ++copies;
  }
  EXPECT_EQ(copies, 3);
  EXPECT_FALSE(writeReseededPrograms(dir.path / "out", {dir.path / "missing.mlr"}, 1, &error));
}

// ------------------------------------------------------------------ bitmaps

struct PictureCase {
  int width, height;
};

class Bitmaps : public ::testing::TestWithParam<PictureCase> {
 protected:
  // A texture of random pixels of the case's size, and its bitmap.
  void SetUp() override {
    engine_.setSize(GetParam().width, GetParam().height);
    fillRandom(engine_, engine_.texture, GetParam().width * 31 + GetParam().height);
    bytes_ = encodeBitmap(engine_, engine_.texture);
  }
  TextureEngine engine_;
  std::vector<std::uint8_t> bytes_;
};

TEST_P(Bitmaps, DecodeToTheTexturesPixelsTopDown) {
  const std::optional<Picture> picture = decodeBitmap(bytes_);
  ASSERT_TRUE(picture);
  ASSERT_EQ(picture->width, engine_.width);
  ASSERT_EQ(picture->height, engine_.height);
  for (int y = 0; y < engine_.height; ++y)
    for (int x = 0; x < engine_.width; ++x)
      for (int c = 0; c < 3; ++c)
        ASSERT_EQ(picture->bgr[static_cast<std::size_t>(3 * (y * engine_.width + x) + c)],
                  channel(engine_.texture.row(y, engine_.width)[x], c))
            << x << "," << y;
}

// Each changed channel of the first, a middle and the last pixel is found
// where it is, with both values, as long as it is the only one.
TEST_P(Bitmaps, TheFirstDifferenceIsFoundWithItsPositionAndChannels) {
  const Picture expected = *decodeBitmap(bytes_);
  const int w = engine_.width, h = engine_.height;
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{w / 2, h / 2}, std::pair{w - 1, h - 1}}) {
    for (int c = 0; c < 3; ++c) {
      SCOPED_TRACE(::testing::Message() << x << "," << y << " channel " << c);
      std::vector<std::uint8_t> changed = bytes_;
      const std::size_t row = static_cast<std::size_t>(bitmapRowLength(w));
      changed[54 + row * static_cast<std::size_t>(h - 1 - y) + static_cast<std::size_t>(3 * x + c)] ^=
          0x01;
      const std::optional<PixelDifference> d = firstDifference(expected, *decodeBitmap(changed));
      ASSERT_TRUE(d);
      EXPECT_EQ(d->x, x);
      EXPECT_EQ(d->y, y);
      EXPECT_EQ(d->count, 1);
      // The report gives red, green, blue; the bitmap holds blue first.
      EXPECT_EQ(d->expected[static_cast<std::size_t>(2 - c)] ^ 0x01,
                d->actual[static_cast<std::size_t>(2 - c)]);
    }
  }
  EXPECT_FALSE(firstDifference(expected, expected));
}

INSTANTIATE_TEST_SUITE_P(OddAndEvenSizes, Bitmaps,
                         ::testing::Values(PictureCase{1, 1}, PictureCase{3, 2}, PictureCase{5, 7},
                                           PictureCase{4, 4}, PictureCase{255, 3},
                                           PictureCase{2, 250}));

TEST(DecodeBitmap, RefusesWhatIsNotAWholeBitmap) {
  TextureEngine e;
  e.setSize(5, 3);
  const std::vector<std::uint8_t> good = encodeBitmap(e, e.texture);
  ASSERT_TRUE(decodeBitmap(good));
  std::vector<std::uint8_t> cut(good.begin(), good.end() - 1);
  std::vector<std::uint8_t> png = good;
  png[0] = 0x89;
  std::vector<std::uint8_t> deep = good;
  deep[28] = 32;
  for (const auto& bytes : {cut, png, deep, std::vector<std::uint8_t>{'B', 'M'}})
    EXPECT_FALSE(decodeBitmap(bytes));
}

// ------------------------------------------------------------------ reports

ProgramDocument twoCommandProgram() {
  ProgramDocument doc;
  doc.width = 5;
  doc.height = 3;
  doc.seed = 77;
  doc.entries = {makeEntry(kPlasma), makeEntry(kLines)};
  doc.entries[1].disabled = 1;
  return doc;
}

TEST(DifferenceReport, NamesTheProgramItsCommandsThePlatformAndThePixel) {
  TextureEngine e;
  e.setSize(5, 3);
  fillRandom(e, e.texture, 4);
  const std::vector<std::uint8_t> native = encodeBitmap(e, e.texture);
  EXPECT_EQ(describeDifference(twoCommandProgram(), "p.mlr", "wasm", native, native), "");

  e.texture.row(1, 5)[3] = rgb(1, 2, 3);  // x 3, y 1 from the top: blue 1, red 3
  const std::string report =
      describeDifference(twoCommandProgram(), "p.mlr", "wasm", native, encodeBitmap(e, e.texture));
  const std::string commands = std::string("\"")
                                   .append(Plasma::declaration.name)
                                   .append("\", \"")
                                   .append(Lines::declaration.name)
                                   .append("\" (off)");
  for (const std::string& part :
       {std::string("p.mlr (5 x 3, seed 77) on wasm"), commands, std::string("x 3, y 1"),
        std::string("wasm R 3 G 2 B 1"), std::string("1 of 15 pixels differ")})
    EXPECT_NE(report.find(part), std::string::npos) << part << "\n" << report;
}

TEST(DifferenceReport, SaysWhenTheOtherPictureIsNoBitmapOrAnotherSize) {
  TextureEngine e;
  e.setSize(5, 3);
  const std::vector<std::uint8_t> native = encodeBitmap(e, e.texture);
  e.setSize(3, 5);
  const std::vector<std::uint8_t> turned = encodeBitmap(e, e.texture);
  const std::vector<std::uint8_t> junk = {1, 2, 3};
  const ProgramDocument doc = twoCommandProgram();
  EXPECT_NE(describeDifference(doc, "p.mlr", "arm", native, turned).find("3 x 5 pixels"),
            std::string::npos);
  EXPECT_NE(describeDifference(doc, "p.mlr", "arm", native, junk).find("not a bitmap"),
            std::string::npos);
}

// A folder of programs with the native pictures and another platform's: one
// the same, one different, one missing.
TEST(ComparePictures, CountsAndReportsEachDifferingOrMissingPicture) {
  TempDir dir;
  for (const char* folder : {"programs", "native", "other"})
    std::filesystem::create_directories(dir.path / folder);
  TextureEngine e;
  e.setSize(5, 3);
  const std::vector<std::uint8_t> picture = encodeBitmap(e, e.texture);
  e.texture.row(2, 5)[4] = rgb(9, 9, 9);
  const std::vector<std::uint8_t> other = encodeBitmap(e, e.texture);
  for (const char* name : {"same", "changed", "lost"}) {
    ASSERT_TRUE(writeProgramFile(dir.path / "programs" / (std::string(name) + ".mlr"),
                                 twoCommandProgram()));
    ASSERT_TRUE(writeFileAtomically(dir.path / "native" / (std::string(name) + ".bmp"), picture));
  }
  ASSERT_TRUE(writeFileAtomically(dir.path / "other" / "same.bmp", picture));
  ASSERT_TRUE(writeFileAtomically(dir.path / "other" / "changed.bmp", other));

  std::string report;
  EXPECT_EQ(comparePictures(dir.path / "programs", dir.path / "native", dir.path / "other", "arm",
                            report),
            2);
  EXPECT_NE(report.find("DIFFERENT: changed.mlr"), std::string::npos) << report;
  EXPECT_NE(report.find("x 4, y 2"), std::string::npos) << report;
  EXPECT_NE(report.find("MISSING: lost.mlr (arm wrote no picture)"), std::string::npos) << report;
  EXPECT_EQ(report.find("same.mlr"), std::string::npos) << report;
}

}  // namespace
}  // namespace mottler
