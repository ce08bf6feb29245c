#include "cli/help_pages.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <memory>
#include <sstream>

#include "document/bitmap_export.h"
#include "document/program_file.h"
#include "engine/catalogue.h"
#include "engine/commands.h"
#include "engine/executor.h"

namespace mottler::help {

namespace {

constexpr const char* kCategoryIntro[kCategoryCount] = {
    "Generators draw. Most of them paint a layer of their own and blend it into the texture "
    "with the entry's blend method and X/Y offsets; \"Enviroument Map\" works on the texture "
    "as it is.",
    "Deformations move the texture's pixels around. They have no blend method: the moved "
    "texture replaces the old one.",
    "Filters change every pixel from its neighbours. Like the deformations they work on the "
    "texture in place.",
    "The buffer is a second picture a program can keep for later: copy the texture there, "
    "clear the texture, draw something new and blend the buffer back in.",
    "Colour adjustments change the colours of the whole texture, pixel by pixel.",
};

std::string header(int side) {
  return "size " + std::to_string(side) + " " + std::to_string(side) + "\nseed 1\n";
}

std::string escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The command's own line in its example program.
std::string commandLine(const CommandDecl& d) {
  std::string line = std::string(d.name) + ":";
  if (!d.example.settings.empty()) line.append(" ").append(d.example.settings);
  return line;
}

// The program a command's example works on, without the header.
std::string exampleTexture(const CommandDecl& d) {
  return std::string(d.example.texture).append(d.example.setUp);
}

std::string pageStart(const std::string& title) {
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
         escape(title) +
         " - Mottler Help</title>\n<link rel=\"stylesheet\" href=\"style.css\">\n</head>\n<body>\n"
         "<nav class=\"top\"><a href=\"index.html\">Contents</a> "
         "<a href=\"getting-started.html\">Getting started</a> "
         "<a href=\"window.html\">The window</a> "
         "<a href=\"commands.html\">Commands</a> "
         "<a href=\"blend-methods.html\">Blend methods</a> "
         "<a href=\"program-files.html\">Program files</a> "
         "<a href=\"command-line.html\">Command-line tools</a></nav>\n<main>\n";
}

constexpr const char* kPageEnd = "</main>\n</body>\n</html>\n";

// What the units of the parameter tables mean.
constexpr const char* kUnitsList =
    "<dl class=\"units\">\n"
    "<dt>pixels</dt><dd>a length, size, distance or position on the texture</dd>\n"
    "<dt>count</dt><dd>how many of something</dd>\n"
    "<dt>count per area</dt><dd>how many shapes over the whole texture: the same number "
    "is denser on a smaller texture</dd>\n"
    "<dt>angle</dt><dd>a direction or a turn</dd>\n"
    "<dt>percent</dt><dd>100 leaves things as they are</dd>\n"
    "<dt>colour level</dt><dd>a brightness of a colour channel, 0 to 255</dd>\n"
    "<dt>periods</dt><dd>how many whole waves fit across the texture</dd>\n"
    "<dt>passes</dt><dd>how many times a step is repeated</dd>\n"
    "<dt>random pattern</dt><dd>picks one of many random patterns; the same number always "
    "gives the same one</dd>\n"
    "<dt>factor</dt><dd>a plain multiplier of the effect</dd>\n"
    "</dl>\n";

// The limits shown are those of a 256 x 256 texture; some depend on the size.
bool sizeDependent(int index, int k) {
  const CommandInfo big = commandInfoForSize(index, 256, 256);
  const CommandInfo small = commandInfoForSize(index, 64, 32);
  return big.maxValue[k] != small.maxValue[k] || big.minValue[k] != small.minValue[k] ||
         big.defaultValue[k] != small.defaultValue[k];
}

std::string picture(const std::string& stem, const std::string& alt, const std::string& caption) {
  return "<figure><img src=\"images/" + stem + ".png\" width=\"" + std::to_string(kSampleSide) +
         "\" height=\"" + std::to_string(kSampleSide) + "\" alt=\"" + escape(alt) +
         "\"><figcaption>" + caption + "</figcaption></figure>";
}

std::string commandSection(int index) {
  const CommandDecl& d = kCommandTable[static_cast<std::size_t>(index)];
  const CommandInfo info = commandInfoForSize(index, 256, 256);
  const std::string name(d.name);
  const std::string id = slug(d.name);
  std::ostringstream h;
  h << "<section class=\"command\" id=\"" << id << "\">\n<h3>" << escape(name) << "</h3>\n";
  h << "<p class=\"summary\">" << escape(d.summary) << "</p>\n";

  h << "<div class=\"pictures\">";
  if (!commandBeforeSample(index).empty())
    h << picture(id + "-before", name + ": the texture before", "Before") << "\n";
  h << picture(id, name + " at work", commandBeforeSample(index).empty() ? "Result" : "After")
    << "</div>\n";

  bool anyUsed = false;
  bool anyDependent = false;
  for (const ParamDecl& p : d.params) anyUsed = anyUsed || p.used();
  if (anyUsed) {
    h << "<table class=\"params\">\n<tr><th>#</th><th>Parameter</th><th>Range</th>"
         "<th>Default</th><th>Unit</th></tr>\n";
    for (int k = 0; k < kParamCount; ++k) {
      const ParamDecl& p = d.params[static_cast<std::size_t>(k)];
      if (!p.used()) continue;
      const bool dependent = sizeDependent(index, k);
      anyDependent = anyDependent || dependent;
      h << "<tr><td>" << (k + 1) << "</td><td>" << escape(p.label) << "</td><td>"
        << info.minValue[k] << " &ndash; " << info.maxValue[k] << (dependent ? "*" : "")
        << "</td><td>" << info.defaultValue[k] << (dependent ? "*" : "") << "</td><td>"
        << unitName(p.unit) << "</td></tr>\n";
    }
    h << "</table>\n";
    if (anyDependent)
      h << "<p class=\"note\">* Depends on the texture size; shown for 256 &times; 256.</p>\n";
  } else {
    h << "<p class=\"params-none\">This command has no parameters.</p>\n";
  }

  h << "<p class=\"scale-rule\"><b>At a larger scale:</b> "
    << (d.scaleRule.empty()
            ? std::string("lengths in pixels grow with the scale; everything else stays as it is.")
            : escape(d.scaleRule))
    << "</p>\n";

  h << "<p class=\"options\">";
  if (d.layerFlags & LayerBlended)
    h << "Blend method and X/Y offsets: <b>apply</b> (<a href=\"blend-methods.html\">blend "
         "methods</a>). ";
  else
    h << "Blend method and X/Y offsets: do not apply. ";
  h << "&ldquo;Fixed Colors&rdquo;: "
    << ((d.layerFlags & LayerFixedColors) ? "<b>applies</b>." : "does not apply.");
  h << " Command code " << d.code << ".</p>\n";

  h << "<p class=\"program-caption\">The picture's program (<a href=\"samples/" << id << ".mlr\">"
    << id << ".mlr</a>):</p>\n<pre class=\"program\">" << escape(commandSample(index))
    << "</pre>\n</section>\n";
  return h.str();
}

bool writeFile(const std::filesystem::path& path, const std::string& text, std::string* error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    if (error) *error = "cannot write " + path.string();
    return false;
  }
  return true;
}

}  // namespace

