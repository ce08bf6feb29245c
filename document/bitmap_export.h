// Writing the texture as a picture file: the uncompressed 24-bit bottom-up
// bitmap of the Export command, and PNG for the renderer and the manual.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/engine_state.h"

namespace mottler {

// Length of one bitmap pixel row: 3 bytes a pixel padded to a multiple of 4.
inline int bitmapRowLength(int width) { return 3 * width + width % 4; }

// The exact bytes of the bitmap of a plane of the engine's current size.
std::vector<std::uint8_t> encodeBitmap(const TextureEngine& engine, const TexturePlane& plane);

// The bytes of an 8-bit RGB PNG of a plane.  Empty on failure.
std::vector<std::uint8_t> encodePng(const TextureEngine& engine, const TexturePlane& plane);

// Writes the texture atomically: PNG when the path ends in ".png", else the bitmap.
bool writeTextureFile(const std::filesystem::path& path, const TextureEngine& engine,
                      std::string* error = nullptr);

}  // namespace mottler
