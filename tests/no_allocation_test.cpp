// A run must not allocate: every command at its defaults and every example
// program run while the global allocator counts.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "document/program_file.h"
#include "engine/executor.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<int> allocations{0};
}  // namespace

// The replacements pair with each other (malloc and free).  Kept out of
// line, so that the compiler does not match a free it sees inlined against
// the new expression of a caller.
[[gnu::noinline]] void* operator new(std::size_t size) {
  if (counting) ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

using namespace mottler;

namespace {
int allocationsDuring(TextureEngine& e, int seed, int last) {
  allocations = 0;
  counting = true;
  runProgram(e, seed, last);
  counting = false;
  return allocations;
}
}  // namespace

TEST(NoAllocation, EveryCommandAtItsDefaults) {
  allocations = 0;
  counting = true;
  ::operator delete(::operator new(16));  // the counter itself works
  counting = false;
  ASSERT_EQ(allocations, 1);

  static TextureEngine e;
  for (int size : {256, 37}) {
    e.setSize(size, size);
    int slot = 0;
    for (const CommandDecl& d : kCommandTable) {
      const CommandInfo info = commandInfoForSize(*catalogueIndexOfCode(d.code), size, size);
      ProgramEntry& entry = e.entries[static_cast<std::size_t>(slot++)];
      entry = ProgramEntry{};
      entry.code = d.code;
      entry.method = Add;
      for (int k = 0; k < kParamCount; ++k) entry.param[k] = info.defaultValue[k];
    }
    e.entries[static_cast<std::size_t>(slot)] = ProgramEntry{};
    EXPECT_EQ(allocationsDuring(e, 99, slot), 0) << size;
  }
}

TEST(NoAllocation, EveryExampleProgram) {
  static TextureEngine e;
  std::error_code missing;
  for (const auto& item : std::filesystem::directory_iterator(MOTTLER_EXAMPLES, missing)) {
    if (item.path().extension() != ".mlr") continue;
    ProgramDocument doc;
    ASSERT_EQ(readProgramFile(item.path(), doc), ReadStatus::Ok);
    loadIntoEngine(doc, e);
    EXPECT_EQ(allocationsDuring(e, doc.seed, static_cast<int>(doc.entries.size())), 0)
        << item.path().filename();
  }
}
