#include "document/bitmap_export.h"

#ifndef MOTTLER_NO_PNG
#include <png.h>
#include <zlib.h>
#endif

#include <cctype>
#include <cstring>

#include "document/atomic_file.h"

namespace mottler {

namespace {

void put16(std::uint8_t* p, int v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

constexpr int kBitmapHeaderSize = 54;

}  // namespace

std::vector<std::uint8_t> encodeBitmap(const TextureEngine& e, const TexturePlane& plane) {
  const int w = e.width, h = e.height;
  const std::size_t rowLength = static_cast<std::size_t>(bitmapRowLength(w));
  const std::size_t pixelBytes = rowLength * static_cast<std::size_t>(h);
  std::vector<std::uint8_t> bytes(kBitmapHeaderSize + pixelBytes, 0);
  std::uint8_t* p = bytes.data();
  p[0] = 'B';
  p[1] = 'M';
  put32(p + 2, static_cast<std::uint32_t>(kBitmapHeaderSize + pixelBytes));
  put32(p + 10, kBitmapHeaderSize);
  put32(p + 14, 40);
  put32(p + 18, static_cast<std::uint32_t>(w));
  put32(p + 22, static_cast<std::uint32_t>(h));
  put16(p + 26, 1);
  put16(p + 28, 24);
  put32(p + 34, static_cast<std::uint32_t>(pixelBytes));
  // Rows bottom-up: file row r holds texture row h - 1 - r, blue, green, red.
  for (int r = 0; r < h; ++r) {
    const std::uint32_t* src = plane.row(h - 1 - r, w);
    std::uint8_t* dst = p + kBitmapHeaderSize + rowLength * static_cast<std::size_t>(r);
    for (int x = 0; x < w; ++x) {
      dst[3 * x] = channel(src[x], 0);
      dst[3 * x + 1] = channel(src[x], 1);
      dst[3 * x + 2] = channel(src[x], 2);
    }
  }
  return bytes;
}

#ifndef MOTTLER_NO_PNG
namespace {
void appendPngData(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
}  // namespace

std::vector<std::uint8_t> encodePng(const TextureEngine& e, const TexturePlane& plane) {
  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(e.width) * static_cast<std::size_t>(e.height) * 2 + 1024);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return {};
  png_infop info = png_create_info_struct(png);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(e.width) * 3);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return {};
  }
  png_set_write_fn(png, &out, appendPngData, nullptr);
  // Each row as its difference from the row above, then run-length deflate:
  // a tenth of the time of the default adaptive filters and level 6, for
  // files about a quarter larger.  Both are baseline PNG that every reader
  // takes.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
  png_set_compression_level(png, Z_BEST_SPEED);
  png_set_compression_strategy(png, Z_RLE);
  png_set_IHDR(png, info, static_cast<png_uint_32>(e.width), static_cast<png_uint_32>(e.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < e.height; ++y) {
    const std::uint32_t* src = plane.row(y, e.width);
    for (int x = 0; x < e.width; ++x) {
      row[3 * x] = channel(src[x], 2);
      row[3 * x + 1] = channel(src[x], 1);
      row[3 * x + 2] = channel(src[x], 0);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}
#else
// A build without libpng (the web page, which uses the browser's encoder).
std::vector<std::uint8_t> encodePng(const TextureEngine&, const TexturePlane&) { return {}; }
#endif

std::optional<PictureType> pictureTypeForName(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension.empty() || extension == ".bmp") return PictureType::Bitmap;
  if (extension == ".png") return PictureType::Png;
  return std::nullopt;
}

std::vector<std::uint8_t> encodePicture(const TextureEngine& e, PictureType type) {
  return type == PictureType::Png ? encodePng(e, e.texture) : encodeBitmap(e, e.texture);
}

bool writeTextureFile(const std::filesystem::path& path, const TextureEngine& e,
                      std::string* error) {
  const std::optional<PictureType> type = pictureTypeForName(path);
  if (!type) {
    if (error) *error = "the name must end in .bmp or .png";
    return false;
  }
  const std::vector<std::uint8_t> bytes = encodePicture(e, *type);
  if (bytes.empty()) {
    if (error) *error = "cannot encode the picture";
    return false;
  }
  return writeFileAtomically(path, bytes, error);
}

}  // namespace mottler
