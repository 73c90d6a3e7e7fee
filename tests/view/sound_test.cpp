#include "platform/sound.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

namespace vestora {
namespace {

// A short silent 16-bit mono WAV file.
std::string silentWav() {
  return testing::monoWav(std::vector<std::int16_t>(800, 0), 8000);
}

class SoundTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("SDL_AUDIODRIVER", "dummy", 1); }
  void TearDown() override { closeSound(); }
};

TEST_F(SoundTest, PlaysAFileAndStaysSilentWithoutOne) {
  testing::TempDir dir;
  dir.write("data/CAMERA.wav", silentWav());
  dir.write("data/broken.wav", "RIFF not really");
  ASSERT_TRUE(soundAvailable());
  ::testing::internal::CaptureStderr();
  ::testing::internal::CaptureStdout();
  PlayDataSound(dir.path().string(), "\\data\\CAMERA.wav");
  PlayDataSound(dir.path().string(), "\\data\\CAMERA.wav");  // played again from memory
  PlayDataSound(dir.path().string(), "\\data\\missing.wav");
  PlayDataSound(dir.path().string(), "\\data\\broken.wav");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(SoundTest, NoAudioDeviceMeansNoSoundAndNoError) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  testing::TempDir dir;
  dir.write("data/CAMERA.wav", silentWav());
  EXPECT_FALSE(soundAvailable());
  ::testing::internal::CaptureStderr();
  PlayDataSound(dir.path().string(), "\\data\\CAMERA.wav");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  closeSound();

  // The sound system's own driver, whether or not this machine has a sound
  // card: it may play or not, but it never writes to the console.
  setenv("SDL_AUDIODRIVER", "alsa", 1);
  ::testing::internal::CaptureStderr();
  soundAvailable();
  PlayDataSound(dir.path().string(), "\\data\\CAMERA.wav");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
}

}  // namespace
}  // namespace vestora
