// The theme chime and the WAVE files sounds are stored in.
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>

#include "generate/assets/assets.h"
#include "generate/assets/splitmix.h"

namespace vestora::generate {
namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xff));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put16(out, v & 0xffff);
  put16(out, v >> 16);
}

void putTag(std::vector<std::uint8_t>& out, const char (&tag)[5]) {
  out.insert(out.end(), tag, tag + 4);
}

}  // namespace

std::vector<std::uint8_t> encodeWav(const std::vector<std::int16_t>& samples, int sampleRate) {
  if (sampleRate <= 0 || sampleRate > std::numeric_limits<std::int32_t>::max() / 2)
    throw std::invalid_argument("encodeWav: sample rate " + std::to_string(sampleRate));
  const std::uint64_t dataBytes = 2ull * samples.size();
  if (dataBytes + 36 > std::numeric_limits<std::uint32_t>::max())
    throw std::invalid_argument("encodeWav: " + std::to_string(samples.size()) +
                                " samples do not fit a WAVE file");
  const auto rate = static_cast<std::uint32_t>(sampleRate);
  std::vector<std::uint8_t> out;
  out.reserve(44 + dataBytes);
  putTag(out, "RIFF");
  put32(out, static_cast<std::uint32_t>(36 + dataBytes));  // everything after this field
  putTag(out, "WAVE");
  putTag(out, "fmt ");
  put32(out, 16);        // size of the format chunk
  put16(out, 1);         // PCM
  put16(out, 1);         // channels
  put32(out, rate);      // samples per second
  put32(out, rate * 2);  // bytes per second
  put16(out, 2);         // bytes per sample frame
  put16(out, 16);        // bits per sample
  putTag(out, "data");
  put32(out, static_cast<std::uint32_t>(dataBytes));
  for (std::int16_t s : samples) put16(out, static_cast<std::uint16_t>(s));
  return out;
}

std::vector<std::int16_t> themeChime(int sampleRate) {
  if (sampleRate < 8000 || sampleRate > 192000)
    throw std::invalid_argument("themeChime: sample rate " + std::to_string(sampleRate) +
                                " is outside 8000 to 192000");
  const double pi = 3.14159265358979323846;
  const double rate = sampleRate;
  const auto count = static_cast<std::size_t>(std::lround(kChimeSeconds * rate));
  std::vector<double> mix(count, 0.0);

  struct Note {
    double hz, start, level;
  };
  const Note notes[] = {{kChimeFirstHz, 0.0, 1.0}, {kChimeSecondHz, kChimeSecondStart, 0.85}};
  // Harmonics with their levels; the higher ones die away sooner.
  const double harmonicLevel[] = {1.0, 0.35, 0.15, 0.07};
  const double decay = 0.38;    // seconds for the fundamental to fall to 1/e
  const double attack = 0.012;  // seconds of raised-cosine rise
  for (const Note& note : notes) {
    const auto first = static_cast<std::size_t>(std::lround(note.start * rate));
    for (int k = 0; k < 4; ++k) {
      const double hz = note.hz * (k + 1);
      if (hz >= 0.45 * rate) break;
      const double tau = decay / (1.0 + 0.8 * k);
      for (std::size_t i = first; i < count; ++i) {
        const double t = (i - first) / rate;
        const double rise = t < attack ? 0.5 - 0.5 * std::cos(pi * t / attack) : 1.0;
        mix[i] +=
            note.level * harmonicLevel[k] * rise * std::exp(-t / tau) * std::sin(2 * pi * hz * t);
      }
    }
  }
  // A short fade so the sound ends at silence instead of a click.
  const double fade = 0.06;
  for (std::size_t i = 0; i < count; ++i) {
    const double left = (count - 1 - i) / rate;
    if (left < fade) mix[i] *= 0.5 - 0.5 * std::cos(pi * left / fade);
  }

  double peak = 0;
  for (double v : mix) peak = std::max(peak, std::abs(v));
  const double target = 32767.0 * std::pow(10.0, -6.0 / 20.0);  // -6 dBFS
  const double gain = peak > 0 ? target / peak : 0.0;
  std::vector<std::int16_t> samples(count);
  for (std::size_t i = 0; i < count; ++i)
    samples[i] = static_cast<std::int16_t>(std::lround(mix[i] * gain));
  return samples;
}

std::vector<std::int16_t> cameraShutter(int sampleRate) {
  if (sampleRate < 8000 || sampleRate > 192000)
    throw std::invalid_argument("cameraShutter: sample rate " + std::to_string(sampleRate) +
                                " is outside 8000 to 192000");
  const double rate = sampleRate;
  const auto count = static_cast<std::size_t>(std::lround(0.16 * rate));
  std::vector<double> mix(count, 0.0);
  SplitMix64 random(0x5A77E5ull);
  // Each click: white noise through a one-pole low-pass, with a fast attack
  // and an exponential tail; the second is softer and a little duller.
  struct Click {
    double start, level, tau, smoothing;
  };
  const Click clicks[] = {{0.004, 1.0, 0.010, 0.45}, {0.074, 0.7, 0.014, 0.6}};
  for (const Click& click : clicks) {
    const auto first = static_cast<std::size_t>(std::lround(click.start * rate));
    double filtered = 0;
    for (std::size_t i = first; i < count; ++i) {
      const double t = (i - first) / rate;
      const double noise = 2.0 * random.unit() - 1.0;
      filtered += (1.0 - click.smoothing) * (noise - filtered);
      const double rise = std::min(1.0, t / 0.0008);
      mix[i] += click.level * rise * std::exp(-t / click.tau) * filtered;
    }
  }
  double peak = 0;
  for (double v : mix) peak = std::max(peak, std::abs(v));
  const double scale = peak > 0 ? 0.5 * 32767.0 / peak : 0.0;
  std::vector<std::int16_t> samples(count);
  for (std::size_t i = 0; i < count; ++i)
    samples[i] = static_cast<std::int16_t>(std::lround(mix[i] * scale));
  return samples;
}

