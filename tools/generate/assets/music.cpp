// The default background music and the MP3 files it is stored in.
//
// The piece, in D major at 84 beats a minute, 21 bars of 4/4:
//   bars  0-1   intro    | Gmaj9 | A9sus4 A9 |            the pad swells, the keys arpeggiate
//   bars  2-9   theme    | Dmaj9 | Bm9 | Gmaj9 | A9sus4 A9 |   twice, the tune answering itself
//   bars 10-17  bridge   | Gmaj9 | F#m11 | Em9 | A9 | Gmaj9 | F#m11 Bm9 | Em9 | A9sus4 A9 |
//   bars 18-20  ending   Dmaj9 held under a rising bell arpeggio, fading to silence
// The chords are rootless four-note voicings that move by step; the bass
// plays the roots. Every instrument is a sum of sines or a band-limited
// wavetable, so nothing aliases, and every note starts and ends on a smooth
// envelope, so nothing clicks. The timing and loudness are humanised with
// the generator's seeded random numbers: the same rate gives the same samples.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <stdexcept>
#include <string>

#include <lame/lame.h>

#include "generate/assets/assets.h"
#include "generate/assets/splitmix.h"

namespace vestora::generate {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBeatSeconds = 60.0 / kThemeMusicBeatsPerMinute;

double midiHz(int note) {
  return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

// Seconds from the start of the piece to `beat` of `bar` (both from 0).
double at(double bar, double beat) {
  return (4 * bar + beat) * kBeatSeconds;
}

// A raised-cosine rise from 0 to 1 over the first `seconds`.
double rise(double t, double seconds) {
  return t >= seconds ? 1.0 : 0.5 - 0.5 * std::cos(kPi * t / seconds);
}

// 1 until `from`, then a raised-cosine fall to 0 over `seconds`.
double fall(double t, double from, double seconds) {
  if (t <= from) return 1.0;
  if (t >= from + seconds) return 0.0;
  return 0.5 + 0.5 * std::cos(kPi * (t - from) / seconds);
}

// The instruments' output: a dry stereo mix and two mono sends, one to the
// tune's echo and one to the reverb.
struct Mix {
  double rate;
  std::vector<float> left, right, echoSend, reverbSend;

  Mix(double sampleRate, std::size_t frames)
      : rate(sampleRate),
        left(frames, 0.0f),
        right(frames, 0.0f),
        echoSend(frames, 0.0f),
        reverbSend(frames, 0.0f) {}

  // Adds a mono voice that starts at `start` seconds, placed by `pan` from
  // -1 (left) to 1 (right) at constant power.
  void add(const std::vector<double>& voice, double start, double pan, double echo, double reverb) {
    const double angle = 0.25 * kPi * (pan + 1.0);
    const double toLeft = std::cos(angle), toRight = std::sin(angle);
    const auto first = static_cast<std::size_t>(std::max(0L, std::lround(start * rate)));
    const std::size_t count = std::min(voice.size(), left.size() - std::min(first, left.size()));
    for (std::size_t i = 0; i < count; ++i) {
      const double v = voice[i];
      left[first + i] += static_cast<float>(v * toLeft);
      right[first + i] += static_cast<float>(v * toRight);
      echoSend[first + i] += static_cast<float>(v * echo);
      reverbSend[first + i] += static_cast<float>(v * reverb);
    }
  }
};

// Samples until `tau` seconds of exponential decay have fallen by 80 dB.
std::size_t decayLength(double tau, double rate) {
  return static_cast<std::size_t>(std::ceil(9.3 * tau * rate));
}

// The electric piano: a sine carrier phase-modulated at its own frequency
// (bright at the strike, mellowing as the index falls) plus a short tine
// partial at four times the pitch. Low notes ring longer. `held` seconds
// before a 0.3 s release.
std::vector<double> electricPiano(int note, double velocity, double held, double rate) {
  const double hz = midiHz(note);
  const double release = 0.3;
  const double scale = std::pow(262.0 / hz, 0.35);
  const double fastTau = 0.45 * scale, slowTau = 2.6 * scale;
  std::vector<double> out(static_cast<std::size_t>((held + release) * rate));
  const double fastStep = std::exp(-1.0 / (fastTau * rate)),
               slowStep = std::exp(-1.0 / (slowTau * rate));
  const double indexStep = std::exp(-1.0 / (0.35 * rate)),
               tineStep = std::exp(-1.0 / (0.05 * rate));
  const bool tine = 4 * hz < 0.45 * rate;
  double fast = 0.6, slow = 0.4, index = 2.0 * velocity, tineLevel = 0.25 * velocity;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = i / rate;
    const double phase = 2 * kPi * hz * t;
    double v = std::sin(phase + (0.3 + index) * std::sin(phase));
    if (tine && tineLevel > 1e-5) v += tineLevel * std::sin(4 * phase);
    out[i] = velocity * rise(t, 0.003) * (fast + slow) * fall(t, held, release) * v;
    fast *= fastStep;
    slow *= slowStep;
    index *= indexStep;
    tineLevel *= tineStep;
  }
  return out;
}

// A glass bell: the partials of a struck free bar (1, 2.76, 5.40 and 8.93
// times the pitch) and an octave, the upper ones dying sooner. Rings for
// `held` seconds, then falls away over 0.4 s.
std::vector<double> glassBell(int note, double velocity, double held, double rate) {
  struct Partial {
    double ratio, level, tau;
  };
  static constexpr std::array<Partial, 5> kPartials{{{1.0, 1.0, 1.5},
                                                     {2.0, 0.3, 0.7},
                                                     {2.76, 0.22, 0.45},
                                                     {5.40, 0.14, 0.22},
                                                     {8.93, 0.07, 0.12}}};
  const double hz = midiHz(note);
  const double release = 0.4;
  std::vector<double> out(static_cast<std::size_t>((held + release) * rate), 0.0);
  for (const Partial& p : kPartials) {
    if (p.ratio * hz >= 0.45 * rate) break;
    const std::size_t count = std::min(out.size(), decayLength(p.tau, rate));
    const double step = std::exp(-1.0 / (p.tau * rate));
    double level = velocity * p.level;
    for (std::size_t i = 0; i < count; ++i) {
      const double t = i / rate;
      out[i] += level * std::sin(2 * kPi * p.ratio * hz * t);
      level *= step;
    }
  }
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = i / rate;
    out[i] *= rise(t, 0.002) * fall(t, held, release);
  }
  return out;
}

