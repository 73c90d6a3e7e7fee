#include "body/body_shaper.h"

#include <algorithm>
#include <cmath>

#include "avatar/shipped_numbers.h"
#include "body/measurement.h"
#include "formats/shape_files.h"

namespace vestora {
namespace {

using namespace shipped;

constexpr float kTallestHeightSet = 174.733f;
constexpr float kTallestGirlHeightSet = 142.237f;
constexpr float kScaleFileFactor = 0.005722093920160768f;  // k = height × this
constexpr float kWeightReferenceHeight = 164.931f;
constexpr float kPregnancyLowering = 0.55f;

constexpr std::array<RegionSlider, 13> kSliders = {{
    {" Chest", 2.22f, -0.42f},
    {" ChestBase", 1.96f, -0.42f},
    {" Waist", 1.92f, -0.48f},
    {" WaistAbdomen", 1.72f, -0.1f},
    {" HipBase", 0.8f, -0.14f},
    {" Buttocks", 0.76f, -0.1f},
    {" Inseam", 2.2f, -0.9f},
    {" Calf", 1.98f, -0.44f},
    {" Thigh", 1.98f, -0.44f},
    {" Knee", 1.32f, -0.44f},
    {" Shoulder", 1.1f, -0.42f},
    {" ShoulderSlope", 2.64f, -1.38f},
    {" NeckBase", 0.5f, -0.2f},
}};

// How a region is measured while it is shaped: a closed section through a
// fixed body point.
struct RegionMeasure {
  std::string_view region;
  int landmark;      // 0-based record the plane passes through
  float halfWindow;  // of the y window round the landmark, model units
  Vec3f normal;
  bool rightLegOnly;  // x window from the body's minimum to 0
  float factor;
};

constexpr std::array<RegionMeasure, 10> kRegionMeasures = {{
    {" Chest", kWomanChestPlane, 2.0f, {0, 1, 0}, false, 1.23f},
    {" ChestBase", kWomanChestPlane, 2.0f, {0, 1, 0}, false, 1.0f},
    {" Waist", kWomanWaist, 1.0f, {0, 1, 0}, false, 1.0f},
    {" WaistAbdomen", kWomanAbdomenShaping, 1.0f, {0, 1, 0}, false, 1.0f},
    {" HipBase", kWomanHipShaping, 1.0f, {0, 1, 0}, false, 1.0f},
    {" Buttocks", kWomanHipShaping, 1.0f, {0, 1, 0}, false, 1.1f},
    {" Thigh", kWomanThigh, 1.0f, {0, 1, 0}, true, 1.0f},
    {" Calf", kWomanCalf, 1.0f, {0, 1, 0}, true, 1.0f},
    {" Knee", kWomanKnee, 1.0f, {0, 1, 0}, true, 1.0f},
    // The neck plane leans 20 degrees: normal (0, cos 20°, sin 20°).
    {" NeckBase", kWomanNeckBase, 1.0f, {0, 0.9397f, 0.342f}, false, 1.0f},
}};

const RegionMeasure* regionMeasure(std::string_view region) {
  for (const auto& m : kRegionMeasures)
    if (m.region == region) return &m;
  return nullptr;
}

bool collarPattern(std::string_view name) {
  return name == " Shoulder" || name == " ShoulderSlope";
}

Vec3f at(const Avatar& a, int record) {
  return {a.skin[record].x, a.skin[record].y, a.skin[record].z};
}

}  // namespace

const RegionSlider* regionSlider(std::string_view region) {
  for (const auto& s : kSliders)
    if (s.region == region) return &s;
  return nullptr;
}

BodyShaper::BodyShaper(Avatar& avatar) : avatar_(avatar) {
  recomputeHeight();
}

void BodyShaper::recomputeHeight() {
  if (!avatar_.loaded()) return;
  const std::string& kind = avatar_.modelName();
  const int n = static_cast<int>(avatar_.skin.size());
  const float s = avatar_.unitScale();
  if (kind == "woman" && n > std::max(kWomanHeadTop, kWomanFootLowest))
    heightCm_ = (avatar_.skin[kWomanHeadTop].y - avatar_.skin[kWomanFootLowest].y) / s;
  else if (kind == "Girl" && n > std::max(kGirlHeadTop, kGirlFootLowest))
    heightCm_ = (avatar_.skin[kGirlHeadTop].y - avatar_.skin[kGirlFootLowest].y) / s;
  else
    heightCm_ = (avatar_.maximum[1] - avatar_.minimum[1]) / s;
  avatar_.lengthSlot = heightCm_;
}

void BodyShaper::commonRefresh() {
  for (ShapeRegion& r : regions_) r.refreshFrom(avatar_);
  avatar_.restSkin = avatar_.skin;
  avatar_.refreshTriangles();
  avatar_.updateBounds();
  if (!quiet_) avatar_.notifyReshaped();
}

namespace {

// The standing height (cm) of a whole-body vertex array (1-based) between
// two fixed records.
float setHeightCm(const std::vector<float>& set, int top, int foot, float unitScale) {
  return (set[3 * std::size_t(top + 1) + 1] - set[3 * std::size_t(foot + 1) + 1]) / unitScale;
}

}  // namespace

bool BodyShaper::heightFromTable(std::string_view table, float h, int top, int foot) {
  const std::size_t n = avatar_.skin.size();
  auto records = readShapeTable(avatar_.dataFile(table));
  if (!records) return warnings.push_back(records.error().message()), false;
  auto readSet = [&](const ShapeTableRecord& r) -> std::optional<std::vector<float>> {
    auto set = readVertexSet(avatar_.dataFile(r.fileName), n);
    if (!set) return warnings.push_back(set.error().message()), std::nullopt;
    return std::move(set).value();
  };
  std::vector<const ShapeTableRecord*> byKey;
  for (const ShapeTableRecord& r : records.value()) byKey.push_back(&r);
  std::stable_sort(byKey.begin(), byKey.end(), [](auto* a, auto* b) { return a->key < b->key; });
  const bool fixedPoints = n > static_cast<std::size_t>(std::max(top, foot));
  if (byKey.size() < 2 || !fixedPoints) {
    // Nothing to blend: the nearest record as it is.
    const ShapeTableRecord* r = nearestShapeRecord(records.value(), h);
    if (!r)
      return warnings.push_back(std::string(table) + ": no record near " + std::to_string(h)),
             false;
    auto set = readSet(*r);
    if (!set) return false;
    avatar_.model().vertices = std::move(*set);
    return true;
  }
  // The records share the body's numbering, and the height between the two
  // fixed records is linear in the blend of two of them: the blend factor
  // comes from the records' own heights. The keys only choose the first
  // pair; the pair moves on while the height lies beyond it.
  const float s = avatar_.unitScale();
  std::size_t i = 0;
  while (i + 2 < byKey.size() && byKey[i + 1]->key <= h) ++i;
  auto lower = readSet(*byKey[i]), upper = readSet(*byKey[i + 1]);
  if (!lower || !upper) return false;
  float lowerCm = setHeightCm(*lower, top, foot, s), upperCm = setHeightCm(*upper, top, foot, s);
  while (h < lowerCm && i > 0) {
    upper = std::move(lower), upperCm = lowerCm;
    if (!(lower = readSet(*byKey[--i]))) return false;
    lowerCm = setHeightCm(*lower, top, foot, s);
  }
  while (h > upperCm && i + 2 < byKey.size()) {
    lower = std::move(upper), lowerCm = upperCm;
    if (!(upper = readSet(*byKey[++i + 1]))) return false;
    upperCm = setHeightCm(*upper, top, foot, s);
  }
  // Beyond the table's shortest or tallest record the body stays that record.
  const float t =
      upperCm != lowerCm ? std::clamp((h - lowerCm) / (upperCm - lowerCm), 0.0f, 1.0f) : 0.0f;
  std::vector<float>& out = avatar_.model().vertices;
  if (t == 1.0f) {
    out = std::move(*upper);
  } else {
    out = std::move(*lower);
    if (t > 0)
      for (std::size_t k = 0; k < out.size(); ++k) out[k] += t * ((*upper)[k] - out[k]);
  }
  return true;
}

float BodyShaper::SetBodyHeight(float h) {
  forgetShaping();
  const std::string& kind = avatar_.modelName();
  const std::size_t n = avatar_.skin.size();
  float factor = 1.0f;
  bool changed = false;
  if (kind == "woman" && h <= kTallestHeightSet) {
    changed =
        heightFromTable("\\model\\ChinaFemale\\HeightPlot.plt", h, kWomanHeadTop, kWomanFootLowest);
  } else if (kind == "woman") {
    const std::string file = "\\model\\ChinaFemale\\scaleBodyHigh.dat";
    auto scales = readVertexTriples(avatar_.dataFile(file), n);
    const auto& base = avatar_.loader().midShape;
    if (!scales) {
      warnings.push_back(scales.error().message());
    } else if (scales.value().count < n || base.size() != 3 * (n + 1)) {
      warnings.push_back(
          file + ": holds " + std::to_string(scales.value().count) + " of " + std::to_string(n) +
          " vertices, or the body has no middle weight level; the height is unchanged");
    } else {
      const auto& scale = scales.value().values;  // 0-based
      // The height is k times the scaled middle level's height between the
      // fixed records: k follows from the height asked for.
      factor = h * kScaleFileFactor;
      if (n > static_cast<std::size_t>(std::max(kWomanHeadTop, kWomanFootLowest))) {
        const auto y = [&](int record) {
          return base[3 * std::size_t(record + 1) + 1] * scale[3 * std::size_t(record) + 1];
        };
        const float span = y(kWomanHeadTop) - y(kWomanFootLowest);
        if (span > 0) factor = h / span;
      }
      const auto& c = avatar_.centre();
      const float s = avatar_.unitScale();
      for (std::size_t v = 1; v <= n; ++v) {
        float* p = avatar_.model().vertex(static_cast<std::uint32_t>(v));
        for (int k = 0; k < 3; ++k)
          p[k] = (base[3 * v + k] * scale[3 * (v - 1) + k] * factor - c[k]) * s;
      }
      changed = true;
    }
  } else if (kind == "Girl" && h <= kTallestGirlHeightSet) {
    changed =
        heightFromTable("\\model\\ChinaGirl\\GirlHeightPlot.plt", h, kGirlHeadTop, kGirlFootLowest);
  }
  if (changed) avatar_.refreshFromModel();
  recomputeHeight();
  commonRefresh();
  return factor;
}

void BodyShaper::SetBodyWeight(float jin) {
  forgetShaping();
  if (avatar_.modelName() != "woman" || heightCm_ <= 0) return;
  const std::size_t n = avatar_.skin.size();
  const float key = jin * kWeightReferenceHeight / heightCm_;
  auto records = readShapeTable(avatar_.dataFile("\\model\\ChinaFemale\\WeightPlot.plt"));
  if (!records) return warnings.push_back(records.error().message());
  const ShapeTableRecord* r = nearestShapeRecord(records.value(), key);
  if (!r) return warnings.push_back("no weight record near " + std::to_string(key));
  auto set = readVertexSet(avatar_.dataFile(r->fileName), n);
  if (!set) return warnings.push_back(set.error().message());
  // A pose adds its offsets from the standard pose; read them first so that
  // a missing file changes nothing.
  std::string_view poseFile;
  if (avatar_.bagPose)
    poseFile = "\\model\\ChinaFemale\\nv_BagPose.dif";
  else if (avatar_.walkPose)
    poseFile = "\\model\\ChinaFemale\\nv_WalkPose.dif";
  else if (avatar_.standPose)
    poseFile = "\\model\\ChinaFemale\\nv_StandPose.dif";
  std::vector<float> offsets;
  if (!poseFile.empty()) {
    auto dif = readVertexTriples(avatar_.dataFile(poseFile), n);
    if (!dif || dif.value().count < n)
      return warnings.push_back(std::string(poseFile) +
                                ": missing or short; the weight is unchanged");
    offsets = std::move(dif.value().values);
  }
  GlmModel& m = avatar_.model();
  for (std::size_t v = 1; v <= n; ++v) {
    float* p = m.vertex(static_cast<std::uint32_t>(v));
    p[0] = set.value()[3 * v];
    p[2] = set.value()[3 * v + 2];
    if (!offsets.empty())
      for (int k = 0; k < 3; ++k) p[k] += offsets[3 * (v - 1) + k];
  }
  avatar_.refreshFromModel();
  recomputeHeight();
  commonRefresh();
}

void BodyShaper::SetPregnancyMonth(float monthIn) {
  forgetShaping();
  if (avatar_.modelName() != "woman") return;
  const int month = std::clamp(static_cast<int>(monthIn), 1, 10);
  const std::size_t n = avatar_.skin.size();
  const std::string file = "\\model\\Pregnancy\\yunfu." + std::to_string(month) + ".bnm";
  auto offsets = readVertexSet(avatar_.dataFile(file), n);
  if (!offsets) return warnings.push_back(offsets.error().message());
  GlmModel& m = avatar_.model();
  for (std::size_t v = 1; v <= n; ++v) {
    float* p = m.vertex(static_cast<std::uint32_t>(v));
    p[0] += offsets.value()[3 * v];
    p[1] += offsets.value()[3 * v + 1] - kPregnancyLowering;
    p[2] += offsets.value()[3 * v + 2];
  }
  avatar_.refreshFromModel();
  recomputeHeight();
  commonRefresh();
}

bool BodyShaper::RestoreLoadedShape() {
  forgetShaping();
  if (!avatar_.restoreLoadedShape()) return false;
  recomputeHeight();
  commonRefresh();
  return true;
}

void BodyShaper::forgetShaping() {
  for (ShapeRegion& r : regions_) r.lattice.reset();
  selected_.clear();
  amounts_.clear();
}

Result<void> BodyShaper::LoadShapeRegions(std::string_view path) {
  auto regions = loadShapeRegions(avatar_.dataFile(path), avatar_);
  regions_.clear();
  selected_.clear();
  amounts_.clear();
  regionFile_.clear();
  if (!regions) return regions.error();
  regions_ = std::move(regions).value();
  regionFile_ = std::string(path);
  return {};
}

ShapeRegion* BodyShaper::region(std::string_view name) {
  for (ShapeRegion& r : regions_)
    if (r.name == name) return &r;
  return nullptr;
}

bool BodyShaper::SelectShapeRegion(std::string_view name) {
  if (regionFile_.size() <= 2) return false;
  std::vector<ShapeRegion*> chosen;
  if (collarPattern(name)) {
    chosen = {region(" LeftCollar"), region(" RightCollar")};
  } else {
    chosen = {region(name)};
  }
  if (std::find(chosen.begin(), chosen.end(), nullptr) != chosen.end()) return false;
  for (ShapeRegion& r : regions_) r.lattice.reset();
  for (ShapeRegion* r : chosen) {
    r->refreshFrom(avatar_);
    r->updateBox(avatar_);
    r->lattice = std::make_unique<ShapeLattice>(
        r->minimum,
        Vec3f{r->maximum.x - r->minimum.x, r->maximum.y - r->minimum.y,
              r->maximum.z - r->minimum.z},
        r->positions);
  }
  selected_ = std::string(name);
  return true;
}

bool BodyShaper::deformRegion(ShapeRegion& r, std::string_view pattern, const Vec3f& amount,
                              BodySide side) {
  if (!r.lattice) return false;
  if (!applyRegionPattern(pattern, *r.lattice, amount, side)) return false;
  const std::vector<Vec3f> before = std::move(r.positions);
  r.positions = r.lattice->deformed();
  for (std::size_t i = 0; i < r.vertices.size(); ++i) {
    SkinVertex& s = avatar_.skin[r.vertices[i]];
    s.x = r.positions[i].x;
    s.y = r.positions[i].y;
    s.z = r.positions[i].z;
  }
  // The rings round the region ease its border's move into the body.
  if (before.size() == r.positions.size())
    for (const SkirtVertex& k : r.skirt) {
      const auto b = static_cast<std::size_t>(k.border);
      SkinVertex& s = avatar_.skin[static_cast<std::size_t>(k.record)];
      s.x += k.weight * (r.positions[b].x - before[b].x);
      s.y += k.weight * (r.positions[b].y - before[b].y);
      s.z += k.weight * (r.positions[b].z - before[b].z);
    }
  return true;
}

std::optional<float> BodyShaper::DeformRegion(std::string_view name, float dx, float dy, float dz) {
  if (!shapeRegion(name, dx, dy, dz)) return std::nullopt;
  return measureRegion(name);
}

bool BodyShaper::shapeRegion(std::string_view name, float dx, float dy, float dz) {
  const Vec3f amount{dx, dy, dz};
  bool done = false;
  if (collarPattern(name)) {
    ShapeRegion* left = region(" LeftCollar");
    ShapeRegion* right = region(" RightCollar");
    if (!left || !right || !left->lattice || !right->lattice) return false;
    done = deformRegion(*left, name, amount, BodySide::Left) &&
           deformRegion(*right, name, amount, BodySide::Right);
  } else {
    ShapeRegion* r = region(name);
    if (!r || !r->lattice) return false;
    done = deformRegion(*r, name, amount, BodySide::Middle);
  }
  if (!done) return false;
  avatar_.refreshFromSkin();
  if (!quiet_) avatar_.notifyReshaped();
  auto it = std::find_if(amounts_.begin(), amounts_.end(),
                         [&](const auto& a) { return a.first == name; });
  if (it == amounts_.end())
    amounts_.push_back({std::string(name), dz});
  else
    it->second += dz;
  return true;
}

float BodyShaper::amountOf(std::string_view name) const {
  for (const auto& [region, amount] : amounts_)
    if (region == name) return amount;
  return 0.0f;
}

std::optional<float> BodyShaper::measureRegion(std::string_view name) {
  const float s = avatar_.unitScale();
  const int n = static_cast<int>(avatar_.skin.size());
  auto have = [&](std::initializer_list<int> records) {
    for (int r : records)
      if (r >= n) return false;
    return true;
  };
  sectionPoints.clear();
  if (name == " Inseam") {
    if (!have({kWomanCrotch, kWomanCrotchFloor})) return std::nullopt;
    const Vec3f a = at(avatar_, kWomanCrotch), b = at(avatar_, kWomanCrotchFloor);
    sectionPoints = {{a.x, a.y, a.z, -1}, {b.x, b.y, b.z, -1}};
    avatar_.girthSlot = std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                                  (a.z - b.z) * (a.z - b.z)) /
                        s;
    avatar_.lengthSlot = std::abs(a.y - b.y) / s;
    return static_cast<float>(avatar_.lengthSlot);
  }
  if (name == " Shoulder") {
    if (!have({kWomanShoulderLeft, kWomanShoulderRight})) return std::nullopt;
    const Vec3f a = at(avatar_, kWomanShoulderLeft), b = at(avatar_, kWomanShoulderRight);
    sectionPoints = {{a.x, a.y, a.z, -1}, {b.x, b.y, b.z, -1}};
    avatar_.lengthSlot = std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                                   (a.z - b.z) * (a.z - b.z)) /
                         s * 1.1;
    return static_cast<float>(avatar_.lengthSlot);
  }
  if (name == " ShoulderSlope") {
    if (!have({kWomanNeckSide, kWomanShoulderLeft})) return std::nullopt;
    const Vec3f a = at(avatar_, kWomanNeckSide), b = at(avatar_, kWomanShoulderLeft);
    sectionPoints = {{a.x, a.y, a.z, -1}, {b.x, b.y, b.z, -1}};
    avatar_.lengthSlot = std::atan((a.y - b.y) / (b.x - a.x)) * 57.29577791868204;
    return static_cast<float>(avatar_.lengthSlot);
  }
  if (name == " Chest") {
    // The bust as a tape takes it at the bust points (the section through
    // the under-bust fold would follow the fold, not the bust the slider
    // shapes).
    const auto bust = bustGirthCm(avatar_, &sectionPoints);
    if (!bust) return std::nullopt;
    avatar_.girthSlot = *bust;
    return *bust;
  }
  const RegionMeasure* how = regionMeasure(name);
  ShapeRegion* r = region(name);
  if (!how || !r || !have({how->landmark})) return std::nullopt;
  // Another region's shaping may have moved vertices this one shares.
  r->refreshFrom(avatar_);
  const Vec3f p = at(avatar_, how->landmark);
  const SectionWindow window{avatar_.minimum[0], how->rightLegOnly ? 0.0f : avatar_.maximum[0],
                             p.y - how->halfWindow, p.y + how->halfWindow};
  const auto corners = r->corners();
  float length = SectionLength(p, how->normal, window, corners, sectionPoints, true);
  if (name == " HipBase") {
    // The hips as a tape takes them, bridging the cleft between the buttocks.
    SectionLoop loop;
    for (const SectionPoint& q : sectionPoints) loop.points.push_back({q.x, q.y, q.z});
    length = loop.tapeLength(how->normal);
  }
  avatar_.girthSlot = length / s * how->factor;
  return static_cast<float>(avatar_.girthSlot);
}

