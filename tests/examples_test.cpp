// The example programs: each text source matches its program file byte for
// byte, each renders to a picture that is not a single flat colour, and each
// picture is the one recorded in examples/renders.list, so that work on the
// engine's speed cannot change a bit unnoticed.  After a deliberate change,
// run the tests with MOTTLER_RECORD_RENDERS=1 to record the new pictures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "document/program_file.h"
#include "document/program_text.h"
#include "engine/executor.h"
#include "vector_paths.h"

using namespace mottler;
namespace fs = std::filesystem;

namespace {
// FNV-1a over the colour bytes of the texture.
std::string fingerprint(const TextureEngine& e) {
  std::uint64_t h = 14695981039346656037ull;
  for (int i = 0; i < e.pixelCount; ++i)
    for (int c = 0; c < 3; ++c) h = (h ^ channel(e.texture.data()[i], c)) * 1099511628211ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

std::map<std::string, std::string> recordedRenders(const fs::path& file) {
  std::map<std::string, std::string> renders;
  std::ifstream in(file);
  std::string name, print;
  while (in >> name >> print) renders[name] = print;
  return renders;
}

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
  const fs::path recordFile = fs::path(MOTTLER_EXAMPLES) / "renders.list";
  const bool record = std::getenv("MOTTLER_RECORD_RENDERS") != nullptr;
  std::map<std::string, std::string> recorded = recordedRenders(recordFile);
  std::error_code missing;
  for (const auto& item : fs::directory_iterator(MOTTLER_EXAMPLES, missing)) {
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
    // Every vector path gives the same picture; the last one run is checked
    // below.
    std::string portablePrint;
    for (const bool wide : vectorPaths()) {
      engine.wideVectors = wide;
      loadIntoEngine(doc, engine);
      runProgram(engine, doc.seed, static_cast<int>(doc.entries.size()));
      if (!wide)
        portablePrint = fingerprint(engine);
      else
        EXPECT_EQ(fingerprint(engine), portablePrint) << "the wide path differs";
    }
    const std::uint32_t first = engine.texture.data()[0] & 0xFFFFFFu;
    bool varied = false;
    for (int i = 1; i < engine.pixelCount && !varied; ++i)
      varied = (engine.texture.data()[i] & 0xFFFFFFu) != first;
    EXPECT_TRUE(varied) << "renders a flat colour";

    const std::string name = item.path().stem().string();
    if (record)
      recorded[name] = fingerprint(engine);
    else
      EXPECT_EQ(fingerprint(engine), recorded[name]) << "the picture changed";
  }
  if (record) {
    std::ofstream out(recordFile);
    for (const auto& [name, print] : recorded) out << name << " " << print << "\n";
  }
  if (count == 0) GTEST_SKIP() << "no example programs yet";
}