// One period of the pad's waveform: a sawtooth's first 16 harmonics,
// rolled off faster than a sawtooth's so that it sounds warm.
const std::vector<double>& padWave() {
  static const std::vector<double> table = [] {
    std::vector<double> t(4096, 0.0);
    for (int k = 1; k <= 16; ++k) {
      const double level = std::pow(0.88, k - 1) / k;
      for (std::size_t i = 0; i < t.size(); ++i)
        t[i] += level * std::sin(2 * kPi * k * static_cast<double>(i) / t.size());
    }
    return t;
  }();
  return table;
}

// One of the pad's voices, `cents` off the pitch, with a slow vibrato of
// its own: `held` seconds after an `attack`, then a 1.4 s release.
std::vector<double> padVoice(int note, double cents, double vibratoHz, double attack, double held,
                             double rate) {
  const std::vector<double>& wave = padWave();
  const double hz = midiHz(note) * std::pow(2.0, cents / 1200.0);
  const double release = 1.4;
  std::vector<double> out(static_cast<std::size_t>((held + release) * rate));
  double phase = 0, step = 0;  // in periods
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = i / rate;
    const double position = phase * wave.size();
    const auto index = static_cast<std::size_t>(position);
    const double frac = position - index;
    const double v = wave[index] + frac * (wave[(index + 1) % wave.size()] - wave[index]);
    out[i] = rise(t, attack) * fall(t, held, release) * v;
    // The vibrato is far slower than the step it sets, which is renewed
    // every 64 samples.
    if (i % 64 == 0) step = hz * (1.0 + 0.0015 * std::sin(2 * kPi * vibratoHz * t)) / rate;
    phase += step;
    phase -= std::floor(phase);
  }
  return out;
}

