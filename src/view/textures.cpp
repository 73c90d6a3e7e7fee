#include "view/textures.h"

#include "platform/data_path.h"
#include "platform/resources.h"
#include "view/gl_headers.h"

namespace vestora {
namespace {

// Pixel rows of any width: no row padding.
class TightUnpack {
 public:
  TightUnpack() {
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &saved_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  }
  ~TightUnpack() { glPixelStorei(GL_UNPACK_ALIGNMENT, saved_); }
  TightUnpack(const TightUnpack&) = delete;
  TightUnpack& operator=(const TightUnpack&) = delete;

 private:
  GLint saved_ = 4;
};

// RGB bytes of a grey, RGB or RGBA picture.
std::vector<std::uint8_t> rgbOf(const Image& image) {
  if (image.components == 3) return image.pixels;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(image.width) * image.height * 3);
  for (std::size_t i = 0, n = rgb.size() / 3; i < n; ++i)
    for (int c = 0; c < 3; ++c)
      rgb[3 * i + c] = image.pixels[i * image.components +
                                    (image.components >= 3 ? static_cast<std::size_t>(c) : 0)];
  return rgb;
}

GLint maxTextureSize() {
  GLint size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
  return size > 0 ? size : 1024;
}

}  // namespace

Result<void> makeResourceTexture(const Image& image, unsigned& texture, bool mipmaps) {
  const auto side = squareTextureSide(image.width, image.height, maxTextureSize());
  if (!side)
    return makeError("<picture>", "a " + std::to_string(image.width) + " x " +
                                      std::to_string(image.height) +
                                      " picture does not make a square texture");
  const std::vector<std::uint8_t> rgba = resampleFlippedRgba(image, *side);
  if (rgba.empty()) return makeError("<picture>", "picture without pixels");
  GLuint name = 0;
  glGenTextures(1, &name);
  if (name == 0) return makeError("<picture>", "glGenTextures gave no texture name");
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                  mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  const TightUnpack unpack;
  if (mipmaps)
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, *side, *side, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  else
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, *side, *side, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 rgba.data());
  texture = name;
  return {};
}

Result<void> LoadResourceTexture(std::string_view root, int id, unsigned& texture, bool mipmaps) {
  auto image = LoadJpeg(dataPath(root, pictureResourcePath(id)));
  if (!image) return image.error();
  auto made = makeResourceTexture(image.value(), texture, mipmaps);
  if (!made) return makeError(dataPath(root, pictureResourcePath(id)), made.error().what);
  return {};
}

Result<void> LoadJpegTexture(std::span<unsigned> slots, const std::string& path, int index) {
  if (path.empty()) return makeError("<texture>", "no file named");
  if (index < 0 || static_cast<std::size_t>(index) >= slots.size())
    return makeError(path, "texture slot " + std::to_string(index) + " does not exist");
  auto image = LoadJpeg(path);
  if (!image) return image.error();
  const std::vector<std::uint8_t> rgb = rgbOf(image.value());
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  const TightUnpack unpack;
  gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image->width, image->height, GL_RGB, GL_UNSIGNED_BYTE,
                    rgb.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  slots[static_cast<std::size_t>(index)] = name;
  return {};
}

Result<void> LoadJpegAlphaTexture(TextureRecord& record, const std::string& colourPath,
                                  const std::string& alphaPath) {
  auto colour = LoadJpeg(colourPath);
  if (!colour) return colour.error();
  auto alpha = LoadJpeg(alphaPath);
  if (!alpha) return alpha.error();
  if (colour->width != alpha->width || colour->height != alpha->height)
    return makeError(alphaPath, "the alpha picture is not the size of " + colourPath);
  const std::vector<std::uint8_t> rgb = rgbOf(colour.value());
  const std::size_t count = static_cast<std::size_t>(colour->width) * colour->height;
  std::vector<std::uint8_t> rgba(count * 4);
  for (std::size_t i = 0; i < count; ++i) {
    for (int c = 0; c < 3; ++c) rgba[4 * i + c] = rgb[3 * i + c];
    rgba[4 * i + 3] = alpha->pixels[i * alpha->components];
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  const TightUnpack unpack;
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, colour->width, colour->height, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, rgba.data());
  deleteTexture(record.texture);
  record.bitsPerPixel = 32;
  record.width = colour->width;
  record.height = colour->height;
  record.texture = name;
  record.pixels = std::move(rgba);
  return {};
}

unsigned LoadPngTexture(const std::string& path, int wrap, int minFilter, int magFilter) {
  auto image = readPng(path);
  if (!image) return 0;
  const GLenum format = image->components == 4 ? GL_RGBA : GL_RGB;
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  const TightUnpack unpack;
  gluBuild2DMipmaps(GL_TEXTURE_2D, image->components, image->width, image->height, format,
                    GL_UNSIGNED_BYTE, image->pixels.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
  return name;
}

namespace {

// An RGB or RGBA picture as it is, rows in the order given, linear filters.
unsigned uploadPlain(const Image& image) {
  const GLenum format = image.components == 4 ? GL_RGBA : GL_RGB;
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  const TightUnpack unpack;
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), image.width, image.height, 0, format,
               GL_UNSIGNED_BYTE, image.pixels.data());
  return name;
}

}  // namespace

bool LoadTgaTexture(TextureRecord& record, const std::string& path) {
  auto image = readTga(path);
  if (!image) return false;
  const unsigned name = uploadPlain(image.value());
  deleteTexture(record.texture);
  record.bitsPerPixel = image->components * 8;
  record.width = image->width;
  record.height = image->height;
  record.texture = name;
  record.pixels = std::move(image->pixels);
  return true;
}

unsigned LoadBmpTexture(const std::string& path) {
  auto image = readBmp(path);
  return image ? uploadPlain(image.value()) : 0;
}

void deleteTexture(unsigned& texture) {
  if (texture != 0) {
    const GLuint name = texture;
    glDeleteTextures(1, &name);
  }
  texture = 0;
}

}  // namespace vestora
