#include "document/windows1252.h"

#include <array>

namespace mottler {

namespace {

// Characters of the bytes 0x80..0x9F.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char32_t windows1252Char(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80u];
  return byte;
}

std::optional<unsigned char> windows1252Byte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i)
    if (kHighControls[i] == c) return static_cast<unsigned char>(0x80 + i);
  return std::nullopt;
}

bool fitsWindows1252(std::u32string_view text) {
  for (char32_t c : text)
    if (c == 0 || !windows1252Byte(c)) return false;
  return true;
}

std::optional<std::string> encodeWindows1252(std::u32string_view text) {
  if (!fitsWindows1252(text)) return std::nullopt;
  std::string bytes;
  bytes.reserve(text.size());
  for (char32_t c : text) bytes.push_back(static_cast<char>(*windows1252Byte(c)));
  return bytes;
}

std::u32string decodeWindows1252(std::string_view bytes) {
  std::u32string text;
  text.reserve(bytes.size());
  for (char b : bytes) text.push_back(windows1252Char(static_cast<unsigned char>(b)));
  return text;
}

}  // namespace mottler
