// The page's way into the core: a small C interface over the editor model,
// its undo history, the program file, the bitmap encoder and the program
// runner, compiled to WebAssembly.  The page's main script drives the editor
// through it; the preview worker loads the same module and only runs
// programs.
//
// Texts and lists travel as JSON (UTF-8), bytes through one buffer whose
// address and length the caller reads right after the call.  Every verb
// returns what the desktop's verb returns to its window: whether the program
// must run again (bit 0), or -1 when it was refused.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "document/bitmap_export.h"
#include "document/editor_model.h"
#include "document/program_file.h"
#include "document/undo_history.h"
#include "document/windows1252.h"
#include "engine/catalogue.h"
#include "engine/executor.h"
#include "engine/program_runner.h"

using namespace mottler;

namespace {

// The sizes the "New" dialog takes.
constexpr int kMinNewSide = 8;

struct Editor {
  EditorModel model;
  UndoHistory history;
};

Editor& editor() {
  static Editor e;
  return e;
}

std::string& text() {
  static std::string t;
  return t;
}

std::vector<std::uint8_t>& bytes() {
  static std::vector<std::uint8_t> b;
  return b;
}

// --- JSON -------------------------------------------------------------------------

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// A JSON string of characters.
void quote(std::string& out, std::u32string_view s) {
  out += '"';
  for (char32_t c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      static const char hex[] = "0123456789abcdef";
      out += "\\u00";
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      appendUtf8(out, c);
    }
  }
  out += '"';
}

// The catalogue's texts are plain ASCII; remarks are Windows-1252 bytes.
void quote(std::string& out, std::string_view ascii) { quote(out, decodeWindows1252(ascii)); }

void field(std::string& out, const char* name) {
  if (out.back() != '{' && out.back() != '[') out += ',';
  out += '"';
  out += name;
  out += "\":";
}

void number(std::string& out, const char* name, long long value) {
  field(out, name);
  out += std::to_string(value);
}

void boolean(std::string& out, const char* name, bool value) {
  field(out, name);
  out += value ? "true" : "false";
}

void string(std::string& out, const char* name, std::string_view value) {
  field(out, name);
  quote(out, value);
}

// The characters of UTF-8 text; nothing when it is not UTF-8.
std::optional<std::u32string> decodeUtf8(std::string_view s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size() + (extra == 0 ? 1 : 0))
      return std::nullopt;
    char32_t c = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto cont = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if ((cont & 0xC0) != 0x80) return std::nullopt;
      c = (c << 6) | (cont & 0x3F);
    }
    out += c;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

const char* give(std::string json) {
  text() = std::move(json);
  return text().c_str();
}

const std::uint8_t* give(std::vector<std::uint8_t> b) {
  bytes() = std::move(b);
  return bytes().data();
}

// Keeps the step a verb returns and says whether the program runs again.
int keep(EditResult result) {
  if (result.step) editor().history.record(std::move(*result.step));
  return result.regenerate ? 1 : 0;
}

int put(std::optional<RestoredState> restored) {
  if (!restored) return -1;
  Editor& e = editor();
  e.model.restore(restored->state);
  e.model.setModified(!e.history.isClean());
  // What comes next no longer continues the drag or typing before it.
  e.model.startGesture();
  return 1;
}

// The texture of a program, run whole in an engine of its size.
TextureEngine& exportEngine() {
  static const std::unique_ptr<TextureEngine> engine = std::make_unique<TextureEngine>();
  return *engine;
}

TextureEngine& previewEngine() {
  static const std::unique_ptr<TextureEngine> engine = std::make_unique<TextureEngine>();
  return *engine;
}

}  // namespace

