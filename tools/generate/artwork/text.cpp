#include "artwork/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <tuple>

namespace vestora::generate::art {

namespace {

struct Glyph {
  int width = 0, rows = 0, left = 0, top = 0;
  long advance = 0;  // 26.6
  std::vector<std::uint8_t> coverage;
};

enum class Face { Latin, LatinBold, Cjk };

// One character placed on the line.
struct Placed {
  Face face;
  unsigned index;
  long pen;  // 26.6, from the origin
};

// Glyphs are rendered at quarter-pixel horizontal offsets, so that letters
// keep their designed spacing instead of snapping to whole pixels.
constexpr int kPhases = 4;
static_assert(kPhases == 4, "drawText splits positions into quarters by shifting");

std::u32string decodeUtf8(std::string_view s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= s.size()) throw std::invalid_argument("text: invalid UTF-8");
    char32_t cp = extra == 0 ? c : c & (0x3f >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(s[i + k]);
      if ((cc >> 6) != 2) throw std::invalid_argument("text: invalid UTF-8");
      cp = (cp << 6) | (cc & 0x3f);
    }
    out.push_back(cp);
    i += extra + 1;
  }
  return out;
}

// Characters that belong to Chinese typesetting: ideographs, full-width
// forms, and the punctuation Chinese text uses from the general blocks.
bool chinese(char32_t c) {
  return c >= 0x2E80 || c == 0x00B7 || c == 0x2014 || c == 0x2026 || (c >= 0x2018 && c <= 0x201D);
}

}  // namespace

struct Fonts::Impl {
  FT_Library library = nullptr;
  FT_Face faces[3] = {nullptr, nullptr, nullptr};
  std::map<std::tuple<int, unsigned, long, bool, int>, Glyph> cache;

  ~Impl() {
    for (FT_Face f : faces)
      if (f) FT_Done_Face(f);
    if (library) FT_Done_FreeType(library);
  }

  FT_Face face(Face f) const { return faces[static_cast<int>(f)]; }

  // `phase` 0 to kPhases - 1: the glyph shifted right by phase / kPhases pixels.
  const Glyph& glyph(Face which, unsigned index, const TextStyle& style, int phase) {
    const long size = std::lround(style.size * 64);
    const bool embolden = style.bold && which == Face::Cjk;
    const auto key = std::make_tuple(static_cast<int>(which), index, size, embolden, phase);
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    FT_Face f = face(which);
    if (FT_Set_Char_Size(f, 0, size, 72, 72) != 0)
      throw std::runtime_error("text: cannot set a font size of " + std::to_string(style.size));
    // Light hinting fits the glyph vertically only, so horizontal positions
    // stay true.
    if (FT_Load_Glyph(f, index, FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP) != 0)
      throw std::runtime_error("text: cannot load glyph " + std::to_string(index));
    FT_GlyphSlot slot = f->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      if (embolden) FT_Outline_Embolden(&slot->outline, size / 24);
      FT_Outline_Translate(&slot->outline, phase * 64 / kPhases, 0);
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_LIGHT) != 0)
      throw std::runtime_error("text: cannot render glyph " + std::to_string(index));
    Glyph g;
    g.width = static_cast<int>(slot->bitmap.width);
    g.rows = static_cast<int>(slot->bitmap.rows);
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.advance = (slot->linearHoriAdvance + 512) >> 10;  // 16.16 to 26.6, unhinted
    g.coverage.resize(std::size_t(g.width) * g.rows);
    for (int y = 0; y < g.rows; ++y)
      for (int x = 0; x < g.width; ++x)
        g.coverage[std::size_t(y) * g.width + x] = slot->bitmap.buffer[y * slot->bitmap.pitch + x];
    return cache.emplace(key, std::move(g)).first->second;
  }

  std::vector<Placed> layout(const TextStyle& style, std::string_view utf8, long* advance) {
    std::vector<Placed> placed;
    long pen = 0;
    FT_Face previousFace = nullptr;
    unsigned previous = 0;
    const long tracking = std::lround(style.tracking * 64);
    for (char32_t c : decodeUtf8(utf8)) {
      Face which = chinese(c) ? Face::Cjk : style.bold ? Face::LatinBold : Face::Latin;
      unsigned index = FT_Get_Char_Index(face(which), c);
      if (index == 0 && which != Face::Cjk) {
        which = Face::Cjk;
        index = FT_Get_Char_Index(face(which), c);
      }
      FT_Face f = face(which);
      const Glyph& g = glyph(which, index, style, 0);  // also sets the face's size
      if (f == previousFace && previous != 0 && index != 0 && FT_HAS_KERNING(f)) {
        FT_Vector kern{};
        if (FT_Get_Kerning(f, previous, index, FT_KERNING_UNFITTED, &kern) == 0) pen += kern.x;
      }
      placed.push_back({which, index, pen});
      pen += g.advance + tracking;
      previousFace = f;
      previous = index;
    }
    if (advance) *advance = pen - (placed.empty() ? 0 : tracking);
    return placed;
  }
};

