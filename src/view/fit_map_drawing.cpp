#include "view/fit_map_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cloth/fit_report.h"
#include "view/gl_font.h"
#include "view/gl_headers.h"
#include "view/screen_space.h"

namespace vestora {

std::vector<std::array<std::uint8_t, 3>> fitMapColours(const GarmentMesh& garment) {
  // The strain of the cloth as it is drawn (the drawing copy follows the
  // body between fits); the particles when the copy is incomplete.
  const bool drawn = garment.drawParticles.size() == garment.particles.size();
  const std::vector<float> strain =
      particleStrain(drawn ? garment.drawParticles : garment.particles, garment.edges);
  std::vector<std::array<std::uint8_t, 3>> colours(strain.size());
  std::transform(strain.begin(), strain.end(), colours.begin(), [](float s) {
    const Rgb8 c = fitMapColour(s);
    return std::array<std::uint8_t, 3>{c.r, c.g, c.b};
  });
  return colours;
}

std::array<int, 4> fitMapLegendBar(int width) {
  return {24, 30, std::clamp(width / 4, 120, 220), 12};
}

void DrawFitMapLegend(GlFont& font, int width, int height) {
  const auto [x, y, w, h] = fitMapLegendBar(width);
  const ScreenSpace screen(width, height);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  // The card behind it.
  const int pad = 10, textRoom = font.isOpen() ? font.height() + 8 : 0;
  glColor4f(1, 1, 1, 0.85f);
  glRecti(x - pad, y - pad - textRoom, x + w + pad, y + h + pad);
  glDisable(GL_BLEND);
  // The scale, stop to stop.
  glBegin(GL_QUAD_STRIP);
  for (const FitMapStop& stop : kFitMapStops) {
    const float at = x + w * (stop.strain + kFitMapRange) / (2 * kFitMapRange);
    glColor3ub(stop.colour.r, stop.colour.g, stop.colour.b);
    glVertex2f(at, float(y));
    glVertex2f(at, float(y + h));
  }
  glEnd();
  glColor3f(0.35f, 0.34f, 0.33f);
  glBegin(GL_LINE_LOOP);
  glVertex2f(x - 0.5f, y - 0.5f);
  glVertex2f(x + w + 0.5f, y - 0.5f);
  glVertex2f(x + w + 0.5f, y + h + 0.5f);
  glVertex2f(x - 0.5f, y + h + 0.5f);
  glEnd();
  if (!font.isOpen()) return;
  // Its ends and middle, under the bar.
  char left[16], right[16];
  std::snprintf(left, sizeof left, "-%d%%", int(std::lround(kFitMapRange * 100)));
  std::snprintf(right, sizeof right, "+%d%%", int(std::lround(kFitMapRange * 100)));
  const float baseline = float(y - 6 - font.height());
  glColor3f(0.14f, 0.15f, 0.17f);
  font.PrintText(float(x), baseline, left);
  font.PrintText(x + (w - font.textWidth("0")) / 2.0f, baseline, "0");
  font.PrintText(float(x + w - font.textWidth(right)), baseline, right);
}

}  // namespace vestora
