// What the body editing page does, apart from its window: the whole-body
// fields (standing height, weight in 斤, month of pregnancy, the child's
// height) with their clamping, the body-mass index and the pregnancy weight,
// and the 22 dimension sliders that reshape one region of the body each and
// show its new measure.
//
// The page shows what this object holds (field texts, slider positions,
// value labels) after every call; everything here runs without a window.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "avatar/avatar.h"
#include "body/body_shaper.h"
#include "platform/user_dialogs.h"

namespace vestora {

inline constexpr const char* kNoFineShapingMessage = "抱歉，该类体型暂无微调功能！";

// The whole-body settings the user gave (the pose change applies them again
// to the new pose's body).
struct BodySettings {
  float heightCm = 174.7f;        // standing height with shoes
  float weightJin = 111.5f;       // 1 斤 = 0.5 kg
  float month = 0;                // of pregnancy, 0 = not pregnant
  float childHeightCm = 115.44f;  // the girl's height
};

inline constexpr float kMinHeightCm = 155, kMaxHeightCm = 200;
inline constexpr float kMinWeightJin = 80, kMaxWeightJin = 155;
inline constexpr float kMinChildHeightCm = 80, kMaxChildHeightCm = 142.237f;

// The clamping of the fields: height to [155, 200], weight to [80, 155],
// the child's height to [80, 142.237]; a month above 10 becomes 10, a
// negative one 1, anything else stays.
float clampHeight(float cm);
float clampWeight(float jin);
float clampMonth(float month);
float clampChildHeight(float cm);

// A field's text as a number: blanks around it are allowed, nothing else;
// NaN and infinities are not numbers.
std::optional<float> parseFieldNumber(std::string_view text);

// Body-mass index of a weight in 斤 and a height in cm.
float bodyMassIndex(float weightJin, float heightCm);
// "偏瘦" below 18, "标准" from 18 up to 24, "过重" above 24 up to 27,
// "肥胖" above 27.
const char* bodyMassBand(float bmi);
// The weight (斤) a pregnant woman of this weight and index carries in the
// whole month `month` (none in months 0 and 1).
float pregnancyWeightGain(float bmi, float month);
// "体质指数BMI＝32.3(肥胖)" and "孕妇总重＝203.8(斤)".
std::string bodyMassText(float bmi);
std::string pregnancyWeightText(float totalJin);
inline constexpr const char* kInitialBodyMassText = "体质指数BMI＝18.3(标准)";

// What a slider's value label shows.
enum class SliderShows { Measure, Position, Nothing };

// One slider of the page: amount A = s × gain / 255 + offset for positions
// s in 0 … 255. `dimension` is the shaping region (with its leading blank),
// empty for the sliders that shape nothing.
struct BodySlider {
  const char* caption;  // "" for the uncaptioned ones
  std::string_view dimension;
  float gain = 0, offset = 0;
  double initial = 123, reset = 123;
  SliderShows shows = SliderShows::Nothing;
  int group = 0;  // the header it stands under, 0 … 6
};

inline constexpr int kBodySliderCount = 22;
inline constexpr double kSliderMaximum = 255.0;
extern const std::array<BodySlider, kBodySliderCount> kBodySliders;

// The seven headers of the page, in order.
inline constexpr std::array<const char*, 7> kBodyGroups = {"基础", "胸部",  "腰腹",  "臀部",
                                                           "腿",   "肩/臂", "头颈部"};

// The amount a slider position gives.
float sliderAmount(const BodySlider& slider, double position);

class BodyEditor {
 public:
  // What the view does for the page.
  struct Hooks {
    // Drops the view's transient state before the body changes (the idle
    // animation, cached frame buffers, overlay objects).
    std::function<void()> dropTransientState;
    // Re-seats the shoes and socks on the new shape.
    std::function<void()> reseatShoes;
    // The two shoulder points after a whole-body change (model units).
    std::function<void(const SkinVertex&, const SkinVertex&)> shoulderLandmarks;
  };

  // `settings` holds the values last accepted (kept by the view, where the
  // pose change reads them); the editor starts from them.
  BodyEditor(Avatar& avatar, BodyShaper& shaper, UserDialogs& dialogs, BodySettings& settings);

  Hooks hooks;
  BodySettings& settings;

  // ---- what the page shows ----
  std::array<double, kBodySliderCount> positions{};
  std::array<std::string, kBodySliderCount> labels;
  std::string bodyMassLabel = kInitialBodyMassText;
  std::string pregnancyLabel;
  // The field texts as the page should show them after the last call.
  std::string heightText, weightText, monthText, childHeightText;
  const std::string& dimension() const { return dimension_; }

  // ---- the user's actions ----
  // Slider `index` moved to `position` during a drag. Returns false when the
  // body cannot be shaped (another kind than "woman"): the message is shown
  // once per drag and the slider goes back to where the drag began.
  bool sliderMoved(int index, double position);
  // The drag of a slider ended (the next refusal may show its message again).
  void sliderReleased(int index);
  // Return in the page, with the field texts as typed. Texts that are not
  // numbers keep the value last accepted and say so; the others are
  // clamped and applied (woman: height, weight, month; girl: her height).
  void applyFields(std::string_view height, std::string_view weight, std::string_view month,
                   std::string_view childHeight);
  // "重置": the fields to their starting values, every slider to its reset
  // position, the labels cleared and the body as it was loaded.
  void reset();
  // The body was reshaped elsewhere (the user's own measures) to the
  // settings now held: show them with their index, clear the values and
  // start the sliders afresh.
  void adoptSettings();
  // Makes `dimension` the current one: every slider but `keep` goes to its
  // reset position and the shaper selects that region.
  void SelectDimension(std::string_view dimension, int keep = -1);

  // The amount the slider last applied (0 until it shapes).
  float previousAmount(int index) const { return previous_[static_cast<std::size_t>(index)]; }

 private:
  void resetSliders(int keep);
  void forgetShaping();
  void showSettings();
  std::optional<float> acceptField(std::string_view text, float accepted, const char* what,
                                   std::string& problems);
  void showFieldTexts();

  Avatar& avatar_;
  BodyShaper& shaper_;
  UserDialogs& dialogs_;
  std::array<float, kBodySliderCount> previous_{};
  std::string dimension_;
  int refusedSlider_ = -1;  // the slider whose drag was refused, until released
  double refusedFrom_ = 0;
};

// The text a field shows for a value: "%g"-like with at most three decimals.
std::string fieldText(float value);

}  // namespace vestora
