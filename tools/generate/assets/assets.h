// Small pictures and sounds the content generator writes: the eyelash strip
// texture and the theme chime, and the file encodings they are stored in.
// Everything here is deterministic: the same arguments give the same bytes
// on every machine.
#pragma once

#include <cstdint>
#include <vector>

namespace vestora::generate {

// An uncompressed true-colour TGA file, 32 bits per pixel with 8 alpha bits,
// origin bottom left. `rgba` holds width × height pixels, 4 bytes each
// (R, G, B, A), top row first. Throws std::invalid_argument when a size is
// outside 1 to 65535 or `rgba` has the wrong length.
std::vector<std::uint8_t> encodeTga(int width, int height, const std::vector<std::uint8_t>& rgba);

// An eyelash strip: RGBA pixels, top row first, 4 bytes each. Dark
// brown-black curved lashes rise from the bottom edge (the lash line),
// longest and densest in the middle and fanning outwards towards the ends,
// on a transparent background; edges are anti-aliased, so an alpha test
// above 0.1 keeps the thin tips. Transparent texels carry the lash colour
// so that filtering does not draw a light fringe. Throws
// std::invalid_argument when a size is below 1 or above 4096.
std::vector<std::uint8_t> eyelashTexture(int width, int height, std::uint32_t seed);

// A RIFF WAVE file: PCM, 16-bit, one channel. Throws std::invalid_argument
// when `sampleRate` is not positive or the data would not fit the format.
std::vector<std::uint8_t> encodeWav(const std::vector<std::int16_t>& samples, int sampleRate);

// The theme chime: two bell-like notes, the second a fourth above the first,
// 1.2 s in all, peaking at -6 dBFS. Throws std::invalid_argument when
// `sampleRate` is outside 8000 to 192000.
inline constexpr double kChimeSeconds = 1.2;
inline constexpr double kChimeFirstHz = 783.99;    // G5
inline constexpr double kChimeSecondHz = 1046.50;  // C6
inline constexpr double kChimeSecondStart = 0.22;  // seconds after the first note
std::vector<std::int16_t> themeChime(int sampleRate);

}  // namespace vestora::generate