extern "C" {

// --- the catalogue ------------------------------------------------------------------

// Categories, blend methods, the sizes of "New", and every command with
// their parameters' labels, ranges and defaults at a texture size.
EMSCRIPTEN_KEEPALIVE const char* mt_catalogue(int width, int height) {
  std::string out = "{";
  field(out, "categories");
  out += '[';
  for (int c = 0; c < kCategoryCount; ++c) {
    if (c > 0) out += ',';
    quote(out, CommandCatalogue::categoryName(c));
  }
  out += ']';
  field(out, "methods");
  out += '[';
  for (int m = 0; m < kBlendMethodCount; ++m) {
    if (m > 0) out += ',';
    quote(out, CommandCatalogue::blendMethodName(m));
  }
  out += ']';
  number(out, "minSide", kMinNewSide);
  number(out, "maxSide", kMaxTextureSide);
  number(out, "maxSeed", 32767);
  number(out, "maxRemark", kMaxRemarkLength);
  string(out, "unusedLabel", kUnusedLabel);
  field(out, "commands");
  out += '[';
  for (int i = 0; i < kCommandCount; ++i) {
    const CommandInfo info = commandInfoForSize(i, width, height);
    if (i > 0) out += ',';
    out += '{';
    string(out, "name", info.name);
    number(out, "category", info.category);
    number(out, "code", info.code);
    number(out, "layerFlags", info.layerFlags);
    string(out, "summary", kCommandTable[static_cast<std::size_t>(i)].summary);
    field(out, "params");
    out += '[';
    bool first = true;
    for (int k = 0; k < kParamCount; ++k) {
      if (!info.used(k)) continue;
      if (!first) out += ',';
      first = false;
      out += '{';
      string(out, "label", info.paramLabel[static_cast<std::size_t>(k)]);
      number(out, "min", info.minValue[static_cast<std::size_t>(k)]);
      number(out, "max", info.maxValue[static_cast<std::size_t>(k)]);
      number(out, "default", info.defaultValue[static_cast<std::size_t>(k)]);
      out += '}';
    }
    out += "]}";
  }
  out += "]}";
  return give(std::move(out));
}

// --- what the controls show ------------------------------------------------------------

EMSCRIPTEN_KEEPALIVE const char* mt_state() {
  const Editor& e = editor();
  const EditorModel& m = e.model;
  std::string out = "{";
  number(out, "mode", static_cast<int>(m.mode()));
  number(out, "programLength", m.programLength());
  number(out, "currentIndex", m.currentIndex());
  number(out, "pendingCommand", m.pendingCommand());
  number(out, "seed", m.seed());
  string(out, "remark", m.remark());
  number(out, "width", m.width());
  number(out, "height", m.height());
  field(out, "list");
  out += '[';
  for (int i = 0; i < m.listCount(); ++i) {
    const ListRow row = m.listRow(i);
    if (i > 0) out += ',';
    out += '{';
    string(out, "name", row.name);
    number(out, "image", row.image);
    boolean(out, "off", row.switchedOff);
    out += '}';
  }
  out += ']';
  number(out, "highlighted", m.highlightedRow().value_or(-1));
  boolean(out, "listEnabled", m.listEnabled());
  field(out, "rows");
  out += '[';
  for (int k = 0; k < kParamCount; ++k) {
    const ParameterRow& row = m.parameterRow(k);
    if (k > 0) out += ',';
    out += '{';
    boolean(out, "enabled", row.enabled);
    string(out, "label", row.label);
    number(out, "min", row.minimum);
    number(out, "max", row.maximum);
    number(out, "position", row.position);
    const std::optional<int> value = m.parameterValue(k);
    field(out, "value");
    out += value ? std::to_string(*value) : "null";
    out += '}';
  }
  out += ']';
  for (const auto& [name, bar, value] :
       {std::tuple{"offsetX", &m.offsetXBar(), m.offsetXValue()},
        std::tuple{"offsetY", &m.offsetYBar(), m.offsetYValue()}}) {
    field(out, name);
    out += '{';
    boolean(out, "enabled", bar->enabled);
    number(out, "max", bar->maximum);
    number(out, "position", bar->position);
    field(out, "value");
    out += value ? std::to_string(*value) : "null";
    out += '}';
  }
  boolean(out, "methodEnabled", m.methodEnabled());
  number(out, "method", m.methodShown());
  boolean(out, "fixedEnabled", m.fixedColorsEnabled());
  boolean(out, "fixedChecked", m.fixedColorsChecked());
  boolean(out, "canAdd", m.canAdd());
  boolean(out, "canCancel", m.canCancel());
  boolean(out, "canMove", m.canMove());
  boolean(out, "canRemove", m.canRemove());
  boolean(out, "canToggle", m.canToggleState());
  boolean(out, "saveEnabled", m.saveEnabled());
  boolean(out, "modified", m.modified());
  boolean(out, "hasPath", m.hasPath());
  string(out, "documentName", m.documentName());
  string(out, "documentPath", m.documentPath());
  boolean(out, "canUndo", e.history.canUndo());
  boolean(out, "canRedo", e.history.canRedo());
  string(out, "undoText", e.history.undoText());
  string(out, "redoText", e.history.redoText());
  out += '}';
  return give(std::move(out));
}

// --- the editor's verbs ---------------------------------------------------------------

EMSCRIPTEN_KEEPALIVE int mt_choose(int index) { return keep(editor().model.chooseCommand(index)); }
EMSCRIPTEN_KEEPALIVE int mt_choose_category() {
  editor().model.chooseCategory();
  return 0;
}
EMSCRIPTEN_KEEPALIVE int mt_select(int row) { return editor().model.selectEntry(row) ? 0 : -1; }
EMSCRIPTEN_KEEPALIVE int mt_add() { return keep(editor().model.add()); }
EMSCRIPTEN_KEEPALIVE int mt_cancel() { return keep(editor().model.cancel()); }
EMSCRIPTEN_KEEPALIVE int mt_remove() { return keep(editor().model.remove()); }
EMSCRIPTEN_KEEPALIVE int mt_toggle() { return keep(editor().model.toggleState()); }
EMSCRIPTEN_KEEPALIVE int mt_up() { return keep(editor().model.moveUp()); }
EMSCRIPTEN_KEEPALIVE int mt_down() { return keep(editor().model.moveDown()); }
EMSCRIPTEN_KEEPALIVE int mt_set_parameter(int k, int value) {
  return keep(editor().model.setParameter(k, value));
}
EMSCRIPTEN_KEEPALIVE int mt_set_method(int method) {
  return keep(editor().model.setMethod(method));
}
EMSCRIPTEN_KEEPALIVE int mt_set_fixed(int on) {
  return keep(editor().model.setFixedColors(on != 0));
}
EMSCRIPTEN_KEEPALIVE int mt_set_offset_x(int value) {
  return keep(editor().model.setOffsetX(value));
}
EMSCRIPTEN_KEEPALIVE int mt_set_offset_y(int value) {
  return keep(editor().model.setOffsetY(value));
}
EMSCRIPTEN_KEEPALIVE int mt_set_seed(int seed) { return keep(editor().model.setSeed(seed)); }

// The remark as typed (UTF-8); refused (-1) when a character has no byte in
// the remark's character set.
EMSCRIPTEN_KEEPALIVE int mt_set_remark(const char* utf8) {
  const std::optional<std::u32string> chars = decodeUtf8(utf8);
  if (!chars) return -1;
  std::optional<std::string> remark = encodeWindows1252(*chars);
  if (!remark) return -1;
  return keep(editor().model.setRemark(std::move(*remark)));
}

EMSCRIPTEN_KEEPALIVE void mt_start_gesture() { editor().model.startGesture(); }
EMSCRIPTEN_KEEPALIVE int mt_undo() { return put(editor().history.undo()); }
EMSCRIPTEN_KEEPALIVE int mt_redo() { return put(editor().history.redo()); }

// --- documents --------------------------------------------------------------------------

// New: an empty program of a size the "New" dialog allows; -1 otherwise.
EMSCRIPTEN_KEEPALIVE int mt_new(int width, int height, const char* name) {
  if (width < kMinNewSide || width > kMaxTextureSide || height < kMinNewSide ||
      height > kMaxTextureSide)
    return -1;
  Editor& e = editor();
  e.model.newDocument(width, height, name, name);
  e.history.clear();
  return 1;
}

// Open: the program of a file's bytes.  0 on success; otherwise the current
// program stays as it was and mt_message() holds the message to show.
EMSCRIPTEN_KEEPALIVE int mt_open(const std::uint8_t* data, int length, const char* name) {
  ProgramDocument doc;
  const ReadStatus status =
      decodeProgram(std::span<const std::uint8_t>(data, static_cast<std::size_t>(length)), doc);
  if (status != ReadStatus::Ok) {
    give(std::string(readStatusMessage(status)));
    return static_cast<int>(status);
  }
  Editor& e = editor();
  e.model.openDocument(doc, name);
  e.history.clear();
  return 0;
}

EMSCRIPTEN_KEEPALIVE const char* mt_message() { return text().c_str(); }

// The bytes of the program file Save writes; the document is then saved.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* mt_save(const char* name) {
  Editor& e = editor();
  const std::uint8_t* data = give(encodeProgram(e.model.committedDocument()));
  e.model.documentSaved(name);
  e.history.markClean();
  return data;
}

