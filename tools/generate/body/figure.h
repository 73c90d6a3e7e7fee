// The shape of a human figure as numbers: the joints of its skeleton and
// the girths round them, in centimetres, standing on the floor (y = 0),
// facing +z, its left side at +x. Everything else (the implicit surface,
// the rig, the variants) is built from this.
#pragma once

#include <string>
#include <vector>

#include "body/field.h"

namespace vestora::generate {

// The left side of a limb; the right side is its mirror image in x.
struct ArmShape {
  Vec3 shoulder, elbow, wrist, knuckles, fingertips;
  double deltoid = 5.0;
  // Radii down the arm: at the shoulder joint, the upper arm's third and
  // two thirds, the elbow, the forearm's third and two thirds, the wrist.
  double shoulderRadius = 4.5, upperArm = 4.35, lowerUpperArm = 4.1, elbowRadius = 3.45;
  double forearm = 3.8, lowerForearm = 3.1, wristRadius = 2.45;
  double palmThickness = 1.5, palmWidth = 4.2;  // half sizes
  double thumbRadius = 1.0;
};

struct LegShape {
  Vec3 hip, knee, ankle, heel, toes;
  // Radii down the leg: the thigh's top, upper third (the thigh girth),
  // two thirds (mid thigh), above the knee, the knee, below the knee, the
  // fullest calf, the lower calf, the ankle.
  double thighTop = 9.6, thighUpper = 9.0, thighMid = 8.0, aboveKnee = 6.3, kneeRadius = 5.55;
  double belowKnee = 5.3, calf = 5.75, lowerCalf = 4.3, ankleRadius = 3.35;
  double calfHeight = 0.65;   // where the calf is fullest, as a fraction from ankle to knee
  double thighAspect = 1.12;  // depth over width of the upper thigh
  double footHalfWidth = 4.6, footHeight = 3.0;
};

// Head features are placed relative to the top of the head and scaled by
// the head's height (chin to crown), so that one description serves
// every figure.
struct HeadShape {
  double headHeight = 22.7;  // chin to crown
  double width = 1.0;        // relative width
  double faceDepth = 1.0;    // how far the face stands forward
  double jaw = 1.0;          // relative breadth of the jaw and the chin
  // Size of the face within the head: below 1 the features draw together
  // towards the chin under a larger cranium, as in a child.
  double face = 1.0;
  double eyeRadius = 1.2;
  bool lips = true;
};

struct FigureShape {
  std::string kind;   // "woman", "man", "Girl"
  double height = 0;  // floor to the top of the head

  Vec3 pelvis;  // between the hip joints
  Vec3 waist, chestLow, chestHigh, shoulderCentre, neckBase, headTop;
  double neckRadiusBottom = 5.9, neckRadiusTop = 5.4;
  Vec3 neckTop;
  std::vector<TrunkSection> trunk;    // bottom to top
  Vec3 shoulderInner, shoulderOuter;  // left trapezius line
  double shoulderRadiusInner = 4.0, shoulderRadiusOuter = 4.3;
  Vec3 breastCentre, breastRadii;          // left breast; zero radii for none
  Vec3 upperChestCentre, upperChestRadii;  // fills the slope above the breast
  // Left pectoral muscle, turned outwards by `pectoralTurn` degrees about
  // the vertical and its outer end raised by `pectoralTilt` degrees towards
  // the armpit; zero radii for none.
  Vec3 pectoralCentre, pectoralRadii;
  double pectoralTurn = 0, pectoralTilt = 0;
  Vec3 buttockCentre, buttockRadii;  // left buttock
  Vec3 bellyCentre, bellyRadii;      // zero radii for none
  HeadShape head;
  ArmShape arm;
  LegShape leg;

  bool faceRefinement = true;  // mesh the face at half the spacing

  // Blend widths.
  double limbBlend = 2.5, armpitBlend = 3.0, crotchBlend = 3.0, breastBlend = 3.0,
         pectoralBlend = 3.0;
};

FigureShape womanShape();
FigureShape girlShape();
FigureShape manShape();

// The figure with more or less body fat: `fat` 0 is the figure itself,
// +0.25 a quarter more girth at the soft parts, −0.2 slimmer.
FigureShape withFat(const FigureShape& figure, double fat);

// The figure scaled by k about the origin (every position and length).
FigureShape scaledFigure(const FigureShape& figure, double k);

// The pregnant figure in month 1 to 10 (the belly grows with the month).
FigureShape withPregnancy(const FigureShape& figure, int month);

// The implicit surface of a figure (without eyes: they are separate meshes).
BodyField buildField(const FigureShape& figure);

// Centre of the left eyeball (the right one is its mirror image).
Vec3 eyeCentre(const FigureShape& figure);

// The frame of a hand: its wrist, the direction to the fingertips, the
// front (the thumb's side) and the palm's side (towards the thigh), and the
// axes and radii of its fingers.
struct HandFrame {
  Vec3 wrist, along, front, palm;
  double palmLength = 0, fingerLength = 0, palmWidth = 0, fingerRadius = 0, thumbRadius = 0;
  // x towards the palm, y along the hand, z towards the front.
  Vec3 at(double x, double y, double z) const { return wrist + palm * x + along * y + front * z; }
  Rotation orientation() const;
  struct Finger {
    std::vector<Vec3> axis;
    std::vector<double> radii;
  };
  Finger finger(int i) const;  // 0 index … 3 little
  Finger thumb() const;
};
HandFrame handFrame(const FigureShape& figure, bool left);

// A point of the head in the standard head (22.7 cm from chin to crown,
// the crown at the origin, x to the figure's left, y up, z forward) in
// which the head's features are placed: `skull` undoes the head's size,
// width and depth; `face` also draws the face's features apart again where
// a child's face gathers them towards the chin. The same feature lies at
// the same standard point on every figure.
struct StandardHeadPoint {
  Vec3 skull, face;
};
StandardHeadPoint standardHeadPoint(const FigureShape& figure, const Vec3& p);

}  // namespace vestora::generate
