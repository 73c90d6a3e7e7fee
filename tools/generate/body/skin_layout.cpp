#include "body/skin_layout.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <stdexcept>

namespace vestora::generate {
namespace {

constexpr double kPi = 3.14159265358979323846;

// An axis a chart is unrolled round: a polyline from the chart's lower end
// to its upper end, and the direction of the chart's middle line.
struct ChartAxis {
  std::vector<Vec3> points;
  Vec3 front;
  double step = 1.0;  // cm between rows of the profile
  // Skin that faces along the axis more steeply than this goes into a cap.
  double capSlope = 0.6;
};

// Where a point lies about an axis: distance along it, angle round it
// (0 on the middle line, ±π on the seam) and distance from it.
struct AxisPoint {
  double t = 0, theta = 0, r = 0;
};

// The axis runs along one direction, from its first point to its last; its
// centre at a distance t along that direction lies on the polyline. Every
// section across the axis is flat and square to that direction, so that
// points never crowd where the polyline bends.
Vec3 axisDirection(const ChartAxis& axis) {
  return normalized(axis.points.back() - axis.points.front());
}

AxisPoint aboutAxis(const ChartAxis& axis, const Vec3& p) {
  const Vec3 d = axisDirection(axis);
  const Vec3 origin = axis.points.front();
  const double t = dot(p - origin, d);
  // The centre at t, between the polyline's points on either side.
  Vec3 centre = axis.points.back();
  for (std::size_t i = 0; i + 1 < axis.points.size(); ++i) {
    const double t0 = dot(axis.points[i] - origin, d), t1 = dot(axis.points[i + 1] - origin, d);
    if (t <= t1 || i + 2 == axis.points.size()) {
      const double k = t1 > t0 ? std::clamp((t - t0) / (t1 - t0), 0.0, 1.0) : 0.0;
      centre = lerp(axis.points[i], axis.points[i + 1], k);
      break;
    }
  }
  Vec3 offset = p - centre;
  offset -= d * dot(offset, d);
  const Vec3 front = normalized(axis.front - d * dot(axis.front, d));
  const Vec3 side = cross(d, front);
  return {t, std::atan2(dot(offset, side), dot(offset, front)), length(offset)};
}

double axisLength(const ChartAxis& axis) {
  return length(axis.points.back() - axis.points.front());
}

// The surface's distance from the axis on a grid of rows (along the axis)
// and angles, and from it the distances round and up the surface.
class Profile {
 public:
  static constexpr int kAngles = 72;

  Profile(const ChartAxis& axis, const std::vector<AxisPoint>& points) : step_(axis.step) {
    rows_ = static_cast<int>(std::ceil(axisLength(axis) / step_)) + 2;
    std::vector<double> sum(cells(), 0.0);
    std::vector<int> count(cells(), 0);
    for (const AxisPoint& p : points) {
      const int i = std::clamp(static_cast<int>(std::lround(p.t / step_)), 0, rows_ - 1);
      const int j = angleIndex(p.theta);
      sum[at(i, j)] += p.r;
      ++count[at(i, j)];
    }
    radius_.assign(cells(), -1.0);
    for (int c = 0; c < cells(); ++c)
      if (count[c] > 0) radius_[c] = sum[c] / count[c];
    fillGaps();
    integrate();
  }

  // Distance round the surface from the middle line (negative on the side
  // of negative angles) and up the surface from the lower end, and the
  // distance once round, at a point about the axis.
  void place(const AxisPoint& p, double& across, double& up, double& round) const {
    const double x = (p.theta + kPi) / (2 * kPi) * kAngles;
    const double y = std::clamp(p.t / step_, 0.0, rows_ - 1.0);
    const int j0 = std::clamp(static_cast<int>(std::floor(x)), 0, kAngles - 1);
    const int i0 = std::min(static_cast<int>(std::floor(y)), rows_ - 2);
    const double fx = x - j0, fy = y - i0;
    auto bilinear = [&](auto&& value) {
      const double a = value(i0, j0) * (1 - fx) + value(i0, j0 + 1) * fx;
      const double b = value(i0 + 1, j0) * (1 - fx) + value(i0 + 1, j0 + 1) * fx;
      return a * (1 - fy) + b * fy;
    };
    across = bilinear([&](int i, int j) {
      return j == kAngles ? round_[i] + across_[at(i, 0)] : across_[at(i, j)];
    });
    up = up_[i0] * (1 - fy) + up_[i0 + 1] * fy;
    round = round_[i0] * (1 - fy) + round_[i0 + 1] * fy;
  }

