// Small pictures and sounds the content generator writes: the eyelash strip
// texture, the fabric textures, the theme chime and the background music,
// and the file encodings they are stored in.
// Everything here is deterministic: the same arguments give the same bytes
// on every machine.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace vestora::generate {

// An uncompressed true-colour TGA file, 32 bits per pixel with 8 alpha bits,
// origin bottom left. `rgba` holds width × height pixels, 4 bytes each
// (R, G, B, A), top row first. Throws std::invalid_argument when a size is
// outside 1 to 65535 or `rgba` has the wrong length.
std::vector<std::uint8_t> encodeTga(int width, int height, const std::vector<std::uint8_t>& rgba);

// An uncompressed 24-bit Windows bitmap (BITMAPINFOHEADER): rows stored
// bottom-up, each padded to a multiple of 4 bytes, pixels as B, G, R. `rgb`
// holds width × height pixels, 3 bytes each (R, G, B), top row first.
// Throws std::invalid_argument when a size is outside 1 to 32767 or `rgb`
// has the wrong length.
std::vector<std::uint8_t> encodeBmp(int width, int height, const std::vector<std::uint8_t>& rgb);

// An eyelash strip: RGBA pixels, top row first, 4 bytes each. Dark
// brown-black curved lashes rise from the bottom edge (the lash line),
// longest and densest in the middle and fanning outwards towards the ends,
// on a transparent background; edges are anti-aliased, so an alpha test
// above 0.1 keeps the thin tips. Transparent texels carry the lash colour
// so that filtering does not draw a light fringe. Throws
// std::invalid_argument when a size is below 1 or above 4096.
std::vector<std::uint8_t> eyelashTexture(int width, int height, std::uint32_t seed);

// A baseline JPEG file, 4:4:4, Huffman tables optimised. `rgb` holds
// width × height pixels, 3 bytes each, top row first; `quality` is libjpeg's
// 1 to 100 scale. Throws std::invalid_argument when a size is outside 1 to
// 65500, `rgb` has the wrong length or the quality is out of range, and
// std::runtime_error when libjpeg fails.
std::vector<std::uint8_t> encodeJpeg(int width, int height, const std::vector<std::uint8_t>& rgb,
                                     int quality);
// The same for a greyscale picture, 1 byte a pixel.
std::vector<std::uint8_t> encodeJpegGrey(int width, int height,
                                         const std::vector<std::uint8_t>& grey, int quality);

// A JPEG file decoded to RGB, top row first, for content that builds on
// pictures written before it. Throws std::runtime_error when the bytes are
// not a JPEG file libjpeg reads.
struct DecodedJpeg {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
};
DecodedJpeg decodeJpeg(const std::vector<std::uint8_t>& bytes);

// Fabric textures. Each returns width × height RGB pixels, 3 bytes each, top
// row first, that tile seamlessly in both directions; warp threads run down
// the picture. Threads, stitches and flowers keep their size in pixels, so a
// bigger picture shows more cloth. The same arguments give the same pixels;
// another seed gives another piece of the same cloth. All throw
// std::invalid_argument when a size is outside 8 to 4096.
struct Rgb {
  std::uint8_t r, g, b;
};

// Indigo 3/1 right-hand twill (the diagonal rises to the right) with ecru
// weft, slubby warp yarn and uneven dye. `wash` from 0 (raw, dark) to 1
// (light stone wash) fades the indigo.
std::vector<std::uint8_t> denimTexture(int width, int height, std::uint32_t seed,
                                       double wash = 0.25);
// Silk satin in `colour`: smooth, with broad soft bands of sheen and a faint
// weft grain.
std::vector<std::uint8_t> silkTexture(int width, int height, std::uint32_t seed, Rgb colour);
// A printed cotton with small five- and six-petalled flowers, leaves and
// buds scattered over the ground.
struct FloralColours {
  Rgb ground, petals, otherPetals, centres, leaves;
};
std::vector<std::uint8_t> floralPrintTexture(int width, int height, std::uint32_t seed,
                                             const FloralColours& colours);
