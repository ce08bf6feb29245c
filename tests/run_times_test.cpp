// The texts that tell the user where the time of a run goes.
#include <gtest/gtest.h>

#include "document/run_times.h"

using namespace mottler;

struct TimeCase {
  std::int64_t nanos;
  const char* text;
  bool slow;
};

class EntryTimeText : public ::testing::TestWithParam<TimeCase> {};

TEST_P(EntryTimeText, MillisecondsWithOneDecimalAndSlowAboveAFrame) {
  const TimeCase c = GetParam();
  const EntryTime t = describeEntryTime(c.nanos);
  EXPECT_EQ(t.text, c.text);
  EXPECT_EQ(t.slow, c.slow);
}

INSTANTIATE_TEST_SUITE_P(Times, EntryTimeText,
                         ::testing::Values(TimeCase{0, "0.0 ms", false},
                                           TimeCase{-5, "0.0 ms", false},  // never negative
                                           TimeCase{49'999, "0.0 ms", false},
                                           TimeCase{50'000, "0.1 ms", false},
                                           TimeCase{3'249'999, "3.2 ms", false},
                                           TimeCase{16'000'000, "16.0 ms", false},
                                           TimeCase{16'000'001, "16.0 ms, slow", true},
                                           TimeCase{1'234'560'000, "1234.6 ms, slow", true}));

TEST(RunTimeText, TellsTheWholeRun) {
  EXPECT_EQ(runTimeText(3'200'000), "Generated in 3.2 ms");
  EXPECT_EQ(runTimeText(0), "Generated in 0.0 ms");
}
