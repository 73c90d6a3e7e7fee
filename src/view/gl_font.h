// Text in the OpenGL frame: the glyphs of character codes 0 to 127 of a
// TrueType face, rasterised by FreeType into textures, one display list
// each. Positions are window pixels with the origin at the bottom left.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace vestora {

inline constexpr const char* kFtInitFailed = "FT_Init_FreeType failed";
inline constexpr const char* kFtNewFaceFailed =
    "FT_New_Face failed (there is probably a problem with your font file)";
inline constexpr const char* kFtLoadGlyphFailed = "FT_Load_Glyph failed";
inline constexpr const char* kFtGetGlyphFailed = "FT_Get_Glyph failed";

class GlFont {
 public:
  static constexpr int kGlyphs = 128;

  GlFont() = default;
  // Frees memory only; the textures and lists go with Close (or the context).
  ~GlFont() = default;
  GlFont(const GlFont&) = delete;
  GlFont& operator=(const GlFont&) = delete;

  // Builds the glyphs of `path` at `height` pixels (96 dpi). Needs the GL
  // context. On failure nothing stays allocated and the error carries one
  // of the FreeType messages above.
  Result<void> Open(const std::string& path, int height);
  // Deletes the glyph textures and lists (needs the context). Safe when closed.
  void Close();
  bool isOpen() const { return listBase_ != 0; }

  // Draws printf-style text at (x, y); each line feed starts a new line
  // lineSpacing() lower. Codes outside 0 … 127 are skipped. Nothing while
  // the font is closed.
  void Print(float x, float y, const char* format, ...) __attribute__((format(printf, 4, 5)));
  // The same with text already formatted.
  void PrintText(float x, float y, std::string_view text);

  int height() const { return height_; }
  float lineSpacing() const { return static_cast<float>(height_) / 0.63f; }
  // Pixels the pen moves over one line of text (codes outside 0 … 127 take
  // none); 0 while the font is closed.
  int textWidth(std::string_view text) const;
  // The baselines of the lines of `text` printed at y: y, y − spacing, …
  std::vector<float> lineBaselines(float y, std::string_view text) const;

 private:
  int height_ = 0;
  unsigned listBase_ = 0;
  std::array<unsigned, kGlyphs> textures_{};
  std::array<int, kGlyphs> advances_{};
};

}  // namespace vestora
