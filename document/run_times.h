// How the time of a run and of each program entry is told to the user:
// milliseconds with one decimal, and whether an entry is slow (slower than
// a frame at 60 Hz, so that dragging its scroll bars stutters).
#pragma once

#include <cstdint>
#include <string>

namespace mottler {

inline constexpr std::int64_t kSlowEntryNanos = 16'000'000;

// "3.2 ms".
std::string millisecondsText(std::int64_t nanos);

// The status text after a run: "Generated in 3.2 ms".
std::string runTimeText(std::int64_t nanos);

struct EntryTime {
  std::string text;  // "3.2 ms", or "17.0 ms, slow"
  bool slow = false;
};
EntryTime describeEntryTime(std::int64_t nanos);

}  // namespace mottler
