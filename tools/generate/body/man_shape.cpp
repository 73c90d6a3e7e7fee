// The adult man: 175 cm. Girths near adult male means: chest 97, waist 84,
// hips 97, thigh 57, calf 38, neck 38.5, upper arm 32, wrist 17;
// biacromial breadth 41. Against the woman: a deeper chest with pectorals
// instead of breasts, a straighter waist, narrower hips and flatter
// buttocks, broader shoulders and neck, bigger hands and feet, a longer
// inside leg.
#include <cmath>

#include "body/figure.h"

namespace vestora::generate {

namespace {
constexpr double kPi = 3.14159265358979323846;
}  // namespace

FigureShape manShape() {
  FigureShape f;
  f.kind = "man";
  f.height = 175.0;
  f.pelvis = {0, 96.5, -1.0};
  f.waist = {0, 109.0, -2.0};
  f.chestLow = {0, 121.0, -2.0};
  f.chestHigh = {0, 133.0, -2.0};
  f.shoulderCentre = {0, 143.5, -2.4};
  f.neckBase = {0, 147.5, -2.5};
  f.headTop = {0, 175.0, 0.3};
  f.neckTop = {0, 158.0, -0.9};
  f.neckRadiusBottom = 6.1;
  f.neckRadiusTop = 5.6;
  // Bottom to top: crotch, buttocks, hip bones, waist (at the navel, 105),
  // chest (the pectorals' lower edge, 126), under the shoulders, neck base.
  f.trunk = {
      {84.0, 8.3, 5.0, 6.3, -1.0},    {87.5, 13.2, 8.1, 9.5, -1.3},   {92.0, 15.0, 9.4, 10.6, -1.5},
      {97.0, 15.6, 10.0, 10.2, -1.6}, {102.0, 15.7, 11.1, 10.2, -1.8}, {107.0, 15.6, 11.5, 10.2, -2.0},
      {112.0, 15.7, 11.6, 10.4, -2.0}, {118.0, 16.0, 11.8, 11.2, -2.0}, {124.0, 16.4, 13.6, 12.8, -2.0},
      {130.0, 16.5, 12.8, 13.2, -2.0}, {136.0, 17.0, 11.0, 12.1, -2.0}, {141.0, 15.4, 8.6, 10.0, -2.1},
      {145.0, 10.8, 6.6, 7.4, -2.2},  {148.0, 7.3, 5.6, 6.0, -2.4},
  };
  f.shoulderInner = {6.5, 144.6, -2.8};
  f.shoulderOuter = {18.0, 139.4, -2.4};
  f.shoulderRadiusInner = 4.3;
  f.shoulderRadiusOuter = 4.2;
  // No breasts: the pectorals give the chest its front.
  f.breastRadii = {0, 0, 0};
  f.upperChestRadii = {0, 0, 0};
  f.pectoralCentre = {9.0, 126.8, 7.2};
  f.pectoralRadii = {7.4, 5.4, 2.8};
  f.pectoralTurn = 22.0;
  f.pectoralTilt = 16.0;
  f.pectoralBlend = 5.0;
  // A narrower armpit than the woman's: the arm must come free of the
  // broader chest above the pectorals' lower edge.
  f.armpitBlend = 2.6;
  f.buttockCentre = {6.6, 89.5, -7.4};
  f.buttockRadii = {6.3, 7.0, 4.9};

  f.head.headHeight = 23.3;
  f.head.width = 1.03;
  f.head.faceDepth = 1.02;
  f.head.jaw = 1.06;  // a slightly squarer jaw
  f.head.eyeRadius = 1.2;

  ArmShape& a = f.arm;
  a.shoulder = {18.1, 139.6, -2.2};
  auto dir = [](double outDegrees, double forward) {
    const double r = outDegrees * kPi / 180;
    return normalized(Vec3{std::sin(r), -std::cos(r), forward});
  };
  // The upper arm stands a little further out than the woman's (the chest is
  // broader); the forearm hangs straighter, so that the hand ends up as far
  // from the thigh as hers.
  a.elbow = a.shoulder + dir(22, 0.02) * 32.0;
  a.wrist = a.elbow + dir(17, 0.10) * 25.0;
  a.knuckles = a.wrist + dir(13, 0.04) * 10.3;
  a.fingertips = a.wrist + dir(12, 0.06) * 19.5;
  a.deltoid = 5.6;
  a.shoulderRadius = 4.9;
  a.upperArm = 5.05;
  a.lowerUpperArm = 4.6;
  a.elbowRadius = 3.9;
  a.forearm = 4.4;
  a.lowerForearm = 3.5;
  a.wristRadius = 2.45;
  a.palmThickness = 1.7;
  a.palmWidth = 4.7;
  a.thumbRadius = 1.2;

  LegShape& l = f.leg;
  // The hip joints far enough apart for a clear gap between the thighs
  // below the crotch (83.5).
  l.hip = {9.7, 94.0, -0.6};
  l.knee = {9.2, 50.5, 0.8};
  l.ankle = {9.4, 7.3, -1.8};
  l.heel = {9.4, 3.6, -6.0};
  l.toes = {10.7, 2.2, 17.8};
  l.thighTop = 8.3;
  l.thighUpper = 8.35;
  l.thighAspect = 1.15;
  l.thighMid = 7.4;
  l.aboveKnee = 6.1;
  l.kneeRadius = 5.9;
  l.belowKnee = 5.4;
  l.calf = 5.85;
  l.lowerCalf = 4.4;
  l.ankleRadius = 3.4;
  l.calfHeight = 0.66;
  l.footHalfWidth = 5.0;
  l.footHeight = 3.4;
  return f;
}

}  // namespace vestora::generate
