#include "view/gl_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H

#include <cstdarg>
#include <cstdio>

#include "view/gl_headers.h"

namespace vestora {
namespace {

int powerOfTwoAtLeast(int n) {
  int p = 1;
  while (p < n) p <<= 1;
  return p;
}

// Splits at every line feed; a trailing line feed gives an empty last line.
std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

// Compiles the list of one glyph; the error message when FreeType fails.
const char* buildGlyph(FT_Face face, unsigned char code, GLuint list, GLuint texture,
                       int& advance) {
  if (FT_Load_Glyph(face, FT_Get_Char_Index(face, code), FT_LOAD_DEFAULT))
    return kFtLoadGlyphFailed;
  FT_Glyph glyph = nullptr;
  if (FT_Get_Glyph(face->glyph, &glyph)) return kFtGetGlyphFailed;
  if (FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 1)) {
    FT_Done_Glyph(glyph);
    return kFtGetGlyphFailed;
  }
  const auto* bitmapGlyph = reinterpret_cast<FT_BitmapGlyph>(glyph);
  const FT_Bitmap& bitmap = bitmapGlyph->bitmap;
  const int width = static_cast<int>(bitmap.width);
  const int rows = static_cast<int>(bitmap.rows);
  const int textureWidth = powerOfTwoAtLeast(width);
  const int textureHeight = powerOfTwoAtLeast(rows);

  // Luminance and alpha both carry the coverage.
  std::vector<GLubyte> data(2 * static_cast<std::size_t>(textureWidth) * textureHeight, 0);
  for (int j = 0; j < rows; ++j)
    for (int i = 0; i < width; ++i) {
      const GLubyte coverage = bitmap.buffer[j * bitmap.pitch + i];
      const std::size_t at =
          2 * (static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * textureWidth);
      data[at] = coverage;
      data[at + 1] = coverage;
    }
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, textureWidth, textureHeight, 0, GL_LUMINANCE_ALPHA,
               GL_UNSIGNED_BYTE, data.data());

  const float usedX = static_cast<float>(width) / static_cast<float>(textureWidth);
  const float usedY = static_cast<float>(rows) / static_cast<float>(textureHeight);
  glNewList(list, GL_COMPILE);
  glBindTexture(GL_TEXTURE_2D, texture);
  // The bearings move this glyph only; the advance moves the pen.
  glPushMatrix();
  glTranslatef(static_cast<float>(bitmapGlyph->left), 0, 0);
  glTranslatef(0, static_cast<float>(bitmapGlyph->top - rows), 0);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(0, static_cast<float>(rows));
  glTexCoord2f(0, usedY);
  glVertex2f(0, 0);
  glTexCoord2f(usedX, usedY);
  glVertex2f(static_cast<float>(width), 0);
  glTexCoord2f(usedX, 0);
  glVertex2f(static_cast<float>(width), static_cast<float>(rows));
  glEnd();
  glPopMatrix();
  advance = static_cast<int>(face->glyph->advance.x >> 6);
  glTranslatef(static_cast<float>(advance), 0, 0);
  glEndList();
  FT_Done_Glyph(glyph);
  return nullptr;
}

}  // namespace

Result<void> GlFont::Open(const std::string& path, int height) {
  Close();
  if (height <= 0 || height > 1024)
    return makeError(path, "font height " + std::to_string(height) + " is out of range");
  const GLuint base = glGenLists(kGlyphs);
  if (base == 0) return makeError(path, "no display lists for the font");
  GLuint names[kGlyphs] = {};
  glGenTextures(kGlyphs, names);
  auto discard = [&](const char* message) {
    glDeleteLists(base, kGlyphs);
    glDeleteTextures(kGlyphs, names);
    return makeError(path, message);
  };

  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library)) return discard(kFtInitFailed);
  FT_Face face = nullptr;
  if (FT_New_Face(library, path.c_str(), 0, &face)) {
    FT_Done_FreeType(library);
    return discard(kFtNewFaceFailed);
  }
  FT_Set_Char_Size(face, height * 64, height * 64, 96, 96);
  const char* failure = nullptr;
  std::array<int, kGlyphs> advances{};
  for (int c = 0; c < kGlyphs && !failure; ++c)
    failure = buildGlyph(face, static_cast<unsigned char>(c), base + static_cast<GLuint>(c),
                         names[c], advances[static_cast<std::size_t>(c)]);
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  if (failure) return discard(failure);

  height_ = height;
  listBase_ = base;
  advances_ = advances;
  for (int c = 0; c < kGlyphs; ++c) textures_[static_cast<std::size_t>(c)] = names[c];
  return {};
}

void GlFont::Close() {
  if (listBase_ == 0) return;
  glDeleteLists(listBase_, kGlyphs);
  GLuint names[kGlyphs];
  for (int c = 0; c < kGlyphs; ++c) names[c] = textures_[static_cast<std::size_t>(c)];
  glDeleteTextures(kGlyphs, names);
  textures_.fill(0);
  advances_.fill(0);
  listBase_ = 0;
}

int GlFont::textWidth(std::string_view text) const {
  int width = 0;
  for (const char c : text)
    if (static_cast<unsigned char>(c) < kGlyphs) width += advances_[static_cast<unsigned char>(c)];
  return width;
}

std::vector<float> GlFont::lineBaselines(float y, std::string_view text) const {
  std::vector<float> baselines;
  const auto lines = splitLines(text);
  for (std::size_t i = 0; i < lines.size(); ++i)
    baselines.push_back(y - lineSpacing() * static_cast<float>(i));
  return baselines;
}

void GlFont::Print(float x, float y, const char* format, ...) {
  char fixed[512];
  std::va_list args;
  va_start(args, format);
  std::va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(fixed, sizeof fixed, format, args);
  va_end(args);
  if (length < 0) {
    va_end(again);
    return;
  }
  if (static_cast<std::size_t>(length) < sizeof fixed) {
    va_end(again);
    PrintText(x, y, std::string_view(fixed, static_cast<std::size_t>(length)));
    return;
  }
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, again);
  va_end(again);
  text.resize(static_cast<std::size_t>(length));
  PrintText(x, y, text);
}

void GlFont::PrintText(float x, float y, std::string_view text) {
  if (!isOpen()) return;
  const float spacing = lineSpacing();
  const auto lines = splitLines(text);

  // A screen projection over the viewport.
  glPushAttrib(GL_TRANSFORM_BIT);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluOrtho2D(viewport[0], viewport[2], viewport[1], viewport[3]);
  glPopAttrib();

  glPushAttrib(GL_LIST_BIT | GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TRANSFORM_BIT);
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glListBase(listBase_);
  GLfloat modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  std::string codes;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    codes.clear();
    for (char c : lines[i])
      if (static_cast<unsigned char>(c) < kGlyphs) codes += c;
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(x, y - spacing * static_cast<float>(i), 0);
    glMultMatrixf(modelview);
    glCallLists(static_cast<GLsizei>(codes.size()), GL_UNSIGNED_BYTE, codes.data());
    glPopMatrix();
  }
  glPopAttrib();

  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}

}  // namespace vestora
