// The one version number of Mottler, set in the top-level CMakeLists.txt
// (project(... VERSION ...)) and handed to every program from there: the
// tools' --version, the application's --version and About box, the package.
#pragma once

namespace mottler {

#ifndef MOTTLER_VERSION
#error "MOTTLER_VERSION comes from the build (mottler_core's compile definitions)"
#endif

inline constexpr const char* kVersion = MOTTLER_VERSION;

}  // namespace mottler
