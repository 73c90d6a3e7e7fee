// The idle animation's frames: built from the two displacement files over
// the body's shape, refused whole when a file does not fit the body, played
// by the clock rather than by the count of ticks.
#include "avatar/idle_animation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>

#include "formats/shape_files.h"
#include "platform/data_path.h"
#include "platform/file_io.h"
#include "test_support.h"

namespace vestora {
namespace {

std::string generatedRoot() { return VESTORA_TEST_ROOT; }

TEST(IdleClock, OneFrameATickAndSkipsWhatASlowTickMissed) {
  // Ticks on time: one frame each.
  EXPECT_EQ(idleFrameAt(20, 0, 99), 1u);
  EXPECT_EQ(idleFrameAt(40.5, 1, 99), 2u);
  // A tick that comes early still moves on.
  EXPECT_EQ(idleFrameAt(25, 3, 99), 4u);
  // A tick 100 ms late shows the frame that is due, not the next one.
  EXPECT_EQ(idleFrameAt(200, 4, 99), 10u);
  // Never past the last frame; the last stays.
  EXPECT_EQ(idleFrameAt(5000, 10, 99), 99u);
  EXPECT_EQ(idleFrameAt(20, 99, 99), 99u);
  // A clock that went back or broke: one step.
  EXPECT_EQ(idleFrameAt(-50, 7, 99), 8u);
  EXPECT_EQ(idleFrameAt(std::nan(""), 7, 99), 8u);
}

TEST(IdleClock, ABreathTakesTwoSecondsWhateverTheTickRate) {
  // At 20 ms a tick the breath needs 99 ticks; at 70 ms (a slow machine)
  // about 29, and it ends at the same moment.
  for (const double tick : {20.0, 70.0}) {
    std::size_t frame = 0;
    double t = 0;
    int ticks = 0;
    while (frame < 99) {
      t += tick;
      frame = idleFrameAt(t, frame, 99);
      ++ticks;
    }
    EXPECT_NEAR(t, 1980.0, tick) << tick;
    EXPECT_EQ(ticks, static_cast<int>(std::ceil(1980.0 / tick))) << tick;
  }
}

class IdleAnimationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(avatar_.selectAvatar(kAvatarTable[0]).ok());
    vertices_ = avatar_.model().vertexCount();
  }
  Avatar avatar_{generatedRoot()};
  std::size_t vertices_ = 0;
};

TEST_F(IdleAnimationTest, FrameKIsTheRestShapePlusBreathKPlusBlinkK) {
  const std::vector<float> rest = avatar_.model().vertices;
  IdleAnimation idle;
  ASSERT_TRUE(idle.load(avatar_).ok());
  auto breath = readAnimation(avatar_.dataFile(kBreathAnimation), vertices_, 200);
  auto blink = readAnimation(avatar_.dataFile(kBlinkAnimation), vertices_, 200);
  ASSERT_TRUE(breath.ok() && blink.ok());
  EXPECT_EQ(idle.breathCount(), breath->declaredCount);
  EXPECT_EQ(idle.blinkCount(), blink->declaredCount);
  ASSERT_EQ(idle.frameCount(), breath->frames.size());
  ASSERT_LT(blink->frames.size(), idle.frameCount());
  // Loading shows nothing: the body keeps its shape.
  EXPECT_EQ(avatar_.model().vertices, rest);

  const std::size_t blinkFrames = blink->frames.size();
  for (const std::size_t k : {std::size_t{0}, std::size_t{3}, blinkFrames - 1, blinkFrames,
                              std::size_t{50}, idle.lastFrame()}) {
    const float* f = idle.frame(k);
    ASSERT_NE(f, nullptr) << k;
    float worst = 0;
    for (std::size_t i = 3; i < rest.size(); ++i) {
      float expected = rest[i] + breath->frames[k][i];
      if (k < blinkFrames) expected += blink->frames[k][i];
      worst = std::max(worst, std::fabs(f[i] - expected));
    }
    EXPECT_LT(worst, 1e-6f) << "frame " << k;
  }
  // Showing a frame puts it into the model and the skin records.
  ASSERT_TRUE(idle.show(avatar_, 50));
  EXPECT_EQ(0, std::memcmp(avatar_.model().vertices.data(), idle.frame(50),
                           rest.size() * sizeof(float)));
  EXPECT_EQ(avatar_.skin[99].y, idle.frame(50)[3 * 100 + 1]);
  EXPECT_FALSE(idle.show(avatar_, idle.frameCount()));
}

TEST_F(IdleAnimationTest, RestoringTheRestOnlyUndoesItsOwnFrames) {
  const std::vector<float> rest = avatar_.model().vertices;
  IdleAnimation idle;
  ASSERT_TRUE(idle.load(avatar_).ok());
  EXPECT_FALSE(idle.restoreRest(avatar_));  // nothing shown yet
  ASSERT_TRUE(idle.show(avatar_, 50));
  EXPECT_NE(avatar_.model().vertices, rest);
  EXPECT_TRUE(idle.restoreRest(avatar_));
  EXPECT_EQ(avatar_.model().vertices, rest);
  EXPECT_EQ(avatar_.skin[500].z, rest[3 * 501 + 2]);

  // A reshaping after the frame is the body's own: it stays.
  ASSERT_TRUE(idle.show(avatar_, 50));
  avatar_.model().vertex(10)[1] += 1.0f;
  avatar_.refreshFromModel();
  const std::vector<float> reshaped = avatar_.model().vertices;
  EXPECT_FALSE(idle.restoreRest(avatar_));
  EXPECT_EQ(avatar_.model().vertices, reshaped);

  // Rebuilt over the new shape, the frames ride on it.
  ASSERT_TRUE(idle.rebuild(avatar_));
  EXPECT_FLOAT_EQ(idle.frame(0)[3 * 10 + 1], reshaped[3 * 10 + 1]);
}

