#include "document/program_text.h"

#include <charconv>
#include <sstream>
#include <vector>

namespace mottler {

namespace {

bool toInt(std::string_view s, int& v) {
  const char* end = s.data() + s.size();
  auto [ptr, ec] = std::from_chars(s.data(), end, v);
  return ec == std::errc() && ptr == end;
}

// The words of a line, split at spaces and tabs.
std::vector<std::string> wordsOf(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

// Text taken from the input as it may be shown in an error line, cut short
// after 60 bytes.
std::string shown(std::string_view text) {
  constexpr std::size_t kLongest = 60;
  if (text.size() <= kLongest) return escapeControlBytes(text);
  return escapeControlBytes(text.substr(0, kLongest)) + "...";
}

std::optional<int> methodIndex(std::string_view name) {
  for (int m = 0; m < kBlendMethodCount; ++m)
    if (CommandCatalogue::blendMethodName(m) == name) return m;
  return std::nullopt;
}

// Parses "Name: p1 p2 ... options" into an entry with defaults for the size.
bool parseCommand(const std::string& line, int width, int height, ProgramEntry& entry,
                  std::string& why) {
  const auto colon = line.find(':');
  const std::string name = trim(line.substr(0, colon));
  CommandCatalogue catalogue;
  const auto index = catalogue.indexOfName(name);
  if (!index) {
    why = "unknown command \"" + shown(name) + "\"";
    return false;
  }
  const CommandInfo info = commandInfoForSize(*index, width, height);
  entry = ProgramEntry{};
  entry.code = info.code;
  entry.method = Add;
  for (int k = 0; k < kParamCount; ++k) entry.param[k] = info.defaultValue[k];

  std::istringstream words(colon == std::string::npos ? "" : line.substr(colon + 1));
  std::string word;
  int k = 0;
  while (words >> word) {
    int v = 0;
    if (toInt(word, v)) {
      if (k >= kParamCount || !info.used(k)) {
        why = shown(name) + " takes only " + std::to_string(k) + " parameters";
        return false;
      }
      entry.param[k++] = v;
    } else if (word.rfind("method=", 0) == 0) {
      const auto m = methodIndex(word.substr(7));
      if (!m) {
        why = "unknown blend method in " + shown(word);
        return false;
      }
      entry.method = *m;
    } else if (word.rfind("offset=", 0) == 0) {
      const std::string xy = word.substr(7);
      const auto comma = xy.find(',');
      if (comma == std::string::npos ||
          !toInt(std::string_view(xy).substr(0, comma), entry.offsetX) ||
          !toInt(std::string_view(xy).substr(comma + 1), entry.offsetY)) {
        why = "offset must read offset=X,Y";
        return false;
      }
    } else if (word == "fixed") {
      entry.fixedColors = 1;
    } else if (word == "off") {
      entry.disabled = 1;
    } else {
      why = "cannot read \"" + shown(word) + "\"";
      return false;
    }
  }
  return true;
}

}  // namespace

std::string escapeControlBytes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char byte : text) {
    const auto c = static_cast<unsigned char>(byte);
    if (c < 0x20 || c == 0x7F) {
      constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += byte;
    }
  }
  return out;
}

bool parseProgramText(const std::string& text, ProgramDocument& out, std::string* error) {
  ProgramDocument doc;
  std::istringstream lines(text);
  std::string raw;
  int number = 0;
  auto fail = [&](const std::string& why) {
    if (error) *error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(lines, raw)) {
    ++number;
    if (raw.rfind("remark ", 0) == 0) {
      doc.remark = trim(raw.substr(7));
      continue;
    }
    const std::string line = trim(raw.substr(0, raw.find('#')));
    if (line.empty()) continue;
    const std::vector<std::string> words = wordsOf(line);
    if (words[0] == "size") {
      if (words.size() != 3 || !toInt(words[1], doc.width) || !toInt(words[2], doc.height) ||
          doc.width < 1 || doc.height < 1 || doc.width > kMaxTextureSide ||
          doc.height > kMaxTextureSide)
        return fail("size must be two numbers from 1 to 256");
      if (!doc.entries.empty()) return fail("size must come before the commands");
    } else if (words[0] == "seed") {
      if (words.size() != 2 || !toInt(words[1], doc.seed) || doc.seed < 0 || doc.seed > 32767)
        return fail("seed must be a number from 0 to 32767");
    } else {
      ProgramEntry entry;
      std::string why;
      if (!parseCommand(line, doc.width, doc.height, entry, why)) return fail(why);
      if (static_cast<int>(doc.entries.size()) >= kMaxProgramLength)
        return fail("a program holds at most 1023 commands");
      doc.entries.push_back(entry);
    }
  }
  out = std::move(doc);
  return true;
}

}  // namespace mottler
