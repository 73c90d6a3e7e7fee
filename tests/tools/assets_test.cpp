#include "generate/assets/assets.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

namespace vestora::generate {
namespace {

std::uint32_t le16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8);
}
std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return le16(b, at) | (le16(b, at + 2) << 16);
}
std::string tag(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::string(b.begin() + at, b.begin() + at + 4);
}

TEST(Tga, HeaderAndBottomRowFirstBgraPixels) {
  // Top row: red, half-transparent green; bottom row: blue, a grey-blue.
  // clang-format off
  const std::vector<std::uint8_t> rgba = {255, 0, 0, 255,   0, 255, 0, 128,
                                          0, 0, 255, 64,    10, 20, 30, 40};
  const auto tga = encodeTga(2, 2, rgba);
  const std::vector<std::uint8_t> expected = {
      0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // no id, no colour map, true colour, origin 0
      2, 0, 2, 0, 32, 0x08,                // 2 x 2, 32 bits, 8 alpha bits, bottom left
      255, 0, 0, 64,    30, 20, 10, 40,    // bottom row: blue, grey-blue (B, G, R, A)
      0, 0, 255, 255,   0, 255, 0, 128};   // top row: red, green
  // clang-format on
  EXPECT_EQ(tga, expected);

  const auto wide = encodeTga(300, 258, std::vector<std::uint8_t>(300 * 258 * 4, 7));
  ASSERT_EQ(wide.size(), 18u + 300 * 258 * 4);
  EXPECT_EQ(le16(wide, 12), 300u);
  EXPECT_EQ(le16(wide, 14), 258u);

  EXPECT_THROW(encodeTga(2, 2, std::vector<std::uint8_t>(15)), std::invalid_argument);
  EXPECT_THROW(encodeTga(0, 2, {}), std::invalid_argument);
  EXPECT_THROW(encodeTga(65536, 1, std::vector<std::uint8_t>(65536 * 4)), std::invalid_argument);
}

TEST(Wav, HeaderDescribesPcm16MonoAndTheData) {
  const std::vector<std::int16_t> samples = {0, 1, -1, 32767, -32768};
  const auto wav = encodeWav(samples, 22050);
  ASSERT_EQ(wav.size(), 44u + 10u);
  EXPECT_EQ(tag(wav, 0), "RIFF");
  EXPECT_EQ(le32(wav, 4), wav.size() - 8);
  EXPECT_EQ(tag(wav, 8), "WAVE");
  EXPECT_EQ(tag(wav, 12), "fmt ");
  EXPECT_EQ(le32(wav, 16), 16u);
  EXPECT_EQ(le16(wav, 20), 1u) << "PCM";
  EXPECT_EQ(le16(wav, 22), 1u) << "mono";
  EXPECT_EQ(le32(wav, 24), 22050u);
  EXPECT_EQ(le32(wav, 28), 44100u) << "bytes per second";
  EXPECT_EQ(le16(wav, 32), 2u) << "block align";
  EXPECT_EQ(le16(wav, 34), 16u);
  EXPECT_EQ(tag(wav, 36), "data");
  EXPECT_EQ(le32(wav, 40), 10u);
  const std::vector<std::uint8_t> data(wav.begin() + 44, wav.end());
  EXPECT_EQ(data, (std::vector<std::uint8_t>{0, 0, 1, 0, 0xff, 0xff, 0xff, 0x7f, 0x00, 0x80}));

  EXPECT_EQ(encodeWav({}, 8000).size(), 44u);
  EXPECT_THROW(encodeWav(samples, 0), std::invalid_argument);
}

// Power of `hz` in samples [from, to) (Goertzel).
double power(const std::vector<std::int16_t>& s, int rate, double hz, double from, double to) {
  const double w = 2 * 3.14159265358979 * hz / rate, k = 2 * std::cos(w);
  double a = 0, b = 0;
  for (auto i = std::size_t(from * rate); i < std::size_t(to * rate); ++i) {
    const double c = s[i] + k * a - b;
    b = a;
    a = c;
  }
  return a * a + b * b - k * a * b;
}

double rms(const std::vector<std::int16_t>& s, int rate, double from, double to) {
  double sum = 0;
  const auto first = std::size_t(from * rate), end = std::size_t(to * rate);
  for (auto i = first; i < end; ++i) sum += double(s[i]) * s[i];
  return std::sqrt(sum / double(end - first));
}

