// Writing the texture as a picture file: the uncompressed 24-bit bottom-up
// bitmap of the Export command, and PNG for the renderer and the manual.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine_state.h"

namespace mottler {

// Length of one bitmap pixel row: 3 bytes a pixel padded to a multiple of 4.
inline int bitmapRowLength(int width) { return 3 * width + width % 4; }

// The exact bytes of the bitmap of a plane of the engine's current size.
std::vector<std::uint8_t> encodeBitmap(const TextureEngine& engine, const TexturePlane& plane);

// Whether this build writes PNG (it is built with libpng: MOTTLER_WITH_PNG);
// without it only bitmaps are written, and a PNG is refused with the message.
#if MOTTLER_WITH_PNG
inline constexpr bool kPngAvailable = true;
#else
inline constexpr bool kPngAvailable = false;
#endif
inline constexpr const char* kNoPngMessage = "this build writes bitmaps only, not PNG";

// The bytes of an 8-bit RGB PNG of a plane, quick to write (about a tenth
// of the time of the usual compression settings) and readable by any PNG
// reader.  Empty on failure, and always in a build without PNG.
std::vector<std::uint8_t> encodePng(const TextureEngine& engine, const TexturePlane& plane);

enum class PictureType { Bitmap, Png };

// The picture type a file name asks for: ".bmp" or ".png" in any case.  A
// name without an extension (a device, a FIFO, standard output) gets the
// bitmap.  Any other extension gives nullopt: the caller refuses it.
std::optional<PictureType> pictureTypeForName(const std::filesystem::path& path);

// The texture plane as a picture file of that type.  Empty on failure.
std::vector<std::uint8_t> encodePicture(const TextureEngine& engine, PictureType type);

// Writes the texture atomically in the type its name asks for; refuses a
// name with any other extension.
bool writeTextureFile(const std::filesystem::path& path, const TextureEngine& engine,
                      std::string* error = nullptr);

}  // namespace mottler