Fonts::Fonts(const FontFiles& files) : impl_(std::make_unique<Impl>()) {
  if (FT_Init_FreeType(&impl_->library) != 0)
    throw std::runtime_error("text: FreeType cannot be initialised");
  const std::string* paths[3] = {&files.latin, &files.latinBold, &files.cjk};
  for (int i = 0; i < 3; ++i) {
    if (FT_New_Face(impl_->library, paths[i]->c_str(), 0, &impl_->faces[i]) != 0) {
      impl_->faces[i] = nullptr;
      throw std::runtime_error("cannot load the font \"" + *paths[i] + "\"");
    }
  }
}

Fonts::~Fonts() = default;

TextExtent measureText(const Fonts& fonts, const TextStyle& style, std::string_view utf8) {
  long advance = 0;
  const auto placed = fonts.impl().layout(style, utf8, &advance);
  TextExtent e;
  e.advance = advance / 64.0;
  bool any = false;
  for (const Placed& p : placed) {
    const Glyph& g = fonts.impl().glyph(p.face, p.index, style, 0);
    if (g.rows == 0) continue;
    const double top = -g.top, bottom = top + g.rows;
    e.inkTop = any ? std::min(e.inkTop, top) : top;
    e.inkBottom = any ? std::max(e.inkBottom, bottom) : bottom;
    any = true;
  }
  return e;
}

void drawText(Canvas& canvas, const Fonts& fonts, const TextStyle& style, double x, double baseline,
              std::string_view utf8, Colour colour) {
  const long originX = std::lround(x * 64);
  const int baseY = static_cast<int>(std::lround(baseline));
  const double gamma = 1 / std::max(style.boost, 0.1);
  for (const Placed& p : fonts.impl().layout(style, utf8, nullptr)) {
    // The pen's whole pixel, and its fraction in quarters.
    const long at = originX + p.pen + 64 / kPhases / 2;
    const long quarters = at >> 4;  // floor, also for negative positions
    const int phase = static_cast<int>(quarters & (kPhases - 1));
    const Glyph& g = fonts.impl().glyph(p.face, p.index, style, phase);
    const int gx = static_cast<int>(quarters >> 2) + g.left;
    const int gy = baseY - g.top;
    for (int y = 0; y < g.rows; ++y)
      for (int xx = 0; xx < g.width; ++xx) {
        const std::uint8_t c = g.coverage[std::size_t(y) * g.width + xx];
        if (c == 0) continue;
        double a = c / 255.0;
        if (gamma != 1) a = std::pow(a, gamma);
        canvas.blend(gx + xx, gy + y, colour, a);
      }
  }
}

double centredBaseline(const Fonts& fonts, const TextStyle& style, double cy, bool chineseText) {
  const TextExtent reference = measureText(fonts, style, chineseText ? "国" : "H");
  return std::round(cy - (reference.inkTop + reference.inkBottom) / 2);
}