// The bass: a round sine with a little second and third harmonic, so that it
// is heard on small speakers too; `held` seconds, then a 0.15 s release.
std::vector<double> bass(int note, double velocity, double held, double rate) {
  const double hz = midiHz(note);
  const double release = 0.15;
  std::vector<double> out(static_cast<std::size_t>((held + release) * rate));
  const double step = std::exp(-1.0 / (1.1 * rate));
  double body = 1.0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = i / rate;
    const double phase = 2 * kPi * hz * t;
    const double tone = std::sin(phase) + 0.3 * std::sin(2 * phase) + 0.08 * std::sin(3 * phase);
    out[i] = 0.7 * velocity * rise(t, 0.008) * (0.45 + 0.55 * body) * fall(t, held, release) * tone;
    body *= step;
  }
  return out;
}

// A soft shaker: seeded noise, high-passed, in a 0.1 s burst.
std::vector<double> shaker(double velocity, std::uint64_t seed, double rate) {
  SplitMix64 random(seed);
  std::vector<double> out(static_cast<std::size_t>(0.1 * rate));
  const double step = std::exp(-1.0 / (0.022 * rate));
  double previous = 0, smooth = 0, level = velocity;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = i / rate;
    const double noise = 2.0 * random.unit() - 1.0;
    smooth += 0.55 * (noise - smooth);  // a gentle low-pass on top of the high-pass
    const double high = smooth - previous;
    previous = smooth;
    out[i] = rise(t, 0.004) * fall(t, 0.085, 0.015) * level * high;
    level *= step;
  }
  return out;
}

// ---- The score -------------------------------------------------------------

struct Chord {
  double bar, beat, beats;  // where it starts and how long it lasts
  int root;                 // the bass note
  std::array<int, 4> voicing;
};

constexpr std::array<int, 4> kDmaj9{54, 57, 61, 64};   // F# A C# E
constexpr std::array<int, 4> kBm9{54, 57, 61, 62};     // F# A C# D
constexpr std::array<int, 4> kGmaj9{54, 57, 59, 62};   // F# A B D
constexpr std::array<int, 4> kA9sus4{55, 57, 59, 62};  // G A B D
constexpr std::array<int, 4> kA9{55, 59, 61, 64};      // G B C# E
constexpr std::array<int, 4> kFsm11{52, 57, 59, 61};   // F#m11: E A B C#
constexpr std::array<int, 4> kEm9{55, 59, 62, 66};     // G B D F#

std::vector<Chord> chords() {
  std::vector<Chord> list;
  auto add = [&](double bar, double beat, double beats, int root, std::array<int, 4> voicing) {
    list.push_back({bar, beat, beats, root, voicing});
  };
  add(0, 0, 4, 31, kGmaj9);  // intro
  add(1, 0, 2, 33, kA9sus4);
  add(1, 2, 2, 33, kA9);
  for (int pass = 0; pass < 2; ++pass) {  // theme
    const int bar = 2 + 4 * pass;
    add(bar, 0, 4, 38, kDmaj9);
    add(bar + 1, 0, 4, 35, kBm9);
    add(bar + 2, 0, 4, 31, kGmaj9);
    add(bar + 3, 0, 2, 33, kA9sus4);
    add(bar + 3, 2, 2, 33, kA9);
  }
  add(10, 0, 4, 43, kGmaj9);  // bridge
  add(11, 0, 4, 42, kFsm11);
  add(12, 0, 4, 40, kEm9);
  add(13, 0, 4, 33, kA9);
  add(14, 0, 4, 43, kGmaj9);
  add(15, 0, 2, 42, kFsm11);
  add(15, 2, 2, 35, kBm9);
  add(16, 0, 4, 40, kEm9);
  add(17, 0, 2, 33, kA9sus4);
  add(17, 2, 2, 33, kA9);
  add(18, 0, 12, 38, kDmaj9);  // ending
  return list;
}

