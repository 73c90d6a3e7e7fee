// Reshaping the avatar's body: whole-body height, weight and month of
// pregnancy from the shape files, and local reshaping of named regions
// through their lattices, each followed by the measurement of what changed.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "avatar/avatar.h"
#include "body/region_patterns.h"
#include "body/shape_region.h"

namespace vestora {

// The body editor's slider for a region: amount A = s × gain / 255 + offset
// for slider positions s from 0 to 255.
struct RegionSlider {
  std::string_view region;
  float gain;
  float offset;
  float minimum() const { return offset; }
  float maximum() const { return gain + offset; }
};

// Sliders of the shaping regions (the dimensions that take an amount).
const RegionSlider* regionSlider(std::string_view region);

// Every reshaping ends with the avatar's reshaping notice (the dressed
// garment follows the body through it). A whole-body reshaping (height,
// weight, month, restoring the loaded shape) drops every region lattice,
// the selection and the amounts: a lattice built over the earlier shape
// would write that shape back, so a region is selected again before it is
// shaped.
class BodyShaper {
 public:
  explicit BodyShaper(Avatar& avatar);

  // Reshape to a standing height in cm (the woman from 155 on, the girl up
  // to 142.237), measured between the fixed points of the head top and the
  // sole. Up to the table's tallest record the two records whose own
  // heights enclose the height are blended; above it (the woman) the
  // scale-file body is scaled by the factor k that gives the height.
  // Heights beyond the table's shortest record give that record. Returns k,
  // 1.0 when a shape table was used. A missing or short file leaves the
  // shape as it was and says so in `warnings`.
  float SetBodyHeight(float heightCm);
  // Reshape the woman to a weight in jin (x and z from the weight table, y
  // kept; the pose's offsets added in the other poses).
  void SetBodyWeight(float jin);
  // Add the belly of a month of pregnancy (the woman only).
  void SetPregnancyMonth(float month);

  // Puts back the body as it was loaded, with the common refresh and its
  // reshaping notice. False when no body is loaded.
  bool RestoreLoadedShape();

  // The current standing height in cm, measured between the fixed points of
  // the head top and the lowest point of the feet.
  float currentHeightCm() const { return heightCm_; }

  Result<void> LoadShapeRegions(std::string_view path);
  // Makes a region current and builds its lattice over its current shape.
  // " Shoulder" and " ShoulderSlope" select both collar regions. Returns
  // false when there is no such region or no region file.
  bool SelectShapeRegion(std::string_view name);
  // Applies the region's pattern for (dx, dy, dz) to its lattice, writes the
  // result into the body and returns the region's measurement (cm, or
  // degrees for " ShoulderSlope"); nullopt when the region has no lattice.
  std::optional<float> DeformRegion(std::string_view name, float dx, float dy, float dz);
  // The same without the measurement: false when the region has no lattice.
  bool shapeRegion(std::string_view name, float dx, float dy, float dz);

  // The shaping-time measurement of a region on the body as it is.
  std::optional<float> measureRegion(std::string_view name);

  // Finds the amount, within the slider's range, at which the region's
  // measurement equals `targetCm`, and leaves the body shaped so.
  struct Solved {
    bool reached = false;
    float amount = 0;               // the slider amount the region now has
    float value = 0;                // its measurement there
    int evaluations = 0;            // lattice evaluations spent
    float lowest = 0, highest = 0;  // the measurements at the slider's two ends
    std::string message;            // why the target could not be reached
  };
  Solved SolveRegionToMeasure(std::string_view name, float targetCm);

  // The amount the region was last deformed to (the slider's previous amount).
  float amountOf(std::string_view region) const;

  const std::vector<ShapeRegion>& regions() const { return regions_; }
  Avatar& avatar() { return avatar_; }

  // While quiet, reshaping sends no notice: whoever shapes trial bodies
  // sets it and sends one notice (Avatar::notifyReshaped) for the last.
  void setQuiet(bool quiet) { quiet_ = quiet; }
  bool quiet() const { return quiet_; }
  std::vector<std::string> warnings;
  // The section points of the last measurement (for drawing), model units.
  std::vector<SectionPoint> sectionPoints;

 private:
  void commonRefresh();
  void forgetShaping();
  // Sets the model's vertices from the shape table at `table` for a height
  // in cm; `top` and `foot` are the kind's fixed records. False (with a
  // warning) when nothing was set.
  bool heightFromTable(std::string_view table, float heightCm, int top, int foot);
  Solved solveRegion(std::string_view name, float targetCm);
  void recomputeHeight();
  ShapeRegion* region(std::string_view name);
  bool deformRegion(ShapeRegion& r, std::string_view pattern, const Vec3f& amount, BodySide side);

  Avatar& avatar_;
  std::string regionFile_;
  std::vector<ShapeRegion> regions_;
  std::string selected_;
  float heightCm_ = 0;
  std::vector<std::pair<std::string, float>> amounts_;
  bool quiet_ = false;  // no reshaping notices while solving for a measure
};

}  // namespace vestora
