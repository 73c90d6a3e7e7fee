#include "accessories/hair_strands.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "assets/splitmix.h"

namespace vestora::generate::hair {
namespace {

constexpr double kChartStep = 0.01;  // radians between the points of a strand on the scalp

// Horizontal distance from the head's vertical axis.
double fromAxis(const Head& head, const Vec3& p) {
  const double dx = p.x - head.centre().x, dz = p.z - head.centre().z;
  return std::sqrt(dx * dx + dz * dz);
}

// The horizontal direction away from the head's axis.
Vec3 outwards(const Head& head, const Vec3& p) {
  return normalized(Vec3{p.x - head.centre().x, 0, p.z - head.centre().z});
}

double azimuthOf(const Head& head, const Vec3& p) {
  return std::atan2(p.x - head.centre().x, p.z - head.centre().z);
}

// Moves a point out of the body until it is `clearance` clear of it.
Vec3 pushOut(const Head& head, Vec3 q, double clearance) {
  for (int i = 0; i < 4; ++i) {
    Vec3 n;
    const double c = head.clearance(q, &n);
    if (c >= clearance) break;
    q += n * (clearance - c);
  }
  return q;
}

// The chart distance along `dir` from `from` at which a straight line leaves
// the hairline (at most `limit`).
double toHairline(const Head& head, ChartPoint from, ChartPoint dir, double limit) {
  double t = 0;
  if (head.insideHairline(from) < 0) return 0;
  while (t < limit && head.insideHairline(from + dir * (t + kChartStep)) >= 0) t += kChartStep;
  if (t >= limit) return limit;
  double lo = t, hi = t + kChartStep;
  for (int i = 0; i < 30; ++i) {
    const double mid = (lo + hi) / 2;
    (head.insideHairline(from + dir * mid) >= 0 ? lo : hi) = mid;
  }
  return lo;
}

struct Column {
  ChartPoint root, dir;
};

// The strands round a parting: the front arc's left part, the left side,
// the back arc, the right side and the front arc's right part.
std::vector<Column> partingColumns(const CombedHair& s, bool& closed) {
  const ChartPoint f = s.partFront, b = s.partBack;
  const ChartPoint along = b - f;
  const double partLength = chartLength(along);
  const ChartPoint e = partLength > 0 ? along * (1 / partLength) : ChartPoint{0, -1};
  const ChartPoint left{-e.z, e.x};  // towards +x when the parting runs back
  const double arcRadius = 0.6;
  const double fl = std::clamp(s.fringeLeft, 0.0, 90.0) * kDegree;
  const double fr = std::clamp(s.fringeRight, 0.0, 90.0) * kDegree;
  closed = s.fringeLeft >= 90 && s.fringeRight >= 90;
  // Pieces in order, each with its length in the column spacing.
  const double pieces[5] = {arcRadius * fl, partLength, arcRadius * kPi, partLength,
                            arcRadius * fr};
  double total = 0;
  for (double p : pieces) total += p;
  const int n = s.columns;
  std::vector<Column> out;
  constexpr double kRootGap = 0.018;  // half the parting's width
  for (int i = 0; i < n; ++i) {
    double lambda = closed ? total * i / n : total * i / (n - 1);
    int piece = 0;
    while (piece < 4 && lambda > pieces[piece]) lambda -= pieces[piece++];
    const double frac = pieces[piece] > 0 ? std::clamp(lambda / pieces[piece], 0.0, 1.0) : 0.0;
    Column c;
    switch (piece) {
      case 0: {  // front arc, left part: from forward-left round to sideways
        const double a = fl * (1 - frac);
        c.root = f;
        c.dir = left * std::cos(a) + e * (-std::sin(a));
        break;
      }
      case 1:
        c.root = f + along * frac;
        c.dir = left;
        break;
      case 2: {
        const double a = kPi * frac;
        c.root = b;
        c.dir = left * std::cos(a) + e * std::sin(a);
        break;
      }
      case 3:
        c.root = b - along * frac;
        c.dir = left * -1;
        break;
      default: {
        const double a = fr * frac;
        c.root = f;
        c.dir = left * -std::cos(a) + e * (-std::sin(a));
        break;
      }
    }
    c.root = c.root + c.dir * kRootGap;
    out.push_back(c);
  }
  return out;
}

// Where a strand combed along `dir` leaves the scalp: where it crosses the
// hairline, or where the head starts to curve in below its widest.
double releaseOf(const Head& head, const Column& c) {
  const double limit = 3.0;
  const double atHairline = toHairline(head, c.root, c.dir, limit);
  double previous = fromAxis(head, head.scalp(c.root, 0));
  for (double t = kChartStep; t < atHairline; t += kChartStep) {
    const ChartPoint q = c.root + c.dir * t;
    const double r = fromAxis(head, head.scalp(q, 0));
    if (q.theta() > 70 * kDegree && r < previous) return t - kChartStep;
    previous = r;
  }
  return atHairline;
}

struct LockLook {
  double length = 0, out = 0, side = 0;
};

// A strand hanging from `p`, leaving in direction `dir`, to `endY`.
std::vector<Vec3> hang(const Head& head, Vec3 p, Vec3 dir, const Drape& d, double clearance,
                       double endY, const LockLook& look) {
  std::vector<Vec3> pts{p};
  double fallen = 0;
  const double maxLength = 6.0;
  while (p.y > endY && fallen < maxLength) {
    const Vec3 out = outwards(head, p);
    const double ph = std::abs(azimuthOf(head, p)) / kDegree;
    const double below = head.earTop() - p.y;
    Vec3 pull{0, -1, 0};
    const double beside = 1 - smoothstep(95, 135, ph);  // beside or in front of the ears
    const double behind = smoothstep(95, 150, ph);
    const double low = smoothstep(-0.2, 0.3, below);
    const double nape = smoothstep(head.chin() - 0.45, head.chin() - 0.15, p.y);
    const Vec3 sweep{0, 0, (d.forward - d.sweepBack) * beside * low};
    pull += sweep;
    pull += out * (-d.inward * behind * smoothstep(0.0, 0.4, below) * nape);
    pull += out * (d.flare + look.out * smoothstep(0.1, 0.6, fallen));
    const double end = 1 - smoothstep(0, d.endZone, p.y - endY);
    pull += out * ((d.flip - d.curl) * end);
    if (look.side != 0) pull += normalized(cross(Vec3{0, 1, 0}, out)) * look.side;
    dir = normalized(dir + (normalized(pull) - dir) * d.stiffness);
    const Vec3 free = p + dir * d.step;
    Vec3 q = pushOut(head, free, clearance);
    Vec3 moved = q - p;
    // Hair lying on the body does not slide sideways over it (off the
    // shoulders) other than the way it is swept: it keeps to where it
    // rests and falls on past it.
    if (length(q - free) > 1e-9) {
      const Vec3 flat{moved.x, 0, moved.z};
      const Vec3 way = normalized(Vec3{sweep.x, 0, sweep.z});
      const Vec3 kept = length(way) > 0 ? way * std::max(0.0, dot(flat, way)) : Vec3{};
      moved -= (flat - kept) * 0.85;
    }
    // Keep the strand's length where the body turned it.
    if (length(moved) > 1e-9) {
      dir = normalized(moved);
      q = pushOut(head, p + dir * d.step, clearance);
    }
    if (q.y < endY && p.y > endY) {
      const double t = (p.y - endY) / (p.y - q.y);
      q = lerp(p, q, t);
    }
    p = q;
    pts.push_back(p);
    fallen += d.step;
  }
  return pts;
}

// Waves: the hanging part swings in and out and from side to side along
// its fall, neighbouring strands a little out of step.
void addWaves(const Head& head, std::vector<Vec3>& pts, std::size_t from, const Drape& d,
              double clearance, double phase) {
  if (d.wave <= 0) return;
  double s = 0;
  for (std::size_t i = from + 1; i < pts.size(); ++i) {
    s += length(pts[i] - pts[i - 1]);
    const double grow = smoothstep(0.05, 0.5, s);
    const Vec3 out = outwards(head, pts[i]);
    const Vec3 side = normalized(cross(Vec3{0, 1, 0}, out));
    const double a = 2 * kPi * s / d.wavelength + phase;
    pts[i] =
        pushOut(head, pts[i] + (out * std::sin(a) + side * (0.7 * std::cos(a))) * (d.wave * grow),
                clearance);
  }
}

// Where the rows of a strand that ends at the hairline lie, and their v:
// the tapering ends of the picture's strands are kept to a narrow fringe
// along the hairline, the rest of the strand runs evenly.
constexpr double kFringe = 0.06;      // units of scalp the fringe covers
constexpr double kFringeBand = 0.38;  // the part of a band the strands taper in
// Hanging hair: the tapering ends take the last few centimetres of every
// strand whatever its length, on the last rows.
constexpr double kTipLength = 0.35;
constexpr int kTipRows = 5;
constexpr double kMinimumHang = 0.12;

// `points` resampled to `count` points: the last `tipRows` spans over the
// last `tip` units, the others evenly over the rest.
std::vector<Vec3> resampleWithTip(const std::vector<Vec3>& points, int count, double tip,
                                  int tipRows) {
  const double total = polylineLength(points);
  tip = std::min(tip, 0.3 * total);
  std::vector<double> at(points.size(), 0.0);
  for (std::size_t i = 1; i < points.size(); ++i)
    at[i] = at[i - 1] + length(points[i] - points[i - 1]);
  const int body = count - 1 - tipRows;
  std::vector<Vec3> out;
  std::size_t j = 0;
  for (int k = 0; k < count; ++k) {
    const double s =
        k <= body ? (total - tip) * k / body : (total - tip) + tip * (k - body) / tipRows;
    while (j + 2 < points.size() && at[j + 1] < s) ++j;
    if (points.size() < 2) {
      out.push_back(points.front());
      continue;
    }
    const double span = at[j + 1] - at[j];
    out.push_back(
        lerp(points[j], points[j + 1], span > 0 ? std::clamp((s - at[j]) / span, 0.0, 1.0) : 0.0));
  }
  return out;
}

std::vector<double> rowVWithTip(int rows, int tipRows, const Band& band) {
  std::vector<double> v(static_cast<std::size_t>(rows));
  const double edge = band.top + (1 - kFringeBand) * (band.bottom - band.top);
  const int body = rows - 1 - tipRows;
  for (int r = 0; r < rows; ++r)
    v[std::size_t(r)] = r <= body ? band.top + (edge - band.top) * r / body
                                  : edge + (band.bottom - edge) * (r - body) / tipRows;
  return v;
}

double fringeRowFraction(double pathLength) {
  return std::clamp(kFringe / std::max(pathLength, 1e-6), 0.02, 0.3);
}

// Row positions (0 at the root, 1 at the hairline) with the fringe in the
// last row.
std::vector<double> rowsToHairline(int rows, double fringe) {
  std::vector<double> t(static_cast<std::size_t>(rows));
  for (int r = 0; r + 1 < rows; ++r) t[std::size_t(r)] = (1 - fringe) * r / (rows - 2);
  t.back() = 1;
  return t;
}

std::vector<double> rowVToHairline(int rows, const Band& band) {
  std::vector<double> v(static_cast<std::size_t>(rows));
  const double edge = band.top + (1 - kFringeBand) * (band.bottom - band.top);
  for (int r = 0; r + 1 < rows; ++r)
    v[std::size_t(r)] = band.top + (edge - band.top) * r / (rows - 2);
  v.back() = band.bottom;
  return v;
}

double offsetOn(const SheetLayer& layer, double t, double release) {
  const double k = release > 0 ? std::clamp(t / release, 0.0, 1.0) : 1.0;
  return layer.offset + layer.lift * (1 - smoothstep(0.0, 1.0, k));
}

// u of every strand from the spacing of the strands, `tile` units a repeat.
std::vector<double> spacingU(const std::vector<std::vector<Vec3>>& columns, int row, double tile,
                             double shift, bool closed, double& seam) {
  std::vector<double> u(columns.size(), shift);
  for (std::size_t c = 1; c < columns.size(); ++c)
    u[c] =
        u[c - 1] + length(columns[c][std::size_t(row)] - columns[c - 1][std::size_t(row)]) / tile;
  seam = u.back();
  if (closed) {
    const double last =
        length(columns.front()[std::size_t(row)] - columns.back()[std::size_t(row)]) / tile;
    const double total = u.back() - shift + last;
    const double repeats = std::max(1.0, std::round(total));
    for (double& x : u) x = shift + (x - shift) * repeats / total;
    seam = shift + repeats;
  }
  return u;
}

}  // namespace

double CutLine::y(double phiRadians) const {
  if (knots.empty()) return 0;
  const double phi = phiRadians / kDegree;
  double base = knots.front()[1];
  if (phi <= knots.front()[0]) {
    base = knots.front()[1];
  } else if (phi >= knots.back()[0]) {
    base = knots.back()[1];
  } else {
    for (std::size_t i = 0; i + 1 < knots.size(); ++i)
      if (phi <= knots[i + 1][0]) {
        const double t = (phi - knots[i][0]) / (knots[i + 1][0] - knots[i][0]);
        base = knots[i][1] + (knots[i + 1][1] - knots[i][1]) * t;
        break;
      }
  }
  return base - shift * smoothstep(shiftFrom - 25, shiftFrom, std::abs(phi));
}

Sheet scalpCover(const Head& head, ChartPoint whorl, double offset, int columns, int rows,
                 Band band, double tileWidth) {
  if (head.insideHairline(whorl) <= 0)
    throw std::runtime_error("hair: the whorl lies outside the hairline");
  Sheet sheet;
  Lattice& l = sheet.lattice;
  l.columns = columns;
  l.rows = rows;
  l.closed = true;
  l.poleStart = true;
  l.vRoot = band.top;
  l.vTip = band.bottom;
  std::vector<std::vector<Vec3>> cols;
  for (int c = 0; c < columns; ++c) {
    const double a = 2 * kPi * c / columns;
    const ChartPoint dir{std::sin(a), std::cos(a)};
    const double end = toHairline(head, whorl, dir, 3.0);
    const std::vector<double> at = rowsToHairline(rows, fringeRowFraction(end * head.radius(0, 0)));
    std::vector<Vec3> pts;
    for (int r = 0; r < rows; ++r)
      pts.push_back(head.scalp(whorl + dir * (end * at[std::size_t(r)]), offset));
    cols.push_back(pts);
    l.points.insert(l.points.end(), pts.begin(), pts.end());
  }
  l.u = spacingU(cols, rows - 1, tileWidth, 0, true, l.uSeam);
  l.rowV = rowVToHairline(rows, band);
  return sheet;
}

std::vector<Sheet> combedHair(const Head& head, const CombedHair& plan) {
  bool closed = false;
  const std::vector<Column> columns = partingColumns(plan, closed);
  std::vector<double> release(columns.size());
  for (std::size_t c = 0; c < columns.size(); ++c) release[c] = releaseOf(head, columns[c]);

  std::vector<Sheet> sheets;
  SplitMix64 random(plan.seed);
  for (const SheetLayer& layer : plan.layers) {
    // Locks and what each does.
    const int lockSize = layer.lockColumns > 0 ? layer.lockColumns : int(columns.size());
    std::vector<LockLook> looks;
    for (std::size_t c = 0; c < columns.size(); c += std::size_t(lockSize)) {
      LockLook look;
      if (layer.jitter > 0) {
        look.length = layer.jitter * (2 * random.unit() - 1);
        look.out = layer.jitter * 0.8 * (random.unit() - 0.3);
        look.side = layer.jitter * 0.8 * (2 * random.unit() - 1);
      }
      looks.push_back(look);
    }
    // Each strand: its way over the scalp and its hanging part.
    std::vector<std::vector<Vec3>> scalpParts, hangingParts;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const Column& col = columns[c];
      const LockLook& look = looks[c / std::size_t(lockSize)];
      const double t1 = release[c];
      std::vector<Vec3> pts;
      const int steps = std::max(1, int(std::ceil(t1 / kChartStep)));
      for (int k = 0; k <= steps; ++k) {
        const double t = t1 * k / steps;
        pts.push_back(head.scalp(col.root + col.dir * t, offsetOn(layer, t, t1)));
      }
      const std::size_t onScalp = pts.size();
      Vec3 dir =
          pts.size() >= 2
              ? normalized(pts.back() - pts[pts.size() - 2])
              : normalized(head.scalp(col.root + col.dir * kChartStep, layer.offset) - pts.back());
      const double phi = (col.root + col.dir * t1).phi();
      // No strand reaches below the cut line; every strand hangs a little at
      // least below where it leaves the scalp.
      const double cut = plan.cut.y(phi);
      const double endY =
          std::min(std::max(cut, cut + layer.shorter + look.length), pts.back().y - kMinimumHang);
      const double clearance = std::max(0.025, layer.offset) + 0.012;
      std::vector<Vec3> hanging = hang(head, pts.back(), dir, plan.drape, clearance, endY, look);
      pts.insert(pts.end(), hanging.begin() + 1, hanging.end());
      addWaves(head, pts, onScalp - 1, plan.drape, clearance,
               0.3 * double(c) + 1.3 * double(c / std::size_t(lockSize)));
      scalpParts.emplace_back(pts.begin(), pts.begin() + std::ptrdiff_t(onScalp));
      hangingParts.emplace_back(pts.begin() + std::ptrdiff_t(onScalp) - 1, pts.end());
    }
    // Rows: the same share of them over the scalp for every strand, so that
    // neighbouring strands leave the scalp on the same row whatever their
    // lengths; the tapering ends on the last rows.
    std::vector<double> shares;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const double onHead = polylineLength(scalpParts[c]);
      shares.push_back(onHead / std::max(1e-9, onHead + polylineLength(hangingParts[c])));
    }
    std::nth_element(shares.begin(), shares.begin() + std::ptrdiff_t(shares.size() / 2),
                     shares.end());
    const int bodyRows = plan.rows - 1 - kTipRows;
    const int scalpRows =
        std::clamp(int(std::lround(shares[shares.size() / 2] * bodyRows)), 2, bodyRows - 2);
    std::vector<std::vector<Vec3>> strands;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      std::vector<Vec3> strand = resampleByLength(scalpParts[c], scalpRows + 1);
      const std::vector<Vec3> below =
          resampleWithTip(hangingParts[c], plan.rows - scalpRows, kTipLength, kTipRows);
      strand.insert(strand.end(), below.begin() + 1, below.end());
      strands.push_back(std::move(strand));
    }
    // Locks gather at their tips.
    if (layer.lockColumns > 0 && layer.clump > 0) {
      for (std::size_t first = 0; first < strands.size(); first += std::size_t(lockSize)) {
        const std::size_t last = std::min(strands.size(), first + std::size_t(lockSize)) - 1;
        for (int r = 0; r < plan.rows; ++r) {
          const double v = double(r) / (plan.rows - 1);
          const double g = layer.clump * smoothstep(0.45, 1.0, v);
          if (g <= 0) continue;
          Vec3 middle;
          for (std::size_t c = first; c <= last; ++c) middle += strands[c][std::size_t(r)];
          middle = middle / double(last - first + 1);
          for (std::size_t c = first; c <= last; ++c) {
            Vec3& p = strands[c][std::size_t(r)];
            p = pushOut(head, p + (middle - p) * g, std::max(0.025, layer.offset));
          }
        }
      }
    }
    const int spacingRow = plan.rows * 2 / 5;
    double seam = 0;
    const bool sheetClosed = closed && layer.lockColumns == 0;
    const std::vector<double> u =
        spacingU(strands, spacingRow, plan.tileWidth, layer.uShift, sheetClosed, seam);
    for (std::size_t first = 0; first < strands.size(); first += std::size_t(lockSize)) {
      const std::size_t end = std::min(strands.size(), first + std::size_t(lockSize));
      if (end - first < 2) continue;
      Sheet sheet;
      Lattice& l = sheet.lattice;
      l.columns = int(end - first);
      l.rows = plan.rows;
      l.closed = sheetClosed;
      l.uSeam = seam;
      l.rowV = rowVWithTip(plan.rows, kTipRows, layer.band);
      for (std::size_t c = first; c < end; ++c) {
        l.points.insert(l.points.end(), strands[c].begin(), strands[c].end());
        l.u.push_back(u[c]);
      }
      sheets.push_back(std::move(sheet));
    }
  }
  return sheets;
}