namespace {

void checkRate(const char* what, int sampleRate) {
  if (sampleRate < 8000 || sampleRate > 192000)
    throw std::invalid_argument(std::string(what) + ": sample rate " + std::to_string(sampleRate) +
                                " is outside 8000 to 192000");
}

// Noise through a band-pass of constant peak gain whose centre moves with
// time, shaped by `envelope(t)`, added into `mix`.
void addSweptNoise(std::vector<double>& mix, double rate, std::uint64_t seed, double fromHz,
                   double toHz, double q, const std::function<double(double)>& envelope) {
  const double pi = 3.14159265358979323846;
  SplitMix64 random(seed);
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  const double seconds = mix.size() / rate;
  for (std::size_t i = 0; i < mix.size(); ++i) {
    const double t = i / rate;
    const double hz = fromHz * std::pow(toHz / fromHz, t / seconds);  // exponential sweep
    const double w = 2 * pi * std::min(hz, 0.45 * rate) / rate;
    const double alpha = std::sin(w) / (2 * q);
    const double a0 = 1 + alpha, a1 = -2 * std::cos(w), a2 = 1 - alpha;
    const double x = 2.0 * random.unit() - 1.0;
    const double y = (alpha * x - alpha * x2 - a1 * y1 - a2 * y2) / a0;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    mix[i] += envelope(t) * y;
  }
}

std::vector<std::int16_t> normalised(const std::vector<double>& mix, double dbfs) {
  double peak = 0;
  for (double v : mix) peak = std::max(peak, std::abs(v));
  const double gain = peak > 0 ? 32767.0 * std::pow(10.0, dbfs / 20.0) / peak : 0.0;
  std::vector<std::int16_t> samples(mix.size());
  for (std::size_t i = 0; i < mix.size(); ++i)
    samples[i] = static_cast<std::int16_t>(std::lround(mix[i] * gain));
  return samples;
}

}  // namespace

std::vector<std::int16_t> garmentSwish(int sampleRate) {
  checkRate("garmentSwish", sampleRate);
  const double pi = 3.14159265358979323846;
  const double rate = sampleRate, seconds = 0.32;
  std::vector<double> mix(static_cast<std::size_t>(std::lround(seconds * rate)), 0.0);
  // Swells for a third of its length, then dies away to silence.
  addSweptNoise(mix, rate, 0x5E15Bull, 3000, 600, 1.2, [&](double t) {
    const double x = t / seconds;
    return x < 0.33 ? std::sin(0.5 * pi * x / 0.33)
                    : std::pow(std::cos(0.5 * pi * (x - 0.33) / 0.67), 2);
  });
  return normalised(mix, -9.0);
}

std::vector<std::int16_t> drapeChime(int sampleRate) {
  checkRate("drapeChime", sampleRate);
  const double pi = 3.14159265358979323846;
  const double rate = sampleRate, seconds = 0.7;
  std::vector<double> mix(static_cast<std::size_t>(std::lround(seconds * rate)), 0.0);
  // The cloth settling: a quiet rustle that fades within a quarter second.
  addSweptNoise(mix, rate, 0xD2A9Eull, 1800, 900, 0.9,
                [](double t) { return 0.5 * std::min(1.0, t / 0.02) * std::exp(-t / 0.08); });
  struct Note {
    double hz, start, level;
  };
  const Note notes[] = {{659.25, 0.05, 0.7}, {987.77, 0.17, 0.6}};  // E5, B5
  for (const Note& note : notes) {
    const auto first = static_cast<std::size_t>(std::lround(note.start * rate));
    for (std::size_t i = first; i < mix.size(); ++i) {
      const double t = (i - first) / rate;
      const double rise = t < 0.01 ? 0.5 - 0.5 * std::cos(pi * t / 0.01) : 1.0;
      const double tone = std::sin(2 * pi * note.hz * t) + 0.2 * std::sin(4 * pi * note.hz * t);
      mix[i] += note.level * rise * std::exp(-t / 0.18) * tone;
    }
  }
  const double fade = 0.05;
  for (std::size_t i = 0; i < mix.size(); ++i) {
    const double left = (mix.size() - 1 - i) / rate;
    if (left < fade) mix[i] *= 0.5 - 0.5 * std::cos(pi * left / fade);
  }
  return normalised(mix, -8.0);
}

}  // namespace vestora::generate
