// The adult woman: 174.7332 cm, the default avatar. Girths near adult
// female means (ANSUR II): bust 92, waist 72, hips 98, thigh 57, calf 36.
#include <cmath>

#include "body/figure.h"

namespace vestora::generate {

namespace {
constexpr double kPi = 3.14159265358979323846;
}  // namespace

FigureShape womanShape() {
  FigureShape f;
  f.kind = "woman";
  f.height = 174.7332;
  f.pelvis = {0, 93.0, -1.0};
  f.waist = {0, 108.0, -2.0};
  f.chestLow = {0, 120.0, -2.0};
  f.chestHigh = {0, 132.0, -2.0};
  f.shoulderCentre = {0, 143.0, -2.2};
  f.neckBase = {0, 147.0, -2.3};
  f.headTop = {0, 174.7332, 0.3};
  f.neckTop = {0, 157.5, -0.8};
  f.neckRadiusBottom = 5.75;
  f.neckRadiusTop = 5.0;
  f.trunk = {
      {79.5, 8.5, 5.0, 6.5, -1.0},    {83.0, 13.8, 8.1, 10.2, -1.4}, {88.0, 16.0, 9.5, 11.6, -1.5},
      {93.0, 17.0, 9.9, 11.0, -1.6},  {98.0, 15.5, 9.5, 9.9, -1.8},  {103.0, 14.2, 9.0, 9.3, -2.0},
      {108.0, 13.6, 8.7, 9.1, -2.0},  {113.0, 14.0, 8.8, 9.3, -2.0}, {118.0, 14.6, 9.1, 9.8, -2.0},
      {124.0, 15.2, 9.3, 10.3, -2.0}, {130.0, 15.8, 9.1, 10.5, -2.0}, {136.0, 15.7, 8.5, 10.1, -2.0},
      {141.0, 13.8, 7.3, 8.7, -2.1},  {145.0, 9.5, 5.8, 6.8, -2.2},  {148.0, 6.5, 5.0, 5.5, -2.3},
  };
  f.shoulderInner = {6.0, 144.2, -2.6};
  f.shoulderOuter = {16.0, 140.6, -2.2};
  f.shoulderRadiusInner = 4.0;
  f.shoulderRadiusOuter = 4.0;
  f.breastCentre = {9.1, 124.0, 5.6};
  f.breastRadii = {6.7, 6.2, 5.3};
  f.upperChestCentre = {8.4, 129.0, 4.0};
  f.upperChestRadii = {6.4, 5.4, 3.9};
  f.breastBlend = 4.5;
  f.buttockCentre = {7.0, 85.5, -7.6};
  f.buttockRadii = {6.8, 8.0, 5.9};

  f.head.headHeight = 22.7;
  f.head.eyeRadius = 1.2;

  ArmShape& a = f.arm;
  a.shoulder = {16.6, 139.2, -2.0};
  auto dir = [](double outDegrees, double forward) {
    const double r = outDegrees * kPi / 180;
    return normalized(Vec3{std::sin(r), -std::cos(r), forward});
  };
  a.elbow = a.shoulder + dir(18, 0.02) * 31.0;
  a.wrist = a.elbow + dir(18, 0.10) * 24.0;
  a.knuckles = a.wrist + dir(13, 0.04) * 9.5;
  a.fingertips = a.wrist + dir(12, 0.06) * 18.0;
  a.deltoid = 5.0;
  a.shoulderRadius = 4.5;
  a.upperArm = 4.35;
  a.lowerUpperArm = 4.05;
  a.elbowRadius = 3.45;
  a.forearm = 3.8;
  a.lowerForearm = 3.05;
  a.wristRadius = 2.45;
  a.palmThickness = 1.5;
  a.palmWidth = 4.1;
  a.thumbRadius = 1.05;

  LegShape& l = f.leg;
  l.hip = {9.9, 90.5, -0.6};
  l.knee = {9.5, 48.6, 0.7};
  l.ankle = {9.8, 7.2, -1.8};
  l.heel = {9.8, 3.5, -5.4};
  l.toes = {10.9, 2.1, 15.4};
  l.thighTop = 8.4;
  l.thighUpper = 8.55;
  l.thighAspect = 1.13;
  l.thighMid = 7.5;
  l.aboveKnee = 6.2;
  l.kneeRadius = 5.55;
  l.belowKnee = 5.2;
  l.calf = 5.6;
  l.lowerCalf = 4.2;
  l.ankleRadius = 3.15;
  l.calfHeight = 0.66;
  l.footHalfWidth = 4.5;
  l.footHeight = 3.1;
  return f;
}

}  // namespace vestora::generate
