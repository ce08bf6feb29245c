// The engine's code paths this processor can run: the portable one always,
// the wide one where the processor has it.  Tests that reach per-pixel work
// run on each, since the bits must not depend on which was taken.
#pragma once

#include <vector>

#include "engine/engine_state.h"

namespace mottler {

inline std::vector<bool> vectorPaths() {
  if (wideVectorsSupported()) return {false, true};
  return {false};
}

inline const char* pathName(bool wide) { return wide ? "wide path" : "portable path"; }

}  // namespace mottler
