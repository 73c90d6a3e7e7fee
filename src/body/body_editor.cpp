#include "body/body_editor.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "avatar/shipped_numbers.h"

namespace vestora {

// Panel order. The reset position of a shaping slider gives the amount 0.
const std::array<BodySlider, kBodySliderCount> kBodySliders = {{
    {"胸围", " Chest", 2.22f, -0.42f, 48.243243243243235, 48.243243243243235, SliderShows::Measure,
     1},
    {"底胸围", " ChestBase", 1.96f, -0.42f, 54.64285714285714, 54.64285714285714,
     SliderShows::Measure, 1},
    {"腰围", " Waist", 1.92f, -0.48f, 63.75, 63.75, SliderShows::Measure, 2},
    {"腹围", " WaistAbdomen", 1.72f, -0.1f, 14.825581395348836, 14.825581395348836,
     SliderShows::Measure, 2},
    {"", "", 0, 0, 123, 123, SliderShows::Position, 2},
    {"", "", 0, 0, 123, 123, SliderShows::Position, 2},
    {"", "", 0, 0, 123, 123, SliderShows::Position, 2},
    {"", "", 0, 0, 123, 123, SliderShows::Position, 2},
    {"臀围", " HipBase", 0.8f, -0.14f, 44.625, 44.625, SliderShows::Measure, 3},
    {"臀尖型", " Buttocks", 0.76f, -0.1f, 33.55263157894737, 33.55263157894737,
     SliderShows::Measure, 3},
    {"腿内侧长", " Inseam", 2.2f, -0.9f, 104.31818181818181, 104.31818181818181,
     SliderShows::Measure, 4},
    {"小腿围", " Calf", 1.98f, -0.44f, 56.66666666666667, 56.66666666666667, SliderShows::Measure,
     4},
    {"大腿围", " Thigh", 1.98f, -0.44f, 56.66666666666667, 56.66666666666667, SliderShows::Measure,
     4},
    {"膝部围长", " Knee", 1.32f, -0.44f, 85.0, 85.0, SliderShows::Measure, 4},
    {"臂长", "", 0, 0, 51.0, 51.0, SliderShows::Nothing, 5},
    {"肩宽", " Shoulder", 1.1f, -0.42f, 97.36363636363635, 97.36363636363635, SliderShows::Measure,
     5},
    {"上臂围", "", 0, 0, 69.54545454545455, 69.54545454545455, SliderShows::Nothing, 5},
    {"", "", 0, 0, 123.0, 123.0, SliderShows::Position, 5},
    {"肩斜度（角度）", " ShoulderSlope", 2.64f, -1.38f, 133.29545454545456, 133.29545454545456,
     SliderShows::Measure, 5},
    {"", "", 0, 0, 123.0, 123.0, SliderShows::Position, 6},
    {"颈围", " NeckBase", 0.5f, -0.2f, 102.0, 123.0, SliderShows::Measure, 6},
    {"颈长", "", 0, 0, 57.954545454545446, 123.0, SliderShows::Nothing, 6},
}};

namespace {

constexpr float kPregnancyFactor = 0.054764512595837894f;
// Weight gain (斤 per unit of k) in the whole months 2 … 10.
constexpr float kMonthGain[11] = {0,     0,     3.0f,   6.0f,   8.0f, 10.0f,
                                  12.0f, 16.0f, 19.34f, 22.54f, 27.6f};

std::string format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

}  // namespace

float clampHeight(float cm) {
  return std::clamp(cm, kMinHeightCm, kMaxHeightCm);
}
float clampWeight(float jin) {
  return std::clamp(jin, kMinWeightJin, kMaxWeightJin);
}
float clampChildHeight(float cm) {
  return std::clamp(cm, kMinChildHeightCm, kMaxChildHeightCm);
}
float clampMonth(float month) {
  if (month > 10) return 10;
  if (month < 0) return 1;
  return month;
}

std::optional<float> parseFieldNumber(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  float value = 0;
  const auto r =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

float bodyMassIndex(float weightJin, float heightCm) {
  return 0.5f * weightJin * 10000.0f / (heightCm * heightCm);
}

const char* bodyMassBand(float bmi) {
  // 18.0 itself counts as standard: the bands meet there.
  if (bmi < 18) return "偏瘦";
  if (bmi <= 24) return "标准";
  if (bmi <= 27) return "过重";
  return "肥胖";
}

float pregnancyWeightGain(float bmi, float month) {
  const int whole = static_cast<int>(month);
  if (whole < 2 || whole > 10) return 0;
  return bmi * kPregnancyFactor * kMonthGain[whole];
}

std::string bodyMassText(float bmi) {
  return format("体质指数BMI＝%3.1f", bmi) + "(" + bodyMassBand(bmi) + ")";
}

std::string pregnancyWeightText(float totalJin) {
  return format("孕妇总重＝%3.1f", totalJin) + "(斤)";
}

float sliderAmount(const BodySlider& slider, double position) {
  return static_cast<float>(position * slider.gain / kSliderMaximum + slider.offset);
}

std::string fieldText(float value) {
  std::string text = format("%.3f", value);
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text == "-0" ? "0" : text;
}

BodyEditor::BodyEditor(Avatar& avatar, BodyShaper& shaper, UserDialogs& dialogs,
                       BodySettings& settingsIn)
    : settings(settingsIn), avatar_(avatar), shaper_(shaper), dialogs_(dialogs) {
  for (int i = 0; i < kBodySliderCount; ++i)
    positions[static_cast<std::size_t>(i)] = kBodySliders[static_cast<std::size_t>(i)].initial;
  showFieldTexts();
}

void BodyEditor::showFieldTexts() {
  heightText = fieldText(settings.heightCm);
  weightText = fieldText(settings.weightJin);
  monthText = fieldText(settings.month);
  childHeightText = fieldText(settings.childHeightCm);
}

void BodyEditor::resetSliders(int keep) {
  for (int i = 0; i < kBodySliderCount; ++i)
    if (i != keep)
      positions[static_cast<std::size_t>(i)] = kBodySliders[static_cast<std::size_t>(i)].reset;
}

void BodyEditor::SelectDimension(std::string_view dimension, int keep) {
  dimension_ = std::string(dimension);
  resetSliders(keep);
  shaper_.SelectShapeRegion(dimension);
}

void BodyEditor::forgetShaping() {
  // The body was built again from its whole-body settings: no region carries
  // an amount any more, and the next step selects its region afresh.
  previous_.fill(0);
  dimension_.clear();
}

bool BodyEditor::sliderMoved(int index, double position) {
  if (index < 0 || index >= kBodySliderCount) return false;
  const auto i = static_cast<std::size_t>(index);
  if (avatar_.modelName() != "woman") {
    if (refusedSlider_ != index) {
      refusedSlider_ = index;
      dialogs_.showMessage(kNoFineShapingMessage, "", MessageIcon::Information);
    }
    return false;
  }
  const BodySlider& slider = kBodySliders[i];
  position = std::clamp(position, 0.0, kSliderMaximum);
  if (hooks.dropTransientState) hooks.dropTransientState();
  positions[i] = position;
  if (slider.dimension.empty()) {
    if (slider.shows == SliderShows::Position)
      labels[i] = std::to_string(static_cast<int>(position));
    return true;
  }
  if (dimension_ != slider.dimension) SelectDimension(slider.dimension, index);
  const float amount = sliderAmount(slider, position);
  const float step = amount - previous_[i];
  const std::optional<float> measured = shaper_.DeformRegion(slider.dimension, 0, 0, step);
  if (!measured) return true;  // a region without a lattice keeps its shape and its label
  labels[i] = format("%3.1f", *measured);
  previous_[i] = amount;
  return true;
}

void BodyEditor::sliderReleased(int index) {
  if (index == refusedSlider_) refusedSlider_ = -1;
}

std::optional<float> BodyEditor::acceptField(std::string_view text, float accepted,
                                             const char* what, std::string& problems) {
  const std::optional<float> value = parseFieldNumber(text);
  if (!value)
    problems +=
        "“" + std::string(text) + "”不是数字，" + what + "保留为 " + fieldText(accepted) + "。\n";
  return value;
}

void BodyEditor::applyFields(std::string_view height, std::string_view weight,
                             std::string_view month, std::string_view childHeight) {
  std::string problems;
  const std::string& kind = avatar_.modelName();
  if (kind == "Girl") {
    if (const auto child = acceptField(childHeight, settings.childHeightCm, "儿童身高", problems)) {
      settings.childHeightCm = clampChildHeight(*child);
      if (hooks.dropTransientState) hooks.dropTransientState();
      shaper_.SetBodyHeight(settings.childHeightCm);
      forgetShaping();
    }
  } else if (kind == "woman") {
    const auto h = acceptField(height, settings.heightCm, "身高", problems);
    const auto w = acceptField(weight, settings.weightJin, "体重", problems);
    const auto m = acceptField(month, settings.month, "孕期", problems);
    if (h) settings.heightCm = clampHeight(*h);
    if (w) settings.weightJin = clampWeight(*w);
    if (m) settings.month = clampMonth(*m);
    if (hooks.dropTransientState) hooks.dropTransientState();
    shaper_.SetBodyHeight(settings.heightCm);
    shaper_.SetBodyWeight(settings.weightJin);
    shaper_.SetPregnancyMonth(settings.month);
    forgetShaping();

    showSettings();
    if (hooks.reseatShoes) hooks.reseatShoes();
    const auto& skin = avatar_.skin;
    const auto highest = static_cast<std::size_t>(
        std::max(shipped::kWomanShoulderLeft, shipped::kWomanShoulderRight));
    if (hooks.shoulderLandmarks && skin.size() > highest)
      hooks.shoulderLandmarks(skin[shipped::kWomanShoulderLeft],
                              skin[shipped::kWomanShoulderRight]);
  }
  // The fields show what was accepted: clamped values, and the kept ones
  // in place of text that was no number.
  showFieldTexts();
  if (!problems.empty()) {
    problems.pop_back();
    dialogs_.showMessage(problems, "", MessageIcon::Warning);
  }
}

void BodyEditor::showSettings() {
  const float bmi = bodyMassIndex(settings.weightJin, settings.heightCm);
  pregnancyLabel =
      pregnancyWeightText(settings.weightJin + pregnancyWeightGain(bmi, settings.month));
  bodyMassLabel = bodyMassText(bmi);
  for (std::string& label : labels) label.clear();
  resetSliders(-1);
}

void BodyEditor::adoptSettings() {
  showFieldTexts();
  if (avatar_.modelName() == "woman") showSettings();
  forgetShaping();
}

void BodyEditor::reset() {
  settings = BodySettings{};
  showFieldTexts();
  bodyMassLabel = kInitialBodyMassText;
  pregnancyLabel.clear();
  for (std::string& label : labels) label.clear();
  resetSliders(-1);
  if (hooks.dropTransientState) hooks.dropTransientState();
  if (avatar_.loaded()) shaper_.RestoreLoadedShape();
  forgetShaping();
}

}  // namespace vestora