struct TuneNote {
  double beat, beats;
  int note;
};
using TuneBar = std::vector<TuneNote>;

// The tune of the theme's eight bars and of the bridge's eight, a bar a
// line: (beat in the bar, length in beats, MIDI note).
const std::array<TuneBar, 8> kTheme{{
    {{0, 1, 69}, {1, 0.5, 74}, {1.5, 0.5, 76}, {2, 2, 78}},
    {{0, 0.5, 76}, {0.5, 0.5, 74}, {1, 1.5, 73}, {2.5, 0.5, 71}, {3, 1, 74}},
    {{0, 0.5, 74}, {0.5, 0.5, 76}, {1, 1, 78}, {2, 0.5, 81}, {2.5, 1.5, 78}},
    {{0, 1.5, 76}, {1.5, 0.5, 74}, {2, 2, 73}},
    {{0, 1, 69}, {1, 0.5, 74}, {1.5, 0.5, 76}, {2, 1, 78}, {3, 1, 81}},
    {{0, 1, 78}, {1, 0.5, 76}, {1.5, 0.5, 74}, {2, 2, 73}},
    {{0, 0.5, 71}, {0.5, 0.5, 74}, {1, 1, 78}, {2, 1, 76}, {3, 1, 74}},
    {{0, 1.5, 76}, {1.5, 0.5, 74}, {2, 1, 73}, {3, 0.5, 76}, {3.5, 0.5, 81}},
}};
const std::array<TuneBar, 8> kBridge{{
    {{0, 1.5, 83}, {1.5, 0.5, 81}, {2, 2, 78}},
    {{0, 1.5, 81}, {1.5, 0.5, 78}, {2, 2, 76}},
    {{0, 1.5, 79}, {1.5, 0.5, 78}, {2, 1, 74}, {3, 1, 71}},
    {{0, 1, 73}, {1, 1, 76}, {2, 1.5, 79}, {3.5, 0.5, 81}},
    {{0, 1.5, 83}, {1.5, 0.5, 81}, {2, 1, 78}, {3, 1, 74}},
    {{0, 1, 76}, {1, 1, 73}, {2, 1.5, 74}, {3.5, 0.5, 76}},
    {{0, 1.5, 78}, {1.5, 0.5, 79}, {2, 1, 78}, {3, 1, 76}},
    {{0, 1.5, 76}, {1.5, 0.5, 74}, {2, 2, 73}},
}};

// Small deviations of time and loudness, as a player's.
struct Humaniser {
  SplitMix64 random{0x7E2E2ull};
  double time(double seconds) { return seconds + 0.006 * (2 * random.unit() - 1); }
  double level(double velocity) { return velocity * (1.0 + 0.06 * (2 * random.unit() - 1)); }
};

// The pad holds each chord's voicing; a pitch that the next chord keeps is
// held on rather than struck again, so the harmony changes by crossfading
// only the voices that move.
void playPad(Mix& mix, const std::vector<Chord>& list, double endSeconds) {
  struct Held {
    int note;
    double start, end;
  };
  std::vector<Held> notes;
  std::vector<Held> open;
  for (const Chord& chord : list) {
    const double start = at(chord.bar, chord.beat), end = start + chord.beats * kBeatSeconds;
    std::vector<Held> next;
    for (int note : chord.voicing) {
      auto kept =
          std::find_if(open.begin(), open.end(), [&](const Held& h) { return h.note == note; });
      if (kept != open.end()) {
        next.push_back({note, kept->start, end});
        open.erase(kept);
      } else {
        next.push_back({note, start, end});
      }
    }
    notes.insert(notes.end(), open.begin(), open.end());
    open = std::move(next);
  }
  for (Held& h : open) h.end = std::min(h.end, endSeconds);
  notes.insert(notes.end(), open.begin(), open.end());

  // Two voices a note, detuned apart and placed apart, give the width.
  for (std::size_t n = 0; n < notes.size(); ++n) {
    const Held& h = notes[n];
    const double attack = h.start < 0.01 ? 2.6 : 0.9;  // the opening swells in slowly
    const double held = h.end - h.start;
    const double gain = 0.055;
    std::vector<double> a = padVoice(h.note, +6, 0.21 + 0.01 * n, attack, held, mix.rate);
    std::vector<double> b = padVoice(h.note, -6, 0.17 + 0.013 * n, attack, held, mix.rate);
    for (double& v : a) v *= gain;
    for (double& v : b) v *= gain;
    mix.add(a, h.start, -0.6, 0.0, 0.35);
    mix.add(b, h.start, 0.6, 0.0, 0.35);
  }
}

