#include "document/program_file.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "document/atomic_file.h"
#include "engine/arithmetic.h"

namespace mottler {

namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {0x00, 'M', 'L', 'R'};
constexpr int kWidthOffset = 148;
constexpr int kHeightOffset = 152;

void put16(std::uint8_t* p, int v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::int16_t get16(const std::uint8_t* p) { return static_cast<std::int16_t>(p[0] | (p[1] << 8)); }
std::uint32_t get32u(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}
std::int32_t get32(const std::uint8_t* p) { return static_cast<std::int32_t>(get32u(p)); }

void encodeEntry(const ProgramEntry& e, std::uint8_t* r) {
  put32(r, e.code);
  for (int k = 0; k < kParamCount; ++k)
    put32(r + 4 + 4 * k, static_cast<std::uint32_t>(e.param[k]));
  put32(r + 32, static_cast<std::uint32_t>(e.method));
  r[36] = e.disabled;
  r[37] = e.fixedColors;
  r[38] = e.reserved[0];
  r[39] = e.reserved[1];
  put32(r + 40, static_cast<std::uint32_t>(e.offsetX));
  put32(r + 44, static_cast<std::uint32_t>(e.offsetY));
}

ProgramEntry decodeEntry(const std::uint8_t* r) {
  ProgramEntry e;
  e.code = get32u(r);
  for (int k = 0; k < kParamCount; ++k) e.param[k] = get32(r + 4 + 4 * k);
  e.method = get32(r + 32);
  e.disabled = r[36];
  e.fixedColors = r[37];
  e.reserved = {r[38], r[39]};
  e.offsetX = get32(r + 40);
  e.offsetY = get32(r + 44);
  return e;
}

}  // namespace

const char* readStatusMessage(ReadStatus status) {
  switch (status) {
    case ReadStatus::CannotOpen:
      return kUnableToOpenMessage;
    case ReadStatus::NotSupported:
      return kFormatNotSupportedMessage;
    case ReadStatus::Ok:
      break;
  }
  return "";
}

std::vector<std::uint8_t> encodeProgram(const ProgramDocument& doc) {
  const std::size_t count = doc.entries.size();
  std::vector<std::uint8_t> bytes(kHeaderSize + kEntrySize * count, 0);
  std::uint8_t* h = bytes.data();
  put16(h, kHeaderSize);
  std::copy(kMagic.begin(), kMagic.end(), h + 4);
  h[8] = kFormatVersion;
  put16(h + 10, static_cast<int>(count));
  put16(h + 12, kEntrySize);
  put16(h + 14, doc.seed);
  const std::size_t remarkLength = std::min<std::size_t>(doc.remark.size(), kMaxRemarkLength);
  std::memcpy(h + 16, doc.remark.data(), remarkLength);  // zero byte and padding follow
  put32(h + kWidthOffset, static_cast<std::uint32_t>(doc.width));
  put32(h + kHeightOffset, static_cast<std::uint32_t>(doc.height));
  for (std::size_t i = 0; i < count; ++i)
    encodeEntry(doc.entries[i], h + kHeaderSize + kEntrySize * i);
  return bytes;
}

bool sanitizeEntry(ProgramEntry& entry, int width, int height) {
  const auto index = catalogueIndexOfCode(entry.code);
  if (!index) return false;
  // The executor's range rule (the minimum wins where a small size pushes
  // the maximum below it).
  bringIntoRange(kCommandTable[static_cast<std::size_t>(*index)], entry.param, width, height);
  entry.offsetX = wrap(entry.offsetX, width);
  entry.offsetY = wrap(entry.offsetY, height);
  entry.disabled = entry.disabled ? 1 : 0;
  entry.fixedColors = entry.fixedColors ? 1 : 0;
  entry.reserved = {0, 0};
  return true;
}

ReadStatus decodeProgram(std::span<const std::uint8_t> bytes, ProgramDocument& out) {
  if (bytes.size() > kMaxProgramFileBytes || bytes.size() < 8 ||
      !std::equal(kMagic.begin(), kMagic.end(), bytes.begin() + 4))
    return ReadStatus::NotSupported;

  const int headerSize = get16(bytes.data());
  if (headerSize < 8) return ReadStatus::NotSupported;

  // Lay the header over zeros with a default size of 256 x 256; the records
  // start right after the header, whatever its length.
  std::array<std::uint8_t, kHeaderSize> header{};
  put32(header.data() + kWidthOffset, 256);
  put32(header.data() + kHeightOffset, 256);
  const auto headerBytes = static_cast<std::size_t>(std::min(headerSize, kHeaderSize));
  std::copy_n(bytes.begin(), std::min(headerBytes, bytes.size()), header.begin());

  const int entryCount = get16(header.data() + 10);
  const int entrySize = get16(header.data() + 12);
  const int seed = get16(header.data() + 14);
  const std::int32_t width = get32(header.data() + kWidthOffset);
  const std::int32_t height = get32(header.data() + kHeightOffset);
  // A header too short to hold a record size carries no records either; only
  // a file announcing records needs a size for them.
  if (entryCount > kMaxProgramLength || (entryCount > 0 && entrySize <= 0) || entrySize < 0 ||
      width < 1 || width > kMaxTextureSide || height < 1 || height > kMaxTextureSide)
    return ReadStatus::NotSupported;

  ProgramDocument doc;
  doc.width = width;
  doc.height = height;
  doc.seed = std::max(seed, 0);
  const auto* remark = reinterpret_cast<const char*>(header.data() + 16);
  doc.remark.assign(remark, strnlen(remark, kMaxRemarkLength));

  const auto kept = static_cast<std::size_t>(std::min(entrySize, kEntrySize));
  std::size_t at = static_cast<std::size_t>(headerSize);
  if (entryCount > 0) doc.entries.reserve(static_cast<std::size_t>(entryCount));
  for (int i = 0; i < entryCount && at < bytes.size(); ++i) {
    // Fields a cut-off record does not reach stay zero.
    std::array<std::uint8_t, kEntrySize> record{};
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), std::min(kept, bytes.size() - at),
                record.begin());
    at += static_cast<std::size_t>(entrySize);
    ProgramEntry entry = decodeEntry(record.data());
    if (!sanitizeEntry(entry, width, height)) return ReadStatus::NotSupported;
    doc.entries.push_back(entry);
  }
  out = std::move(doc);
  return ReadStatus::Ok;
}

