#include "document/program_text.h"

#include <gtest/gtest.h>

using namespace mottler;

TEST(ProgramText, ReadsHeaderCommandsOptionsAndSizeAdjustedDefaults) {
  ProgramDocument doc;
  std::string why;
  ASSERT_TRUE(
      parseProgramText("# a test\n"
                       "size 100 60\n"
                       "seed 77\n"
                       "remark  Brick wall # not a comment\n"
                       "Sine Plasma: 2 3 method=Multiply offset=5,6 fixed off\n"
                       "Enviroument Map:\n"
                       "Median:   # no parameters\n",
                       doc, &why))
      << why;
  EXPECT_EQ(doc.width, 100);
  EXPECT_EQ(doc.height, 60);
  EXPECT_EQ(doc.seed, 77);
  EXPECT_EQ(doc.remark, "Brick wall # not a comment");
  ASSERT_EQ(doc.entries.size(), 3u);
  const ProgramEntry& sine = doc.entries[0];
  EXPECT_EQ(sine.code, kSinePlasma);
  EXPECT_EQ(sine.param, (std::array<std::int32_t, 7>{2, 3, 128, 128, 255, 255, 255}));
  EXPECT_EQ(sine.method, Multiply);
  EXPECT_EQ(sine.offsetX, 5);
  EXPECT_EQ(sine.offsetY, 6);
  EXPECT_EQ(sine.fixedColors, 1);
  EXPECT_EQ(sine.disabled, 1);
  EXPECT_EQ(doc.entries[1].param[0], 50);  // "Radius" default is half the width
  EXPECT_EQ(doc.entries[1].method, Add);
}

TEST(ProgramText, ErrorsNameTheLine) {
  ProgramDocument doc;
  std::string why;
  EXPECT_FALSE(parseProgramText("seed 1\nSparkles: 3\n", doc, &why));
  EXPECT_EQ(why, "line 2: unknown command \"Sparkles\"");
  EXPECT_FALSE(parseProgramText("Twirl: 1 2\n", doc, &why));
  EXPECT_EQ(why, "line 1: Twirl takes only 1 parameters");
  EXPECT_FALSE(parseProgramText("Blur: 1 method=Sparkle\n", doc, &why));
  EXPECT_FALSE(parseProgramText("size 300 10\n", doc, &why));
  EXPECT_FALSE(parseProgramText("Blur: 2\nsize 10 10\n", doc, &why));
  EXPECT_FALSE(parseProgramText("seed -4\n", doc, &why));
}

// Error lines go to a terminal: what they quote from a binary or hostile
// file must not carry escape sequences or run for megabytes.
TEST(ProgramText, ErrorsQuoteTheInputHarmlessly) {
  ProgramDocument doc;
  std::string why;
  EXPECT_FALSE(parseProgramText("\x1b[2J\x07: 1\n", doc, &why));
  EXPECT_EQ(why, "line 1: unknown command \"\\x1b[2J\\x07\"");
  EXPECT_FALSE(parseProgramText(std::string(100000, 'A') + "\n", doc, &why));
  EXPECT_LT(why.size(), 100u);
}

// The size and seed lines take their numbers as strictly as a command takes
// its parameters: junk after a number, or an extra word, is an error on its
// line, never read as the number before it.
class ProgramTextHeader : public testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(ProgramTextHeader, JunkAfterANumberIsAnErrorOnItsLine) {
  const auto [line, message] = GetParam();
  ProgramDocument doc;
  std::string why;
  EXPECT_FALSE(parseProgramText(std::string("# header\n") + line + "\nPlasma:\n", doc, &why));
  EXPECT_EQ(why, std::string("line 2: ") + message) << line;
}

constexpr const char* kSizeMessage = "size must be two numbers from 1 to 256";
constexpr const char* kSeedMessage = "seed must be a number from 0 to 32767";

INSTANTIATE_TEST_SUITE_P(
    SizeAndSeed, ProgramTextHeader,
    testing::Values(std::pair{"seed 1e3", kSeedMessage}, std::pair{"seed 12x", kSeedMessage},
                    std::pair{"seed 1 2", kSeedMessage}, std::pair{"seed", kSeedMessage},
                    std::pair{"seed 0x10", kSeedMessage}, std::pair{"seed 3.5", kSeedMessage},
                    std::pair{"size 64 64x", kSizeMessage}, std::pair{"size 64x 64", kSizeMessage},
                    std::pair{"size 64 64 64", kSizeMessage}, std::pair{"size 64", kSizeMessage},
                    std::pair{"size 1e2 10", kSizeMessage}));

TEST(ProgramText, ControlBytesAreEscapedAndTheRestKept) {
  EXPECT_EQ(escapeControlBytes("a\nb\x1b[31m\x7f\t\xC3\xA9 z"), "a\\x0ab\\x1b[31m\\x7f\\x09\xC3\xA9 z");
  EXPECT_EQ(escapeControlBytes(std::string("nul\0end", 7)), "nul\\x00end");
  // Numbers written well are still read, comments after them too.
  ProgramDocument doc;
  ASSERT_TRUE(parseProgramText("size 64 32 # small\nseed 0032767\n", doc));
  EXPECT_EQ(doc.width, 64);
  EXPECT_EQ(doc.seed, 32767);
}
