// Textures from picture files: the numbered resource pictures, JPEG files
// (with mipmaps, or with a second picture as alpha), PNG files with
// mipmaps, and uncompressed TGA files. Each loader needs a current GL
// context; the texture names belong to whoever asked for them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"
#include "view/image_codecs.h"

namespace vestora {

// A texture with the pixels it was made from.
struct TextureRecord {
  int bitsPerPixel = 0;  // 24 or 32
  int width = 0;
  int height = 0;
  unsigned texture = 0;  // GL name, 0 = none
  std::vector<std::uint8_t> pixels;
};

// The picture resource `id` (root + "\res\TRYMO\<id>.jpg") as a square RGBA
// texture: each side rounded to the nearest power of two (or
// GL_MAX_TEXTURE_SIZE when larger), the picture scaled to it and flipped so
// that texture coordinate (0, 0) is its bottom left; linear filters, no
// mipmaps (or with mipmaps and trilinear filtering when `mipmaps`, for
// pictures seen at a slant such as floors). Fails, leaving `texture` as it
// was, when the picture is missing or broken or the two rounded sides differ.
Result<void> LoadResourceTexture(std::string_view root, int id, unsigned& texture,
                                 bool mipmaps = false);

// A texture from a picture already decoded, by the same rule.
Result<void> makeResourceTexture(const Image& image, unsigned& texture, bool mipmaps = false);

// The JPEG at `path` into slots[index], with mipmaps (GL_LINEAR_MIPMAP_NEAREST,
// linear magnification). Fails on an empty path, an index outside `slots`,
// or a file that does not load (the error then reads "Error loading jpg
// file:" + path for a missing file).
Result<void> LoadJpegTexture(std::span<unsigned> slots, const std::string& path, int index);

// Colour from one JPEG and alpha from the first channel of a second one of
// the same size, as an RGBA texture with linear filters and no mipmaps.
Result<void> LoadJpegAlphaTexture(TextureRecord& record, const std::string& colourPath,
                                  const std::string& alphaPath);

// A PNG file as a texture with mipmaps, the given wrap mode for s and t and
// the given filters. 0 when the file cannot be read.
unsigned LoadPngTexture(const std::string& path, int wrap, int minFilter, int magFilter);

// An uncompressed true-colour TGA file into `record`: RGB or RGBA, linear
// filters, no mipmaps. False (record untouched) for any other file.
bool LoadTgaTexture(TextureRecord& record, const std::string& path);

// A 24- or 32-bit BMP file as an RGB (RGBA) texture with linear filters.
// 0 when the file cannot be read.
unsigned LoadBmpTexture(const std::string& path);

// Deletes a texture name and sets it to 0 (nothing for 0).
void deleteTexture(unsigned& texture);

}  // namespace vestora