BodyShaper::Solved BodyShaper::SolveRegionToMeasure(std::string_view name, float target) {
  // The trial shapes are not shown: whoever follows the body hears of the
  // final one only.
  const bool wasQuiet = quiet_;
  quiet_ = true;
  Solved out = solveRegion(name, target);
  quiet_ = wasQuiet;
  if (!quiet_ && out.evaluations > 0) avatar_.notifyReshaped();
  return out;
}

BodyShaper::Solved BodyShaper::solveRegion(std::string_view name, float target) {
  Solved out;
  const RegionSlider* slider = regionSlider(name);
  if (!slider) {
    out.message = "\"" + std::string(name) + "\" cannot be set to a measure";
    return out;
  }
  if (selected_ != name && !SelectShapeRegion(name)) {
    out.message = "the body has no region \"" + std::string(name) + "\"";
    return out;
  }
  // The measurement is a smooth, nearly linear function of the amount on
  // one lattice: bracket the target between the slider's ends, then close
  // in by the Illinois variant of regula falsi.
  float current = amountOf(name);
  auto valueAt = [&](float amount) {
    ++out.evaluations;
    const auto v = DeformRegion(name, 0, 0, amount - current);
    current = amount;
    return v.value_or(0.0f);
  };
  float lo = slider->minimum(), hi = slider->maximum();
  float flo = valueAt(lo) - target;
  float fhi = valueAt(hi) - target;
  out.lowest = std::min(flo, fhi) + target;
  out.highest = std::max(flo, fhi) + target;
  if ((flo > 0) == (fhi > 0)) {
    // Out of reach: leave the body at the nearer end.
    const bool lowEnd = std::abs(flo) < std::abs(fhi);
    out.value = (lowEnd ? valueAt(lo) : fhi + target);
    out.amount = current;
    out.message = "the target is out of reach: the region measures from " +
                  std::to_string(std::min(flo, fhi) + target) + " to " +
                  std::to_string(std::max(flo, fhi) + target) + " cm";
    return out;
  }
  constexpr float kTolerance = 0.1f;  // cm
  float x = hi, fx = fhi;
  int side = 0;
  while (out.evaluations < 12) {
    x = (lo * fhi - hi * flo) / (fhi - flo);
    fx = valueAt(x) - target;
    if (std::abs(fx) <= kTolerance) break;
    if ((fx > 0) == (fhi > 0)) {
      hi = x, fhi = fx;
      if (side == 1) flo /= 2;
      side = 1;
    } else {
      lo = x, flo = fx;
      if (side == -1) fhi /= 2;
      side = -1;
    }
  }
  out.amount = current;
  out.value = fx + target;
  out.reached = std::abs(fx) <= 0.2f;
  if (!out.reached) out.message = "no amount within 2 mm of the target after 12 evaluations";
  return out;
}

}  // namespace vestora
