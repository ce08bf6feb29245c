// The engine's data: program entries, the three pixel planes, the lookup
// tables and the single random-number generator.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/band_pool.h"
#include "engine/catalogue.h"
#include "engine/pixel_lanes.h"

namespace mottler {

// One command instance of a program.  Program files store it byte for byte
// (48 bytes, little-endian), so the field order and the reserved bytes are fixed.
struct ProgramEntry {
  CommandCode code = 0;  // 0 = empty slot; the executor dispatches on the low byte
  std::array<std::int32_t, kParamCount> param{};
  std::int32_t method = 0;  // BlendMethod; the blend reads its low byte
  std::uint8_t disabled = 0;
  std::uint8_t fixedColors = 0;
  std::array<std::uint8_t, 2> reserved{};
  std::int32_t offsetX = 0;
  std::int32_t offsetY = 0;

  bool operator==(const ProgramEntry&) const = default;
};
static_assert(sizeof(ProgramEntry) == 48, "a program entry is a 48-byte record");

inline constexpr int kProgramSlots = 1024;  // the pending slot included
inline constexpr int kMaxProgramLength = kProgramSlots - 1;
inline constexpr int kMaxTextureSide = 256;  // largest design size the application offers
// A run can render the design at up to kMaxScale times its width and height
// (the same texture, finer), up to kMaxScaledSide pixels a side.
inline constexpr int kMaxScale = 16;
inline constexpr int kMaxScaledSide = 4096;

// A picture of the current texture size.  Pixels are 32-bit words 0x00RRGGBB
// (byte 0 blue, byte 1 green, byte 2 red, byte 3 spare), rows packed at the
// width, row 0 at the top.  Storage is sized by TextureEngine::setSize and
// never during a run; it holds two spare rows below the picture.
class TexturePlane {
 public:
  std::uint32_t* data() { return pixels_.data(); }
  const std::uint32_t* data() const { return pixels_.data(); }
  std::uint32_t* row(int y, int width) {
    return pixels_.data() + static_cast<std::size_t>(y) * width;
  }
  const std::uint32_t* row(int y, int width) const {
    return pixels_.data() + static_cast<std::size_t>(y) * width;
  }
  std::size_t capacity() const { return pixels_.size(); }
  void reserve(std::size_t pixels) {
    if (pixels_.size() < pixels) pixels_.resize(pixels, 0);
  }

 private:
  std::vector<std::uint32_t> pixels_;
};

// The engine's linear congruential generator.
struct RandomState {
  std::int32_t state = 0;

  void seed(std::int32_t value) { state = value; }
  // Advances the state, then returns 0..32767.
  int next() {
    state = static_cast<std::int32_t>(static_cast<std::uint32_t>(state) * 214013u + 2531011u);
    return static_cast<int>((static_cast<std::uint32_t>(state) >> 16) & 0x7FFFu);
  }
};

// k steps of the generator at once: state -> state x A^k + C x (A^(k-1) +
// ... + A + 1), modulo 2^32 like the single step.  Several states computed
// from one this way do not wait for each other.
struct RandomLeap {
  std::uint32_t multiplier = 1, increment = 0;
  explicit constexpr RandomLeap(int k) {
    for (int i = 0; i < k; ++i) {
      multiplier *= 214013u;
      increment = increment * 214013u + 2531011u;
    }
  }
  constexpr std::uint32_t operator()(std::uint32_t state) const {
    return state * multiplier + increment;
  }
  // The number a state gives, as RandomState::next returns it.
  static constexpr int output(std::uint32_t state) {
    return static_cast<int>((state >> 16) & 0x7FFFu);
  }
};

// The random colour-channel rule of the generators: one draw r, then
// max(0, r mod 255 + mask - 255), which lies in 0..mask - 1 (0..254 for a
// mask of 255).
inline int randomChannel(RandomState& random, int mask) {
  const int v = random.next() % 255 + mask - 255;
  return v > 0 ? v : 0;
}

inline constexpr std::uint8_t channel(std::uint32_t pixel, int c) {
  return static_cast<std::uint8_t>(pixel >> (8 * c));
}
inline constexpr std::uint32_t rgb(std::uint32_t blue, std::uint32_t green, std::uint32_t red) {
  return (red << 16) | (green << 8) | blue;
}

// A 256 x 256 byte table, indexed [row * 256 + column].
using ByteTable = std::array<std::uint8_t, 256 * 256>;

// ShadeTable[s * 256 + t]: layer value s applied over texture value t.
// Neither table depends on the texture size or on anything else, so each is
// computed once per process, the first time it is asked for (safe from
// several threads at once), and not at start-up.
const ByteTable& shadeTable();
// BlobProfile[k * 256 + s]: brightness of the "Blobs" spot, row k, column s.
const ByteTable& blobProfile();

// The words of scratch each thread needs for the filters on a texture
// `width` pixels wide at `scale` (filters.cpp).
std::size_t filterScratchWords(int width, int scale);

// Whether the run in progress should stop.  Long commands ask between rows,
// passes or shapes and return at once when it says so; what they leave in
// the planes and the random state is then meaningless.  A flag, once seen
// raised, stays seen until the next watch.
class CancelCheck {
 public:
  CancelCheck() = default;
  // A copy watches the same flag (the engines of interleaved grids ask too).
  CancelCheck(const CancelCheck& other)
      : flag_(other.flag_), seen_(other.seen_), asked_(other.asked()) {}
  CancelCheck& operator=(const CancelCheck& other) {
    flag_ = other.flag_;
    seen_ = other.seen_;
    asked_.store(other.asked(), std::memory_order_relaxed);
    return *this;
  }
  // Watches a flag another thread may raise; nullptr: never cancelled.
  void watch(const std::atomic<bool>* flag) {
    flag_ = flag;
    seen_ = false;
  }
  bool requested() {
    if (seen_) return true;
    // Only the run's own thread counts; others may read the count.
    asked_.store(asked_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    if (flag_ != nullptr) seen_ = flag_->load(std::memory_order_relaxed);
    return seen_;
  }
  // How often commands have asked so far: their work counted in checks
  // (the checks that let the work go on, and the one that first saw the
  // flag; the returns after it are not counted).  Another thread may read
  // it while a run goes on.
  std::uint64_t asked() const { return asked_.load(std::memory_order_relaxed); }
  // The same question for the helper threads of a command: it changes
  // nothing, so several threads may ask at once (and it is not counted).
  bool raisedNow() const {
    return seen_ || (flag_ != nullptr && flag_->load(std::memory_order_relaxed));
  }
  // The check of a band, strip or chunk of a command's work shared out
  // over threads: several threads may ask at once.  It is counted when it
  // lets the work go on, so that the bands a cancelled run passes over
  // without doing them add nothing to the count.
  bool requestedInBand() {
    if (raisedNow()) return true;
    asked_.fetch_add(1, std::memory_order_relaxed);
    return false;
  }

 private:
  const std::atomic<bool>* flag_ = nullptr;
  bool seen_ = false;
  std::atomic<std::uint64_t> asked_{0};
};

class TextureEngine {
 public:
  TextureEngine();

