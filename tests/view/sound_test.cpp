#include "platform/sound.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "test_support.h"

namespace vestora {
namespace {

// A short silent 16-bit mono WAV file.
std::string silentWav() {
  const std::uint32_t samples = 800, rate = 8000;
  std::string wav = "RIFF";
  auto u32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) wav += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  auto u16 = [&](std::uint16_t v) {
    wav += static_cast<char>(v & 0xFF);
    wav += static_cast<char>(v >> 8);
  };
  u32(36 + samples * 2);
  wav += "WAVEfmt ";
  u32(16);
  u16(1);
  u16(1);
  u32(rate);
  u32(rate * 2);
  u16(2);
  u16(16);
  wav += "data";
  u32(samples * 2);
  wav.append(samples * 2, '\0');
  return wav;
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
