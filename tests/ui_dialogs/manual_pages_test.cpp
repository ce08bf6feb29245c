// The manual as a newcomer reads it: every page reachable from every other,
// pictures of the window where the window is explained, no mnemonic markers
// in the texts, and the text form of programs documented as the composer
// reads it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "document/program_text.h"
#include "engine/catalogue.h"

namespace fs = std::filesystem;

namespace {

const fs::path kHelp = MOTTLER_HELP_DIR;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Width and height of a PNG file, from its header.
std::pair<int, int> pngSize(const fs::path& path) {
  const std::string png = readFile(path);
  if (png.size() < 24 || png.compare(1, 3, "PNG") != 0) return {0, 0};
  auto word = [&](std::size_t at) {
    int v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = v * 256 + static_cast<unsigned char>(png[at + i]);
    return v;
  };
  return {word(16), word(20)};
}

const char* const kPages[] = {"index.html",       "getting-started.html", "window.html",
                              "commands.html",    "blend-methods.html",   "program-files.html",
                              "command-line.html"};

}  // namespace

TEST(ManualPages, EveryPageLinksEveryOtherAndShowsNoMnemonicMarkers) {
  const std::regex marker("&amp;[A-Za-z]");
  for (const char* page : kPages) {
    SCOPED_TRACE(page);
    const std::string text = readFile(kHelp / page);
    ASSERT_FALSE(text.empty());
    const std::string nav = text.substr(text.find("<nav"), text.find("</nav>") - text.find("<nav"));
    for (const char* other : kPages)
      EXPECT_NE(nav.find(std::string("href=\"") + other + "\""), std::string::npos) << other;
    std::smatch found;
    EXPECT_FALSE(std::regex_search(text, found, marker)) << "marker at: " << found.str();
  }
}

TEST(ManualPages, WindowPagesShowPicturesOfTheWindow) {
  const std::pair<const char*, std::vector<const char*>> pictures[] = {
      {"getting-started.html",
       {"window-start.png", "new-dialog.png", "window-plasma.png", "window-first-program.png"}},
      {"window.html", {"window-first-program.png"}},
  };
  for (const auto& [page, images] : pictures) {
    const std::string text = readFile(kHelp / page);
    for (const char* image : images) {
      SCOPED_TRACE(std::string(page) + " " + image);
      EXPECT_NE(text.find(std::string("src=\"images/") + image + "\""), std::string::npos);
      const auto [width, height] = pngSize(kHelp / "images" / image);
      // A whole window or dialog, not an empty grab.
      EXPECT_GE(width, 200);
      EXPECT_GE(height, 120);
    }
  }
}

TEST(ManualPages, FirstProgramOnThePageIsTheSampleFile) {
  std::string program = readFile(kHelp / "samples" / "first-program.txt");
  ASSERT_FALSE(program.empty());
  while (!program.empty() && program.back() == '\n') program.pop_back();
  const std::string page = readFile(kHelp / "getting-started.html");
  EXPECT_NE(page.find("<pre>" + program + "</pre>"), std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(kHelp / "samples" / "first-program.mlr"));
}

TEST(ManualPages, TextFormIsDocumentedAsTheComposerReadsIt) {
  const std::string page = readFile(kHelp / "command-line.html");
  for (const char* word :
       {"size <var>", "seed <var>", "remark <var>", "method=<var>", "offset=<var>",
        "<code>fixed</code>", "<code>off</code>", "mottler-render", "mottler-compose", "--version"})
    EXPECT_NE(page.find(word), std::string::npos) << word;

  // Every blend method is named, and each name is one the composer takes.
  for (int m = 0; m < mottler::kBlendMethodCount; ++m) {
    const std::string name(mottler::CommandCatalogue::blendMethodName(m));
    EXPECT_NE(page.find(name), std::string::npos) << name;
    mottler::ProgramDocument doc;
    std::string why;
    EXPECT_TRUE(mottler::parseProgramText("Plasma: method=" + name, doc, &why)) << why;
  }

  // The page's example is a program the composer reads.
  const auto start = page.find("<pre># Glowing embers");
  ASSERT_NE(start, std::string::npos);
  const std::string example = page.substr(start + 5, page.find("</pre>", start) - start - 5);
  mottler::ProgramDocument doc;
  std::string why;
  ASSERT_TRUE(mottler::parseProgramText(example, doc, &why)) << why;
  EXPECT_EQ(doc.entries.size(), 4u);
  EXPECT_EQ(doc.seed, 1);
  EXPECT_EQ(doc.remark, "Ember glow under a spotlight");
}