void playKeys(Mix& mix, const std::vector<Chord>& list, Humaniser& human) {
  auto strike = [&](const std::array<int, 4>& voicing, double start, double beats,
                    double velocity) {
    for (std::size_t k = 0; k < voicing.size(); ++k) {  // a slight upward roll
      const double t = human.time(start + 0.012 * k);
      mix.add(electricPiano(voicing[k], human.level(velocity), beats * kBeatSeconds, mix.rate), t,
              -0.25 + 0.15 * k, 0.0, 0.3);
    }
  };
  for (const Chord& chord : list) {
    const double start = at(chord.bar, chord.beat);
    if (chord.bar < 2) continue;  // the intro is arpeggiated below
    if (chord.beats > 4) {
      strike(chord.voicing, start, 6, 0.30);  // the ending's last chord
    } else if (chord.beats == 4) {
      strike(chord.voicing, start, 1.75, 0.26);
      strike(chord.voicing, start + 2.5 * kBeatSeconds, 1.4, 0.19);
    } else {
      strike(chord.voicing, start, 1.75, 0.26);
    }
  }
  // The intro: the chords broken upwards in eighths, an octave higher.
  const std::array<std::array<int, 4>, 3> broken{
      {{59, 62, 66, 69}, {57, 62, 64, 67}, {61, 64, 67, 71}}};
  const std::array<int, 8> order{0, 1, 2, 3, 2, 1, 2, 3};
  for (int eighth = 0; eighth < 16; ++eighth) {
    const auto& notes = broken[eighth < 8 ? 0 : (eighth < 12 ? 1 : 2)];
    const int note = eighth < 8 ? notes[order[eighth]] : notes[eighth % 4];
    const double start = human.time(at(0, 0.5 * eighth));
    const double velocity = 0.22 + 0.01 * eighth;
    mix.add(electricPiano(note, human.level(velocity), 1.2 * kBeatSeconds, mix.rate), start,
            (eighth % 2 ? 0.3 : -0.3), 0.25, 0.4);
  }
}

void playBass(Mix& mix, const std::vector<Chord>& list, Humaniser& human) {
  for (const Chord& chord : list) {
    if (chord.bar < 1) continue;  // the bass enters in the intro's second bar
    const double start = at(chord.bar, chord.beat);
    if (chord.beats > 4) {
      mix.add(bass(chord.root, 0.5, 7 * kBeatSeconds, mix.rate), human.time(start), 0, 0, 0.05);
    } else if (chord.bar < 2) {
      mix.add(bass(chord.root, 0.36, 1.9 * kBeatSeconds, mix.rate), human.time(start), 0, 0, 0.05);
    } else if (chord.beats == 4) {
      mix.add(bass(chord.root, human.level(0.5), 2.3 * kBeatSeconds, mix.rate), human.time(start),
              0, 0, 0.05);
      mix.add(bass(chord.root + 7, human.level(0.36), 1.3 * kBeatSeconds, mix.rate),
              human.time(start + 2.5 * kBeatSeconds), 0, 0, 0.05);
    } else {
      mix.add(bass(chord.root, human.level(0.46), 1.8 * kBeatSeconds, mix.rate), human.time(start),
              0, 0, 0.05);
    }
  }
}