// An application root whose woman is the generated one and whose two
// animation files are written by the test.
class IdleFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    fs::create_directories(dir_.path() / "model");
    fs::create_directory_symlink(fs::path(generatedRoot()) / "model" / "ChinaFemale",
                                 dir_.path() / "model" / "ChinaFemale");
    avatar_ = std::make_unique<Avatar>(dir_.path().string());
    ASSERT_TRUE(avatar_->selectAvatar(kAvatarTable[0]).ok());
    vertices_ = avatar_->model().vertexCount();
  }

  // `frames` frames of (vertices + 1) triples, each displacing every vertex
  // by `step` × (frame number + 1) in y.
  std::vector<std::uint8_t> file(std::int32_t count, std::size_t frames, std::size_t vertices,
                                 float step) {
    std::vector<std::vector<float>> f(frames, std::vector<float>(3 * (vertices + 1), 0.0f));
    for (std::size_t k = 0; k < frames; ++k)
      for (std::size_t v = 1; v <= vertices; ++v) f[k][3 * v + 1] = step * float(k + 1);
    auto bytes = encodeAnimation(static_cast<std::int32_t>(frames + 1), f);
    EXPECT_TRUE(bytes.ok());
    std::vector<std::uint8_t> out = bytes.value();
    // The stored count may differ from the frames written.
    std::memcpy(out.data(), &count, 4);
    return out;
  }
  void write(const char* dataPathName, const std::vector<std::uint8_t>& bytes) {
    const std::string path = dataPath(dir_.path().string(), dataPathName);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(writeFileAtomically(path, bytes).ok());
  }
  // Loads and expects a refusal that names `file` and leaves the body as it was.
  void expectRefused(const char* dataPathName) {
    const std::vector<float> before = avatar_->model().vertices;
    IdleAnimation idle;
    auto loaded = idle.load(*avatar_);
    ASSERT_FALSE(loaded.ok());
    EXPECT_NE(loaded.error().message().find(fileNameOf(dataPathName)), std::string::npos)
        << loaded.error().message();
    EXPECT_TRUE(idle.empty());
    EXPECT_FALSE(idle.show(*avatar_, 0));
    EXPECT_EQ(avatar_->model().vertices, before);
  }

  testing::TempDir dir_;
  std::unique_ptr<Avatar> avatar_;
  std::size_t vertices_ = 0;
};

TEST_F(IdleFilesTest, BlinkFramesRideOnTheFirstBreathFramesOnly) {
  write(kBreathAnimation, file(4, 3, vertices_, 0.01f));
  write(kBlinkAnimation, file(6, 5, vertices_, 1.0f));  // more blink than breath
  IdleAnimation idle;
  ASSERT_TRUE(idle.load(*avatar_).ok());
  ASSERT_EQ(idle.frameCount(), 3u);
  const float rest = avatar_->model().vertex(7)[1];
  for (std::size_t k = 0; k < 3; ++k)
    EXPECT_NEAR(idle.frame(k)[3 * 7 + 1], rest + 0.01f * float(k + 1) + 1.0f * float(k + 1), 1e-5f)
        << k;
  EXPECT_EQ(idle.blinkCount(), 6);
}

TEST_F(IdleFilesTest, FilesThatDoNotFitTheBodyAreRefusedByName) {
  const auto good = file(4, 3, vertices_, 0.01f);
  write(kBlinkAnimation, file(2, 1, vertices_, 0.0f));
  // Missing.
  expectRefused(kBreathAnimation);
  // Made for a body with one vertex more or one fewer.
  write(kBreathAnimation, file(4, 3, vertices_ + 1, 0.01f));
  expectRefused(kBreathAnimation);
  write(kBreathAnimation, file(4, 3, vertices_ - 1, 0.01f));
  expectRefused(kBreathAnimation);
  // Cut short.
  std::vector<std::uint8_t> cut = good;
  cut.resize(cut.size() - 8);
  write(kBreathAnimation, cut);
  expectRefused(kBreathAnimation);
  // A count that holds no frame, and one above what the avatar holds.
  write(kBreathAnimation, file(1, 0, vertices_, 0.0f));
  expectRefused(kBreathAnimation);
  write(kBreathAnimation, file(102, 101, vertices_, 0.0f));
  expectRefused(kBreathAnimation);
  // A good breath with a foreign blink.
  write(kBreathAnimation, good);
  write(kBlinkAnimation, file(2, 1, vertices_ + 3, 0.0f));
  expectRefused(kBlinkAnimation);
  // Both good at last.
  write(kBlinkAnimation, file(2, 1, vertices_, 0.0f));
  IdleAnimation idle;
  EXPECT_TRUE(idle.load(*avatar_).ok());
  EXPECT_EQ(idle.frameCount(), 3u);
}

}  // namespace
}  // namespace vestora
