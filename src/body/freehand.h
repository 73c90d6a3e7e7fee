// The freehand measuring tools: a straight distance between two picked skin
// points, their difference in height, the length of a curve stroked across
// the body, and the girth of the level section through a picked point. The
// view picks the points and strokes; this is what the tools make of them.
//
// Points are in model units (1 unit = 10 cm after normalisation); values in
// centimetres.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "avatar/avatar.h"
#include "avatar/triangle_tree.h"
#include "body/section_length.h"
#include "platform/user_dialogs.h"

namespace vestora {

// Shown when a freehand tool is switched on before any full measurement.
inline constexpr const char* kMeasureFirstMessage = "请先进行人体测量";

enum class FreehandTool { LinearDistance, Height, CurveLength, FreeGirth };

// The freehand measuring tools and sheet modes; at most one is on.
struct FreehandTools {
  bool linearDistance = false;  // "直线距离"
  bool height = false;          // "高度"
  bool curveLength = false;     // "曲线距离"
  bool freeGirth = false;       // "任意围长"
  bool slopeGirth = false;
  bool freeCutGirth = false;
  bool slidingSlopeGirth = false;
  bool sideView = false;  // the side-view drag
  bool surfacePoint = false;
  bool anyActive() const {
    return linearDistance || height || curveLength || freeGirth || slopeGirth || freeCutGirth ||
           slidingSlopeGirth || sideView || surfacePoint;
  }
  bool& flag(FreehandTool tool);
  bool flag(FreehandTool tool) const;
};

// The freehand results the measurement sheet shows, in centimetres.
struct FreehandValues {
  float girth = 0, linearDistance = 0, height = 0, curveLength = 0, slopeGirth = 0;
  float freeCutTorso = 0, freeCutLeftArm = 0, freeCutRightArm = 0, freeCutLeftLeg = 0,
        freeCutRightLeg = 0;
  float slidingSlope = 0;
};

// Marks a picked point slot as empty in every coordinate.
inline constexpr float kUnpicked = -1000.0f;

class FreehandMeasure {
 public:
  FreehandTools tools;
  FreehandValues values;

  // The two picked points of the active tool; kUnpicked in every coordinate
  // when not (yet) picked.
  std::array<Vec3f, 2> points{
      {{kUnpicked, kUnpicked, kUnpicked}, {kUnpicked, kUnpicked, kUnpicked}}};
  // The traced path of the active tool: the girth's loop (closed) or the
  // curve's skin points (open). Empty until measured.
  std::vector<Vec3f> path;
  bool pathClosed = false;

  // Switches `tool` on or off. Needs a full measurement first (`measured`):
  // without one the message kMeasureFirstMessage is shown and nothing
  // changes (returns false). Switching a tool on switches every other tool
  // and sheet mode off and clears all picks; at most one tool is on.
  bool toggle(FreehandTool tool, bool measured, UserDialogs* dialogs);
  // Every tool off and every pick cleared; the values stay for the sheet.
  void clear();
  // The tool that is on, if one of the four is.
  std::optional<FreehandTool> active() const;
  // Whether the active tool takes single picked points (not a stroke).
  bool takesPoints() const;

  // A point picked on the skin for the active tool. The distance and height
  // tools take two points (a third starts over); the girth takes one. False
  // when no point tool is on.
  bool pick(const Avatar& avatar, const Vec3f& point);
  // A stroke drawn over the body for the curve tool, as its two ends on the
  // near plane and on the far plane (model units). False when the curve
  // tool is off.
  bool stroke(Avatar& avatar, const StrokeEnds& nearEnds, const StrokeEnds& farEnds);

  // The value of the active tool (cm) once it has all its points.
  std::optional<float> activeValue() const;

 private:
  void clearPicks();
  int picked_ = 0;
  bool complete_ = false;
};

// Whether a picked point slot holds a point.
bool isPicked(const Vec3f& p);

// The girth of the level section through `point`: the closed loop of the
// body's section at that height that passes nearest the point (model units
// in `loop`, the length in cm). Nothing when the plane meets no part of the
// body near the point.
std::optional<float> levelGirthThrough(const Avatar& avatar, const Vec3f& point,
                                       std::vector<Vec3f>* loop = nullptr);

}  // namespace vestora
