// What the "配件调整" page does, without its window: ten slider values,
// the light and uniform-scale toggles, and the updates they make to the
// selected accessory, the two extra lights and the glasses' look.
#pragma once

#include <array>
#include <functional>

#include "avatar/accessories.h"

namespace vestora {

enum AccessorySlider : int {
  kMoveX,
  kMoveY,
  kMoveZ,
  kTurnX,
  kTurnY,
  kTurnZ,
  kScaleX,
  kScaleY,
  kScaleZ,
  kTransparencySlider,
  kAccessorySliderCount
};

struct AccessorySliderSpec {
  const char* caption;
  float lower, upper, reset;
};
extern const std::array<AccessorySliderSpec, kAccessorySliderCount> kAccessorySliders;

// The page's four sections, in order.
inline constexpr std::array<const char*, 4> kAccessoryGroups = {"位置与灯光", "旋转", "大小",
                                                                "颜色与透明度"};

// A slider value as its label shows it ("%G").
std::string sliderLabel(float value);

class AccessoryAdjuster {
 public:
  using Lights = std::array<std::array<float, 3>, 2>;
  AccessoryAdjuster(Accessories& accessories, Lights& lightOffsets);

  // A slider moved to `value` (clamped to its range): the label, the turn
  // and transparency bookkeeping, then the lights or the accessory.
  void sliderMoved(int slider, float value);
  // 1170 / 1172: the move sliders move light 1 or light 2; a second click
  // gives them back to the accessories. The move sliders go back to 0.
  void toggleLightOne();
  void toggleLightTwo();
  // 1171 "整体": the y and z scales follow x.
  void toggleUniformScale();
  // Enter in the page: the accessory update and the transparency.
  void enter();
  // "重置": the sliders back to their reset values and both lights back to
  // their places; the accessories stay where they are.
  void reset();

  void applyToAccessory();
  void applyToLight();

  std::array<float, kAccessorySliderCount> values{};
  std::array<std::string, kAccessorySliderCount> labels{};
  bool lightOneMode = false, lightTwoMode = false, uniformScale = false;
  bool turnPending = false;

  // Asked after every change the view must show.
  std::function<void()> redraw;

 private:
  void setValue(int slider, float value);
  void restartMoves();
  void redrawView() {
    if (redraw) redraw();
  }

  Accessories& accessories_;
  Lights& lights_;
  std::array<float, 3> previousMove_{0, 0, 0};
  float previousAngle_ = 0;
  std::array<float, 3> previousScale_{1, 1, 1};
  std::array<float, 3> axis_{1, 0, 0};
  float angle_ = 0;
};

}  // namespace vestora
