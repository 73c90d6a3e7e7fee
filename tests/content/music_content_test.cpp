// The background music in the generated application root: an MP3 file that
// libmpg123 (the decoder the sound system plays MP3 with) reads as 44.1 kHz
// stereo, between half a minute and two minutes long; it is heard from the
// first seconds to the fade without a gap, never reaches full scale, has no
// offset, has width between the channels and ends in silence. The program's
// own player loads it with the same length and plays it.
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <mpg123.h>

#include "content/content_fixture.h"
#include "platform/data_files.h"
#include "platform/music.h"
#include "platform/sound.h"

namespace vestora {
namespace {

struct Decoded {
  std::string error;  // empty when the file decoded to the end
  long rate = 0;
  int channels = 0;
  std::vector<std::int16_t> samples;  // interleaved

  std::size_t frames() const { return channels ? samples.size() / channels : 0; }
  double seconds() const { return rate ? static_cast<double>(frames()) / rate : 0.0; }
  std::int16_t at(std::size_t frame, int channel) const {
    return samples[frame * channels + channel];
  }
};

// The whole file as 16-bit samples, at its own rate and channel count.
Decoded decodeMp3(const std::string& path) {
  Decoded out;
  mpg123_init();
  int status = MPG123_OK;
  mpg123_handle* decoder = mpg123_new(nullptr, &status);
  if (!decoder) {
    out.error = "no decoder";
    return out;
  }
  mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
  mpg123_format_none(decoder);
  const long* rates = nullptr;
  std::size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (std::size_t i = 0; i < rateCount; ++i)
    mpg123_format(decoder, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  if (mpg123_open(decoder, path.c_str()) != MPG123_OK) {
    out.error = "cannot open " + path;
  } else {
    int encoding = 0;
    if (mpg123_getformat(decoder, &out.rate, &out.channels, &encoding) != MPG123_OK)
      out.error = std::string("no format: ") + mpg123_strerror(decoder);
    std::vector<unsigned char> buffer(1 << 16);
    while (out.error.empty()) {
      std::size_t bytes = 0;
      status = mpg123_read(decoder, buffer.data(), buffer.size(), &bytes);
      const auto* first = reinterpret_cast<const std::int16_t*>(buffer.data());
      out.samples.insert(out.samples.end(), first, first + bytes / 2);
      if (status == MPG123_DONE) break;
      if (status != MPG123_OK && status != MPG123_NEW_FORMAT)
        out.error = std::string("decoding: ") + mpg123_strerror(decoder);
    }
    mpg123_close(decoder);
  }
  mpg123_delete(decoder);
  return out;
}

double toDbfs(double level) {
  return 20 * std::log10(std::max(level, 1e-12) / 32768.0);
}

class MusicContentTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    music_ = new Decoded(decodeMp3(testing::contentPath(data_files::kDefaultMusic)));
  }
  static void TearDownTestSuite() {
    delete music_;
    music_ = nullptr;
  }
  void SetUp() override {
    ASSERT_EQ(music_->error, "");
    ASSERT_EQ(music_->channels, 2);
  }

  // RMS of both channels over [from, to) seconds, in dBFS.
  static double rmsDbfs(double from, double to) {
    const auto first = static_cast<std::size_t>(from * music_->rate);
    const auto last = std::min(music_->frames(), static_cast<std::size_t>(to * music_->rate));
    double sum = 0;
    for (std::size_t i = first; i < last; ++i)
      for (int c = 0; c < 2; ++c) sum += static_cast<double>(music_->at(i, c)) * music_->at(i, c);
    return last > first ? toDbfs(std::sqrt(sum / (2.0 * (last - first)))) : -240.0;
  }

  static Decoded* music_;
};

Decoded* MusicContentTest::music_ = nullptr;

TEST_F(MusicContentTest, IsAboutAMinuteOfStereoAt44kHz) {
  EXPECT_EQ(music_->rate, 44100);
  EXPECT_GE(music_->seconds(), 30.0);
  EXPECT_LE(music_->seconds(), 120.0);
}

TEST_F(MusicContentTest, IsHeardThroughoutAndNeverClips) {
  EXPECT_GT(rmsDbfs(0, music_->seconds()), -30.0) << "too quiet to be heard under the program";
  // No gap: every two seconds from the intro to the final fade carry music.
  for (double t = 2; t + 2 <= music_->seconds() - 5; t += 2)
    EXPECT_GT(rmsDbfs(t, t + 2), -35.0) << "near silence at " << t << " s";

  std::int32_t peak = 0;
  double sum[2] = {0, 0};
  for (std::size_t i = 0; i < music_->frames(); ++i) {
    for (int c = 0; c < 2; ++c) {
      peak = std::max(peak, std::abs(static_cast<std::int32_t>(music_->at(i, c))));
      sum[c] += music_->at(i, c);
    }
  }
  // Mastered at -3 dBFS; the encoding may overshoot by a little, not by 2 dB.
  EXPECT_LT(toDbfs(peak), -1.0) << "clipped or about to";
  EXPECT_GT(toDbfs(peak), -6.0) << "quieter than mastered";
  for (int c = 0; c < 2; ++c)
    EXPECT_LT(std::abs(sum[c] / music_->frames()), 16.0) << "offset in channel " << c;
}

TEST_F(MusicContentTest, HasStereoWidthAndEndsInSilence) {
  double left = 0, right = 0, product = 0, side = 0;
  for (std::size_t i = 0; i < music_->frames(); ++i) {
    const double l = music_->at(i, 0), r = music_->at(i, 1);
    left += l * l;
    right += r * r;
    product += l * r;
    side += (l - r) * (l - r) / 4;
  }
  const double correlation = product / std::sqrt(left * right);
  EXPECT_LT(correlation, 0.98) << "the two channels are the same: no width";
  EXPECT_GT(correlation, 0.3) << "the channels work against each other";
  EXPECT_GT(side, 0.005 * (left + right) / 2) << "the sides are almost silent";

  // A fade, not a cut: the last tenth of a second is (almost) silent.
  const double end = music_->seconds();
  EXPECT_LT(rmsDbfs(end - 0.1, end), -60.0);
}

TEST_F(MusicContentTest, TheProgramsPlayerLoadsAndPlaysIt) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_TRUE(soundAvailable());
  const std::string path = testing::contentPath(data_files::kDefaultMusic);
  Mix_Music* music = Mix_LoadMUS(path.c_str());
  ASSERT_NE(music, nullptr) << Mix_GetError();
  EXPECT_NEAR(Mix_MusicDuration(music), music_->seconds(), 0.1);
  Mix_FreeMusic(music);

  EXPECT_TRUE(PlayMusicFile(path));
  EXPECT_TRUE(musicPlaying());
  StopMusic();
  EXPECT_FALSE(musicPlaying());
  closeSound();
}

}  // namespace
}  // namespace vestora
