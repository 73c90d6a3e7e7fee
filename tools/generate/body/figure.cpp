#include "body/figure.h"

#include <algorithm>
#include <cmath>

namespace vestora::generate {
namespace {

constexpr double kPi = 3.14159265358979323846;

Vec3 along(const Vec3& from, const Vec3& to, double t) {
  return from + (to - from) * t;
}

// Orientation that turns local +y onto `direction`, with a twist about it.
Rotation alignY(const Vec3& direction, double twistDegrees = 0) {
  const Vec3 d = normalized(direction);
  const Vec3 y{0, 1, 0};
  const Vec3 axis = cross(y, d);
  const double s = length(axis), c = dot(y, d);
  Rotation r = s < 1e-9 ? (c > 0 ? Rotation{} : Rotation::about({1, 0, 0}, 180))
                        : Rotation::about(axis, std::atan2(s, c) * 180 / kPi);
  return r * Rotation::about(y, twistDegrees);
}

// The hand hangs with the palm towards the thigh: a flat palm, four fingers
// a little apart and gently curled towards the palm, the thumb along the
// front edge of the palm. Fingers blend narrowly, so that they stay apart.
void addHand(BodyField& field, const FigureShape& f, bool left) {
  const ArmShape& arm = f.arm;
  const HandFrame h = handFrame(f, left);
  const Part part = left ? Part::ArmLeft : Part::ArmRight;
  const double palmLength = h.palmLength;
  // Palm: from the wrist to the knuckles, thinner towards them.
  field.add(
      ellipsoid(h.at(0.05 * arm.palmThickness, palmLength * 0.5, 0),
                {arm.palmThickness, palmLength * 0.58, arm.palmWidth * 0.92}, h.orientation()),
      part, 1.4);
  for (int i = 0; i < 4; ++i) {
    const HandFrame::Finger finger = h.finger(i);
    field.add(tube(finger.axis, finger.radii), part, 0.3 * h.fingerRadius);
  }
  const HandFrame::Finger thumb = h.thumb();
  field.add(tube(thumb.axis, thumb.radii), part, 0.5 * h.fingerRadius);
}

void addArm(BodyField& field, const FigureShape& f, bool left) {
  const ArmShape& arm = f.arm;
  auto side = [&](const Vec3& v) { return left ? v : mirrorX(v); };
  const Part part = left ? Part::ArmLeft : Part::ArmRight;
  const Vec3 s = side(arm.shoulder), e = side(arm.elbow), w = side(arm.wrist);
  const Vec3 k = side(arm.knuckles), tip = side(arm.fingertips);
  // Deltoid: caps the shoulder joint, leaning out along the upper arm.
  field.add(ellipsoid(along(s, e, 0.1) + side({0.4, 0.5, 0.1}),
                      {arm.deltoid * 0.8, arm.deltoid * 1.2, arm.deltoid * 0.9}, alignY(e - s)),
            part, f.armpitBlend);
  // The armpit: a short piece of the upper arm that blends widely with the
  // chest; the arm itself blends narrowly so that it never webs to the side.
  field.add(roundCone(s, along(s, e, 0.28), arm.shoulderRadius, arm.upperArm * 0.98), part,
            f.armpitBlend);
  field.add(
      tube({s, along(s, e, 0.33), along(s, e, 0.67), e, along(e, w, 0.3), along(e, w, 0.7), w},
           {arm.shoulderRadius, arm.upperArm, arm.lowerUpperArm, arm.elbowRadius, arm.forearm,
            arm.lowerForearm, arm.wristRadius}),
      part, 0.8);
  addHand(field, f, left);
}

Primitive legTube(const FigureShape& f, bool left) {
  const LegShape& leg = f.leg;
  auto side = [&](const Vec3& v) { return left ? v : mirrorX(v); };
  const Vec3 hip = side(leg.hip), knee = side(leg.knee), ankle = side(leg.ankle);
  const Vec3 out = side({1, 0, 0});
  const Vec3 calf = along(ankle, knee, leg.calfHeight) + Vec3{0, 0, -1.1};
  return tube({hip + out * 0.0 + Vec3{0, 1.5, 0}, hip + out * 0.2 + Vec3{0, -5.5, 0.2},
               along(hip, knee, 0.33) + Vec3{0, 0, 0.5}, along(hip, knee, 0.66) + Vec3{0, 0, 0.6},
               knee + Vec3{0, 5.0, 0.2}, knee, knee + Vec3{0, -5.5, -0.4}, calf,
               along(calf, ankle, 0.55) + Vec3{0, 0, 0.4}, ankle},
              {leg.thighTop * 0.95, leg.thighTop, leg.thighUpper, leg.thighMid, leg.aboveKnee,
               leg.kneeRadius, leg.belowKnee, leg.calf, leg.lowerCalf, leg.ankleRadius},
              {leg.thighAspect, leg.thighAspect, leg.thighAspect, 1.0 + (leg.thighAspect - 1) * 0.5,
               1.0, 1.0, 1.02, 1.05, 1.08, 1.12});
}

void addFoot(BodyField& field, const FigureShape& f, bool left) {
  const LegShape& leg = f.leg;
  auto side = [&](const Vec3& v) { return left ? v : mirrorX(v); };
  const Part part = left ? Part::LegLeft : Part::LegRight;
  const Vec3 ankle = side(leg.ankle);
  const Vec3 heel = side(leg.heel), toes = side(leg.toes);
  // Foot: a long flattened body from heel to toes, a round heel.
  const Vec3 footCentre = along(heel, toes, 0.48) + Vec3{0, -0.2, 0};
  const Rotation footTurn = Rotation::about({0, 1, 0}, left ? 6.0 : -6.0);
  field.add(ellipsoid(footCentre, {leg.footHalfWidth, leg.footHeight, length(toes - heel) * 0.53},
                      footTurn),
            part, 1.8);
  field.add(roundCone(heel, along(heel, ankle, 0.5), leg.footHeight * 1.1, leg.ankleRadius * 1.02),
            part, 1.5);
}

// A point of the head given in a standard head of height 22.7 cm whose
// crown is at the origin: x right, y up, z forward.
// The features of the face are drawn together by `face` towards the chin
// and the front of the face; their spacing across stays.
struct HeadFrame {
  Vec3 top;
  double scale, width, depth, face;
  Vec3 at(double x, double y, double z) const {
    return top + Vec3{x * width, y, z * depth} * scale;
  }
  Vec3 size(double x, double y, double z) const { return Vec3{x * width, y, z * depth} * scale; }
  Vec3 faceAt(double x, double y, double z) const {
    const double k = 1 - face;
    return at(x, y + k * (-22.7 - y), z + k * (7.0 - z));
  }
  Vec3 faceSize(double x, double y, double z) const { return size(x, y * face, z * face); }
};

HeadFrame headFrame(const FigureShape& f) {
  return {f.headTop, f.head.headHeight / 22.7, f.head.width, f.head.faceDepth, f.head.face};
}

void addHead(BodyField& field, const FigureShape& f) {
  const HeadFrame h = headFrame(f);
  const double s = h.scale;
  const double fs = s * h.face;  // blend widths of the face
  // Skull and face.
  field.add(
      ellipsoid(h.at(0, -9.7, -0.7), h.size(7.5, 9.7, 9.4), Rotation::about({1, 0, 0}, -10.0)),
      Part::Head, 2.5);
  field.add(ellipsoid(h.faceAt(0, -14.6, 3.0), h.faceSize(5.9, 6.8, 5.8)), Part::Head, 2.5 * fs);
  const double jaw = f.head.jaw;
  field.add(ellipsoid(h.faceAt(0, -19.2, 3.5), h.faceSize(4.4 * jaw, 3.5, 4.8),
                      Rotation::about({1, 0, 0}, 15.0)),
            Part::Head, 2.2 * fs);
  field.add(ellipsoid(h.faceAt(0, -21.3, 5.9), h.faceSize(2.0 * jaw, 1.5, 1.9)), Part::Head,
            1.5 * fs);
  for (bool left : {true, false}) {
    const double side = left ? 1 : -1;
    // Jaw angles and cheekbones.
    field.add(ellipsoid(h.faceAt(4.3 * jaw * side, -18.3, -0.4), h.faceSize(1.5 * jaw, 2.2, 2.6)),
              Part::Head, 1.8 * fs);
    field.add(ellipsoid(h.faceAt(3.9 * side, -13.5, 5.5), h.faceSize(2.0, 1.5, 1.8)), Part::Head,
              2.2 * fs);
    // Ears.
    field.add(ellipsoid(h.at(7.1 * side, -12.6, -0.9), h.size(0.9, 2.7, 1.6),
                        Rotation::about({0, 1, 0}, 20.0 * side)),
              Part::Head, 0.6 * s);
  }
  // Brow, nose and lips.
  field.add(ellipsoid(h.faceAt(0, -9.4, 6.3), h.faceSize(5.2, 1.2, 2.0)), Part::Head, 2.2 * fs);
  field.add(roundCone(h.faceAt(0, -11.2, 8.4), h.faceAt(0, -14.0, 9.8), 0.62 * fs, 0.8 * fs),
            Part::Head, 0.9 * fs);
  field.add(ellipsoid(h.faceAt(0, -14.2, 9.55), h.faceSize(0.9, 0.85, 0.9)), Part::Head, 0.6 * fs);
  for (double side : {1.0, -1.0})
    field.add(ellipsoid(h.faceAt(0.9 * side, -14.5, 8.9), h.faceSize(0.7, 0.6, 0.7)), Part::Head,
              0.5 * fs);
  if (f.head.lips) {
    field.add(ellipsoid(h.faceAt(0, -16.9, 8.3), h.faceSize(1.8, 0.55, 0.7)), Part::Head, 0.5 * fs);
    field.add(ellipsoid(h.faceAt(0, -17.7, 8.15), h.faceSize(1.6, 0.6, 0.75)), Part::Head,
              0.5 * fs);
  }
  // Eye sockets: shallow hollows in which the eyeballs sit.
  for (bool left : {true, false}) {
    const Vec3 eye = left ? eyeCentre(f) : mirrorX(eyeCentre(f));
    field.add(ellipsoid(eye + Vec3{0, 0.1 * fs, f.head.eyeRadius * 0.9 + 0.3 * fs},
                        h.faceSize(1.75, 0.82, 1.05)),
              Part::Head, 0.5 * fs, /*carve=*/true);
  }
}

}  // namespace

HandFrame handFrame(const FigureShape& f, bool left) {
  const ArmShape& arm = f.arm;
  auto side = [&](const Vec3& v) { return left ? v : mirrorX(v); };
  HandFrame h;
  h.wrist = side(arm.wrist);
  h.along = normalized(side(arm.fingertips) - h.wrist);
  h.front = normalized(Vec3{0, 0, 1} - h.along * h.along.z);
  // Towards the body: the palm faces the thigh.
  h.palm = normalized(cross(h.front, h.along));
  if (dot(h.palm, side({-1, 0, 0})) < 0) h.palm = -h.palm;
  h.palmLength = length(side(arm.knuckles) - h.wrist);
  h.fingerLength = length(side(arm.fingertips) - side(arm.knuckles));
  h.palmWidth = arm.palmWidth;
  h.fingerRadius = arm.palmWidth * 0.2;
  h.thumbRadius = arm.thumbRadius;
  return h;
}

Rotation HandFrame::orientation() const {
  // Local x → palm side, y → along the hand, z → front (thumb side).
  Rotation r;
  r.m = {palm.x, along.x, front.x, palm.y, along.y, front.y, palm.z, along.z, front.z};
  return r;
}

HandFrame::Finger HandFrame::finger(int i) const {
  // Index, middle, ring and little finger: across the knuckles from the
  // thumb's side, their knuckles, lengths, girths and spread.
  static const double kAcross[4] = {0.64, 0.21, -0.23, -0.64};
  static const double kKnuckle[4] = {0.97, 1.0, 0.97, 0.9};
  static const double kLength[4] = {0.9, 1.0, 0.94, 0.74};
  static const double kGirth[4] = {1.0, 1.04, 0.96, 0.84};
  static const double kSpread[4] = {5.0, 1.0, -3.0, -8.0};
  const double r = fingerRadius * kGirth[i], length = fingerLength * kLength[i];
  const double spread = kSpread[i] * 3.14159265358979323846 / 180;
  Vec3 direction = along * std::cos(spread) + front * std::sin(spread);
  const Vec3 knuckle = at(0, palmLength * kKnuckle[i], palmWidth * kAcross[i]);
  Finger out;
  out.axis = {knuckle - direction * (r * 1.2), knuckle};
  out.radii = {r * 1.1, r * 1.05};
  // Three joints, each bending a little more towards the palm.
  static const double kBend[3] = {8.0, 14.0, 10.0};
  static const double kPiece[3] = {0.46, 0.3, 0.24};
  static const double kRadius[3] = {0.95, 0.87, 0.8};
  for (int j = 0; j < 3; ++j) {
    const double b = kBend[j] * 3.14159265358979323846 / 180;
    direction = normalized(direction * std::cos(b) + palm * std::sin(b));
    const double piece = length * kPiece[j] - (j == 2 ? r * kRadius[2] : 0.0);
    out.axis.push_back(out.axis.back() + direction * piece);
    out.radii.push_back(r * kRadius[j]);
  }
  return out;
}

HandFrame::Finger HandFrame::thumb() const {
  const double r = thumbRadius;
  Finger out;
  // From the root of the thumb at the heel of the hand, out along the
  // front of the palm, then bending towards the fingers.
  const Vec3 root = at(0.25 * r, palmLength * 0.22, palmWidth * 0.5);
  const Vec3 knuckle = at(0.9 * r, palmLength * 0.58, palmWidth * 0.98);
  Vec3 direction = normalized(along * 0.8 + front * 0.25 + palm * 0.45);
  const double length = fingerLength * 0.72;
  const Vec3 middle = knuckle + direction * (length * 0.52);
  direction = normalized(direction + palm * 0.2);
  const Vec3 end = middle + direction * (length * 0.48 - r * 0.8);
  out.axis = {root, knuckle, middle, end};
  out.radii = {r * 1.25, r * 1.05, r * 0.95, r * 0.85};
  return out;
}

Vec3 eyeCentre(const FigureShape& f) {
  return headFrame(f).faceAt(3.05, -11.45, 6.9);
}

StandardHeadPoint standardHeadPoint(const FigureShape& f, const Vec3& p) {
  const HeadFrame h = headFrame(f);
  const Vec3 l = (p - h.top) / h.scale;
  StandardHeadPoint q;
  q.skull = {l.x / h.width, l.y, l.z / h.depth};
  const double k = 1 - h.face;
  q.face = {q.skull.x, (q.skull.y + 22.7 * k) / h.face, (q.skull.z - 7.0 * k) / h.face};
  return q;
}

FigureShape withFat(const FigureShape& figure, double fat) {
  FigureShape f = figure;
  for (TrunkSection& s : f.trunk) {
    // Soft tissue gathers most round the waist and belly, least at the shoulders.
    const double middle = std::exp(-((s.y - 104) * (s.y - 104)) / (2 * 14.0 * 14.0));
    const double gain = 0.55 + 0.55 * middle;
    s.halfWidth *= 1 + fat * gain;
    s.front *= 1 + fat * (gain + 0.35 * middle);
    s.back *= 1 + fat * gain * 0.9;
  }
  f.breastRadii *= 1 + fat * 0.8;
  f.buttockRadii *= 1 + fat * 0.8;
  f.neckRadiusBottom *= 1 + fat * 0.35;
  f.neckRadiusTop *= 1 + fat * 0.25;
  f.shoulderRadiusInner *= 1 + fat * 0.4;
  f.shoulderRadiusOuter *= 1 + fat * 0.4;
  f.upperChestRadii *= 1 + fat * 0.6;
  f.pectoralRadii *= 1 + fat * 0.4;
  f.arm.deltoid *= 1 + fat * 0.5;
  f.arm.shoulderRadius *= 1 + fat * 0.7;
  f.arm.upperArm *= 1 + fat * 0.8;
  f.arm.lowerUpperArm *= 1 + fat * 0.7;
  f.arm.elbowRadius *= 1 + fat * 0.45;
  f.arm.forearm *= 1 + fat * 0.45;
  f.arm.lowerForearm *= 1 + fat * 0.35;
  f.arm.wristRadius *= 1 + fat * 0.2;
  f.leg.thighTop *= 1 + fat * 0.8;
  f.leg.thighUpper *= 1 + fat * 0.8;
  f.leg.thighMid *= 1 + fat * 0.75;
  f.leg.aboveKnee *= 1 + fat * 0.6;
  f.leg.kneeRadius *= 1 + fat * 0.45;
  f.leg.belowKnee *= 1 + fat * 0.4;
  f.leg.calf *= 1 + fat * 0.45;
  f.leg.lowerCalf *= 1 + fat * 0.35;
  f.leg.ankleRadius *= 1 + fat * 0.2;
  f.head.width *= 1 + fat * 0.04;
  return f;
}

FigureShape scaledFigure(const FigureShape& figure, double k) {
  FigureShape f = figure;
  f.height *= k;
  for (Vec3* v : {&f.pelvis,           &f.waist,           &f.chestLow,       &f.chestHigh,
                  &f.shoulderCentre,   &f.neckBase,        &f.headTop,        &f.neckTop,
                  &f.shoulderInner,    &f.shoulderOuter,   &f.breastCentre,   &f.breastRadii,
                  &f.upperChestCentre, &f.upperChestRadii, &f.pectoralCentre, &f.pectoralRadii,
                  &f.buttockCentre,    &f.buttockRadii,    &f.bellyCentre,    &f.bellyRadii,
                  &f.arm.shoulder,     &f.arm.elbow,       &f.arm.wrist,      &f.arm.knuckles,
                  &f.arm.fingertips,   &f.leg.hip,         &f.leg.knee,       &f.leg.ankle,
                  &f.leg.heel,         &f.leg.toes})
    *v *= k;
  for (double* d :
       {&f.neckRadiusBottom, &f.neckRadiusTop,     &f.shoulderRadiusInner, &f.shoulderRadiusOuter,
        &f.head.headHeight,  &f.head.eyeRadius,    &f.arm.deltoid,         &f.arm.shoulderRadius,
        &f.arm.upperArm,     &f.arm.lowerUpperArm, &f.arm.elbowRadius,     &f.arm.forearm,
        &f.arm.lowerForearm, &f.arm.wristRadius,   &f.arm.palmThickness,   &f.arm.palmWidth,
        &f.arm.thumbRadius,  &f.leg.thighTop,      &f.leg.thighUpper,      &f.leg.thighMid,
        &f.leg.aboveKnee,    &f.leg.kneeRadius,    &f.leg.belowKnee,       &f.leg.calf,
        &f.leg.lowerCalf,    &f.leg.ankleRadius,   &f.leg.footHalfWidth,   &f.leg.footHeight,
        &f.limbBlend,        &f.armpitBlend,       &f.crotchBlend,         &f.breastBlend,
        &f.pectoralBlend})
    *d *= k;
  for (TrunkSection& t : f.trunk) {
    t.y *= k;
    t.halfWidth *= k;
    t.front *= k;
    t.back *= k;
    t.centreZ *= k;
  }
  return f;
}

FigureShape withPregnancy(const FigureShape& figure, int month) {
  FigureShape f = figure;
  const double m = std::clamp(month, 1, 10) / 10.0;
  const double grow = std::pow(m, 1.6);
  // The belly rises out of the lower abdomen, in front of the navel.
  const double front = f.trunk.empty() ? 8.0 : 8.9;
  f.bellyRadii = {10.0 + 4.0 * grow, 12.0 + 6.0 * grow, 4.0 + 12.0 * grow};
  f.bellyCentre = {0, 100.0 + 2.0 * grow, -2.0 + front - f.bellyRadii.z + 1.0 + 14.0 * grow};
  f.breastRadii *= 1 + 0.12 * grow;
  return f;
}

BodyField buildField(const FigureShape& f) {
  BodyField field;
  field.add(trunk(f.trunk), Part::Torso, 0);
  // Shoulders: the trapezius slope from the neck to the shoulder joint.
  for (bool left : {true, false}) {
    auto side = [&](const Vec3& v) { return left ? v : mirrorX(v); };
    field.add(roundCone(side(f.shoulderInner), side(f.shoulderOuter), f.shoulderRadiusInner,
                        f.shoulderRadiusOuter),
              Part::Torso, 3.0);
  }
  if (f.breastRadii.x > 0)
    for (bool left : {true, false}) {
      const Rotation lean =
          Rotation::about({0, 1, 0}, left ? 14.0 : -14.0) * Rotation::about({1, 0, 0}, 12.0);
      field.add(ellipsoid(left ? f.breastCentre : mirrorX(f.breastCentre), f.breastRadii, lean),
                Part::Torso, f.breastBlend);
      if (f.upperChestRadii.x > 0)
        field.add(ellipsoid(left ? f.upperChestCentre : mirrorX(f.upperChestCentre),
                            f.upperChestRadii, lean),
                  Part::Torso, f.breastBlend);
    }
  if (f.pectoralRadii.x > 0)
    for (bool left : {true, false}) {
      const double side = left ? 1 : -1;
      const Rotation turn = Rotation::about({0, 1, 0}, f.pectoralTurn * side) *
                            Rotation::about({0, 0, 1}, f.pectoralTilt * side);
      field.add(
          ellipsoid(left ? f.pectoralCentre : mirrorX(f.pectoralCentre), f.pectoralRadii, turn),
          Part::Torso, f.pectoralBlend);
    }
  if (f.buttockRadii.x > 0)
    for (bool left : {true, false})
      field.add(ellipsoid(left ? f.buttockCentre : mirrorX(f.buttockCentre), f.buttockRadii,
                          Rotation::about({0, 1, 0}, left ? -10.0 : 10.0)),
                Part::Torso, 3.0);
  if (f.bellyRadii.x > 0) field.add(ellipsoid(f.bellyCentre, f.bellyRadii), Part::Torso, 7.0);

  // Neck and head.
  field.add(
      roundCone(f.neckBase + Vec3{0, -1.5, 0}, f.neckTop, f.neckRadiusBottom, f.neckRadiusTop),
      Part::Neck, 3.0);
  addHead(field, f);

  // The legs meet each other narrowly and the trunk widely: the thighs may
  // come close without webbing together below the crotch.
  field.addPair(legTube(f, true), Part::LegLeft, legTube(f, false), Part::LegRight, 0.3,
                f.crotchBlend);
  for (bool left : {true, false}) addFoot(field, f, left);
  for (bool left : {true, false}) addArm(field, f, left);

  field.setFloor(0.0, 0.8);
  return field;
}

}  // namespace vestora::generate