double drawTextCentred(Canvas& canvas, const Fonts& fonts, const TextStyle& style, double cx,
                       double cy, std::string_view utf8, Colour colour) {
  bool hasChinese = false;
  for (char32_t c : decodeUtf8(utf8)) hasChinese = hasChinese || chinese(c);
  const TextExtent e = measureText(fonts, style, utf8);
  const double baseline = centredBaseline(fonts, style, cy, hasChinese);
  drawText(canvas, fonts, style, std::round(cx - e.advance / 2), baseline, utf8, colour);
  return baseline;
}

namespace {

bool noBreakBefore(char32_t c) {
  static const std::u32string kClosing = U"，。、；：！？）》」』”’…·,.;:!?)";
  return kClosing.find(c) != std::u32string::npos;
}

bool noBreakAfter(char32_t c) {
  static const std::u32string kOpening = U"（《「『“‘(";
  return kOpening.find(c) != std::u32string::npos;
}

bool latinWordChar(char32_t c) {
  return c < 0x2E80 && c != U' ' && !chinese(c);
}

std::string encodeUtf8(const std::u32string& s) {
  std::string out;
  for (char32_t c : s) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3f)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    }
  }
  return out;
}

// A line without the blanks at its ends.
std::u32string trimmed(const std::u32string& s, std::size_t from, std::size_t to) {
  while (from < to && s[from] == U' ') ++from;
  while (to > from && s[to - 1] == U' ') --to;
  return s.substr(from, to - from);
}

}  // namespace

std::vector<std::string> wrapText(const Fonts& fonts, const TextStyle& style, std::string_view utf8,
                                  double width, int maxLines, bool balanced) {
  const std::u32string text = decodeUtf8(utf8);
  auto widthOf = [&](std::size_t from, std::size_t to) {
    return measureText(fonts, style, encodeUtf8(trimmed(text, from, to))).advance;
  };
  // Break opportunities: positions i (a break before text[i]).
  std::vector<std::size_t> breaks;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char32_t before = text[i - 1], after = text[i];
    if (noBreakBefore(after) || noBreakAfter(before)) continue;
    if (latinWordChar(before) && latinWordChar(after)) continue;
    breaks.push_back(i);
  }
  std::vector<std::string> lines;
  if (widthOf(0, text.size()) <= width) {
    lines.push_back(encodeUtf8(trimmed(text, 0, text.size())));
    return lines;
  }
  // Two lines: the break that makes the longer line shortest, a break after
  // a comma counting as if that line were a fifth shorter.
  if (maxLines >= 2 && balanced) {
    double best = 1e30;
    std::size_t bestAt = 0;
    for (std::size_t at : breaks) {
      const double w1 = widthOf(0, at), w2 = widthOf(at, text.size());
      if (w1 > width || w2 > width) continue;
      const char32_t before = text[at - 1];
      const bool comma = before == U'，' || before == U'、' || before == U'；' || before == U'：';
      const double cost = std::max(w1, w2) * (comma ? 0.8 : 1.0);
      if (cost < best) {
        best = cost;
        bestAt = at;
      }
    }
    if (bestAt != 0) {
      lines.push_back(encodeUtf8(trimmed(text, 0, bestAt)));
      lines.push_back(encodeUtf8(trimmed(text, bestAt, text.size())));
      return lines;
    }
  }
  // Longer texts, and running text: greedy.
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.size();
    if (widthOf(start, end) > width) {
      end = start;
      for (std::size_t at : breaks)
        if (at > start && widthOf(start, at) <= width) end = at;
      if (end == start)
        throw std::invalid_argument("wrapText: \"" + std::string(utf8) + "\" cannot be broken");
    }
    lines.push_back(encodeUtf8(trimmed(text, start, end)));
    start = end;
  }
  if (static_cast<int>(lines.size()) > maxLines)
    throw std::invalid_argument("wrapText: \"" + std::string(utf8) + "\" needs " +
                                std::to_string(lines.size()) + " lines");
  return lines;
}

}  // namespace vestora::generate::art