TEST(CameraShutter, TwoShortClicksPeakingAtMinusSixDbfs) {
  for (int rate : {22050, 44100}) {
    SCOPED_TRACE(rate);
    const auto shutter = cameraShutter(rate);
    EXPECT_EQ(shutter, cameraShutter(rate)) << "deterministic";
    EXPECT_NEAR(double(shutter.size()) / rate, 0.16, 0.001);
    int peak = 0;
    for (std::int16_t v : shutter) peak = std::max(peak, std::abs(int(v)));
    EXPECT_NEAR(20 * std::log10(peak / 32768.0), -6.0, 0.2);
    // Loud at each click, near silence between them and at the end.
    EXPECT_GT(rms(shutter, rate, 0.004, 0.014), 8 * rms(shutter, rate, 0.06, 0.07));
    EXPECT_GT(rms(shutter, rate, 0.074, 0.084), 8 * rms(shutter, rate, 0.06, 0.07));
    EXPECT_LT(std::abs(shutter.back()), 100);
  }
  EXPECT_THROW(cameraShutter(100), std::invalid_argument);
}

double peakDbfs(const std::vector<std::int16_t>& s) {
  int peak = 0;
  for (std::int16_t v : s) peak = std::max(peak, std::abs(int(v)));
  return 20 * std::log10(peak / 32768.0);
}

TEST(WardrobeSounds, TheSwishSweepsDownAndEndsInSilence) {
  for (int rate : {22050, 44100}) {
    SCOPED_TRACE(rate);
    const auto swish = garmentSwish(rate);
    EXPECT_EQ(swish, garmentSwish(rate)) << "deterministic";
    EXPECT_NEAR(double(swish.size()) / rate, 0.32, 0.001);
    EXPECT_NEAR(peakDbfs(swish), -9.0, 0.2);
    // Bright at the start, dull at the end: the band moves from high to low.
    // (Noise: its power is summed over a band of frequencies, not one.)
    auto band = [&](double lo, double hi, double from, double to) {
      double sum = 0;
      for (double hz = lo; hz <= hi; hz += 1 / (to - from)) sum += power(swish, rate, hz, from, to);
      return sum / ((hi - lo) * (to - from) + 1);
    };
    EXPECT_GT(band(1800, 3000, 0.02, 0.10), 2 * band(500, 1000, 0.02, 0.10));
    EXPECT_GT(band(500, 1000, 0.20, 0.28), 2 * band(1800, 3000, 0.20, 0.28));
    EXPECT_LT(std::abs(swish.back()), 200);
  }
  EXPECT_THROW(garmentSwish(100), std::invalid_argument);
}

TEST(WardrobeSounds, TheDrapeChimeRisesFromE5ToB5) {
  for (int rate : {22050, 48000}) {
    SCOPED_TRACE(rate);
    const auto chime = drapeChime(rate);
    EXPECT_EQ(chime, drapeChime(rate)) << "deterministic";
    EXPECT_NEAR(double(chime.size()) / rate, 0.7, 0.001);
    EXPECT_NEAR(peakDbfs(chime), -8.0, 0.2);
    // Before the second note only the first sounds; after it both.
    EXPECT_GT(power(chime, rate, 659.25, 0.06, 0.16), 20 * power(chime, rate, 987.77, 0.06, 0.16));
    EXPECT_GT(power(chime, rate, 987.77, 0.18, 0.30), 20 * power(chime, rate, 987.77, 0.06, 0.16));
    EXPECT_LT(rms(chime, rate, 0.66, 0.7), 0.05 * rms(chime, rate, 0.17, 0.21));
  }
  EXPECT_THROW(drapeChime(200000), std::invalid_argument);
}

TEST(Chime, TwoNotesDecayingFromMinusSixDbfs) {
  for (int rate : {22050, 44100, 48000}) {
    SCOPED_TRACE(rate);
    const auto chime = themeChime(rate);
    EXPECT_EQ(chime, themeChime(rate)) << "deterministic";
    EXPECT_NEAR(double(chime.size()) / rate, 1.2, 0.001);

    int peak = 0;
    for (std::int16_t v : chime) peak = std::max(peak, std::abs(int(v)));
    EXPECT_NEAR(20 * std::log10(peak / 32768.0), -6.0, 0.2);

    EXPECT_LT(std::abs(chime.front()), 100) << "soft attack";
    EXPECT_LT(rms(chime, rate, 0.0, 0.002), rms(chime, rate, 0.02, 0.05) / 4) << "soft attack";
    EXPECT_LT(std::abs(chime.back()), 100) << "ends at silence";
    EXPECT_LT(rms(chime, rate, 1.0, 1.1), rms(chime, rate, 0.3, 0.4) / 2) << "decays";

    // First note alone, then the second above the fading first.
    EXPECT_GT(power(chime, rate, kChimeFirstHz, 0.03, 0.2),
              20 * power(chime, rate, kChimeSecondHz, 0.03, 0.2));
    EXPECT_GT(power(chime, rate, kChimeSecondHz, 0.5, 0.7),
              power(chime, rate, kChimeFirstHz, 0.5, 0.7));
    EXPECT_GT(kChimeSecondHz, kChimeFirstHz);
  }
  EXPECT_THROW(themeChime(100), std::invalid_argument);
}

