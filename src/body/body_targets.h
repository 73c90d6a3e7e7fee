// Fitting the woman's body to a set of measures ("your measurements"): the
// standing height and the weight through the whole-body settings, then the
// girths and the shoulder width through their shaping regions, solved
// together until the full measurement of the reshaped body gives every
// target. The girl takes only her height; other bodies are refused.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "body/body_shaper.h"
#include "body/measurement.h"
#include "platform/result.h"

namespace vestora {

// One measure asked for: "height" (cm), "weight" (斤), "chest", "underbust",
// "waist", "abdomen", "hip", "thigh", "calf", "knee", "neck", "shoulder"
// (cm). The girths compare with the full measurement's results: "thigh"
// with the upper thigh girth, "underbust" and "neck" with the under-bust and
// neck base girths, "shoulder" with the shoulder width.
struct BodyTarget {
  std::string name;
  float value = 0;
};

// The names in the order the fit takes them.
inline constexpr std::array<std::string_view, 12> kBodyTargetNames = {
    "height", "weight", "chest", "underbust", "waist", "abdomen",
    "hip",    "thigh",  "calf",  "knee",      "neck",  "shoulder"};

// Reads "height=165,chest=90,waist=70,hip=98": NAME=VALUE items separated by
// commas, blanks round names and values allowed. An unknown name, a name
// given twice, a value that is not a finite number and an empty item are
// errors that name the item. Values are not checked against any range: the
// fit reports what it cannot reach.
Result<std::vector<BodyTarget>> parseBodyTargets(std::string_view text);

// The body editor's whole-body settings: where the fit starts from, and what
// it keeps for a height or weight it is not given. For the girl only the
// height counts (the editor's child height field).
struct WholeBodySettings {
  float heightCm = 174.7f;  // standing height
  float weightJin = 111.5f;
  float month = 0;  // of pregnancy; 0 = not pregnant
};
// The child height field's starting value (cm).
inline constexpr float kGirlStartingHeightCm = 115.44f;

// The editor's ranges of the whole-body fields.
inline constexpr float kFitShortestCm = 155, kFitTallestCm = 200;
inline constexpr float kFitLightestJin = 80, kFitHeaviestJin = 155;
inline constexpr float kFitShortestGirlCm = 80, kFitTallestGirlCm = 142.237f;

// A target counts as reached when the full measurement of the fitted body
// lies this close to it (cm).
inline constexpr float kTargetTolerance = 0.2f;

struct TargetOutcome {
  std::string name;
  float target = 0;
  // The full measurement of the fitted body (cm); for the weight, the
  // weight the body was given (斤).
  float result = 0;
  bool reached = false;
};

struct BodyFit {
  std::vector<TargetOutcome> targets;  // in the order they were given
  // Rounds of region solves, each closed by a measurement of the body.
  int iterations = 0;
  // Why a target was not reached, naming it; and the refusal of a body
  // that cannot be fitted.
  std::vector<std::string> messages;
  WholeBodySettings applied;  // the whole-body settings the body now has
  bool refused = false;       // nothing was changed
  MeasureResults measured;    // the full measurement of the fitted body
  bool allReached() const;
};

// Reshapes the shaper's body so that its full measurement meets `targets`:
// the whole body first, as the body editor applies it (height, then weight,
// then the month of `current` again; each within the editor's range), which
// replaces any earlier shaping, then every region with a target, together.
// A target beyond the editor's range or the region's slider is met as
// nearly as the body allows and reported by name with how far off it stays;
// the others are still met. The trial shapes send no reshaping notice: the
// fitted body sends one. Loads the woman's regions when the shaper has
// none. Targets name each body measure at most once (as parseBodyTargets
// gives them); otherwise, and for a body other than the woman and the girl,
// or the woman in a pose other than the standard one, the fit is refused.
BodyFit fitBodyToTargets(BodyShaper& shaper, const std::vector<BodyTarget>& targets,
                         const WholeBodySettings& current);

}  // namespace vestora