 private:
  int cells() const { return rows_ * kAngles; }
  int at(int i, int j) const { return i * kAngles + j; }
  static int angleIndex(double theta) {
    const int j = static_cast<int>(std::lround((theta + kPi) / (2 * kPi) * kAngles));
    return ((j % kAngles) + kAngles) % kAngles;
  }
  static double angleOf(int j) { return -kPi + 2 * kPi * j / kAngles; }

  // Empty cells take values between their filled neighbours round the row;
  // empty rows copy the nearest filled row.
  void fillGaps() {
    std::vector<int> filledRows;
    for (int i = 0; i < rows_; ++i) {
      std::vector<int> filled;
      for (int j = 0; j < kAngles; ++j)
        if (radius_[at(i, j)] >= 0) filled.push_back(j);
      if (filled.empty()) continue;
      filledRows.push_back(i);
      std::vector<double> row(kAngles);
      for (int j = 0; j < kAngles; ++j) {
        if (radius_[at(i, j)] >= 0) {
          row[j] = radius_[at(i, j)];
          continue;
        }
        // Nearest filled cells before and after, round the ring.
        int before = -1, after = -1;
        for (int d = 1; d < kAngles && before < 0; ++d)
          if (radius_[at(i, (j - d + kAngles) % kAngles)] >= 0) before = d;
        for (int d = 1; d < kAngles && after < 0; ++d)
          if (radius_[at(i, (j + d) % kAngles)] >= 0) after = d;
        const double a = radius_[at(i, (j - before + kAngles) % kAngles)];
        const double b = radius_[at(i, (j + after) % kAngles)];
        row[j] = a + (b - a) * before / double(before + after);
      }
      for (int j = 0; j < kAngles; ++j) radius_[at(i, j)] = row[j];
    }
    if (filledRows.empty()) throw std::runtime_error("skin layout: a chart without points");
    for (int i = 0; i < rows_; ++i) {
      if (radius_[at(i, 0)] >= 0) continue;
      int nearest = filledRows.front();
      for (int f : filledRows)
        if (std::abs(f - i) < std::abs(nearest - i)) nearest = f;
      for (int j = 0; j < kAngles; ++j) radius_[at(i, j)] = radius_[at(nearest, j)];
    }
  }

  void integrate() {
    const double angleStep = 2 * kPi / kAngles;
    auto chord = [&](double r1, double r2) {
      return std::sqrt(std::max(0.0, r1 * r1 + r2 * r2 - 2 * r1 * r2 * std::cos(angleStep)));
    };
    across_.assign(cells(), 0.0);
    round_.assign(rows_, 0.0);
    const int middle = kAngles / 2;  // angle 0
    for (int i = 0; i < rows_; ++i) {
      for (int j = middle + 1; j < kAngles; ++j)
        across_[at(i, j)] = across_[at(i, j - 1)] + chord(radius_[at(i, j - 1)], radius_[at(i, j)]);
      for (int j = middle - 1; j >= 0; --j)
        across_[at(i, j)] = across_[at(i, j + 1)] - chord(radius_[at(i, j + 1)], radius_[at(i, j)]);
      round_[i] = across_[at(i, kAngles - 1)] +
                  chord(radius_[at(i, kAngles - 1)], radius_[at(i, 0)]) - across_[at(i, 0)];
    }
    // Up the surface: the mean over the ring of the distance between rows,
    // the same for every angle of a row, so that no triangle turns over.
    up_.assign(rows_, 0.0);
    for (int i = 1; i < rows_; ++i) {
      double sum = 0;
      for (int j = 0; j < kAngles; ++j) {
        // The band holds no skin steeper than the caps take: a larger step
        // comes from cells filled across a gap.
        const double dr = std::clamp(radius_[at(i, j)] - radius_[at(i - 1, j)], -step_, step_);
        sum += std::sqrt(step_ * step_ + dr * dr);
      }
      up_[i] = up_[i - 1] + sum / kAngles;
    }
  }

