// The background music, played on the sound system's file-writing driver:
// whatever the audio device plays lands in a raw file (16-bit stereo at
// 44.1 kHz, the device's format) that the tests read back. The driver is
// told to write a 1024-frame buffer every 5 ms, several times faster than
// real time; the tests wait for the file to grow, never for a fixed time.
// That driver announces itself on stderr when it opens, so the console is
// watched only while the device is open.
#include "platform/music.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sound.h"
#include "test_support.h"

namespace vestora {
namespace {

constexpr int kDeviceRate = 44100;
// Frames that may still reach the file after a change: the buffer being
// mixed, the one being written and the file's own write buffer, with room
// to spare.
constexpr std::size_t kDeviceLag = 4096;

// A mono 16-bit WAV file at 8 kHz of sine tones at half scale, one after
// the other: (frequency in Hz, seconds).
std::string toneWav(const std::vector<std::pair<double, double>>& tones) {
  const std::uint32_t rate = 8000;
  std::vector<std::int16_t> samples;
  for (const auto& [hz, seconds] : tones) {
    const auto count = static_cast<std::size_t>(seconds * rate);
    for (std::size_t i = 0; i < count; ++i)
      samples.push_back(static_cast<std::int16_t>(
          std::lround(16384 * std::sin(2 * 3.14159265358979323846 * hz * i / rate))));
  }
  return testing::monoWav(samples, rate);
}

bool audible(std::int16_t sample) {
  return std::abs(sample) > 16;
}

// The frequency of the tone in `count` samples from `first`, from its
// upward zero crossings.
double toneHz(const std::vector<std::int16_t>& samples, std::size_t first, std::size_t count) {
  int crossings = 0;
  for (std::size_t i = first + 1; i < first + count && i < samples.size(); ++i)
    if (samples[i - 1] < 0 && samples[i] >= 0) ++crossings;
  return crossings * static_cast<double>(kDeviceRate) / count;
}

class MusicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    output_ = dir_.file("device.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "5", 1);  // milliseconds a buffer
  }
  void TearDown() override {
    closeSound();
    unsetenv("SDL_DISKAUDIOFILE");
    unsetenv("SDL_DISKAUDIODELAY");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }

  // Frames the device has written so far.
  std::size_t framesWritten() const {
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(output_, ec);
    return ec ? 0 : static_cast<std::size_t>(bytes / 4);
  }

  // Waits until the device has written `frames` frames; false after 10 s.
  bool waitForFrames(std::size_t frames) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (framesWritten() < frames) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  // The left channel of everything written so far.
  std::vector<std::int16_t> leftChannel() const {
    const std::string bytes = testing::readAll(output_);
    std::vector<std::int16_t> left(bytes.size() / 4);
    for (std::size_t i = 0; i < left.size(); ++i) {
      const auto lo = static_cast<std::uint8_t>(bytes[4 * i]);
      const auto hi = static_cast<std::uint8_t>(bytes[4 * i + 1]);
      left[i] = static_cast<std::int16_t>(lo | (hi << 8));
    }
    return left;
  }

  // The first frame from `from` on that is not silent; size() if none.
  std::size_t firstAudible(const std::vector<std::int16_t>& left, std::size_t from = 0) const {
    for (std::size_t i = from; i < left.size(); ++i)
      if (audible(left[i])) return i;
    return left.size();
  }

