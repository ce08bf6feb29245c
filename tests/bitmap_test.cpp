#include <gtest/gtest.h>
#include <png.h>

#include "document/bitmap_export.h"

using namespace mottler;

namespace {
std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
         std::uint32_t{b[at + 3]} << 24;
}
}  // namespace

TEST(Bitmap, HeaderAndSizesFollowTheRowPadding) {
  TextureEngine e;
  e.setSize(256, 256);
  auto big = encodeBitmap(e, e.texture);
  EXPECT_EQ(big.size(), 196662u);
  EXPECT_EQ(le32(big, 2), 196662u);

  e.setSize(10, 8);
  e.clear(e.texture);
  auto bytes = encodeBitmap(e, e.texture);
  EXPECT_EQ(bitmapRowLength(10), 32);
  ASSERT_EQ(bytes.size(), 310u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(le32(bytes, 2), 310u);
  EXPECT_EQ(le32(bytes, 6), 0u);
  EXPECT_EQ(le32(bytes, 10), 54u);
  EXPECT_EQ(le32(bytes, 14), 40u);
  EXPECT_EQ(le32(bytes, 18), 10u);
  EXPECT_EQ(le32(bytes, 22), 8u);
  EXPECT_EQ(bytes[26], 1);
  EXPECT_EQ(bytes[28], 24);
  EXPECT_EQ(le32(bytes, 30), 0u);
  EXPECT_EQ(le32(bytes, 34), 256u);
  for (std::size_t i = 38; i < 54; ++i) EXPECT_EQ(bytes[i], 0) << i;
  for (int w = 1; w <= 12; ++w) EXPECT_EQ(bitmapRowLength(w) % 4, 0) << w;
}

TEST(Bitmap, RowsRunBottomUpInBlueGreenRedOrder) {
  TextureEngine e;
  e.setSize(10, 8);
  for (int i = 0; i < e.pixelCount; ++i) e.texture.data()[i] = 0xFF102030u;  // spare byte set
  e.at(e.texture, 0, 0) = 0x00FF0000;                                        // top-left red
  e.at(e.texture, 0, 7) = 0x000000FF;                                        // bottom-left blue
  auto bytes = encodeBitmap(e, e.texture);
  EXPECT_EQ(bytes[54], 0xFF);
  EXPECT_EQ(bytes[55], 0x00);
  EXPECT_EQ(bytes[56], 0x00);
  const std::size_t lastRow = 54 + 32 * 7;
  EXPECT_EQ(bytes[lastRow], 0x00);
  EXPECT_EQ(bytes[lastRow + 1], 0x00);
  EXPECT_EQ(bytes[lastRow + 2], 0xFF);
  EXPECT_EQ(bytes[57], 0x30);  // pixel (1, 7): blue, green, red
  EXPECT_EQ(bytes[58], 0x20);
  EXPECT_EQ(bytes[59], 0x10);
  EXPECT_EQ(bytes[54 + 30], 0);  // padding
  EXPECT_EQ(bytes[54 + 31], 0);
}

// Any PNG reader gets back exactly the texture's pixels, at every size.
TEST(Bitmap, PngCarriesThePictureExactly) {
  TextureEngine e;
  for (const auto& [w, h] :
       {std::pair{256, 256}, std::pair{3, 2}, std::pair{1, 17}, std::pair{255, 1}}) {
    e.setSize(w, h);
    std::uint32_t seed = 99;
    for (int i = 0; i < e.pixelCount; ++i) {
      seed = seed * 1664525u + 1013904223u;
      // Runs and noise, so that every filter and match kind is exercised.
      e.texture.data()[i] = (i / 7) % 3 == 0 ? 0xFF123456u : seed;
    }
    const auto png = encodePng(e, e.texture);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size())) << w;
    ASSERT_EQ(image.width, static_cast<png_uint_32>(w));
    ASSERT_EQ(image.height, static_cast<png_uint_32>(h));
    image.format = PNG_FORMAT_BGRA;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w * h));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) << image.message;
    for (int i = 0; i < e.pixelCount; ++i)
      ASSERT_EQ(pixels[static_cast<std::size_t>(i)], e.texture.data()[i] | 0xFF000000u)
          << w << "x" << h << " pixel " << i;
  }
}

TEST(Bitmap, ThePictureTypeComesFromTheName) {
  EXPECT_EQ(pictureTypeForName("a/cave.bmp"), PictureType::Bitmap);
  EXPECT_EQ(pictureTypeForName("CAVE.BMP"), PictureType::Bitmap);
  EXPECT_EQ(pictureTypeForName("cave.Png"), PictureType::Png);
  EXPECT_EQ(pictureTypeForName("/dev/null"), PictureType::Bitmap);  // no extension
  EXPECT_EQ(pictureTypeForName("cave.jpg"), std::nullopt);
  EXPECT_EQ(pictureTypeForName("cave.png.txt"), std::nullopt);
  EXPECT_EQ(pictureTypeForName("cave.mlr"), std::nullopt);

  TextureEngine e;
  e.setSize(10, 8);
  EXPECT_EQ(encodePicture(e, PictureType::Bitmap), encodeBitmap(e, e.texture));
  EXPECT_EQ(encodePicture(e, PictureType::Png), encodePng(e, e.texture));
  std::string why;
  EXPECT_FALSE(writeTextureFile("/nonexistent/cave.jpg", e, &why));
  EXPECT_EQ(why, "the name must end in .bmp or .png");
}