// The tune: the electric piano doubled by the bell, in unison in the theme
// and an octave up in the bridge; then the ending's arpeggio.
void playTune(Mix& mix, Humaniser& human) {
  auto play = [&](const TuneBar& bar, int barIndex, double level, int bellOctave,
                  double bellLevel) {
    for (const TuneNote& n : bar) {
      const double start = human.time(at(barIndex, n.beat));
      const double held = n.beats * kBeatSeconds * 0.92;
      const double accent = level * (n.beats >= 1.5 ? 0.56 : 0.48);
      mix.add(electricPiano(n.note, human.level(accent), held, mix.rate), start, 0.05, 0.3, 0.35);
      mix.add(glassBell(n.note + bellOctave, human.level(bellLevel), held + 0.6, mix.rate), start,
              -0.15, 0.4, 0.5);
    }
  };
  for (int bar = 0; bar < 8; ++bar) play(kTheme[bar], 2 + bar, 1.0, 0, 0.2);
  for (int bar = 0; bar < 8; ++bar) play(kBridge[bar], 10 + bar, 1.12, 12, 0.17);

  // The ending: the tune comes home to D while the bell climbs the chord.
  mix.add(electricPiano(74, 0.5, 5 * kBeatSeconds, mix.rate), at(18, 0), 0.05, 0.3, 0.35);
  const std::array<int, 5> arpeggio{78, 81, 85, 88, 90};  // F# A C# E F#
  for (std::size_t k = 0; k < arpeggio.size(); ++k) {
    const double start = at(18, 1 + 0.5 * k);
    mix.add(glassBell(arpeggio[k], 0.3 - 0.03 * k, 4.0, mix.rate), start, -0.5 + 0.25 * k, 0.5,
            0.6);
  }
}

// The shaker keeps eighths under the second half of the theme (the
// off-beats only) and under the whole bridge.
void playShaker(Mix& mix, Humaniser& human) {
  std::uint64_t seed = 0x5AA4E7ull;
  for (int bar = 6; bar < 18; ++bar) {
    for (int eighth = 0; eighth < 8; ++eighth) {
      const bool offBeat = eighth % 2 == 1;
      if (bar < 10 && !offBeat) continue;
      const double velocity = offBeat ? 0.12 : 0.07;
      mix.add(shaker(human.level(velocity), seed++, mix.rate), human.time(at(bar, 0.5 * eighth)),
              0.35, 0.0, 0.15);
    }
  }
}

// A ping-pong echo of the tune and the intro's arpeggio: they come back a
// dotted eighth later on the left, then on the right, each repeat softer
// and duller.
void addEcho(Mix& mix) {
  const auto delay = static_cast<std::size_t>(std::lround(0.75 * kBeatSeconds * mix.rate));
  const double feedback = 0.38, level = 0.45;
  std::vector<float> echoLeft(mix.left.size(), 0.0f), echoRight(mix.left.size(), 0.0f);
  double dull = 0;
  for (std::size_t i = delay; i < mix.left.size(); ++i) {
    dull += 0.45 * (mix.echoSend[i - delay] + feedback * echoRight[i - delay] - dull);
    echoLeft[i] = static_cast<float>(dull);
    echoRight[i] = echoLeft[i - delay];
  }
  for (std::size_t i = 0; i < mix.left.size(); ++i) {
    mix.left[i] += static_cast<float>(level * echoLeft[i]);
    mix.right[i] += static_cast<float>(level * echoRight[i]);
    mix.reverbSend[i] += static_cast<float>(0.3 * (echoLeft[i] + echoRight[i]));
  }
}

