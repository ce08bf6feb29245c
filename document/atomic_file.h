// Writing a file so that a good file is never replaced by a broken one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace mottler {

// Writes the bytes to a temporary file in the target's folder and renames it
// over the target only when every byte reached the disk.  On failure the
// target is untouched, no temporary file is left behind, false is returned
// and *error (when given) says why.
bool writeFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                         std::string* error = nullptr);

}  // namespace mottler