  // Sets the texture size and the derived figures and sizes plane storage
  // for it.  Plane contents within the previous storage are kept.  Sizes are
  // 1..kMaxTextureSide for the application; larger sizes work for headless
  // rendering.  The scale becomes 1.
  void setSize(int width, int height);

  // Sets a design size (the size the program was made at) and a scale
  // 1..kMaxScale: the texture becomes scale x width by scale x height and a
  // run makes the same design there, finer.  Parameters are brought into
  // their ranges at the design size and then scaled through their units
  // (bringIntoRange, scaleParameters); commands whose look needs more than
  // that follow their own scale rule (CommandDecl::scaleRule).  Scale 1 is
  // setSize.
  void setScaledSize(int designWidth, int designHeight, int scale);

  // How many threads share the work of a command (1: the calling thread
  // alone).  The helpers are made here, never during a run; the result is
  // the same bits whatever the number.
  void setThreads(int threads);
  int threads() const { return pool ? pool->threads() : 1; }

  // The size the program was designed at: width / scale, height / scale.
  int designWidth() const { return width / scale; }
  int designHeight() const { return height / scale; }

  // Sets the bytes in use of a plane to 0.
  void clear(TexturePlane& plane);

  // Pixel (x, y) of a plane, no wrapping.
  std::uint32_t& at(TexturePlane& plane, int x, int y) {
    return plane.data()[static_cast<std::size_t>(y) * width + x];
  }

  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t pixelCount = 0;
  std::int32_t stride = 0;
  std::int32_t byteSize = 0;
  // 1: the texture is the design itself; s: s times its width and height.
  std::int32_t scale = 1;

  TexturePlane texture;
  TexturePlane buffer;
  TexturePlane workPlane;

  // Per-pixel scratch of commands that need more than the work plane
  // ("Glass" keeps its two displacement fields here); sized by setSize.
  std::vector<std::int8_t> fieldX;
  std::vector<std::int8_t> fieldY;

  // "Enviroument Map"'s fall-off, kept from run to run while the size, the
  // scale and the radius stay the same: one value per pair of distances
  // lo <= hi from the centre (|dx| and |dy| in either order), then room for
  // a band of rows of the values spread out in pixel order.  Sized by
  // setSize; filled by the command (generators_fields.cpp).
  struct Falloff {
    static constexpr int kBandRows = 32;
    // Entries for a texture of the size: the pairs, then the band.
    static std::size_t entriesFor(int width, int height);
    std::vector<double> values;
    // What the pairs were made for; maxA < 0: nothing made yet.
    double k = 0;
    int scale = 0, maxA = -1, maxB = -1;
  };
  Falloff falloff;

  // Engines of the design size, one per thread, for the filters that, at a
  // scale s above 1, run their design-size rule on each of the s x s
  // interleaved grids of every s-th pixel (CommandDecl::scaleRule); made by
  // setScaledSize and setThreads, never during a run.
  std::vector<std::unique_ptr<TextureEngine>> grids;

  // The helper threads; none with one thread.
  std::unique_ptr<BandPool> pool;

  // Scratch of the filters at a scale, one per thread (rows of channel sums
  // for their box averages, filterScratchWords); made by setScaledSize and
  // setThreads, never during a run.
  std::vector<std::vector<std::uint64_t>> filterScratch;

  RandomState random;
  std::array<ProgramEntry, kProgramSlots> entries{};

  // Consulted by long commands; a run that can be cancelled watches its flag.
  CancelCheck cancel;

  // Run the sixteen-pixel code paths (the *_wide.cpp files) where the
  // processor has them.  The results are the same bits either way; tests and
  // benchmarks switch this off to compare the portable paths.
  bool wideVectors = wideVectorsSupported();

 private:
  void prepareGrids();
};

}  // namespace mottler
