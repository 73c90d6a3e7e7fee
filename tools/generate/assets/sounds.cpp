// The theme chime and the WAVE files sounds are stored in.
#include <algorithm>
#include <cmath>
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

}  // namespace vestora::generate
