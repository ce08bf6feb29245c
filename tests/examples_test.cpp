// The example programs: each text source matches its program file byte for
// byte, and each renders to a picture that is not a single flat colour.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "document/program_file.h"
#include "document/program_text.h"
#include "engine/executor.h"

using namespace mottler;
namespace fs = std::filesystem;

namespace {
std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}
}  // namespace

TEST(Examples, EachSourceMatchesItsProgramFileAndRendersAPicture) {
  int count = 0;
  static TextureEngine engine;
  for (const auto& item : fs::directory_iterator(MOTTLER_EXAMPLES)) {
    if (item.path().extension() != ".txt") continue;
    ++count;
    SCOPED_TRACE(item.path().filename().string());
    ProgramDocument fromText;
    std::string why;
    ASSERT_TRUE(parseProgramText(slurp(item.path()), fromText, &why)) << why;
    fs::path mlr = item.path();
    mlr.replace_extension(".mlr");
    const auto bytes = encodeProgram(fromText);
    EXPECT_EQ(slurp(mlr), std::string(bytes.begin(), bytes.end()))
        << "run scripts/make-examples.sh after editing an example";

    ProgramDocument doc;
    ASSERT_EQ(readProgramFile(mlr, doc), ReadStatus::Ok);
    engine.setSize(doc.width, doc.height);
    std::copy(doc.entries.begin(), doc.entries.end(), engine.entries.begin());
    engine.entries[doc.entries.size()] = ProgramEntry{};
    runProgram(engine, doc.seed, static_cast<int>(doc.entries.size()));
    const std::uint32_t first = engine.texture.data()[0] & 0xFFFFFFu;
    bool varied = false;
    for (int i = 1; i < engine.pixelCount && !varied; ++i)
      varied = (engine.texture.data()[i] & 0xFFFFFFu) != first;
    EXPECT_TRUE(varied) << "renders a flat colour";
  }
  if (count == 0) GTEST_SKIP() << "no example programs yet";
}