std::string slug(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c)))
      out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    else if (!out.empty() && out.back() != '-')
      out += '-';
  }
  while (!out.empty() && out.back() == '-') out.pop_back();
  return out;
}

std::string commandBeforeSample(int index) {
  const std::string texture = exampleTexture(kCommandTable[static_cast<std::size_t>(index)]);
  if (texture.empty()) return {};
  return header(kSampleSide) + texture;
}

std::string commandSample(int index) {
  const CommandDecl& d = kCommandTable[static_cast<std::size_t>(index)];
  return header(kSampleSide) + exampleTexture(d) + commandLine(d) + "\n" +
         std::string(d.example.after);
}

std::vector<Sample> allSamples() {
  std::vector<Sample> samples;
  for (int i = 0; i < kCommandCount; ++i) {
    const std::string id = slug(kCommandTable[static_cast<std::size_t>(i)].name);
    samples.push_back({id, commandSample(i)});
    const std::string before = commandBeforeSample(i);
    if (!before.empty()) samples.push_back({id + "-before", before});
  }
  // The blend-method gallery: one texture, one layer, and the layer blended
  // into the texture under each method.
  const std::string texture(example::kWarmPlasma);
  const std::string layer = "Sine Plasma: 2 2 128 128 80 200 255";
  samples.push_back({"blend-texture", header(kSampleSide) + texture});
  samples.push_back({"blend-layer", header(kSampleSide) + layer + "\n"});
  for (int m = 0; m < kBlendMethodCount; ++m) {
    const std::string method(CommandCatalogue::blendMethodName(m));
    samples.push_back({"blend-" + slug(method),
                       header(kSampleSide) + texture + layer + " method=" + method + "\n"});
  }
  return samples;
}