ReadStatus decodeProgram(std::istream& in, ProgramDocument& out) {
  std::vector<std::uint8_t> bytes;
  std::array<char, 16 * 1024> chunk;
  while (in && bytes.size() <= kMaxProgramFileBytes) {
    in.read(chunk.data(), chunk.size());
    bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + in.gcount());
  }
  return decodeProgram(bytes, out);
}

int loadIntoEngine(const ProgramDocument& doc, TextureEngine& engine) {
  engine.setSize(doc.width, doc.height);
  const int count = std::min(static_cast<int>(doc.entries.size()), kMaxProgramLength);
  std::copy_n(doc.entries.begin(), count, engine.entries.begin());
  engine.entries[static_cast<std::size_t>(count)] = ProgramEntry{};
  return count;
}

namespace {

ReadStatus decodeWhatWasRead(ReadAllStatus status, std::span<const std::uint8_t> bytes,
                             ProgramDocument& out) {
  switch (status) {
    case ReadAllStatus::Ok:
      return decodeProgram(bytes, out);
    case ReadAllStatus::TooLarge:
      return ReadStatus::NotSupported;
    case ReadAllStatus::Failed:
      break;
  }
  return ReadStatus::CannotOpen;
}

}  // namespace

ReadStatus readProgramFile(const std::filesystem::path& path, ProgramDocument& out,
                           std::string* why) {
  std::vector<std::uint8_t> bytes;
  const ReadAllStatus status = readWholeFile(path, kMaxProgramFileBytes, bytes, why);
  return decodeWhatWasRead(status, bytes, out);
}

ReadStatus readProgram(int fd, ProgramDocument& out, std::string* why) {
  std::vector<std::uint8_t> bytes;
  const ReadAllStatus status = readAll(fd, kMaxProgramFileBytes, bytes);
  if (status == ReadAllStatus::Failed && why) *why = std::strerror(errno);
  return decodeWhatWasRead(status, bytes, out);
}

bool writeProgramFile(const std::filesystem::path& path, const ProgramDocument& doc,
                      std::string* error) {
  return writeFileAtomically(path, encodeProgram(doc), error);
}

}  // namespace mottler
