// The adult woman: the default body in four poses, and every file that
// shapes, measures, skins and animates her.
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "avatar/shipped_numbers.h"
#include "body/section.h"
#include "content/body_files.h"
#include "content/fixed_points.h"
#include "formats/shape_files.h"

namespace vestora::generate {
namespace {

constexpr double kDefaultHeight = 174.7332;
// The weight the body editor starts from (111.5 jin) as a key of the weight
// table: normalised to a 164.931 cm body.
constexpr double kDefaultWeightKey = 111.5 * 164.931 / 174.7;
constexpr std::string_view kFolder = "\\model\\ChinaFemale\\";

std::string path(std::string_view name) {
  return std::string(kFolder) + std::string(name);
}

// Girths follow the square root of the weight at a given height.
double fatForWeightKey(double key) {
  return std::sqrt(key / kDefaultWeightKey) - 1.0;
}

// ---- poses ----
Pose bagPose() {
  Pose p;
  // Left forearm raised forward with the bag in the crook of the elbow.
  p.turn(kLeftShoulder, {0, 0, 1}, -10).turn(kLeftShoulder, {1, 0, 0}, 8);
  p.turn(kLeftElbow, {1, 0, 0}, -88).turn(kLeftElbow, {0, 0, 1}, -12);
  p.turn(kLeftWrist, {1, 0, 0}, 15);
  p.turn(kRightShoulder, {0, 0, 1}, 6);
  p.turn(kNeck, {0, 1, 0}, 6);
  return p;
}

Pose walkPose() {
  Pose p;
  // Mid stride: the left leg forward, the right foot planted behind.
  p.turn(kLeftHip, {1, 0, 0}, -22).turn(kLeftKnee, {1, 0, 0}, 10).turn(kLeftAnkle, {1, 0, 0}, 4);
  p.turn(kRightHip, {1, 0, 0}, 11).turn(kRightKnee, {1, 0, 0}, 4).turn(kRightAnkle, {1, 0, 0}, -15);
  // Arms swing against the legs.
  p.turn(kLeftShoulder, {1, 0, 0}, 16).turn(kLeftElbow, {1, 0, 0}, -8);
  p.turn(kRightShoulder, {1, 0, 0}, -18).turn(kRightElbow, {1, 0, 0}, -22);
  p.turn(kSpine, {0, 1, 0}, -4).turn(kNeck, {0, 1, 0}, 4);
  return p;
}

Pose standPose() {
  Pose p;
  // Weight on the right leg, the left knee eased, the left hand on the hip.
  p.turn(kHips, {0, 0, 1}, -2.5);
  p.turn(kLeftHip, {1, 0, 0}, -5).turn(kLeftHip, {0, 0, 1}, 2.5).turn(kLeftKnee, {1, 0, 0}, 10);
  p.turn(kLeftAnkle, {1, 0, 0}, -4);
  p.turn(kRightHip, {0, 0, 1}, 2.5);
  p.turn(kSpine, {0, 0, 1}, 3).turn(kChestLow, {0, 0, 1}, 1.5);
  p.turn(kLeftShoulder, {0, 0, 1}, 27).turn(kLeftShoulder, {1, 0, 0}, 8);
  p.turn(kLeftElbow, {0, 0, 1}, -100).turn(kLeftElbow, {1, 0, 0}, -8);
  p.turn(kLeftWrist, {0, 0, 1}, -20);
  p.turn(kRightShoulder, {0, 0, 1}, 5);
  p.turn(kNeck, {0, 0, 1}, -4).turn(kNeck, {0, 1, 0}, -5);
  return p;
}

// Lifts or lowers a posed body so that the lowest point of its right sole
// stays on the floor.
void standOnRightFoot(std::vector<Vec3>& positions, int footVertex) {
  const double dy = -positions[footVertex].y;
  for (Vec3& p : positions) p.y += dy;
}

// ---- regions of the body editor: bands of faces a tailor would mean ----
struct RegionSpec {
  const char* name;
  std::function<bool(const Vec3& centroid, Part part)> keep;
};

std::string regionFile(const FigureModel& f, const std::vector<Vec3>& positions,
                       const BodyLevels& l, const Unitization& u) {
  const FigureShape& s = f.shape;
  auto trunk = [](Part p) { return p == Part::Torso; };
  auto trunkOrLegs = [](Part p) {
    return p == Part::Torso || p == Part::LegLeft || p == Part::LegRight;
  };
  auto legs = [](Part p) { return p == Part::LegLeft || p == Part::LegRight; };
  auto band = [](double y, double lo, double hi) { return y >= lo && y <= hi; };
  const double neckBase = s.neckBase.y;
  const std::vector<RegionSpec> regions = {
      {" Chest",
       [&](const Vec3& c, Part p) { return trunk(p) && band(c.y, l.underBust - 4, l.bust + 8); }},
      {" ChestBase",
       [&](const Vec3& c, Part p) {
         return trunk(p) && band(c.y, l.underBust - 5, l.underBust + 4);
       }},
      {" Waist",
       [&](const Vec3& c, Part p) { return trunk(p) && band(c.y, l.waist - 5, l.waist + 5); }},
      {" WaistAbdomen",
       [&](const Vec3& c, Part p) { return trunk(p) && band(c.y, l.abdomen - 5, l.abdomen + 4); }},
      {" HipBase",
       [&](const Vec3& c, Part p) {
         return trunkOrLegs(p) && band(c.y, std::max(l.hip - 6, l.crotch + 1), l.hip + 6);
       }},
      {" Buttocks",
       [&](const Vec3& c, Part p) {
         return trunkOrLegs(p) && c.z < s.pelvis.z && band(c.y, l.crotch - 4, l.hip + 6);
       }},
      // The legs and the lower trunk up to the waist: the pattern lifts the
      // middle rows, so the crotch rises while the floor and the waist stay.
      {" Inseam", [&](const Vec3& c, Part p) { return trunkOrLegs(p) && c.y <= l.waist; }},
      {" Thigh",
       [&](const Vec3& c, Part p) { return legs(p) && band(c.y, l.midThigh - 4, l.crotch + 1); }},
      {" Calf",
       [&](const Vec3& c, Part p) { return legs(p) && band(c.y, l.calf - 9, l.calf + 7); }},
      {" Knee",
       [&](const Vec3& c, Part p) { return legs(p) && band(c.y, l.knee - 5, l.knee + 5); }},
      {" NeckBase",
       [&](const Vec3& c, Part p) {
         return (p == Part::Neck || p == Part::Torso) && band(c.y, neckBase - 5, neckBase + 7) &&
                std::abs(c.x) < s.neckRadiusBottom + 0.8;
       }},
      {" LeftCollar",
       [&](const Vec3& c, Part p) {
         return (p == Part::Torso || p == Part::Neck || p == Part::ArmLeft) && c.x > 3 &&
                band(c.y, s.arm.shoulder.y - 6, neckBase + 3) && c.x < s.arm.shoulder.x + 6;
       }},
      {" RightCollar",
       [&](const Vec3& c, Part p) {
         return (p == Part::Torso || p == Part::Neck || p == Part::ArmRight) && c.x < -3 &&
                band(c.y, s.arm.shoulder.y - 6, neckBase + 3) && c.x > -s.arm.shoulder.x - 6;
       }},
  };
  // Every vertex of the model, so that the faces' numbers are the body's.
  std::string out =
      "# Regions of the body editor: groups of body faces, vertex numbers of the body\n";
  char line[128];
  const auto normal = normalised(positions, u);
  for (std::size_t v = 1; v < normal.size() / 3; ++v) {
    std::snprintf(line, sizeof line, "v %f %f %f\n", normal[3 * v], normal[3 * v + 1],
                  normal[3 * v + 2]);
    out += line;
  }
  for (const RegionSpec& r : regions) {
    out += "g";
    out += r.name;
    out += "\n";
    for (const Triangle& t : f.body.triangles) {
      const Vec3 c = (positions[t[0]] + positions[t[1]] + positions[t[2]]) / 3.0;
      // A face belongs to the part most of its corners belong to.
      const Part part = f.parts[t[0]] == f.parts[t[1]] ? f.parts[t[0]] : f.parts[t[2]];
      if (!r.keep(c, part)) continue;
      std::snprintf(line, sizeof line, "f %d %d %d\n", t[0] + 1, t[1] + 1, t[2] + 1);
      out += line;
    }
  }
  return out;
}

// ---- idle animation ----
std::vector<std::vector<float>> breathingFrames(const FigureModel& f, const BodyLevels& l,
                                                const Unitization& u) {
  const Mesh& m = f.body;
  const auto normals = vertexNormals(m);
  const FigureShape& s = f.shape;
  // Per vertex displacement at full breath (cm): the chest lifts and widens,
  // the belly rises and falls, most at the front.
  std::vector<Vec3> full(f.modelVertices());
  for (int v = 0; v < f.bodyVertices(); ++v) {
    if (f.parts[v] != Part::Torso && f.parts[v] != Part::Neck) continue;
    const Vec3& p = m.positions[v];
    const double front = smoothstep(-6, 6, p.z - s.waist.z);
    const double chest = smoothstep(l.waist, l.underBust, p.y) *
                         (1 - smoothstep(s.shoulderCentre.y - 4, s.neckBase.y + 2, p.y));
    const double belly = std::exp(-std::pow((p.y - l.abdomen) / 7.0, 2));
    const double out = 0.32 * chest * (0.4 + 0.6 * front) + 0.38 * belly * front;
    full[v] = normals[v] * out + Vec3{0, 0.18 * chest, 0};
  }
  std::vector<std::vector<float>> frames;
  for (int k = 0; k < 100; ++k) {
    const double a = 0.5 * (1 - std::cos(2 * 3.14159265358979323846 * k / 99.0));
    std::vector<float> frame(3 * (f.modelVertices() + 1), 0.0f);
    for (int v = 0; v < f.modelVertices(); ++v)
      for (int c = 0; c < 3; ++c) frame[3 * (v + 1) + c] = float(full[v][c] * a * u.scale);
    frames.push_back(std::move(frame));
  }
  return frames;
}

std::vector<std::vector<float>> blinkFrames(const FigureModel& f, const Unitization& u) {
  const Vec3 eyeLeft = eyeCentre(f.shape);
  const int eyeBase = f.bodyVertices();
  const int lashBase = eyeBase + static_cast<int>(f.eyes.positions.size());
  const auto rest = f.restPositions();
  std::vector<std::vector<float>> frames;
  for (int k = 0; k < 10; ++k) {
    const double closed = std::sin(3.14159265358979323846 * k / 9.0);
    std::vector<float> frame(3 * (f.modelVertices() + 1), 0.0f);
    auto set = [&](int v, const Vec3& d) {
      for (int c = 0; c < 3; ++c) frame[3 * (v + 1) + c] = float(d[c] * u.scale);
    };
    for (int v = eyeBase; v < f.modelVertices(); ++v) {
      const Vec3& p = rest[v];
      const Vec3 centre = p.x >= 0 ? eyeLeft : mirrorX(eyeLeft);
      if (v < lashBase) {
        // The eye narrows to a slit as the lid comes down.
        const double squash = 1 - 0.92 * closed;
        set(v, Vec3{0, (p.y - centre.y) * (squash - 1) - 0.1 * closed, 0});
      } else {
        // The lashes turn down with the lid about the eye's horizontal axis.
        const Rotation down = Rotation::about({1, 0, 0}, 75 * closed);
        set(v, (down * (p - centre) + centre) - p);
      }
    }
    frames.push_back(std::move(frame));
  }
  return frames;
}

void writeShapeTable(ContentRoot& root, std::string_view tablePath,
                     const std::vector<ShapeTableRecord>& records) {
  auto bytes = encodeShapeTable(records);
  if (!bytes) throw std::runtime_error(std::string(tablePath) + ": " + bytes.error().what);
  root.write(tablePath, bytes.value());
}

std::string keyName(const char* prefix, double key) {
  char name[32];
  std::snprintf(name, sizeof name, "%s%05.1f.vts", prefix, key);
  return name;
}

}  // namespace

void generateWoman(ContentRoot& root, Manifest& manifest) {
  using namespace shipped;
  FigureModel f = buildFigureModel(womanShape(), 1.3);
  {
    const BodyLevels levels = findLevels(f.body, f.shape);
    renumberBody(f, womanPlacement(f, levels));
  }
  const BodyLevels l = womanLevelsAtFixedPoints(f.body, f.shape);
  const std::vector<Vec3> rest = f.restPositions();

  // The female body carries two more weight levels: the middle one is the
  // body itself, the low one a slimmer form of it.
  ModelLoader loader;
  loader.midShape = asOneBased(rest);
  const std::vector<Vec3> low = withFollowers(f, rest, projectBody(f, withFat(f.shape, -0.12)));
  loader.lowShape = asOneBased(low);
  // Head shape 1, hair anchor of the middle weight level.
  loader.headAnchor = {1.0f, 0.28f, -0.34f, 0, 0, 0, 0, 0, 0};
  const ModelNaming naming{"woman", " Eye"};
  const SkinLayout layout = layoutSkin(f, false);
  GlmModel model = toGlmModel(f, rest, naming, layout);
  writeSkinPictures(root, f, layout, womanLook(), kWomanTextures);
  writeModel(root, path("nv_High.c3d"), model, loader, 1);
  const Unitization u = unitizationOf(model);

  // Poses: the same body posed by its skeleton, with the offsets the weight
  // shaping adds to the standard pose.
  struct PoseFile {
    const char* model;
    const char* offsets;
    Pose pose;
    double grip = 0;  // how far the left hand closes (round the bag's handle)
  };
  const PoseFile poses[] = {{"nv_BagPose.c3d", "nv_BagPose.dif", bagPose(), 0.85},
                            {"nv_WalkPose.c3d", "nv_WalkPose.dif", walkPose()},
                            {"nv_StandPose.c3d", "nv_StandPose.dif", standPose()}};
  const std::vector<float> standard = normalised(rest, u);
  for (const PoseFile& p : poses) {
    auto posed = posedPositions(f, p.pose, withFingersCurled(f, rest, true, p.grip));
    standOnRightFoot(posed, kWomanFootLowest);
    ModelLoader poseLoader = loader;
    poseLoader.midShape = asOneBased(posed);
    auto posedLow = posedPositions(f, p.pose, withFingersCurled(f, low, true, p.grip));
    standOnRightFoot(posedLow, kWomanFootLowest);
    poseLoader.lowShape = asOneBased(posedLow);
    GlmModel posedModel = model;
    setVertices(posedModel, posed);
    writeModel(root, path(p.model), posedModel, poseLoader, 1);
    const auto normal = normalised(posed, unitizationOf(posedModel));
    std::vector<float> offsets(3 * rest.size());
    for (std::size_t i = 0; i < offsets.size(); ++i) offsets[i] = normal[i + 3] - standard[i + 3];
    root.writeText(path(p.offsets), formatVertexTriples(offsets));
  }

  // Heights 155 to 174.733 cm: the body scaled about the floor, in the
  // normalised space of the loaded body.
  Manifest heights = Manifest::array();
  std::vector<ShapeTableRecord> heightTable;
  std::vector<double> heightKeys;
  for (int h = 155; h <= 173; h += 2) heightKeys.push_back(h);
  heightKeys.push_back(174.733);
  for (double key : heightKeys) {
    std::vector<Vec3> scaled = rest;
    for (Vec3& p : scaled) p *= key / kDefaultHeight;
    const std::string file = "\\model\\ChinaFemale\\Height\\" + keyName("H", key);
    root.write(file, encodeVertexSet(normalised(scaled, u)));
    heightTable.push_back({float(key), file});
    Mesh scaledBody = f.body;
    scaledBody.positions.assign(scaled.begin(), scaled.begin() + f.bodyVertices());
    const double k = key / kDefaultHeight;
    const FigureShape scaledShape = scaledFigure(f.shape, k);
    // Levels scale with the body; the girths are measured on it.
    const BodyLevels levelsHere = scaledLevels(l, k);
    Manifest entry;
    entry["key"] = key;
    entry["file"] = file;
    entry["dimensions"] =
        dimensionsJson(tailorMeasures(scaledBody, scaledShape, levelsHere, kWomanShoulderLeft,
                                      kWomanShoulderRight, kWomanCrotch, kWomanCrotchFloor));
    heights.push_back(entry);
  }
  writeShapeTable(root, path("HeightPlot.plt"), heightTable);

  // Weights: x and z of the body at each weight key (66 to 164 jin,
  // normalised to a 164.931 cm body). The body is fitted to a few fat
  // levels; the keys in between interpolate them.
  std::vector<double> fatLevels = {-0.22, -0.15, -0.08, 0.0, 0.07, 0.14, 0.21, 0.27};
  std::vector<std::vector<Vec3>> fitted;
  for (double fat : fatLevels)
    fitted.push_back(fat == 0.0 ? std::vector<Vec3>(rest.begin(), rest.begin() + f.bodyVertices())
                                : projectBody(f, withFat(f.shape, fat)));
  auto bodyAtFat = [&](double fat) {
    std::size_t i = 0;
    while (i + 2 < fatLevels.size() && fat > fatLevels[i + 1]) ++i;
    const double t = (fat - fatLevels[i]) / (fatLevels[i + 1] - fatLevels[i]);
    std::vector<Vec3> out(f.bodyVertices());
    for (int v = 0; v < f.bodyVertices(); ++v) out[v] = lerp(fitted[i][v], fitted[i + 1][v], t);
    return out;
  };
  std::vector<ShapeTableRecord> weightTable;
  for (int key = 66; key <= 164; key += 2) {
    const auto body = bodyAtFat(fatForWeightKey(key));
    const std::string file = "\\model\\ChinaFemale\\Weight\\" + keyName("W", key);
    root.write(file, encodeVertexSet(normalised(withFollowers(f, rest, body), u)));
    weightTable.push_back({float(key), file});
  }
  writeShapeTable(root, path("WeightPlot.plt"), weightTable);

  // Above 174.733 cm the body is scaled from its middle weight level.
  {
    std::vector<float> ones(3 * rest.size(), 1.0f);
    root.writeText(path("scaleBodyHigh.dat"), formatVertexTriples(ones));
  }

  // Pregnancy, month by month: offsets in normalised units, stored 0.55
  // higher in y because the shaping lowers every offset by that much.
  // In the first month nothing shows yet.
  for (int month = 1; month <= 10; ++month) {
    std::vector<float> offsets(standard.size(), 0.0f);
    if (month > 1) {
      const auto moved =
          normalised(withFollowers(f, rest, projectBody(f, withPregnancy(f.shape, month))), u);
      for (std::size_t i = 3; i < moved.size(); ++i) offsets[i] = moved[i] - standard[i];
    }
    for (std::size_t v = 1; v < offsets.size() / 3; ++v) offsets[3 * v + 1] += 0.55f;
    root.write("\\model\\Pregnancy\\yunfu." + std::to_string(month) + ".bnm",
               encodeVertexSet(offsets));
  }

  root.writeText(path("WomanWholeGroup.grp"), regionFile(f, rest, l, u));
  writeSkeleton(root, path("WomanSkltn.dar"), f, u);

  // Vertex groups of the limbs and the head.
  const FigureShape& s = f.shape;
  auto limb = [&](Part part, double lo, double hi) {
    return [=](int, const Vec3& p, Part q) { return q == part && p.y >= lo && p.y <= hi; };
  };
  const double knee = s.leg.knee.y, elbow = s.arm.elbow.y, shoulder = s.arm.shoulder.y;
  writeVertexGroup(root, path("SK\\LeftThigh.grp"), f, limb(Part::LegLeft, knee, l.crotch + 4),
                   "left thigh");
  writeVertexGroup(root, path("SK\\RightThigh.grp"), f, limb(Part::LegRight, knee, l.crotch + 4),
                   "right thigh");
  writeVertexGroup(root, path("SK\\LeftShin.grp"), f, limb(Part::LegLeft, 0, knee), "left shin");
  writeVertexGroup(root, path("SK\\RightShin.grp"), f, limb(Part::LegRight, 0, knee), "right shin");
  writeVertexGroup(root, path("SK\\Chest.grp"), f, limb(Part::Torso, l.waist, s.neckBase.y),
                   "chest");
  auto shoulderGroup = [&](double side) {
    const Vec3 joint{side * s.arm.shoulder.x, s.arm.shoulder.y, s.arm.shoulder.z};
    return [=](int, const Vec3& p, Part) { return length(p - joint) < 9.0; };
  };
  writeVertexGroup(root, path("SK\\LeftShoulder.grp"), f, shoulderGroup(1), "left shoulder");
  writeVertexGroup(root, path("SK\\RightShoulder.grp"), f, shoulderGroup(-1), "right shoulder");
  writeVertexGroup(root, path("SK\\LeftArm.grp"), f, limb(Part::ArmLeft, elbow, shoulder + 5),
                   "left upper arm");
  writeVertexGroup(root, path("SK\\RightArm.grp"), f, limb(Part::ArmRight, elbow, shoulder + 5),
                   "right upper arm");
  writeVertexGroup(root, path("SK\\LeftForeArm.grp"), f, limb(Part::ArmLeft, 0, elbow),
                   "left forearm and hand");
  writeVertexGroup(root, path("SK\\RightForeArm.grp"), f, limb(Part::ArmRight, 0, elbow),
                   "right forearm and hand");
  writeVertexGroup(
      root, path("DisAABBWomanHead.grp"), f,
      [](int, const Vec3&, Part q) { return q == Part::Head; }, "head, eyes and lashes", true);

  {
    auto bytes = encodeAnimation(101, breathingFrames(f, l, u));
    root.write("\\model\\FemaleBehavior\\Breath\\nv_huxi.a", bytes.value());
    auto blink = encodeAnimation(11, blinkFrames(f, u));
    root.write("\\model\\FemaleBehavior\\EyeBlink\\nv_zhayan.a", blink.value());
  }
  writeEyelashTexture(root, path("nv_jiemao.tga"), 1);

  Manifest woman;
  woman["model"] = path("nv_High.c3d");
  woman["vertices"] = f.modelVertices();
  woman["bodyVertices"] = f.bodyVertices();
  woman["triangles"] = model.triangleCount();
  woman["unitScale"] = u.scale;
  woman["dimensions"] =
      dimensionsJson(tailorMeasures(f.body, f.shape, l, kWomanShoulderLeft, kWomanShoulderRight,
                                    kWomanCrotch, kWomanCrotchFloor));
  woman["heightSets"] = heights;
  manifest["woman"] = woman;
}

}  // namespace vestora::generate