std::string commandReferenceHtml() {
  std::ostringstream h;
  h << pageStart("Commands");
  h << "<h1>Commands</h1>\n"
       "<p>A program is built from the "
    << kCommandCount
    << " commands below, in five categories &mdash; the same "
       "order as in the &ldquo;Commands:&rdquo; tree of the main window. Every command has "
       "seven parameter slots; the table of each command lists the ones it uses, with their "
       "ranges, the values a command starts with when you choose it in the tree, and what "
       "the numbers measure:</p>\n"
    << kUnitsList
    << "<p>The pictures are made by Mottler itself from the small program printed under them "
       "("
    << kSampleSide << " &times; " << kSampleSide
    << " pixels, random seed 1). Each program is also "
       "here as a program file: open it with File &gt; Open to try the command out. In the "
       "printed programs a command written without numbers takes its defaults, and "
       "<code>method=</code> names the blend method.</p>\n";

  h << "<div class=\"toc\">\n";
  for (int c = 0; c < kCategoryCount; ++c) {
    const std::string category(CommandCatalogue::categoryName(c));
    h << "<div><h4><a href=\"#" << slug(category) << "\">" << escape(category) << "</a></h4><ul>\n";
    for (int i = 0; i < kCommandCount; ++i) {
      const CommandDecl& d = kCommandTable[static_cast<std::size_t>(i)];
      if (d.category != c) continue;
      h << "<li><a href=\"#" << slug(d.name) << "\">" << escape(d.name) << "</a></li>\n";
    }
    h << "</ul></div>\n";
  }
  h << "</div>\n";

  for (int c = 0; c < kCategoryCount; ++c) {
    const std::string category(CommandCatalogue::categoryName(c));
    h << "<h2 id=\"" << slug(category) << "\">" << escape(category) << "</h2>\n<p>"
      << escape(kCategoryIntro[c]) << "</p>\n";
    for (int i = 0; i < kCommandCount; ++i)
      if (kCommandTable[static_cast<std::size_t>(i)].category == c) h << commandSection(i);
  }
  h << kPageEnd;
  return h.str();
}

bool writeGeneratedPages(const std::filesystem::path& dir, std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(dir / "samples", ec);
  if (ec) {
    if (error) *error = "cannot create " + (dir / "samples").string() + ": " + ec.message();
    return false;
  }
  if (!writeFile(dir / "commands.html", commandReferenceHtml(), error)) return false;
  for (const Sample& s : allSamples())
    if (!writeFile(dir / "samples" / (s.stem + ".txt"), s.text, error)) return false;
  return true;
}

}  // namespace mottler::help

namespace mottler::help {

namespace {

// Runs a document at a scale in the engine.
void renderAt(TextureEngine& e, const ProgramDocument& doc, int scale) {
  const int count = loadIntoEngine(doc, e);
  e.setScaledSize(doc.width, doc.height, scale);
  runProgram(e, doc.seed, count);
}

// A design-size picture of the engine's texture in `out` (the design size):
// every scale x scale block averaged, or the block at the middle copied.
void shrinkInto(const TextureEngine& e, TextureEngine& out, bool crop) {
  const int s = e.scale, w = out.width, h = out.height;
  const int x0 = (e.width - w) / 2, y0 = (e.height - h) / 2;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint32_t& pixel = out.texture.data()[static_cast<std::size_t>(y) * w + x];
      if (crop) {
        pixel = e.texture.data()[static_cast<std::size_t>(y0 + y) * e.width + x0 + x] & 0xFFFFFFu;
        continue;
      }
      int sum[3] = {0, 0, 0};
      for (int j = 0; j < s; ++j)
        for (int i = 0; i < s; ++i) {
          const std::uint32_t p =
              e.texture.data()[static_cast<std::size_t>(y * s + j) * e.width + x * s + i];
          for (int c = 0; c < 3; ++c) sum[c] += channel(p, c);
        }
      pixel = rgb(static_cast<std::uint32_t>(sum[0] / (s * s)),
                  static_cast<std::uint32_t>(sum[1] / (s * s)),
                  static_cast<std::uint32_t>(sum[2] / (s * s)));
    }
}

bool writePng(const TextureEngine& e, const std::filesystem::path& path, std::string* error) {
  const std::vector<std::uint8_t> bytes = encodePng(e, e.texture);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (bytes.empty() || !out) {
    if (error) *error = "cannot write " + path.string();
    return false;
  }
  return true;
}

std::string sheetPicture(const std::string& file, int width, int height,
                         const std::string& caption) {
  return "<figure><img src=\"images/" + file + "\" width=\"" + std::to_string(width) +
         "\" height=\"" + std::to_string(height) + "\" alt=\"" + escape(caption) +
         "\"><figcaption>" + caption + "</figcaption></figure>";
}

}  // namespace

