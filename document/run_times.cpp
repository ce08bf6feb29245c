#include "document/run_times.h"

#include <cstdio>

namespace mottler {

std::string millisecondsText(std::int64_t nanos) {
  // Tenths of a millisecond, rounded half up, in integers: no locale, no
  // floating-point formatting.
  const std::int64_t tenths = (nanos < 0 ? 0 : nanos + 50'000) / 100'000;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " ms";
}

std::string runTimeText(std::int64_t nanos) { return "Generated in " + millisecondsText(nanos); }

EntryTime describeEntryTime(std::int64_t nanos) {
  EntryTime t;
  t.slow = nanos > kSlowEntryNanos;
  t.text = millisecondsText(nanos) + (t.slow ? ", slow" : "");
  return t;
}

}  // namespace mottler