  // Plays `path` and waits until `seconds` of it have been written; the
  // frame where it became audible.
  std::size_t playAndWait(const std::string& path, double seconds) {
    EXPECT_TRUE(PlayMusicFile(path));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
      const std::vector<std::int16_t> left = leftChannel();
      const std::size_t start = firstAudible(left);
      if (start + seconds * kDeviceRate <= left.size()) return start;
      if (std::chrono::steady_clock::now() > deadline) {
        ADD_FAILURE() << "no audible output from " << path;
        return 0;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  // Whether everything written from `frame` until `seconds` later is silent
  // (waits for it to be written).
  bool silentAfter(std::size_t frame, double seconds) const {
    const std::size_t end = frame + static_cast<std::size_t>(seconds * kDeviceRate);
    if (!waitForFrames(end)) return false;
    const std::vector<std::int16_t> left = leftChannel();
    return firstAudible(left, frame) >= end;
  }

  testing::TempDir dir_;
  std::string output_;
};

TEST_F(MusicTest, PlaysAPieceUntilItIsStopped) {
  const std::string piece = dir_.write("a440.wav", toneWav({{440, 10}}));
  const std::size_t start = playAndWait(piece, 0.3);
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(musicPlaying());
  const std::vector<std::int16_t> heard = leftChannel();
  EXPECT_NEAR(toneHz(heard, start + 2048, 8192), 440, 440 * 0.05);

  StopMusic();
  EXPECT_FALSE(musicPlaying());
  const std::size_t stoppedAt = framesWritten();
  EXPECT_TRUE(silentAfter(stoppedAt + kDeviceLag, 0.2)) << "the device goes on playing the piece";
  StopMusic();  // nothing playing: nothing happens
  EXPECT_FALSE(musicPlaying());
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(MusicTest, APiecePlaysOnceAndEnds) {
  const std::string piece = dir_.write("short.wav", toneWav({{440, 0.25}}));
  ASSERT_TRUE(PlayMusicFile(piece));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (musicPlaying() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_FALSE(musicPlaying()) << "the piece repeats";
  const std::vector<std::int16_t> left = leftChannel();
  const std::size_t start = firstAudible(left);
  ASSERT_LT(start, left.size()) << "the piece was not heard";
  // 0.25 s of tone, then silence for good.
  EXPECT_TRUE(silentAfter(start + static_cast<std::size_t>(0.25 * kDeviceRate) + kDeviceLag, 0.3));
}

TEST_F(MusicTest, PlayingAgainStartsOverAndAnotherPieceTakesOver) {
  // 0.4 s of A4, then A5: which of the two sounds tells how far it got.
  const std::string rising = dir_.write("rising.wav", toneWav({{440, 0.4}, {880, 9.6}}));
  const std::string steady = dir_.write("steady.wav", toneWav({{660, 10}}));

  const std::size_t start = playAndWait(rising, 0.6);
  EXPECT_NEAR(toneHz(leftChannel(), start + kDeviceRate / 2, 4096), 880, 880 * 0.06);

  // Played again, the same piece starts from its beginning: A4 again
  // somewhere after the call.
  const std::size_t before = framesWritten();
  ASSERT_TRUE(PlayMusicFile(rising));
  ASSERT_TRUE(waitForFrames(framesWritten() + kDeviceLag + kDeviceRate / 2));
  const std::vector<std::int16_t> again = leftChannel();
  bool restarted = false;
  for (std::size_t i = before; i + 2048 <= again.size() && !restarted; i += 512)
    restarted = std::abs(toneHz(again, i, 2048) - 440) < 440 * 0.04;
  EXPECT_TRUE(restarted) << "the piece went on instead of starting over";

  // Another piece replaces it: what the device writes after the call is it.
  ASSERT_TRUE(PlayMusicFile(steady));
  EXPECT_TRUE(musicPlaying());
  const std::size_t switched = framesWritten() + kDeviceLag;
  ASSERT_TRUE(waitForFrames(switched + 4096));
  EXPECT_NEAR(toneHz(leftChannel(), switched, 4096), 660, 660 * 0.06);
}

TEST_F(MusicTest, AFileThatCannotBePlayedStopsThePieceAndReturnsFalse) {
  const std::string piece = dir_.write("a440.wav", toneWav({{440, 10}}));
  const std::string broken = dir_.write("broken.mp3", "ID3 not really a piece of music");
  playAndWait(piece, 0.1);
  ::testing::internal::CaptureStderr();
  ::testing::internal::CaptureStdout();
  bool played = true;
  EXPECT_NO_THROW(played = PlayMusicFile(dir_.file("missing.mp3")));
  EXPECT_FALSE(played);
  EXPECT_FALSE(musicPlaying());
  const std::size_t stoppedAt = framesWritten();
  EXPECT_FALSE(PlayMusicFile(broken));
  EXPECT_FALSE(musicPlaying());
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(silentAfter(stoppedAt + kDeviceLag, 0.2)) << "the old piece goes on";
}

TEST_F(MusicTest, ClosingTheSoundStopsTheMusicAndTheDeviceOpensAgain) {
  const std::string piece = dir_.write("a440.wav", toneWav({{440, 10}}));
  playAndWait(piece, 0.1);
  closeSound();
  EXPECT_FALSE(musicPlaying());
  // The device opens again (its file starts afresh) and plays.
  const std::size_t start = playAndWait(piece, 0.2);
  EXPECT_TRUE(musicPlaying());
  EXPECT_NEAR(toneHz(leftChannel(), start + 2048, 4096), 440, 440 * 0.06);
}

TEST_F(MusicTest, WithoutAnAudioDeviceNothingPlaysAndNothingIsSaid) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  const std::string piece = dir_.write("a440.wav", toneWav({{440, 1}}));
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(PlayMusicFile(piece));
  EXPECT_FALSE(musicPlaying());
  StopMusic();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace vestora