// Gingham: a plain weave whose warp and weft both alternate bands of `check`
// and `ground` threads, so the squares come in full, mixed and ground tones.
std::vector<std::uint8_t> ginghamTexture(int width, int height, std::uint32_t seed, Rgb check,
                                         Rgb ground);
// Stockinette (jersey) knitting: columns of V-shaped stitches of plied yarn.
std::vector<std::uint8_t> knitTexture(int width, int height, std::uint32_t seed, Rgb yarn);
// Linen: an open plain weave of uneven, slubby flax threads.
std::vector<std::uint8_t> linenTexture(int width, int height, std::uint32_t seed, Rgb yarn);

// The fabrics with their usual colours, by name.
enum class FabricKind { Denim, Silk, Floral, Gingham, Knit, Linen };
struct FabricName {
  FabricKind kind;
  const char* name;
};
inline constexpr std::array<FabricName, 6> kFabricNames{{{FabricKind::Denim, "Denim"},
                                                         {FabricKind::Silk, "Silk"},
                                                         {FabricKind::Floral, "Floral"},
                                                         {FabricKind::Gingham, "Gingham"},
                                                         {FabricKind::Knit, "Knit"},
                                                         {FabricKind::Linen, "Linen"}}};
inline constexpr int kFabricTextureSize = 256;  // pixels, both ways
std::vector<std::uint8_t> fabricTexture(FabricKind kind, int width, int height, std::uint32_t seed);

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

// The snapshot's camera sound: two short clicks of band-limited noise (the
// shutter opening and closing, 70 ms apart), 0.16 s, peaking at −6 dBFS.
std::vector<std::int16_t> cameraShutter(int sampleRate);

// Taking a garment off: a soft swish of cloth (noise through a band-pass
// sweeping down from about 3 kHz to 600 Hz), 0.32 s, peaking at −9 dBFS.
std::vector<std::int16_t> garmentSwish(int sampleRate);

// A garment put on and draped: a short rustle of cloth under a gentle
// rising two-note chime (E5 then B5), 0.7 s, peaking at −8 dBFS.
std::vector<std::int16_t> drapeChime(int sampleRate);

// The default background music: a calm piece in D major at 84 beats a
// minute, 21 bars of 4/4 (60 s): a two-bar intro, an eight-bar theme, an
// eight-bar bridge and a held ending that fades to silence. An electric
// piano doubled by a glass bell plays the tune over a warm pad, the piano's
// chords and a round bass, with an echo on the tune and a reverb on all but
// the bass. Returns interleaved stereo samples (left, right, left, …),
// kThemeMusicSeconds long, peaking at -3 dBFS. Throws std::invalid_argument
// when `sampleRate` is outside 22050 to 192000.
inline constexpr int kThemeMusicRate = 44100;
inline constexpr double kThemeMusicBeatsPerMinute = 84;
inline constexpr int kThemeMusicBars = 21;
inline constexpr double kThemeMusicSeconds = kThemeMusicBars * 4 * 60.0 / kThemeMusicBeatsPerMinute;
std::vector<std::int16_t> themeMusic(int sampleRate);

// An MPEG audio layer III stream of 16-bit samples (`interleaved`: left,
// right, left, … for two channels), at a constant `kbps` (the encoder
// rounds it to the nearest rate the format has). The first frame is the
// encoder's info frame, which gives decoders the exact length, so they play
// back exactly the samples given; there is no ID3 tag. The same arguments
// give the same bytes. Throws std::invalid_argument when `channels` is not
// 1 or 2, the samples do not make whole frames, `sampleRate` is not an MPEG
// rate (8000 to 48000 Hz) or `kbps` is outside 8 to 320, and
// std::runtime_error when the encoder fails.
std::vector<std::uint8_t> encodeMp3(const std::vector<std::int16_t>& interleaved, int channels,
                                    int sampleRate, int kbps = 128);

}  // namespace vestora::generate