  double step_;
  int rows_ = 0;
  std::vector<double> radius_, across_, up_, round_;
};

struct Rect {
  double x = 0, y = 0, w = 0, h = 0;
};

// Packs rectangles (cm) into the unit square in shelves, largest scale
// first: returns picture units per cm and each rectangle's corner.
double packShelves(const std::vector<Rect>& sizes, double padding, std::vector<Rect>& placed) {
  std::vector<int> order(sizes.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](int a, int b) { return sizes[a].h > sizes[b].h; });
  auto fits = [&](double scale, std::vector<Rect>* out) {
    double x = padding, y = padding, shelf = 0;
    for (int k : order) {
      const double w = sizes[k].w * scale, h = sizes[k].h * scale;
      if (x + w + padding > 1.0) {
        x = padding;
        y += shelf + padding;
        shelf = 0;
      }
      if (x + w + padding > 1.0 || y + h + padding > 1.0) return false;
      if (out) (*out)[k] = {x, y, w, h};
      x += w + padding;
      shelf = std::max(shelf, h);
    }
    return true;
  };
  double lo = 0, hi = 1.0;
  for (const Rect& r : sizes) hi = std::min(hi, 1.0 / std::max(r.w, r.h));
  for (int i = 0; i < 50; ++i) {
    const double mid = 0.5 * (lo + hi);
    (fits(mid, nullptr) ? lo : hi) = mid;
  }
  placed.assign(sizes.size(), Rect{});
  fits(lo, &placed);
  return lo;
}

struct ChartPlan {
  SkinChart chart;
  ChartAxis axis;
};

ChartAxis extend(std::vector<Vec3> points, const Vec3& front, double before, double after,
                 double step) {
  const Vec3 first = normalized(points[0] - points[1]);
  const Vec3 last = normalized(points.back() - points[points.size() - 2]);
  points.insert(points.begin(), points.front() + first * before);
  points.push_back(points.back() + last * after);
  return {std::move(points), front, step};
}

// The axes of the charts, on the figure's left side.
std::array<ChartAxis, static_cast<int>(SkinChart::Count)> chartAxes(const FigureShape& s) {
  std::array<ChartAxis, static_cast<int>(SkinChart::Count)> axes;
  const Vec3 up{0, 1, 0};
  axes[int(SkinChart::Trunk)] =
      extend({s.pelvis, s.waist, s.chestLow, s.chestHigh, s.neckBase, s.neckTop}, {0, 0, 1}, 25.0,
             6.0, 1.0);
  const ArmShape& a = s.arm;
  axes[int(SkinChart::Arm)] = extend({a.shoulder, a.elbow, a.wrist, a.knuckles, a.fingertips},
                                     normalized(Vec3{1, 0, 0}), 8.0, 2.0, 1.0);
  const LegShape& l = s.leg;
  axes[int(SkinChart::Leg)] = extend({l.hip, l.knee, l.ankle}, {1, 0, 0}, 12.0, 0.5, 1.0);
  const Vec3 heel{l.heel.x, l.heel.y, l.heel.z};
  axes[int(SkinChart::Foot)] = extend({heel, lerp(heel, l.toes, 0.5), l.toes}, up, 5.0, 3.0, 0.5);
  const double chin = s.headTop.y - s.head.headHeight;
  const double centreZ = s.headTop.z - 0.7 * s.head.headHeight / 22.7 * s.head.faceDepth;
  // The head's caps take more: under the chin the skin turns back on itself.
  axes[int(SkinChart::Head)] = {
      {{s.headTop.x, chin - 6.0, centreZ}, {s.headTop.x, s.headTop.y + 1.0, centreZ}},
      {0, 0, 1},
      0.5,
      0.4};
  return axes;
}

bool rightSide(SkinChart chart, const Vec3& centroid) {
  return (chart == SkinChart::Arm || chart == SkinChart::Hand || chart == SkinChart::Leg ||
          chart == SkinChart::Foot) &&
         centroid.x < 0;
}

}  // namespace