// The seed of a run.
EMSCRIPTEN_KEEPALIVE int mt_seed() { return editor().model.seed(); }

// The slots a run takes (48-byte records), as the preview worker wants them.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* mt_run_slots() {
  const std::vector<ProgramEntry> slots = editor().model.runSlots();
  std::vector<std::uint8_t> out(slots.size() * sizeof(ProgramEntry));
  std::memcpy(out.data(), slots.data(), out.size());
  return give(std::move(out));
}

// The exported bitmap: the whole program (the pending entry included) run
// once more, the texture written as an uncompressed 24-bit bitmap.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* mt_export_bitmap() {
  const EditorModel& m = editor().model;
  TextureEngine& engine = exportEngine();
  engine.setSize(m.width(), m.height());
  const std::vector<ProgramEntry> slots = m.runSlots();
  std::fill(engine.entries.begin(), engine.entries.end(), ProgramEntry{});
  std::copy(slots.begin(), slots.end(), engine.entries.begin());
  runProgram(engine, m.seed(), static_cast<int>(slots.size()) - 1);
  return give(encodeBitmap(engine, engine.texture));
}

// "Export at Size": slots (48-byte records) run with a seed at a scale of
// their design size, in an engine of their own, the texture written as an
// uncompressed 24-bit bitmap; nothing when the scale or the scaled size is
// out of range.  The export worker calls it, so the page's preview runs on.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* mt_export_scaled(const std::uint8_t* data, int count,
                                                         int seed, int width, int height,
                                                         int scale) {
  if (scale < 1 || scale > kMaxScale || width < 1 || height < 1 ||
      width > kMaxScaledSide / scale || height > kMaxScaledSide / scale || count < 0 ||
      count > kMaxProgramLength + 1)
    return give(std::vector<std::uint8_t>{});
  auto engine = std::make_unique<TextureEngine>();
  engine->setScaledSize(width, height, scale);
  std::vector<ProgramEntry> slots(static_cast<std::size_t>(count));
  std::memcpy(slots.data(), data, slots.size() * sizeof(ProgramEntry));
  std::fill(engine->entries.begin(), engine->entries.end(), ProgramEntry{});
  std::copy(slots.begin(), slots.end(), engine->entries.begin());
  runProgram(*engine, seed, count - 1);
  return give(encodeBitmap(*engine, engine->texture));
}

