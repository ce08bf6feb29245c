// The system's texts for a file command that failed.  The application's
// message boxes and the command-line tools' error lines both use them.
#pragma once

namespace mottler {

inline constexpr const char* kUnableToOpenMessage = "Unable to open file";
inline constexpr const char* kFormatNotSupportedMessage = "File format not supported";
inline constexpr const char* kSaveFailedMessage = "File could not be saved";

}  // namespace mottler
