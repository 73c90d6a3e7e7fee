#include "app/accessory_adjuster.h"

#include <algorithm>
#include <cstdio>

namespace vestora {

const std::array<AccessorySliderSpec, kAccessorySliderCount> kAccessorySliders = {{
    {"左右移动", -12.0f, 12.0f, 0.0f},
    {"上下移动", -12.0f, 12.0f, 0.0f},
    {"前后移动", -12.0f, 12.0f, 0.0f},
    {"绕X轴旋转", -180.0f, 180.0f, 0.0f},
    {"绕Y轴旋转", -180.0f, 180.0f, 0.0f},
    {"绕Z轴旋转", -180.0f, 180.0f, 0.0f},
    {"X向缩放", 0.0f, 2.0f, 1.0f},
    {"Y向缩放", 0.0f, 2.0f, 1.0f},
    {"Z向缩放", 0.0f, 2.0f, 1.0f},
    {"镜片透明度", 0.0f, 1.0f, 0.0f},
}};

std::string sliderLabel(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%G", static_cast<double>(value));
  return text;
}

AccessoryAdjuster::AccessoryAdjuster(Accessories& accessories, Lights& lightOffsets)
    : accessories_(accessories), lights_(lightOffsets) {
  for (int i = 0; i < kAccessorySliderCount; ++i)
    setValue(i, kAccessorySliders[std::size_t(i)].reset);
}

void AccessoryAdjuster::setValue(int slider, float value) {
  const auto& spec = kAccessorySliders[std::size_t(slider)];
  if (!(value >= spec.lower)) value = spec.lower;  // NaN too
  value = std::min(value, spec.upper);
  values[std::size_t(slider)] = value;
  labels[std::size_t(slider)] = sliderLabel(value);
}

void AccessoryAdjuster::sliderMoved(int slider, float value) {
  if (slider < 0 || slider >= kAccessorySliderCount) return;
  setValue(slider, value);
  if (slider == kTurnX || slider == kTurnY || slider == kTurnZ) turnPending = true;
  if (slider == kTransparencySlider) {
    accessories_.look.transparency = values[kTransparencySlider];
    redrawView();
  }
  if (lightOneMode || lightTwoMode)
    applyToLight();
  else
    applyToAccessory();
}

// A click on a light's button moves that light; a click on the button of
// the light being moved gives the sliders back to the accessories. Either
// way the move sliders start again from 0, and so does the next move.
void AccessoryAdjuster::toggleLightOne() {
  lightOneMode = !lightOneMode;
  lightTwoMode = false;
  restartMoves();
}

void AccessoryAdjuster::toggleLightTwo() {
  lightTwoMode = !lightTwoMode;
  lightOneMode = false;
  restartMoves();
}

void AccessoryAdjuster::restartMoves() {
  for (int s : {kMoveX, kMoveY, kMoveZ}) setValue(s, 0);
  previousMove_ = {0, 0, 0};
}

void AccessoryAdjuster::toggleUniformScale() {
  uniformScale = !uniformScale;
}

void AccessoryAdjuster::applyToLight() {
  const std::array<float, 3> offset{50 * values[kMoveX], 50 * values[kMoveY], 50 * values[kMoveZ]};
  if (lightOneMode) {
    lights_[0] = offset;
    lights_[1] = {0, 0, 0};
  } else if (lightTwoMode) {
    lights_[1] = offset;
    lights_[0] = {0, 0, 0};
  }
  redrawView();
}

void AccessoryAdjuster::applyToAccessory() {
  // The first turn slider that is not at 0 gives the axis and the angle.
  if (values[kTurnX] != 0) {
    angle_ = values[kTurnX];
    axis_ = {1, 0, 0};
  } else if (values[kTurnY] != 0) {
    angle_ = values[kTurnY];
    axis_ = {0, 1, 0};
  } else if (values[kTurnZ] != 0) {
    angle_ = values[kTurnZ];
    axis_ = {0, 0, 1};
  }
  if (uniformScale) {
    setValue(kScaleY, values[kScaleX]);
    setValue(kScaleZ, values[kScaleX]);
  }
  const float dx = values[kMoveX] - previousMove_[0];
  const float dy = values[kMoveY] - previousMove_[1];
  const float dz = values[kMoveZ] - previousMove_[2];
  const float da = angle_ - previousAngle_;
  // From a scale of 0 no ratio leads back: the size is left as it is.
  const float ratio = previousScale_[0] > 0 ? values[kScaleX] / previousScale_[0] : 0.0f;
  accessories_.transformSelected(dx, dy, dz, ratio, axis_, da, turnPending);
  // Hair and the face are not moved by the page: they keep their seats.
  if (accessories_.selected(AccessoryEntry::Hair) || accessories_.selected(AccessoryEntry::Face))
    accessories_.reseat();
  previousMove_ = {values[kMoveX], values[kMoveY], values[kMoveZ]};
  previousAngle_ = angle_;
  previousScale_ = {values[kScaleX], values[kScaleY], values[kScaleZ]};
  turnPending = false;
  redrawView();
}

void AccessoryAdjuster::enter() {
  applyToAccessory();
  labels[kTransparencySlider] = sliderLabel(values[kTransparencySlider]);
  accessories_.look.transparency = values[kTransparencySlider];
  redrawView();
}

void AccessoryAdjuster::reset() {
  // The transparency keeps its stored value and label; the slider goes back.
  const std::string transparencyLabel = labels[kTransparencySlider];
  for (int i = 0; i < kAccessorySliderCount; ++i)
    setValue(i, kAccessorySliders[std::size_t(i)].reset);
  labels[kTransparencySlider] = transparencyLabel;
  lights_[0] = {0, 0, 0};
  lights_[1] = {0, 0, 0};
  redrawView();
}

}  // namespace vestora
