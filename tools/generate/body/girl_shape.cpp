// The girl: a child of about six, 115 cm. A head of a sixth of her height
// (19.6 cm) with a large cranium over a small face, short legs (inside leg
// 51), a round tummy and no waist to speak of, no breasts, soft rounded
// limbs, small hands and feet. Girths near the means for her age: chest 58,
// waist 54, hips 61.8, thigh 34.5, calf 24.5, neck 26.5. She is meshed at a
// finer spacing (0.9 cm) than the adults.
#include <cmath>

#include "body/figure.h"

namespace vestora::generate {

namespace {
constexpr double kPi = 3.14159265358979323846;
}  // namespace

FigureShape girlShape() {
  FigureShape f;
  f.kind = "Girl";
  f.height = 115.0;
  f.pelvis = {0, 60.5, -0.7};
  f.waist = {0, 68.0, -1.3};
  f.chestLow = {0, 77.0, -1.3};
  f.chestHigh = {0, 84.0, -1.3};
  f.shoulderCentre = {0, 89.0, -1.5};
  f.neckBase = {0, 92.0, -1.5};
  f.headTop = {0, 115.0, 0.2};
  f.neckTop = {0, 100.2, -0.5};
  f.neckRadiusBottom = 4.15;
  f.neckRadiusTop = 3.85;
  // Bottom to top: crotch, buttocks, hips, tummy (64 to 68), waist, chest
  // (77.5), under the shoulders, neck base. The tummy stands forward and the
  // small of the back curves in.
  f.trunk = {
      {51.3, 5.6, 3.4, 4.2, -0.7},  {53.5, 8.4, 5.4, 6.3, -0.9},  {57.0, 9.6, 6.6, 7.0, -1.0},
      {60.5, 10.2, 7.2, 7.1, -1.1}, {64.0, 9.8, 8.4, 6.6, -1.2},  {68.0, 9.6, 8.3, 6.8, -1.3},
      {72.0, 9.5, 8.1, 7.3, -1.3},  {76.0, 9.6, 8.9, 8.5, -1.3},  {80.0, 9.6, 8.8, 8.9, -1.3},
      {84.0, 9.8, 7.4, 8.1, -1.3},  {87.5, 9.4, 6.1, 7.2, -1.4},  {90.0, 6.8, 4.7, 5.3, -1.5},
      {91.6, 4.6, 3.8, 4.0, -1.5},
  };
  f.shoulderInner = {4.0, 90.0, -1.7};
  f.shoulderOuter = {11.0, 87.8, -1.5};
  f.shoulderRadiusInner = 2.5;
  f.shoulderRadiusOuter = 2.7;
  f.breastRadii = {0, 0, 0};
  f.upperChestRadii = {0, 0, 0};
  f.buttockCentre = {4.5, 55.5, -5.0};
  f.buttockRadii = {4.0, 4.6, 2.9};
  // Narrower blends than the adults' for the smaller body: the arms come
  // free of the chest above its fullest level.
  f.armpitBlend = 1.6;
  f.crotchBlend = 2.0;

  f.head.headHeight = 19.6;
  f.head.width = 1.06;
  f.head.faceDepth = 0.95;
  f.head.jaw = 0.85;
  f.head.face = 0.85;
  f.head.eyeRadius = 1.0;  // the sockets of the smaller face hold no larger eye

  ArmShape& a = f.arm;
  a.shoulder = {11.5, 86.8, -1.3};
  auto dir = [](double outDegrees, double forward) {
    const double r = outDegrees * kPi / 180;
    return normalized(Vec3{std::sin(r), -std::cos(r), forward});
  };
  a.elbow = a.shoulder + dir(20, 0.02) * 19.5;
  a.wrist = a.elbow + dir(15, 0.10) * 15.5;
  a.knuckles = a.wrist + dir(12, 0.04) * 6.8;
  a.fingertips = a.wrist + dir(11, 0.06) * 12.2;
  a.deltoid = 3.3;
  a.shoulderRadius = 2.95;
  a.upperArm = 2.95;
  a.lowerUpperArm = 2.75;
  a.elbowRadius = 2.4;
  a.forearm = 2.6;
  a.lowerForearm = 2.15;
  a.wristRadius = 1.8;
  a.palmThickness = 1.0;
  a.palmWidth = 2.65;
  a.thumbRadius = 0.68;

  LegShape& l = f.leg;
  l.hip = {6.3, 58.5, -0.4};
  l.knee = {6.0, 31.5, 0.5};
  l.ankle = {6.3, 5.0, -1.2};
  l.heel = {6.3, 2.4, -3.6};
  l.toes = {7.1, 1.4, 11.0};
  l.thighTop = 5.3;
  l.thighUpper = 5.35;
  l.thighAspect = 1.08;
  l.thighMid = 4.8;
  l.aboveKnee = 3.9;
  l.kneeRadius = 3.65;
  l.belowKnee = 3.45;
  l.calf = 3.8;
  l.lowerCalf = 2.9;
  l.ankleRadius = 2.3;
  l.calfHeight = 0.62;
  l.footHalfWidth = 3.3;
  l.footHeight = 2.1;
  return f;
}

}  // namespace vestora::generate