TiedSheets tiedHair(const Head& head, const TiedHair& plan) {
  TiedSheets out;
  const double gather = 0.03;
  // Roots on the hairline, all the way round.
  std::vector<ChartPoint> roots, ends;
  for (int c = 0; c < plan.columns; ++c) {
    const double phi = -kPi + 2 * kPi * c / plan.columns;
    const ChartPoint h = chartOf(head.hairline(phi) - 0.004, phi);
    const ChartPoint toRoot = h - plan.tie;
    roots.push_back(h);
    ends.push_back(plan.tie + toRoot * (plan.tieRadius / chartLength(toRoot)));
    for (int k = 1; k < 20; ++k) {
      const ChartPoint q = h + (ends.back() - h) * (k / 20.0);
      if (head.insideHairline(q) < -0.03)
        throw std::runtime_error("hair: hair combed to the tie would leave the scalp");
    }
  }
  double outer = 0;
  for (const SheetLayer& layer : plan.capLayers) {
    outer = std::max(outer, layer.offset);
    std::vector<std::vector<Vec3>> strands;
    for (int c = 0; c < plan.columns; ++c) {
      const ChartPoint& h = roots[std::size_t(c)];
      const double chart = chartLength(ends[std::size_t(c)] - h);
      // From the tie (row 0) to the hairline (the last row).
      const std::vector<double> at =
          rowsToHairline(plan.rows, fringeRowFraction(chart * head.radius(0, 0)));
      std::vector<Vec3> pts;
      for (int r = 0; r < plan.rows; ++r) {
        const double t = 1 - at[std::size_t(r)];  // from the hairline
        pts.push_back(
            head.scalp(h + (ends[std::size_t(c)] - h) * t, layer.offset + gather * t * t));
      }
      strands.push_back(pts);
    }
    Sheet sheet;
    Lattice& l = sheet.lattice;
    l.columns = plan.columns;
    l.rows = plan.rows;
    l.closed = true;
    // Rooted at the tie, the strands' tips drawn at the hairline.
    l.rowV = rowVToHairline(plan.rows, layer.band);
    for (const auto& s : strands) l.points.insert(l.points.end(), s.begin(), s.end());
    l.u = spacingU(strands, plan.rows * 2 / 3, plan.tileWidth, layer.uShift, true, l.uSeam);
    out.cap.push_back(std::move(sheet));
  }

  // The knot over the gathered ends.
  const double knotOffset = outer + gather + 0.02;
  {
    Sheet sheet;
    Lattice& l = sheet.lattice;
    l.columns = 16;
    l.rows = 4;
    l.closed = true;
    l.poleStart = true;
    l.vRoot = plan.knotBand.top;
    l.vTip = plan.knotBand.bottom;
    std::vector<std::vector<Vec3>> strands;
    for (int c = 0; c < l.columns; ++c) {
      const double a = 2 * kPi * c / l.columns;
      std::vector<Vec3> pts;
      for (int r = 0; r < l.rows; ++r) {
        const double t = plan.tieRadius * 1.1 * r / (l.rows - 1);
        pts.push_back(head.scalp(
            plan.tie + ChartPoint{std::sin(a), std::cos(a)} * t,
            knotOffset - 0.02 * (double(r) / (l.rows - 1)) * (double(r) / (l.rows - 1))));
      }
      strands.push_back(pts);
      l.points.insert(l.points.end(), pts.begin(), pts.end());
    }
    for (int c = 0; c < l.columns; ++c) l.u.push_back(double(c) / l.columns);
    l.uSeam = 1;
    out.tail.push_back(std::move(sheet));
  }

  // The tail's middle line.
  const Vec3 start = head.scalp(plan.tie, outer + gather);
  const Vec3 away = direction(plan.tie.theta(), plan.tie.phi());
  const double drop = plan.tailDrop * kDegree;
  Vec3 dir = normalized(away * std::cos(drop) + Vec3{0, -1, 0} * std::sin(drop));
  const Vec3 tieEdge = head.scalp(plan.tie + ChartPoint{plan.tieRadius, 0}, outer + gather);
  const double r0 = length(tieEdge - start);
  auto profile = [&](double t, double full) {
    const double grow = r0 + (full - r0) * smoothstep(0.0, 0.22, t);
    return grow * (1 - 0.55 * smoothstep(0.45, 1.0, t));
  };
  std::vector<Vec3> path{start};
  {
    Vec3 p = start;
    double along = 0;
    while (along < plan.tailLength - 1e-9) {
      const double step = std::min(0.03, plan.tailLength - along);
      const double t = along / plan.tailLength;
      dir = normalized(dir + (Vec3{0, -1, 0} - dir) * plan.tailStiffness);
      const double clear = profile(t, plan.tailDepth) + 0.035;
      Vec3 q = pushOut(head, p + dir * step, clear);
      dir = normalized(q - p);
      q = pushOut(head, p + dir * step, clear);
      p = q;
      path.push_back(p);
      along += step;
    }
  }
  path = resampleWithTip(path, plan.tailRows, kTipLength, kTipRows);
  std::vector<Vec3> tangents(path.size());
  for (std::size_t r = 0; r < path.size(); ++r)
    tangents[r] = normalized(path[std::min(path.size() - 1, r + 1)] - path[r == 0 ? 0 : r - 1]);
  for (const SheetLayer& layer : plan.tailLayers) {
    Sheet sheet;
    sheet.inside = Sheet::Inside::TailAxis;
    sheet.axis = path;
    Lattice& l = sheet.lattice;
    l.columns = plan.tailColumns;
    l.rows = plan.tailRows;
    l.closed = true;
    l.rowV = rowVWithTip(l.rows, kTipRows, layer.band);
    std::vector<double> along(path.size(), 0.0);
    for (std::size_t r = 1; r < path.size(); ++r)
      along[r] = along[r - 1] + length(path[r] - path[r - 1]);
    for (int c = 0; c < l.columns; ++c) {
      const double a = 2 * kPi * c / l.columns;
      for (int r = 0; r < l.rows; ++r) {
        const double t = along[std::size_t(r)] / along.back();
        const Vec3 tangent = tangents[std::size_t(r)];
        const Vec3 side = normalized(Vec3{1, 0, 0} - tangent * tangent.x);
        Vec3 depth = cross(tangent, side);
        if (dot(depth, outwards(head, path[std::size_t(r)])) < 0) depth = -depth;
        const double rx = profile(t, plan.tailWidth) * layer.offset,
                     rz = profile(t, plan.tailDepth) * layer.offset;
        const double r0x = r0 * layer.offset;
        const double wx = r == 0 ? r0x : rx, wz = r == 0 ? r0x : rz;
        l.points.push_back(path[std::size_t(r)] + side * (std::sin(a) * wx) +
                           depth * (std::cos(a) * wz));
      }
      l.u.push_back(layer.uShift + 2.0 * c / l.columns);
    }
    l.uSeam = layer.uShift + 2.0;
    out.tail.push_back(std::move(sheet));
  }
  return out;
}

void addSheets(HairMesh& mesh, int group, const Head& head, const std::vector<Sheet>& sheets) {
  for (const Sheet& s : sheets) {
    if (s.inside == Sheet::Inside::TailAxis) {
      const std::vector<Vec3>& axis = s.axis;
      mesh.add(group, s.lattice, [&axis](const Vec3& p) {
        Vec3 best = axis.front();
        double d = 1e30;
        for (const Vec3& a : axis)
          if (length(a - p) < d) d = length(a - p), best = a;
        return best;
      });
    } else {
      const Vec3 c = head.centre();
      mesh.add(group, s.lattice, [c](const Vec3& p) { return Vec3{c.x, std::min(p.y, c.y), c.z}; });
    }
  }
}

}  // namespace vestora::generate::hair
