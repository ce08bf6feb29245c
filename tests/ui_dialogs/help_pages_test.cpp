// The help manual: the command reference written from the catalogue, its
// example programs, and the manual as built beside the programs.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "cli/help_pages.h"
#include "document/program_text.h"
#include "engine/catalogue.h"

namespace fs = std::filesystem;
using namespace mottler;

namespace {

// The part of the reference page that belongs to one command.
std::string sectionOf(const std::string& page, const std::string& id) {
  const auto start = page.find("<section class=\"command\" id=\"" + id + "\">");
  if (start == std::string::npos) return {};
  const auto end = page.find("</section>", start);
  return page.substr(start, end - start);
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string html(std::string_view text) {
  std::string out;
  for (char c : text) out += c == '&' ? std::string("&amp;") : std::string(1, c);
  return out;
}

}  // namespace

TEST(HelpReference, Slugs) {
  EXPECT_EQ(help::slug("Sine Plasma"), "sine-plasma");
  EXPECT_EQ(help::slug("HSV"), "hsv");
  EXPECT_EQ(help::slug("Distortion by Buffer"), "distortion-by-buffer");
  EXPECT_EQ(help::slug("Adjust Colors"), "adjust-colors");
  std::set<std::string> ids;
  for (const CommandDecl& d : kCommandTable) ids.insert(help::slug(d.name));
  EXPECT_EQ(ids.size(), static_cast<std::size_t>(kCommandCount));
}

TEST(HelpReference, EveryCommandHasItsSectionTableAndPicture) {
  const std::string page = help::commandReferenceHtml();
  for (int i = 0; i < kCommandCount; ++i) {
    const CommandDecl& d = kCommandTable[static_cast<std::size_t>(i)];
    const std::string id = help::slug(d.name);
    SCOPED_TRACE(std::string(d.name));
    const std::string section = sectionOf(page, id);
    ASSERT_FALSE(section.empty());
    EXPECT_NE(section.find("<h3>" + html(d.name) + "</h3>"), std::string::npos);
    EXPECT_NE(section.find(std::string(d.summary)), std::string::npos);
    EXPECT_NE(section.find("src=\"images/" + id + ".png\""), std::string::npos);
    EXPECT_NE(section.find("href=\"samples/" + id + ".mlr\""), std::string::npos);
    EXPECT_NE(section.find("Command code " + std::to_string(d.code) + "."), std::string::npos);
    // The table of contents links to it.
    EXPECT_NE(page.find("<a href=\"#" + id + "\">"), std::string::npos);

    const CommandInfo info = commandInfoForSize(i, 256, 256);
    bool anyUsed = false;
    for (int k = 0; k < kParamCount; ++k) {
      const ParamDecl& p = d.params[static_cast<std::size_t>(k)];
      if (!p.used()) continue;
      anyUsed = true;
      const std::string row = "<tr><td>" + std::to_string(k + 1) + "</td><td>" +
                              std::string(p.label) + "</td><td>" +
                              std::to_string(info.minValue[k]) + " &ndash; " +
                              std::to_string(info.maxValue[k]);
      EXPECT_NE(section.find(row), std::string::npos) << row;
    }
    EXPECT_EQ(section.find("<table class=\"params\">") != std::string::npos, anyUsed);
    EXPECT_EQ(section.find("no parameters") != std::string::npos, !anyUsed);
    EXPECT_EQ(section.find("Blend method and X/Y offsets: <b>apply</b>") != std::string::npos,
              (d.layerFlags & LayerBlended) != 0);
    EXPECT_EQ(section.find("Fixed Colors&rdquo;: <b>applies</b>") != std::string::npos,
              (d.layerFlags & LayerFixedColors) != 0);
  }
}

// Each parameter row ends with the unit its declaration gives, and the page
// says what every unit means.
TEST(HelpReference, EveryParameterShowsItsUnit) {
  const std::string page = help::commandReferenceHtml();
  std::set<Unit> shown;
  for (const CommandDecl& d : kCommandTable) {
    const std::string section = sectionOf(page, help::slug(d.name));
    for (std::size_t k = 0; k < kParamCount; ++k) {
      const ParamDecl& p = d.params[k];
      if (!p.used()) continue;
      SCOPED_TRACE(std::string(d.name) + ": " + std::string(p.label));
      const auto row = section.find("<tr><td>" + std::to_string(k + 1) + "</td><td>" + html(p.label));
      ASSERT_NE(row, std::string::npos);
      const std::string cells = section.substr(row, section.find("</tr>", row) - row);
      EXPECT_EQ(cells.substr(cells.rfind("<td>")), "<td>" + std::string(unitName(p.unit)) + "</td>");
      shown.insert(p.unit);
    }
  }
  for (Unit unit : shown)
    EXPECT_NE(page.find("<dt>" + std::string(unitName(unit)) + "</dt>"), std::string::npos)
        << unitName(unit);
}

TEST(HelpReference, SizeDependentLimitsAreMarked) {
  const std::string page = help::commandReferenceHtml();
  const std::string perlin = sectionOf(page, "perlin-noise");
  EXPECT_NE(perlin.find("4 &ndash; 128*"), std::string::npos);  // "Width" up to half the width
  EXPECT_NE(perlin.find("* Depends on the texture size"), std::string::npos);
  EXPECT_EQ(sectionOf(page, "plasma").find("Depends on the texture size"), std::string::npos);
}

TEST(HelpReference, EveryExampleProgramParsesAndShowsItsCommand) {
  std::set<std::string> stems;
  for (const help::Sample& s : help::allSamples()) {
    SCOPED_TRACE(s.stem);
    EXPECT_TRUE(stems.insert(s.stem).second) << "duplicate";
    ProgramDocument doc;
    std::string why;
    ASSERT_TRUE(parseProgramText(s.text, doc, &why)) << why;
    EXPECT_EQ(doc.width, help::kSampleSide);
    EXPECT_EQ(doc.height, help::kSampleSide);
    EXPECT_FALSE(doc.entries.empty());
  }
  for (int i = 0; i < kCommandCount; ++i) {
    const CommandDecl& d = kCommandTable[static_cast<std::size_t>(i)];
    const std::string id = help::slug(d.name);
    SCOPED_TRACE(id);
    ASSERT_EQ(stems.count(id), 1u);
    ProgramDocument doc, before;
    ASSERT_TRUE(parseProgramText(help::commandSample(i), doc));
    bool found = false;
    for (const ProgramEntry& e : doc.entries) found = found || e.code == d.code;
    EXPECT_TRUE(found);
    // A "before" program is the example without the command and what follows it.
    const std::string beforeText = help::commandBeforeSample(i);
    if (beforeText.empty()) continue;
    EXPECT_EQ(stems.count(id + "-before"), 1u);
    ASSERT_TRUE(parseProgramText(beforeText, before));
    ASSERT_LT(before.entries.size(), doc.entries.size());
    EXPECT_EQ(doc.entries[before.entries.size()].code, d.code);
    for (std::size_t k = 0; k < before.entries.size(); ++k)
      EXPECT_EQ(std::memcmp(&before.entries[k], &doc.entries[k], sizeof(ProgramEntry)), 0);
  }
  for (int m = 0; m < kBlendMethodCount; ++m)
    EXPECT_EQ(stems.count("blend-" + help::slug(CommandCatalogue::blendMethodName(m))), 1u);
}

TEST(HelpReference, WritesThePageAndThePrograms) {
  const fs::path dir = fs::temp_directory_path() / "mottler-helpgen-test";
  fs::remove_all(dir);
  std::string why;
  ASSERT_TRUE(help::writeGeneratedPages(dir, &why)) << why;
  EXPECT_EQ(readFile(dir / "commands.html"), help::commandReferenceHtml());
  for (const help::Sample& s : help::allSamples())
    EXPECT_EQ(readFile(dir / "samples" / (s.stem + ".txt")), s.text) << s.stem;
  fs::remove_all(dir);
  EXPECT_FALSE(help::writeGeneratedPages("/proc/no-such-place/help", &why));
  EXPECT_FALSE(why.empty());
}

// The manual as the build leaves it beside the programs.
TEST(HelpManual, IsCompleteAndEveryLinkResolves) {
  const fs::path dir = MOTTLER_HELP_DIR;
  for (const char* page : {"index.html", "getting-started.html", "window.html", "commands.html",
                           "blend-methods.html", "program-files.html", "style.css"})
    EXPECT_TRUE(fs::is_regular_file(dir / page)) << page;

  const std::regex link(R"((?:href|src)=\"([^\"#]*)(#[^\"]*)?\")");
  int checked = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".html") continue;
    const std::string text = readFile(entry.path());
    SCOPED_TRACE(entry.path().filename().string());
    EXPECT_NE(text.find("<link rel=\"stylesheet\" href=\"style.css\">"), std::string::npos);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), link);
         it != std::sregex_iterator(); ++it) {
      const std::string target = (*it)[1];
      if (target.empty() || target.find("://") != std::string::npos) continue;
      EXPECT_TRUE(fs::exists(dir / target)) << target;
      ++checked;
    }
  }
  EXPECT_GT(checked, 100);
}

TEST(HelpManual, PicturesAreRenderedPngsAndProgramsAreProgramFiles) {
  const fs::path dir = MOTTLER_HELP_DIR;
  for (const help::Sample& s : help::allSamples()) {
    SCOPED_TRACE(s.stem);
    const std::string png = readFile(dir / "images" / (s.stem + ".png"));
    ASSERT_GE(png.size(), 8u);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    const std::string mlr = readFile(dir / "samples" / (s.stem + ".mlr"));
    ASSERT_GE(mlr.size(), 156u);
    EXPECT_EQ(mlr.substr(4, 4), std::string("\0MLR", 4));
  }
}