const char* skinChartName(SkinChart chart) {
  switch (chart) {
    case SkinChart::Trunk:
      return "trunk";
    case SkinChart::Arm:
      return "arm";
    case SkinChart::Hand:
      return "hand";
    case SkinChart::Leg:
      return "leg";
    case SkinChart::Foot:
      return "foot";
    case SkinChart::Head:
      return "head";
    case SkinChart::Count:
      break;
  }
  return "?";
}

SkinLayout layoutSkin(const FigureModel& f, bool eyePictureOfItsOwn) {
  const FigureShape& s = f.shape;
  const std::vector<Vec3>& positions = f.body.positions;
  const int triangles = static_cast<int>(f.body.triangles.size());
  SkinLayout layout;
  layout.chart.resize(triangles);
  layout.picture.resize(triangles);
  layout.corners.resize(triangles);

  // Each triangle's chart: the head's, or that of the part most of its
  // corners belong to; the leg's below the ankle is the foot's.
  for (int t = 0; t < triangles; ++t) {
    const Triangle& tri = f.body.triangles[t];
    const Vec3 c = (positions[tri[0]] + positions[tri[1]] + positions[tri[2]]) / 3.0;
    if (f.headTriangle(t)) {
      layout.chart[t] = SkinChart::Head;
      continue;
    }
    std::array<int, static_cast<int>(Part::Count)> votes{};
    for (int k = 0; k < 3; ++k) ++votes[static_cast<int>(f.parts[tri[k]])];
    const Part part =
        static_cast<Part>(std::max_element(votes.begin(), votes.end()) - votes.begin());
    switch (part) {
      case Part::ArmLeft:
      case Part::ArmRight: {
        // Beyond the wrist, the hand with its fingers.
        const HandFrame h = handFrame(s, part == Part::ArmLeft);
        layout.chart[t] = dot(c - h.wrist, h.along) > 0.5 ? SkinChart::Hand : SkinChart::Arm;
        break;
      }
      case Part::LegLeft:
      case Part::LegRight:
        layout.chart[t] = c.y < s.leg.ankle.y - 0.5 ? SkinChart::Foot : SkinChart::Leg;
        break;
      default:
        layout.chart[t] = SkinChart::Trunk;
        break;
    }
  }

  // Split each chart into pieces: its band, unrolled round the axis, and
  // the caps at its ends where the skin faces along the axis (the tops of
  // the shoulders, the crown), projected flat. The foot, which bends away
  // from the leg, is projected flat onto the six sides of a box.
  const auto axes = chartAxes(s);
  struct PieceKey {
    SkinChart chart;
    int kind;  // 0 band, 1 lower cap, 2 upper cap, 3 + box side
    bool operator<(const PieceKey& o) const {
      return chart != o.chart ? chart < o.chart : kind < o.kind;
    }
  };
  // The boxes the foot and the hand are projected onto: the world's axes,
  // and the left hand's own (the palm's side, along it, its front).
  const std::array<Vec3, 3> footBox{Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}};
  const HandFrame leftHand = handFrame(s, true);
  const std::array<Vec3, 3> handBox{leftHand.palm, leftHand.along, leftHand.front};
  std::map<PieceKey, int> pieceIndex;
  std::vector<PieceKey> pieces;
  std::vector<std::vector<int>> members;
  std::vector<std::array<Vec3, 3>> local(triangles);  // corners, right limbs mirrored
  layout.piece.resize(triangles);
  for (int t = 0; t < triangles; ++t) {
    const Triangle& tri = f.body.triangles[t];
    const Vec3 centroid = (positions[tri[0]] + positions[tri[1]] + positions[tri[2]]) / 3.0;
    const SkinChart chart = layout.chart[t];
    const bool mirror = rightSide(chart, centroid);
    for (int k = 0; k < 3; ++k)
      local[t][k] = mirror ? mirrorX(positions[tri[k]]) : positions[tri[k]];
    const Vec3 n = normalized(cross(local[t][1] - local[t][0], local[t][2] - local[t][0])) *
                   (mirror ? -1.0 : 1.0);
    int kind = 0;
    if (chart == SkinChart::Foot || chart == SkinChart::Hand) {
      const std::array<Vec3, 3>& box = chart == SkinChart::Hand ? handBox : footBox;
      const double ax = dot(n, box[0]), ay = dot(n, box[1]), az = dot(n, box[2]);
      const double bx = std::abs(ax), by = std::abs(ay), bz = std::abs(az);
      kind = 3 + (bx >= by && bx >= bz ? (ax > 0 ? 0 : 1)
                  : by >= bz           ? (ay > 0 ? 2 : 3)
                                       : (az > 0 ? 4 : 5));
    } else {
      const ChartAxis& axis = axes[static_cast<int>(chart)];
      const double along = dot(n, axisDirection(axis));
      if (along < -axis.capSlope) kind = 1;
      if (along > axis.capSlope) kind = 2;
    }
    const PieceKey key{chart, kind};
    auto [it, added] = pieceIndex.emplace(key, static_cast<int>(pieces.size()));
    if (added) {
      pieces.push_back(key);
      members.emplace_back();
    }
    members[it->second].push_back(t);
    layout.piece[t] = static_cast<std::uint16_t>(it->second);
  }

  // A flat piece falls apart into islands of triangles joined by their
  // corners (the two shoulders, the underside of the nose and of the chin),
  // each laid out on its own so that no two overlap in the picture.
  {
    const std::size_t before = pieces.size();
    std::vector<int> parent(positions.size());
    for (std::size_t p = 0; p < before; ++p) {
      if (pieces[p].kind == 0) continue;
      std::iota(parent.begin(), parent.end(), 0);
      auto root = [&](int v) {
        while (parent[v] != v) v = parent[v] = parent[parent[v]];
        return v;
      };
      const std::vector<int> all = members[p];  // members grows below
      for (int t : all) {
        const Triangle& tri = f.body.triangles[t];
        for (int k = 1; k < 3; ++k) parent[root(tri[k])] = root(tri[0]);
      }
      std::map<int, int> islandOf;  // root → piece
      std::vector<int> kept;
      for (int t : all) {
        const int r = root(f.body.triangles[t][0]);
        auto [it, added] = islandOf.emplace(
            r, islandOf.empty() ? static_cast<int>(p) : static_cast<int>(pieces.size()));
        if (added && it->second != static_cast<int>(p)) {
          pieces.push_back(pieces[p]);
          members.emplace_back();
        }
        if (it->second == static_cast<int>(p)) {
          kept.push_back(t);
        } else {
          members[it->second].push_back(t);
        }
        layout.piece[t] = static_cast<std::uint16_t>(it->second);
      }
      members[p] = std::move(kept);
    }
  }

  // Unroll or project every piece (cm).
  const int pieceCount = static_cast<int>(pieces.size());
  std::vector<std::vector<std::array<Uv, 3>>> flat(pieceCount);
  std::vector<Rect> extent(pieceCount);
  for (int p = 0; p < pieceCount; ++p) {
    const PieceKey key = pieces[p];
    const ChartAxis& axis = axes[static_cast<int>(key.chart)];
    if (key.kind == 0) {
      std::vector<std::array<AxisPoint, 3>> about;
      std::vector<AxisPoint> points;
      for (int t : members[p]) {
        std::array<AxisPoint, 3> corners;
        for (int k = 0; k < 3; ++k) corners[k] = aboutAxis(axis, local[t][k]);
        about.push_back(corners);
        points.insert(points.end(), corners.begin(), corners.end());
      }
      const Profile profile(axis, points);
      for (const auto& corners : about) {
        std::array<Uv, 3> uv;
        std::array<double, 3> round{};
        for (int k = 0; k < 3; ++k) profile.place(corners[k], uv[k].u, uv[k].v, round[k]);
        // A triangle across the seam: its corners on the negative side go
        // once round, to lie beside the others.
        const double minTheta = std::min({corners[0].theta, corners[1].theta, corners[2].theta});
        const double maxTheta = std::max({corners[0].theta, corners[1].theta, corners[2].theta});
        if (maxTheta - minTheta > kPi)
          for (int k = 0; k < 3; ++k)
            if (corners[k].theta < 0) uv[k].u += round[k];
        flat[p].push_back(uv);
      }
    } else {
      // Flat: seen along the axis at the cap's end, or from the box side.
      Vec3 view, right;
      if (key.kind < 3) {
        const Vec3 tangent = axisDirection(axis);
        view = key.kind == 1 ? -tangent : tangent;
        right = normalized(axis.front - tangent * dot(axis.front, tangent));
      } else {
        const std::array<Vec3, 3>& box = key.chart == SkinChart::Hand ? handBox : footBox;
        const int side = key.kind - 3;
        view = box[side / 2] * (side % 2 == 0 ? 1.0 : -1.0);
        right = side / 2 == 1 ? box[0] : box[1];
      }
      const Vec3 upward = cross(view, right);
      for (int t : members[p]) {
        std::array<Uv, 3> uv;
        for (int k = 0; k < 3; ++k) uv[k] = {dot(local[t][k], right), dot(local[t][k], upward)};
        flat[p].push_back(uv);
      }
    }
    double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
    for (const auto& uv : flat[p])
      for (const Uv& q : uv) {
        lo[0] = std::min(lo[0], q.u), hi[0] = std::max(hi[0], q.u);
        lo[1] = std::min(lo[1], q.v), hi[1] = std::max(hi[1], q.v);
      }
    for (auto& uv : flat[p])
      for (Uv& q : uv) q.u -= lo[0], q.v -= lo[1];
    extent[p] = {0, 0, hi[0] - lo[0], hi[1] - lo[1]};
  }

  // The body picture holds the pieces of trunk, arm, leg and foot; the head
  // picture the head's and, unless they have their own, the eyeballs' disc.
  const double padding = 0.01;
  std::vector<Rect> bodySizes, headSizes;
  std::vector<int> slot(pieceCount);
  for (int p = 0; p < pieceCount; ++p) {
    std::vector<Rect>& sizes = pieces[p].chart == SkinChart::Head ? headSizes : bodySizes;
    slot[p] = static_cast<int>(sizes.size());
    sizes.push_back(extent[p]);
  }
  const double eyeSide =
      2.5 * kPi * s.head.eyeRadius;  // the eye's front drawn larger than the skin
  if (!eyePictureOfItsOwn) headSizes.push_back({0, 0, eyeSide, eyeSide});
  std::vector<Rect> bodyPlaced, headPlaced;
  layout.bodyScale = packShelves(bodySizes, padding, bodyPlaced);
  layout.headScale = packShelves(headSizes, padding, headPlaced);
  for (int p = 0; p < pieceCount; ++p) {
    const bool head = pieces[p].chart == SkinChart::Head;
    const Rect& place = (head ? headPlaced : bodyPlaced)[slot[p]];
    const double scale = head ? layout.headScale : layout.bodyScale;
    for (std::size_t k = 0; k < members[p].size(); ++k) {
      const int t = members[p][k];
      layout.picture[t] = head ? SkinPicture::Head : SkinPicture::Body;
      for (int i = 0; i < 3; ++i) {
        // Across runs left to right in the picture, up runs bottom to top.
        const Uv q = flat[p][k][i];
        layout.corners[t][i] = {place.x + q.u * scale, place.y + place.h - q.v * scale};
      }
    }
  }

  // The eyeballs: front at the disc's centre, the back on its rim, both
  // eyes alike (their catch lights on the same side).
  if (eyePictureOfItsOwn) {
    layout.eyePicture = SkinPicture::Eye;
    layout.eyeDiscCentre = {0.5, 0.5};
    layout.eyeDiscRadius = 0.48;
  } else {
    layout.eyePicture = SkinPicture::Head;
    const Rect& disc = headPlaced.back();
    layout.eyeDiscCentre = {disc.x + disc.w * 0.5, disc.y + disc.h * 0.5};
    layout.eyeDiscRadius = disc.w * 0.48;
  }
  const Vec3 leftEye = eyeCentre(s);
  const int half = static_cast<int>(f.eyes.positions.size() / 2);
  for (int i = 0; i < static_cast<int>(f.eyes.positions.size()); ++i) {
    const Vec3 centre = i < half ? leftEye : mirrorX(leftEye);
    const Vec3 d = normalized(f.eyes.positions[i] - centre);
    const double alpha = std::acos(std::clamp(d.z, -1.0, 1.0));
    const double sideways = std::hypot(d.x, d.y);
    // The visible front gets most of the disc: its radius grows with the
    // square root of the angle.
    const double reach = layout.eyeDiscRadius * std::sqrt(alpha / kPi);
    const double cx = sideways > 1e-9 ? d.x / sideways : 0,
                 cy = sideways > 1e-9 ? d.y / sideways : 0;
    layout.eyes.push_back(
        {layout.eyeDiscCentre.u + reach * cx, layout.eyeDiscCentre.v - reach * cy});
  }
  return layout;
}