// A reverb of eight damped feedback combs and four all-passes a side, the
// right side's delays a little longer than the left's, after a 20 ms
// pre-delay. Adds its output to the dry mix.
void addReverb(Mix& mix) {
  class Comb {
   public:
    explicit Comb(std::size_t length) : buffer_(length, 0.0) {}
    double process(double input, double feedback, double damp) {
      const double out = buffer_[index_];
      store_ = out * (1 - damp) + store_ * damp;
      buffer_[index_] = input + store_ * feedback;
      index_ = (index_ + 1) % buffer_.size();
      return out;
    }

   private:
    std::vector<double> buffer_;
    std::size_t index_ = 0;
    double store_ = 0;
  };
  class AllPass {
   public:
    explicit AllPass(std::size_t length) : buffer_(length, 0.0) {}
    double process(double input) {
      const double delayed = buffer_[index_];
      buffer_[index_] = input + 0.5 * delayed;
      index_ = (index_ + 1) % buffer_.size();
      return delayed - input;
    }

   private:
    std::vector<double> buffer_;
    std::size_t index_ = 0;
  };
  // Delays in samples at 44.1 kHz, mutually prime so the echoes do not pile up.
  const std::array<int, 8> combDelays{1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  const std::array<int, 4> allPassDelays{556, 441, 341, 225};
  const int spread = 23;
  const double scale = mix.rate / 44100.0;
  auto scaled = [&](int samples) {
    return static_cast<std::size_t>(std::max(1L, std::lround(samples * scale)));
  };
  std::vector<Comb> combsLeft, combsRight;
  std::vector<AllPass> passesLeft, passesRight;
  for (int d : combDelays) {
    combsLeft.emplace_back(scaled(d));
    combsRight.emplace_back(scaled(d + spread));
  }
  for (int d : allPassDelays) {
    passesLeft.emplace_back(scaled(d));
    passesRight.emplace_back(scaled(d + spread));
  }
  const double feedback = 0.84, damp = 0.3, inputGain = 0.015, wet = 1.8;
  const auto preDelay = static_cast<std::size_t>(std::lround(0.02 * mix.rate));
  for (std::size_t i = 0; i < mix.left.size(); ++i) {
    const double input = i >= preDelay ? inputGain * mix.reverbSend[i - preDelay] : 0.0;
    double left = 0, right = 0;
    for (Comb& c : combsLeft) left += c.process(input, feedback, damp);
    for (Comb& c : combsRight) right += c.process(input, feedback, damp);
    for (AllPass& a : passesLeft) left = a.process(left);
    for (AllPass& a : passesRight) right = a.process(right);
    mix.left[i] += static_cast<float>(wet * left);
    mix.right[i] += static_cast<float>(wet * right);
  }
}

// Blocks any offset below hearing (a one-pole high-pass at 12 Hz).
void removeOffset(std::vector<float>& channel, double rate) {
  const double pole = std::exp(-2 * kPi * 12.0 / rate);
  double previousIn = 0, previousOut = 0;
  for (float& v : channel) {
    const double out = v - previousIn + pole * previousOut;
    previousIn = v;
    previousOut = out;
    v = static_cast<float>(out);
  }
}

}  // namespace

std::vector<std::int16_t> themeMusic(int sampleRate) {
  if (sampleRate < 22050 || sampleRate > 192000)
    throw std::invalid_argument("themeMusic: sample rate " + std::to_string(sampleRate) +
                                " is outside 22050 to 192000");
  const double rate = sampleRate;
  const auto frames = static_cast<std::size_t>(std::lround(kThemeMusicSeconds * rate));
  Mix mix(rate, frames);
  Humaniser human;
  const std::vector<Chord> list = chords();
  playPad(mix, list, at(20, 0));
  playKeys(mix, list, human);
  playBass(mix, list, human);
  playTune(mix, human);
  playShaker(mix, human);
  addEcho(mix);
  addReverb(mix);
  removeOffset(mix.left, rate);
  removeOffset(mix.right, rate);

  // The last 3.5 s fade to silence; the piece ends at exactly zero.
  const double fadeFrom = kThemeMusicSeconds - 3.5;
  double peak = 0;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = i / rate;
    const double gain = rise(t, 0.01) * fall(t, fadeFrom, 3.5 - 1.0 / rate);
    mix.left[i] = static_cast<float>(mix.left[i] * gain);
    mix.right[i] = static_cast<float>(mix.right[i] * gain);
    peak = std::max({peak, std::abs(double{mix.left[i]}), std::abs(double{mix.right[i]})});
  }
  const double gain = peak > 0 ? 32767.0 * std::pow(10.0, -3.0 / 20.0) / peak : 0.0;
  std::vector<std::int16_t> samples(2 * frames);
  for (std::size_t i = 0; i < frames; ++i) {
    samples[2 * i] = static_cast<std::int16_t>(std::lround(mix.left[i] * gain));
    samples[2 * i + 1] = static_cast<std::int16_t>(std::lround(mix.right[i] * gain));
  }
  return samples;
}