bool writeContactSheets(const std::filesystem::path& examplesDir, const std::filesystem::path& dir,
                        std::string* error) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& item : std::filesystem::directory_iterator(examplesDir, ec))
    if (item.path().extension() == ".mlr") files.push_back(item.path());
  if (ec) {
    if (error) *error = "cannot read " + examplesDir.string() + ": " + ec.message();
    return false;
  }
  std::sort(files.begin(), files.end());
  std::filesystem::create_directories(dir / "images", ec);

  std::ostringstream h;
  h << pageStart("Large textures");
  h << "<h1>Large textures</h1>\n<p>A program is designed at its own size, at most 256 &times; "
       "256, "
       "where it runs fast enough to edit live. <a href=\"window.html#export-at-size\">File &gt; "
       "Export at Size</a> and <a href=\"command-line.html\"><code>mottler-render "
       "--scale</code></a> make the same texture at 2, 4, 8 or 16 times its width and height, up "
       "to "
       "4096 &times; 4096: every length grows with the scale, and each command keeps its look by "
       "the "
       "scale rule its <a href=\"commands.html\">reference entry</a> gives. A larger texture is a "
       "new, finer realization of the same design, not the small picture enlarged.</p>\n"
       "<p>Each example below is shown at its design size; at "
    << kSheetScale << " &times; its size shrunk back to the design size by averaging every "
    << kSheetScale << " &times; " << kSheetScale
    << " block, which should look like a design-size picture with another seed; and a piece "
       "of the large texture at full resolution, from its middle.</p>\n";

  auto big = std::make_unique<TextureEngine>();
  auto small = std::make_unique<TextureEngine>();
  for (const std::filesystem::path& file : files) {
    ProgramDocument doc;
    if (readProgramFile(file, doc) != ReadStatus::Ok) {
      if (error) *error = "cannot read the example " + file.string();
      return false;
    }
    const std::string stem = file.stem().string();
    renderAt(*small, doc, 1);
    if (!writePng(*small, dir / "images" / ("sheet-" + stem + ".png"), error)) return false;
    renderAt(*big, doc, kSheetScale);
    small->setSize(doc.width, doc.height);
    shrinkInto(*big, *small, false);
    if (!writePng(*small, dir / "images" / ("sheet-" + stem + "-shrunk.png"), error)) return false;
    shrinkInto(*big, *small, true);
    if (!writePng(*small, dir / "images" / ("sheet-" + stem + "-crop.png"), error)) return false;

    const std::string big_size = std::to_string(doc.width * kSheetScale) + " &times; " +
                                 std::to_string(doc.height * kSheetScale);
    h << "<section class=\"sheet\" id=\"" << stem << "\">\n<h2>" << escape(stem) << "</h2>\n";
    if (!doc.remark.empty()) h << "<p>" << escape(doc.remark) << "</p>\n";
    h << "<div class=\"pictures\">"
      << sheetPicture(
             "sheet-" + stem + ".png", doc.width, doc.height,
             "Design size, " + std::to_string(doc.width) + " &times; " + std::to_string(doc.height))
      << "\n"
      << sheetPicture("sheet-" + stem + "-shrunk.png", doc.width, doc.height,
                      big_size + ", shrunk back")
      << "\n"
      << sheetPicture("sheet-" + stem + "-crop.png", doc.width, doc.height,
                      big_size + ", a piece at full size")
      << "</div>\n</section>\n";
  }
  h << kPageEnd;
  return writeFile(dir / "large-textures.html", h.str(), error);
}

}  // namespace mottler::help