LayoutStretch measureStretch(const FigureModel& f, const SkinLayout& layout, SkinChart only) {
  struct Sample {
    double stretch, area;
  };
  std::vector<Sample> samples;
  double area = 0, stretchSum = 0, anisotropySum = 0;
  // Orientation of each chart's side in the picture: the majority's.
  std::map<int, int> orientation;
  std::vector<double> signedArea(layout.corners.size());
  const auto& positions = f.body.positions;
  for (std::size_t t = 0; t < layout.corners.size(); ++t) {
    const auto& c = layout.corners[t];
    signedArea[t] = (c[1].u - c[0].u) * (c[2].v - c[0].v) - (c[2].u - c[0].u) * (c[1].v - c[0].v);
    const Triangle& tri = f.body.triangles[t];
    const Vec3 centroid = (positions[tri[0]] + positions[tri[1]] + positions[tri[2]]) / 3.0;
    const int key = 2 * layout.piece[t] + (rightSide(layout.chart[t], centroid) ? 1 : 0);
    orientation[key] += signedArea[t] > 0 ? 1 : -1;
  }
  LayoutStretch result;
  for (std::size_t t = 0; t < layout.corners.size(); ++t) {
    if (only != SkinChart::Count && layout.chart[t] != only) continue;
    const Triangle& tri = f.body.triangles[t];
    const Vec3 a = positions[tri[0]], b = positions[tri[1]], c = positions[tri[2]];
    const Vec3 centroid = (a + b + c) / 3.0;
    const int key = 2 * layout.piece[t] + (rightSide(layout.chart[t], centroid) ? 1 : 0);
    const double surface = 0.5 * length(cross(b - a, c - a));
    if (surface < 1e-9) continue;
    if ((signedArea[t] > 0) != (orientation[key] > 0) || signedArea[t] == 0) {
      ++result.foldedTriangles;
      continue;
    }
    // The triangle in its own plane: e1 along ab.
    const Vec3 e1 = normalized(b - a), n = normalized(cross(b - a, c - a)), e2 = cross(n, e1);
    const double x1 = length(b - a), x2 = dot(c - a, e1), y2 = dot(c - a, e2);
    const double k = 1.0 / layout.scaleOf(t);  // picture units to cm
    const auto& uv = layout.corners[t];
    const double du1 = (uv[1].u - uv[0].u) * k, dv1 = (uv[1].v - uv[0].v) * k;
    const double du2 = (uv[2].u - uv[0].u) * k, dv2 = (uv[2].v - uv[0].v) * k;
    // Jacobian of (x, y) → (u, v).
    const double j11 = du1 / x1, j21 = dv1 / x1;
    const double j12 = (du2 - j11 * x2) / y2, j22 = (dv2 - j21 * x2) / y2;
    const double p = j11 * j11 + j21 * j21, q = j12 * j12 + j22 * j22, r = j11 * j12 + j21 * j22;
    const double root = std::sqrt(std::max(0.0, (p - q) * (p - q) + 4 * r * r));
    const double s1 = std::sqrt(std::max(0.0, 0.5 * (p + q + root)));
    const double s2 = std::sqrt(std::max(0.0, 0.5 * (p + q - root)));
    const double stretch = std::sqrt(0.5 * (s1 * s1 + s2 * s2));
    area += surface;
    stretchSum += stretch * surface;
    anisotropySum += (s2 > 1e-12 ? s1 / s2 : 1e6) * surface;
    samples.push_back({stretch, surface});
  }
  if (area <= 0) return result;
  result.meanStretch = stretchSum / area;
  result.meanAnisotropy = anisotropySum / area;
  std::sort(samples.begin(), samples.end(),
            [](const Sample& x, const Sample& y) { return x.stretch < y.stretch; });
  double running = 0;
  for (const Sample& s : samples) {
    running += s.area;
    if (running >= 0.95 * area) {
      result.worstStretch = s.stretch;
      break;
    }
  }
  return result;
}

}  // namespace vestora::generate