TEST(EyelashTexture, DarkAntiAliasedLashesRisingFromTheBottomEdge) {
  constexpr int kW = 256, kH = 64;
  for (std::uint32_t seed : {0u, 7u, 12345u}) {
    SCOPED_TRACE(seed);
    const auto lashes = eyelashTexture(kW, kH, seed);
    ASSERT_EQ(lashes.size(), std::size_t(kW) * kH * 4);
    EXPECT_EQ(lashes, eyelashTexture(kW, kH, seed)) << "the same seed gives the same texture";
    EXPECT_NE(lashes, eyelashTexture(kW, kH, seed + 1)) << "the seed matters";

    auto alpha = [&](int x, int y) { return lashes[4 * (std::size_t(y) * kW + x) + 3]; };
    int transparent = 0, opaque = 0, partial = 0, light = 0;
    for (std::size_t i = 0; i < lashes.size(); i += 4) {
      const std::uint8_t r = lashes[i], g = lashes[i + 1], b = lashes[i + 2], a = lashes[i + 3];
      if (a == 0) ++transparent;
      if (a == 255) ++opaque;
      if (a > 0 && a < 255) ++partial;
      if (a >= 128 && (std::max({r, g, b}) >= 80 || r < b)) ++light;
    }
    EXPECT_EQ(light, 0) << "what shows is brown-black";
    EXPECT_GT(transparent, kW * kH / 3) << "the background shows through";
    EXPECT_GT(opaque, kW * kH / 50);
    EXPECT_GT(partial, opaque / 4) << "edges are anti-aliased";

    // Covered texels (what an alpha test at 0.1 keeps) by band.
    auto covered = [&](int x0, int x1, int y0, int y1) {
      int n = 0;
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += alpha(x, y) > 25;
      return n;
    };
    EXPECT_GT(covered(0, kW, 3 * kH / 4, kH), 2 * covered(0, kW, 0, kH / 4))
        << "lashes grow from the bottom edge";
    EXPECT_GT(covered(0, kW, kH - 1, kH), kW / 2) << "the lash line runs along the bottom";
    const int middle = covered(kW / 3, 2 * kW / 3, 0, kH);
    EXPECT_GT(middle, covered(0, kW / 3, 0, kH) * 5 / 4) << "denser in the middle";
    EXPECT_GT(middle, covered(2 * kW / 3, kW, 0, kH) * 5 / 4) << "denser in the middle";
  }
  EXPECT_EQ(eyelashTexture(1, 1, 0).size(), 4u);
  EXPECT_THROW(eyelashTexture(0, 8, 0), std::invalid_argument);
}

TEST(Mp3, FramesOfTheRateAskedForAndTheSameBytesEachTime) {
  // One second of a stereo 440 Hz tone.
  const int rate = 44100;
  std::vector<std::int16_t> tone(2 * rate);
  for (int i = 0; i < rate; ++i)
    tone[2 * i] = tone[2 * i + 1] =
        static_cast<std::int16_t>(8000 * std::sin(2 * 3.14159265358979 * 440 * i / rate));
  const auto mp3 = encodeMp3(tone, 2, rate, 128);
  EXPECT_EQ(mp3, encodeMp3(tone, 2, rate, 128)) << "deterministic";
  // No tag: the file opens on a frame sync (11 bits set).
  ASSERT_GT(mp3.size(), 4u);
  EXPECT_EQ(mp3[0], 0xFF);
  EXPECT_EQ(mp3[1] & 0xE0, 0xE0);
  // About 128 kbit for the second, and the info frame.
  EXPECT_NEAR(static_cast<double>(mp3.size()), 128000 / 8.0, 2500);

  EXPECT_THROW(encodeMp3(tone, 3, rate), std::invalid_argument);
  EXPECT_THROW(encodeMp3(std::vector<std::int16_t>(3), 2, rate), std::invalid_argument);
  EXPECT_THROW(encodeMp3(tone, 2, 1000), std::invalid_argument);
  EXPECT_THROW(encodeMp3(tone, 2, rate, 1000), std::invalid_argument);
  EXPECT_THROW(themeMusic(1000000), std::invalid_argument);
}

}  // namespace
}  // namespace vestora::generate
