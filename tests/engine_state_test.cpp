#include "engine/engine_state.h"

#include <gtest/gtest.h>

#include "engine/executor.h"

using namespace mottler;

TEST(RandomState, FollowsTheLinearCongruentialSequence) {
  RandomState r;
  r.seed(0);
  EXPECT_EQ(r.next(), 38);
  EXPECT_EQ(r.state, 2531011);
  EXPECT_EQ(r.next(), 7719);
  r.seed(1);
  EXPECT_EQ(r.next(), 41);
  // The state wraps at 32 bits and the result never goes negative.
  r.seed(-1);
  for (int i = 0; i < 1000; ++i) {
    const int v = r.next();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 32767);
  }
}

TEST(TextureEngine, ShadeTableMatchesItsRule) {
  auto shade = [](int s, int t) {
    return int{shadeTable()[static_cast<std::size_t>(s * 256 + t)]};
  };
  for (int t = 0; t < 256; ++t) {
    EXPECT_EQ(shade(128, t), t);
    EXPECT_EQ(shade(0, t), 0);
    EXPECT_EQ(shade(255, t), 255);
  }
  EXPECT_EQ(shade(200, 255), 254);  // the single-precision 1/127
  EXPECT_EQ(shade(200, 128), 200);
  EXPECT_EQ(shade(64, 255), 127);
  for (int s = 129; s < 255; ++s) EXPECT_EQ(shade(s, 255), 254) << s;
}

TEST(TextureEngine, BlobProfileSamples) {
  auto blob = [](int k, int s) {
    return int{blobProfile()[static_cast<std::size_t>(k * 256 + s)]};
  };
  EXPECT_EQ(blob(128, 128), 255);
  EXPECT_EQ(blob(128, 129), 245);
  EXPECT_EQ(blob(128, 132), 217);
  EXPECT_EQ(blob(128, 160), 65);
  EXPECT_EQ(blob(128, 0), 1);
  EXPECT_EQ(blob(0, 0), 0);
}

TEST(TextureEngine, SetSizeDerivesFiguresAndKeepsRoomForTwoSpareRows) {
  TextureEngine e;
  e.setSize(64, 32);
  EXPECT_EQ(e.pixelCount, 2048);
  EXPECT_EQ(e.stride, 256);
  EXPECT_EQ(e.byteSize, 8192);
  EXPECT_EQ(reinterpret_cast<std::uint8_t*>(&e.at(e.texture, 3, 2)) -
                reinterpret_cast<std::uint8_t*>(e.texture.data()),
            524);
  EXPECT_GE(e.workPlane.capacity(), 64u * 34u);
  e.setSize(256, 256);
  EXPECT_GE(e.workPlane.capacity(), 256u * 258u);
  // A headless renderer may go beyond the application's 256 x 256.
  e.setSize(512, 300);
  EXPECT_GE(e.texture.capacity(), 512u * 302u);
}

TEST(RunProgram, EmptyProgramClearsThePlanesAndReportsOneStep) {
  TextureEngine e;
  e.setSize(16, 16);
  for (int i = 0; i < e.pixelCount; ++i) {
    e.texture.data()[i] = 0x12345678;
    e.buffer.data()[i] = 0x12345678;
  }
  struct Counter : RunObserver {
    std::vector<int> positions;
    void entryStarting(int p) override { positions.push_back(p); }
  } counter;
  runProgram(e, 5, 0, &counter);
  EXPECT_EQ(counter.positions, std::vector<int>{1});
  for (int i = 0; i < e.pixelCount; ++i) {
    ASSERT_EQ(e.texture.data()[i], 0u);
    ASSERT_EQ(e.buffer.data()[i], 0u);
  }
  EXPECT_EQ(e.random.state, 5);  // seeded, nothing drawn
}

TEST(Executor, DispatchesOnTheLowByteOfTheCode) {
  TextureEngine e;
  e.setSize(8, 8);
  e.clear(e.texture);
  ProgramEntry entry;
  entry.code = 0x100 + kInversion;
  executeCommand(e, entry);
  EXPECT_EQ(e.texture.data()[5], 0xFFFFFFFFu);
}

TEST(Executor, UnknownCodesDoNothing) {
  TextureEngine e;
  e.setSize(8, 8);
  e.clear(e.texture);
  e.texture.data()[3] = 0x00ABCDEF;
  for (CommandCode code : {0u, static_cast<CommandCode>(kCommandCount + 1), 255u, 0x100u}) {
    ProgramEntry entry;
    entry.code = code;
    executeCommand(e, entry);
  }
  EXPECT_EQ(e.texture.data()[3], 0x00ABCDEFu);
}
