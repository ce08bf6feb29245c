// The single-byte character set of program-file remarks: Windows-1252, the
// Western European code page.  Bytes 0x00..0x7F and 0xA0..0xFF are the
// characters of the same number; 0x80..0x9F hold "€", typographic quotes,
// dashes and a few letters.  The five bytes the code page leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the same
// number, so every byte string reads and writes back unchanged.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mottler {

// The character a byte stands for.
char32_t windows1252Char(unsigned char byte);

// The byte that stands for a character, or nothing when the code page has no
// byte for it.
std::optional<unsigned char> windows1252Byte(char32_t c);

// Whether every character has a byte (the zero character has none: it would
// end the remark in a file).
bool fitsWindows1252(std::u32string_view text);

// The bytes of a text, or nothing when a character cannot be held.
std::optional<std::string> encodeWindows1252(std::u32string_view text);

// The characters of bytes.
std::u32string decodeWindows1252(std::string_view bytes);

}  // namespace mottler