namespace {

void quietLame(const char*, va_list) {}

}  // namespace

std::vector<std::uint8_t> encodeMp3(const std::vector<std::int16_t>& interleaved, int channels,
                                    int sampleRate, int kbps) {
  if (channels != 1 && channels != 2)
    throw std::invalid_argument("encodeMp3: " + std::to_string(channels) + " channels");
  if (interleaved.size() % channels != 0)
    throw std::invalid_argument("encodeMp3: " + std::to_string(interleaved.size()) +
                                " samples do not make whole frames of " + std::to_string(channels) +
                                " channels");
  constexpr std::array<int, 9> kRates{8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
  if (std::find(kRates.begin(), kRates.end(), sampleRate) == kRates.end())
    throw std::invalid_argument("encodeMp3: sample rate " + std::to_string(sampleRate) +
                                " is not an MPEG audio rate");
  if (kbps < 8 || kbps > 320)
    throw std::invalid_argument("encodeMp3: bit rate " + std::to_string(kbps) +
                                " kbit/s is outside 8 to 320");

  struct Encoder {
    lame_global_flags* flags = lame_init();
    ~Encoder() {
      if (flags) lame_close(flags);
    }
  } encoder;
  lame_global_flags* lame = encoder.flags;
  if (!lame) throw std::runtime_error("encodeMp3: the encoder could not start");
  lame_set_errorf(lame, &quietLame);
  lame_set_debugf(lame, &quietLame);
  lame_set_msgf(lame, &quietLame);
  lame_set_num_channels(lame, channels);
  lame_set_in_samplerate(lame, sampleRate);
  lame_set_out_samplerate(lame, sampleRate);
  lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
  lame_set_VBR(lame, vbr_off);
  lame_set_brate(lame, kbps);
  lame_set_quality(lame, 2);
  lame_set_bWriteVbrTag(lame, 1);  // the info frame: exact length, delay and padding
  lame_set_write_id3tag_automatic(lame, 0);
  if (lame_init_params(lame) < 0)
    throw std::runtime_error("encodeMp3: the encoder refused " + std::to_string(sampleRate) +
                             " Hz at " + std::to_string(kbps) + " kbit/s");

  std::vector<std::uint8_t> out;
  const std::size_t frames = interleaved.size() / channels;
  const std::size_t chunk = 8192;  // frames a call
  std::vector<short> pcm(chunk * channels);
  std::vector<unsigned char> buffer(chunk * 5 / 4 + 7200);
  for (std::size_t first = 0; first < frames; first += chunk) {
    const std::size_t count = std::min(chunk, frames - first);
    std::copy_n(interleaved.begin() + first * channels, count * channels, pcm.begin());
    const int bytes =
        channels == 1
            ? lame_encode_buffer(lame, pcm.data(), pcm.data(), static_cast<int>(count),
                                 buffer.data(), static_cast<int>(buffer.size()))
            : lame_encode_buffer_interleaved(lame, pcm.data(), static_cast<int>(count),
                                             buffer.data(), static_cast<int>(buffer.size()));
    if (bytes < 0)
      throw std::runtime_error("encodeMp3: the encoder failed (" + std::to_string(bytes) + ")");
    out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);
  }
  const int bytes = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
  if (bytes < 0)
    throw std::runtime_error("encodeMp3: the encoder failed (" + std::to_string(bytes) + ")");
  out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);

  // The encoder left room for the info frame at the start of the stream.
  const std::size_t tagBytes = lame_get_lametag_frame(lame, buffer.data(), buffer.size());
  if (tagBytes > buffer.size() || tagBytes > out.size())
    throw std::runtime_error("encodeMp3: the info frame does not fit");
  std::copy_n(buffer.begin(), tagBytes, out.begin());
  return out;
}

}  // namespace vestora::generate
