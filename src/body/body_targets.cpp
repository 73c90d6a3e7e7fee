#include "body/body_targets.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace vestora {
namespace {

constexpr const char* kNoFineShaping = "抱歉，该类体型暂无微调功能！";
constexpr const char* kStandardPoseOnly = "请设定为标准站姿进行测量！";

// Results of the full measurement that are not in MeasureResults::value.
constexpr int kHeightResult = -1, kShoulderWidthResult = -2, kNoResult = -3;

struct TargetSpec {
  std::string_view name;
  std::string_view region;  // empty for the whole-body settings
  int result;               // MeasureIndex, ExtraMeasure or one of the above
  // First guess of the result's change per unit of the region's amount
  // (cm), as the shipped body has it; each solve corrects it as it goes.
  float slope;
};

constexpr std::array<TargetSpec, 12> kSpecs = {{
    {"height", "", kHeightResult, 0},
    {"weight", "", kNoResult, 0},
    {"chest", " Chest", kChest, 6.1f},
    {"underbust", " ChestBase", kUnderBustResult, 7.1f},
    {"waist", " Waist", kWaist, 7.2f},
    {"abdomen", " WaistAbdomen", kAbdomen, 8.4f},
    {"hip", " HipBase", kHip, 28.7f},
    {"thigh", " Thigh", kUpperThigh, 13.1f},
    {"calf", " Calf", kCalf, 11.8f},
    {"knee", " Knee", kKnee, 8.9f},
    {"neck", " NeckBase", kNeckBaseResult, 6.8f},
    {"shoulder", " Shoulder", kShoulderWidthResult, 2.8f},
}};

const TargetSpec* specFor(std::string_view name) {
  for (const TargetSpec& s : kSpecs)
    if (s.name == name) return &s;
  return nullptr;
}

float resultOf(const MeasureResults& r, int result) {
  if (result == kHeightResult) return r.heightCm;
  if (result == kShoulderWidthResult) return r.shoulderWidthCm;
  if (result == kUnderBustResult) return r.underBustCm;
  if (result == kNeckBaseResult) return r.neckBaseCm;
  if (result >= 0 && result < static_cast<int>(r.value.size())) return r.value[result];
  return 0;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string knownNames() {
  std::string out;
  for (std::string_view n : kBodyTargetNames) out += (out.empty() ? "" : ", ") + std::string(n);
  return out;
}

std::string cm(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// A region is solved again when its result is further than this from its
// target (cm), and then to within kRegionClose.
constexpr float kConverged = 0.1f;
constexpr float kRegionClose = 0.02f;
constexpr int kMaxRounds = 8;
constexpr int kMaxRegionSteps = 12;

// One region with a target, through the rounds.
struct RegionGoal {
  std::size_t outcome;  // index into BodyFit::targets
  const TargetSpec* spec;
  float target;     // cm
  float slope = 0;  // the result's change per unit of amount, from the last steps
  // −1 / +1: the last solve stopped at the slider's lower / upper end, short
  // of the target.
  int end = 0;
};

// The goal's result as the full measurement takes it, taking only that.
float resultNow(const Avatar& avatar, const RegionGoal& goal) {
  MeasureWanted wanted;
  if (goal.spec->result >= 0) wanted.set(goal.spec->result);
  return resultOf(measureAvatar(avatar, wanted), goal.spec->result);
}

// Moves the region's amount, from where it is, to where the goal's result
// is its target: secant steps within the slider's range, starting from the
// slope of the last solve. A result may jump where sections meet (a full
// bust reaching the arms): once amounts on both sides of the target are
// known, a step that leaves them halves them instead, so the solve ends at
// the jump. Nothing is done for a result within kConverged of its target.
// Returns whether the body changed.
bool solveRegion(BodyShaper& shaper, RegionGoal& goal) {
  const std::string_view name = goal.spec->region;
  const RegionSlider* slider = regionSlider(name);
  float value = resultNow(shaper.avatar(), goal);
  if (!slider || std::abs(value - goal.target) <= kConverged) return false;
  float amount = shaper.amountOf(name);
  auto stepFrom = [&] {
    return std::clamp(amount + (goal.target - value) / goal.slope, slider->minimum(),
                      slider->maximum());
  };
  // Short of the target at the slider's end: the body goes no further.
  auto atEnd = [&] {
    goal.end = amount == slider->minimum() && value > goal.target + kRegionClose   ? -1
               : amount == slider->maximum() && value < goal.target - kRegionClose ? 1
                                                                                   : 0;
  };
  if (stepFrom() == amount) return atEnd(), false;
  if (!shaper.SelectShapeRegion(name)) return false;
  bool moved = false;
  std::optional<float> below, above;  // amounts giving less / more than the target
  for (int step = 0; step < kMaxRegionSteps && std::abs(value - goal.target) > kRegionClose;
       ++step) {
    (value < goal.target ? below : above) = amount;
    float next = stepFrom();
    if (below && above) {
      const float lo = std::min(*below, *above), hi = std::max(*below, *above);
      if (hi - lo < 1e-4f) break;
      if (!(next > lo && next < hi)) next = (lo + hi) / 2;
    }
    if (next == amount || !shaper.shapeRegion(name, 0, 0, next - amount)) break;
    moved = true;
    const float now = resultNow(shaper.avatar(), goal);
    // A step too small to tell the slope, or a slope far from the region's
    // own, keeps the one there is.
    const float slope = (now - value) / (next - amount);
    if (std::abs(next - amount) > 1e-3f && slope > 0.25f * goal.spec->slope &&
        slope < 4 * goal.spec->slope)
      goal.slope = slope;
    amount = next, value = now;
  }
  atEnd();
  return moved;
}

// Fits the regions together: each round solves, in turn, every region whose
// result is off its target (Gauss–Seidel: a region is solved on the body
// the ones before it left; the chest lattice moves the under-bust, the waist
// the abdomen). The fit ends with a round that changes nothing, so every
// result is then within kConverged of its target or its region is at the
// end of its slider.
void fitRegions(BodyShaper& shaper, std::vector<RegionGoal>& goals, BodyFit& fit) {
  for (RegionGoal& g : goals) g.slope = g.spec->slope;
  for (int round = 0; round < kMaxRounds; ++round) {
    ++fit.iterations;
    bool moved = false;
    for (RegionGoal& g : goals) moved = solveRegion(shaper, g) || moved;
    if (!moved) break;
  }
}

}  // namespace

bool BodyFit::allReached() const {
  if (refused) return false;
  return std::all_of(targets.begin(), targets.end(),
                     [](const TargetOutcome& t) { return t.reached; });
}

Result<std::vector<BodyTarget>> parseBodyTargets(std::string_view text) {
  auto fail = [](const std::string& what) { return makeError("measures", what); };
  std::vector<BodyTarget> out;
  if (trim(text).empty())
    return fail("no measures given; write NAME=VALUE,... (" + knownNames() + ")");
  std::size_t from = 0;
  while (true) {
    const std::size_t comma = text.find(',', from);
    const std::string_view item =
        trim(text.substr(from, comma == std::string_view::npos ? text.npos : comma - from));
    if (item.empty()) return fail("an empty item in \"" + std::string(text) + "\"");
    const std::size_t equals = item.find('=');
    if (equals == std::string_view::npos)
      return fail("\"" + std::string(item) + "\" is not NAME=VALUE");
    const std::string name(trim(item.substr(0, equals)));
    const std::string_view value = trim(item.substr(equals + 1));
    if (!specFor(name))
      return fail("unknown measure \"" + name + "\" (known: " + knownNames() + ")");
    if (std::any_of(out.begin(), out.end(), [&](const BodyTarget& t) { return t.name == name; }))
      return fail("\"" + name + "\" is given twice");
    float number = 0;
    const auto read = std::from_chars(value.data(), value.data() + value.size(), number);
    if (value.empty() || read.ec != std::errc() || read.ptr != value.data() + value.size())
      return fail(name + ": \"" + std::string(value) + "\" is not a number");
    if (!std::isfinite(number))
      return fail(name + ": \"" + std::string(value) + "\" is not a finite number");
    out.push_back({name, number});
    if (comma == std::string_view::npos) break;
    from = comma + 1;
  }
  return out;
}

BodyFit fitBodyToTargets(BodyShaper& shaper, const std::vector<BodyTarget>& targets,
                         const WholeBodySettings& current) {
  BodyFit fit;
  fit.applied = current;
  Avatar& avatar = shaper.avatar();
  for (const BodyTarget& t : targets) fit.targets.push_back({t.name, t.value, 0, false});
  auto refuse = [&](std::string message) {
    fit.refused = true;
    fit.messages.push_back(std::move(message));
    return fit;
  };
  for (std::size_t i = 0; i < targets.size(); ++i) {
    if (!specFor(targets[i].name)) return refuse("unknown measure \"" + targets[i].name + "\"");
    for (std::size_t j = 0; j < i; ++j)
      if (targets[j].name == targets[i].name)
        return refuse("\"" + targets[i].name + "\" is given twice");
  }
  if (!avatar.loaded()) return refuse("no body is loaded");
  const bool woman = avatar.modelName() == "woman", girl = avatar.modelName() == "Girl";
  if (!woman && !girl) return refuse(kNoFineShaping);
  if (woman && !avatar.highPose) return refuse(kStandardPoseOnly);
  if (targets.empty()) return fit;

  auto given = [&](std::string_view name) -> std::optional<float> {
    for (const BodyTarget& t : targets)
      if (t.name == name) return t.value;
    return std::nullopt;
  };
  // A whole-body value beyond the editor's range is set at its nearer end.
  auto withinRange = [&](std::string_view name, float value, float lowest, float highest,
                         const char* unit) {
    const float set = std::clamp(value, lowest, highest);
    if (set != value && given(name))
      fit.messages.push_back(std::string(name) + " " + cm(value) + " " + unit +
                             " is out of reach: the " + (value < lowest ? "smallest" : "largest") +
                             " this body reaches is " + cm(set) + " " + unit + " (" +
                             cm(std::abs(value - set)) + " " + unit + " off)");
    return set;
  };

  const bool wasQuiet = shaper.quiet();
  shaper.setQuiet(true);
  std::vector<RegionGoal> goals;
  if (woman) {
    const float height = withinRange("height", given("height").value_or(current.heightCm),
                                     kFitShortestCm, kFitTallestCm, "cm");
    const float weight = withinRange("weight", given("weight").value_or(current.weightJin),
                                     kFitLightestJin, kFitHeaviestJin, "jin");
    // The editor's month field: above 10 is 10, below 0 is 1, 0 stays.
    const float month = current.month > 10 ? 10 : current.month < 0 ? 1 : current.month;
    shaper.SetBodyHeight(height);
    shaper.SetBodyWeight(weight);
    shaper.SetPregnancyMonth(month);
    fit.applied = {height, weight, month};
    for (std::size_t i = 0; i < targets.size(); ++i) {
      const TargetSpec* spec = specFor(targets[i].name);
      if (!spec->region.empty()) goals.push_back({i, spec, targets[i].value});
    }
    // In the order of the names, whatever the order given.
    std::stable_sort(goals.begin(), goals.end(),
                     [](const RegionGoal& a, const RegionGoal& b) { return a.spec < b.spec; });
    if (!goals.empty() && shaper.regions().empty()) {
      if (auto loaded = shaper.LoadShapeRegions(kindResources("woman")->wholeBodyGroup); !loaded) {
        fit.messages.push_back(loaded.error().message());
        goals.clear();
      }
    }
  } else {
    const float height = withinRange("height", given("height").value_or(current.heightCm),
                                     kFitShortestGirlCm, kFitTallestGirlCm, "cm");
    shaper.SetBodyHeight(height);
    fit.applied.heightCm = height;
    for (const BodyTarget& t : targets)
      if (t.name != "height") fit.messages.push_back(t.name + ": " + kNoFineShaping);
  }
  if (!goals.empty()) fitRegions(shaper, goals, fit);
  shaper.setQuiet(wasQuiet);
  if (!wasQuiet) avatar.notifyReshaped();

  fit.measured = measureAvatar(avatar);
  for (TargetOutcome& t : fit.targets) {
    const TargetSpec* spec = specFor(t.name);
    if (t.name == "weight") {
      t.result = fit.applied.weightJin;
      t.reached = woman && t.result == t.target;
      continue;
    }
    t.result = resultOf(fit.measured, spec->result);
    t.reached = (woman || t.name == "height") && std::abs(t.result - t.target) <= kTargetTolerance;
  }
  // Why a target was missed, by what the full measurement says now (a
  // whole-body value out of the editor's range is told already).
  auto missed = [&](const TargetOutcome& t, const std::string& why) {
    fit.messages.push_back(t.name + " " + cm(t.target) + " cm " + why + " " + cm(t.result) +
                           " cm (" + cm(std::abs(t.result - t.target)) + " cm off)");
  };
  for (const TargetOutcome& t : fit.targets)
    if (t.name == "height" && !t.reached && t.target == fit.applied.heightCm)
      missed(t, "was not reached: the body measures");
  for (const RegionGoal& g : goals) {
    const TargetOutcome& t = fit.targets[g.outcome];
    if (t.reached) continue;
    if (g.end != 0)
      missed(t, std::string("is out of reach: the ") + (g.end < 0 ? "smallest" : "largest") +
                    " this body reaches is");
    else
      missed(t, "was not reached: the body measures");
  }
  return fit;
}

}  // namespace vestora
