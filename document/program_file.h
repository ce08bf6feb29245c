// Program files (".mlr"): a 156-byte little-endian header followed by the
// committed entries as 48-byte records.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <span>
#include <string>
#include <vector>

#include "document/file_messages.h"
#include "engine/engine_state.h"

namespace mottler {

inline constexpr int kHeaderSize = 156;
inline constexpr int kEntrySize = 48;
inline constexpr int kRemarkField = 132;
inline constexpr int kMaxRemarkLength = 127;
inline constexpr std::uint8_t kFormatVersion = 10;

// The most a reader takes in.  The largest program the format can describe
// fully (a 32767-byte header and 1023 records of 32767 bytes each) fits in
// it; a program file written by Mottler is at most 49,260 bytes.  A larger
// input is refused with "File format not supported" without being read to
// its end.
inline constexpr std::size_t kMaxProgramFileBytes = 32u << 20;

// What a program file carries.
struct ProgramDocument {
  std::int32_t width = 256;
  std::int32_t height = 256;
  int seed = 0;        // "Random Seed", 0..32767
  std::string remark;  // single-byte characters, at most 127
  std::vector<ProgramEntry> entries;

  bool operator==(const ProgramDocument&) const = default;
};

enum class ReadStatus {
  Ok,
  CannotOpen,    // kUnableToOpenMessage
  NotSupported,  // kFormatNotSupportedMessage
};

// The system's message for a failed read ("" for Ok).
const char* readStatusMessage(ReadStatus status);

// The exact bytes of a program file.
std::vector<std::uint8_t> encodeProgram(const ProgramDocument& doc);

// Decodes a program held in memory: lays what it finds over a zeroed header
// (256 x 256 by default) and zeroed records, skips the excess of longer
// records, refuses what cannot be a program of this system (and anything
// longer than kMaxProgramFileBytes), and brings the used parameters of every
// entry into the catalogue range for the file's size.  out is changed only
// on success.
ReadStatus decodeProgram(std::span<const std::uint8_t> bytes, ProgramDocument& out);

// Reads the stream to its end (at most kMaxProgramFileBytes) and decodes it.
ReadStatus decodeProgram(std::istream& in, ProgramDocument& out);

// Opens the file for reading only, reads it whole into memory and decodes
// it, so that pipes, FIFOs and devices read like files.  out is changed only
// on success; on CannotOpen *why (when given) holds the system's reason.
ReadStatus readProgramFile(const std::filesystem::path& path, ProgramDocument& out,
                           std::string* why = nullptr);

// The same from a descriptor that is already open (standard input).
ReadStatus readProgram(int fd, ProgramDocument& out, std::string* why = nullptr);

// Writes the file atomically; false when it could not be written completely.
bool writeProgramFile(const std::filesystem::path& path, const ProgramDocument& doc,
                      std::string* error = nullptr);

// Puts a program into the engine: its size, its entries in slots 0..N-1 and
// an empty slot N after them.  Returns N, the last slot a run takes.
int loadIntoEngine(const ProgramDocument& doc, TextureEngine& engine);

// Brings an entry into what the engine can take for a texture size: used
// parameter slots into their (size-adjusted) catalogue range, offsets into
// the texture, flags to 0 or 1.  Returns false when the code names no command.
bool sanitizeEntry(ProgramEntry& entry, int width, int height);

}  // namespace mottler