EMSCRIPTEN_KEEPALIVE int mt_bytes_length() { return static_cast<int>(bytes().size()); }

// --- the preview worker ----------------------------------------------------------------

// Runs slots (48-byte records) with a seed at a size, starting from the
// runner's snapshots where the program before the change is the same.
// Afterwards mt_plane_rgba gives the texture or the buffer.
EMSCRIPTEN_KEEPALIVE void mt_render(const std::uint8_t* data, int count, int seed, int width,
                                    int height) {
  static ProgramRunner runner;
  TextureEngine& engine = previewEngine();
  if (engine.width != width || engine.height != height) engine.setSize(width, height);
  std::vector<ProgramEntry> slots(static_cast<std::size_t>(count));
  std::memcpy(slots.data(), data, slots.size() * sizeof(ProgramEntry));
  runner.run(engine, seed, slots);
}

// The texture (0) or the buffer (1) of the last run as canvas pixels: red,
// green, blue, opaque.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* mt_plane_rgba(int buffer) {
  const TextureEngine& engine = previewEngine();
  const TexturePlane& plane = buffer != 0 ? engine.buffer : engine.texture;
  const std::size_t n =
      static_cast<std::size_t>(engine.width) * static_cast<std::size_t>(engine.height);
  std::vector<std::uint8_t>& out = bytes();
  out.resize(n * 4);
  const std::uint32_t* px = plane.data();
  for (std::size_t i = 0; i < n; ++i) {
    out[i * 4 + 0] = static_cast<std::uint8_t>(px[i] >> 16);
    out[i * 4 + 1] = static_cast<std::uint8_t>(px[i] >> 8);
    out[i * 4 + 2] = static_cast<std::uint8_t>(px[i]);
    out[i * 4 + 3] = 255;
  }
  return out.data();
}

}  // extern "C"
