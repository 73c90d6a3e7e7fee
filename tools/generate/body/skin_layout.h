// Where every point of a figure's skin lies in its pictures: the body's
// charts (trunk, arm, leg; hand and foot laid flat) unrolled round their own axes and packed
// into the body picture, the head unrolled round its vertical axis into the
// head picture, and the eyeballs mapped onto a disc in the head picture or
// in a picture of their own.
//
// Each chart is unrolled like a map of the globe in an equal-area
// projection: across, the distance round the surface from the chart's
// middle line; along, the distance up the surface from the chart's lower
// end. The chart's seam is its back line: the inside of the arms and legs,
// the back of the trunk, the sole of the foot and the back of the head,
// where the hair covers it. The right limbs lie on the left ones in the
// picture, mirrored, so they are painted alike.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "body/figure_model.h"

namespace vestora::generate {

struct Uv {
  double u = 0, v = 0;
};

enum class SkinPicture : std::uint8_t { Body, Head, Eye };

enum class SkinChart : std::uint8_t { Trunk, Arm, Hand, Leg, Foot, Head, Count };
const char* skinChartName(SkinChart chart);

struct SkinLayout {
  // Per body triangle: its chart, the picture it lies in and the coordinates
  // of its corners there, each in [0, 1] (v = 0 is the picture's top row).
  std::vector<SkinChart> chart;
  std::vector<std::uint16_t> piece;  // the piece of the chart it was laid out in
  std::vector<SkinPicture> picture;
  std::vector<std::array<Uv, 3>> corners;
  // Per eyeball vertex (both eyes, in model order): its coordinate in the
  // eyes' picture (the head picture, or a picture of their own).
  SkinPicture eyePicture = SkinPicture::Head;
  std::vector<Uv> eyes;
  // The eyeball's disc: the front of the eye at the centre, the back of it
  // on the rim; the distance from the centre is the square root of the
  // angle from the front (over π), so the iris is drawn large.
  Uv eyeDiscCentre;
  double eyeDiscRadius = 0;
  // Picture units per centimetre of skin in the body and the head pictures.
  double bodyScale = 0, headScale = 0;

  // Picture units per centimetre of the picture a body triangle lies in.
  double scaleOf(std::size_t triangle) const {
    return picture[triangle] == SkinPicture::Head ? headScale : bodyScale;
  }
};

// The layout of a figure's skin; its eyeballs lie in the head picture unless
// `eyePictureOfItsOwn`.
SkinLayout layoutSkin(const FigureModel& figure, bool eyePictureOfItsOwn);

// How far the layout stretches the skin. Per triangle, the two singular
// values σ₁ ≥ σ₂ of the map from the triangle (in cm) to its picture (in
// cm of picture at the picture's own scale): 1 and 1 where nothing is
// stretched. `meanStretch` is the area-weighted mean of √((σ₁² + σ₂²)/2),
// `meanAnisotropy` that of σ₁/σ₂, `worstStretch` the 95th percentile of
// the stretch by area.
struct LayoutStretch {
  double meanStretch = 0, meanAnisotropy = 0, worstStretch = 0;
  int foldedTriangles = 0;  // turned over or collapsed in the picture
};
LayoutStretch measureStretch(const FigureModel& figure, const SkinLayout& layout,
                             SkinChart only = SkinChart::Count);

}  // namespace vestora::generate
