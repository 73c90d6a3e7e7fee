#include "accessories/hair_styles.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vestora::generate::hair {
namespace {

constexpr int kPictureSize = 512;
// Every hair picture: under hair at the top, outer hair below it, and an
// elastic band along the bottom.
constexpr Band kDenseRows{0.0, 0.46}, kOpenRows{0.48, 0.92}, kTieRows{0.94, 1.0};

Band dense() {
  return insetBand(kDenseRows, kPictureSize);
}
Band open() {
  return insetBand(kOpenRows, kPictureSize);
}
Band tie() {
  return insetBand(kTieRows, kPictureSize);
}

ChartPoint at(double thetaDegrees, double phiDegrees) {
  return chartOf(thetaDegrees * kDegree, phiDegrees * kDegree);
}

// A cut line from knots (phi in degrees, depth below the top of the head in
// eye depths: 1 at the middle of the eyes, about 0.84 at the brows), the
// same on both sides unless `rightSide` gives the right.
CutLine cutLine(const Head& head, std::vector<std::array<double, 2>> left,
                std::vector<std::array<double, 2>> rightSide = {}) {
  const double h = head.top() - head.eye().y;
  CutLine cut;
  if (rightSide.empty())
    for (const auto& k : left)
      if (k[0] > 0) rightSide.push_back({-k[0], k[1]});
  for (const auto& k : rightSide) cut.knots.push_back({k[0], head.top() - k[1] * h});
  for (const auto& k : left) cut.knots.push_back({k[0], head.top() - k[1] * h});
  std::sort(cut.knots.begin(), cut.knots.end());
  return cut;
}

SheetLayer layer(double offset, double lift, Band band, double uShift) {
  SheetLayer l;
  l.offset = offset;
  l.lift = lift;
  l.band = band;
  l.uShift = uShift;
  return l;
}

SheetLayer locks(SheetLayer l, int columns, double clump, double jitter) {
  l.lockColumns = columns;
  l.clump = clump;
  l.jitter = jitter;
  return l;
}

SheetLayer shorter(SheetLayer l, double by) {
  l.shorter = by;
  return l;
}

// The scalp cover combed out from the crown, and the combed hair over it.
void combed(HairStyle& style, const Head& head, const CombedHair& spec) {
  const int group = style.mesh.group(" hair");
  const ChartPoint whorl = head.chartPoint(head.crown());
  addSheets(style.mesh, group, head,
            {scalpCover(head, whorl, 0.032, 64, 14, dense(), spec.tileWidth)});
  addSheets(style.mesh, group, head, combedHair(head, spec));
}

void tied(HairStyle& style, const Head& head, const TiedHair& spec, const char* capGroup,
          const char* tailGroup) {
  const TiedSheets sheets = tiedHair(head, spec);
  const int cap = style.mesh.group(capGroup);
  const int tail = style.mesh.group(tailGroup);
  addSheets(style.mesh, cap, head, sheets.cap);
  addSheets(style.mesh, tail, head, sheets.tail);
}

// ---- the styles ------------------------------------------------------------

// Hair drawn back to a ponytail at the back of the head, its tail down
// between the shoulder blades.
void ponyTail(HairStyle& s, const Head& head, double extra) {
  TiedHair t;
  t.tie = at(80, 180);
  t.tieRadius = 0.125;
  t.columns = 64;
  t.rows = 14;
  t.capLayers = {layer(0.032, 0, dense(), 0), layer(0.054, 0, open(), 0.37)};
  t.knotBand = tie();
  t.tailLength = 1.75 + extra;
  t.tailDrop = 50;
  t.tailWidth = 0.27;
  t.tailDepth = 0.18;
  t.tailStiffness = 0.16;
  t.tailColumns = 18;
  t.tailRows = 32;
  t.tailLayers = {layer(0.7, 0, dense(), 0), layer(1.0, 0, open(), 0.41)};
  tied(s, head, t, " head", " TAIL");
}

// A long bob parted in the middle, its ends turned under.
void mikiHair(HairStyle& s, const Head& head, double extra) {
  CombedHair c;
  c.partFront = at(50, 0);
  c.partBack = head.chartPoint(head.crown());
  c.columns = 60;
  c.rows = 24;
  c.layers = {layer(0.045, 0.03, dense(), 0), layer(0.07, 0.05, open(), 0.31),
              shorter(locks(layer(0.095, 0.07, open(), 0.67), 3, 0.3, 0), 0.02)};
  c.drape.inward = 0.6;
  c.drape.curl = 0.8;
  c.drape.endZone = 0.3;
  c.cut = cutLine(head, {{0, 2.3}, {60, 2.3}, {100, 2.36}, {140, 2.49}, {180, 2.55}});
  c.cut.shift = extra;
  c.seed = 21;
  combed(s, head, c);
}

// Straight hair to the neck with a full, blunt fringe.
void ponyHair(HairStyle& s, const Head& head, double extra) {
  CombedHair c;
  c.partFront = at(22, 0);
  c.partBack = head.chartPoint(head.crown());
  c.fringeLeft = c.fringeRight = 90;
  c.columns = 64;
  c.rows = 22;
  c.layers = {layer(0.045, 0.03, dense(), 0), layer(0.068, 0.045, open(), 0.29),
              locks(layer(0.09, 0.06, open(), 0.61), 3, 0.25, 0)};
  c.drape.inward = 0.5;
  c.drape.flip = 0.35;
  c.drape.endZone = 0.25;
  c.cut = cutLine(
      head, {{0, 0.8}, {28, 0.8}, {42, 1.22}, {58, 2.0}, {90, 2.12}, {140, 2.2}, {180, 2.26}});
  c.cut.shift = extra;
  c.cut.shiftFrom = 70;
  c.seed = 31;
  combed(s, head, c);
}

// Long, straight, parted in the middle, worn behind the shoulders.
void aliceHair(HairStyle& s, const Head& head, double extra) {
  CombedHair c;
  c.partFront = at(50, 0);
  c.partBack = head.chartPoint(head.crown());
  c.columns = 68;
  c.rows = 32;
  c.layers = {layer(0.045, 0.03, dense(), 0), layer(0.07, 0.05, open(), 0.33),
              shorter(locks(layer(0.095, 0.065, open(), 0.71), 4, 0.45, 0.05), 0.06)};
  c.drape.sweepBack = 1.0;
  c.drape.inward = 0.35;
  c.drape.wave = 0.025;
  c.drape.wavelength = 0.9;
  c.cut = cutLine(head, {{0, 2.65}, {60, 2.65}, {110, 2.85}, {180, 2.95}});
  c.cut.shift = extra;
  c.seed = 41;
  combed(s, head, c);
}

// Choppy layers with volume, curtain bangs and ends every way.
void messyHair(HairStyle& s, const Head& head, double extra) {
  CombedHair c;
  c.partFront = at(30, 0);
  c.partBack = head.chartPoint(head.crown());
  c.fringeLeft = c.fringeRight = 90;
  c.columns = 64;
  c.rows = 24;
  c.layers = {layer(0.045, 0.04, dense(), 0), locks(layer(0.07, 0.07, open(), 0.23), 4, 0.45, 0.1),
              shorter(locks(layer(0.095, 0.1, open(), 0.51), 3, 0.55, 0.16), 0.08),
              shorter(locks(layer(0.12, 0.13, open(), 0.79), 3, 0.6, 0.22), 0.2),
              shorter(locks(layer(0.145, 0.15, open(), 0.13), 2, 0.65, 0.26), 0.36)};
  c.drape.flip = 0.8;
  c.drape.flare = 0.2;
  c.drape.inward = 0.25;
  c.drape.sweepBack = 0.25;
  c.cut = cutLine(head, {{0, 0.8},
                         {20, 0.84},
                         {27, 0.86},
                         {38, 1.2},
                         {50, 1.6},
                         {65, 2.0},
                         {90, 2.36},
                         {140, 2.51},
                         {180, 2.59}});
  c.cut.shift = extra;
  c.cut.shiftFrom = 80;
  c.seed = 51;
  combed(s, head, c);
}

// Very long, sleek hair parted in the middle, down the back.
void longHair(HairStyle& s, const Head& head, double extra) {
  CombedHair c;
  c.partFront = at(50, 0);
  c.partBack = head.chartPoint(head.crown());
  c.columns = 84;
  c.rows = 36;
  c.layers = {layer(0.045, 0.025, dense(), 0), layer(0.067, 0.04, open(), 0.3),
              layer(0.089, 0.055, open(), 0.62),
              shorter(locks(layer(0.11, 0.07, open(), 0.9), 4, 0.4, 0.04), 0.05)};
  c.drape.sweepBack = 1.0;
  c.drape.inward = 0.35;
  c.cut = cutLine(head, {{0, 3.44}, {60, 3.44}, {110, 3.54}, {180, 3.63}});
  c.cut.shift = extra;
  c.cut.shiftFrom = 45;
  c.seed = 61;
  combed(s, head, c);
}

// A short bob with a straight fringe, longest in front of the ears.
void reiHair(HairStyle& s, const Head& head, double extra) {
  CombedHair c;
  c.partFront = at(20, 0);
  c.partBack = head.chartPoint(head.crown());
  c.fringeLeft = c.fringeRight = 90;
  c.columns = 64;
  c.rows = 20;
  c.layers = {layer(0.045, 0.025, dense(), 0), layer(0.066, 0.04, open(), 0.27),
              locks(layer(0.087, 0.05, open(), 0.58), 3, 0.3, 0)};
  c.drape.inward = 0.7;
  c.drape.curl = 0.6;
  c.drape.endZone = 0.2;
  c.cut = cutLine(
      head, {{0, 0.8}, {30, 0.8}, {45, 1.37}, {62, 1.96}, {80, 1.96}, {120, 1.83}, {180, 1.67}});
  c.cut.shift = extra;
  c.cut.shiftFrom = 60;
  c.seed = 71;
  combed(s, head, c);
}

// Wavy hair parted at the side, swept over the forehead, to the shoulders.
void mkHair(HairStyle& s, const Head& head, double extra) {
  CombedHair c;
  c.partFront = at(48, 28);
  c.partBack = at(26, 160);
  c.fringeRight = 70;
  c.columns = 64;
  c.rows = 28;
  c.layers = {layer(0.05, 0.04, dense(), 0), layer(0.078, 0.06, open(), 0.35),
              shorter(locks(layer(0.106, 0.08, open(), 0.7), 3, 0.45, 0.05), 0.05)};
  c.drape.wave = 0.04;
  c.drape.wavelength = 0.45;
  c.drape.flip = 0.4;
  c.drape.inward = 0.3;
  c.drape.flare = 0.08;
  c.cut = cutLine(head,
                  {{-180, 2.55},
                   {-110, 2.46},
                   {-60, 2.26},
                   {-45, 1.47},
                   {-30, 0.84},
                   {-10, 0.78},
                   {20, 0.8},
                   {50, 2.16},
                   {110, 2.46},
                   {180, 2.55}},
                  {{-180, 2.55}});
  c.cut.shift = extra;
  c.cut.shiftFrom = 50;
  c.seed = 81;
  combed(s, head, c);
}

// The girl's long hair with a straight fringe, down her back.
void girlHair(HairStyle& s, const Head& head, double extra) {
  CombedHair c;
  c.partFront = at(22, 0);
  c.partBack = head.chartPoint(head.crown());
  c.fringeLeft = c.fringeRight = 90;
  c.columns = 64;
  c.rows = 30;
  c.layers = {layer(0.04, 0.025, dense(), 0), layer(0.06, 0.04, open(), 0.31),
              shorter(locks(layer(0.08, 0.05, open(), 0.63), 4, 0.4, 0.04), 0.05)};
  c.drape.sweepBack = 0.8;
  c.drape.inward = 0.35;
  c.cut = cutLine(head, {{0, 0.78}, {35, 0.8}, {48, 0.9}, {62, 2.2}, {100, 2.4}, {180, 2.6}});
  c.cut.shift = extra;
  c.cut.shiftFrom = 70;
  c.seed = 91;
  combed(s, head, c);
}

// Men: a side-parted cut over the top of the ears and down to the collar.
void manHair1(HairStyle& s, const Head& head, double extra) {
  CombedHair c;
  c.partFront = at(48, 30);
  c.partBack = at(26, 150);
  c.fringeRight = 45;
  c.columns = 56;
  c.rows = 16;
  c.layers = {layer(0.04, 0.05, dense(), 0), layer(0.062, 0.08, open(), 0.37),
              locks(layer(0.084, 0.1, open(), 0.71), 3, 0.35, 0.03)};
  c.drape.inward = 0.8;
  c.drape.curl = 0.3;
  c.drape.stiffness = 0.3;
  c.cut = cutLine(head,
                  {{-180, 2.16},
                   {-150, 2.1},
                   {-120, 1.85},
                   {-80, 1.18},
                   {-40, 0.62},
                   {0, 0.5},
                   {40, 0.88},
                   {80, 1.18},
                   {120, 1.85},
                   {150, 2.1},
                   {180, 2.16}},
                  {{-180, 2.16}});
  c.cut.shift = extra;
  c.cut.shiftFrom = 150;
  c.seed = 101;
  combed(s, head, c);
}

// Men: loose hair to the shoulders, parted in the middle.
void manHair2(HairStyle& s, const Head& head, double extra) {
  CombedHair c;
  c.partFront = at(50, 0);
  c.partBack = head.chartPoint(head.crown());
  c.columns = 60;
  c.rows = 26;
  c.layers = {layer(0.045, 0.03, dense(), 0), layer(0.07, 0.05, open(), 0.33),
              shorter(locks(layer(0.095, 0.07, open(), 0.69), 3, 0.45, 0.06), 0.04)};
  c.drape.sweepBack = 0.55;
  c.drape.inward = 0.4;
  c.drape.wave = 0.035;
  c.drape.wavelength = 0.7;
  c.cut = cutLine(head, {{0, 2.06}, {60, 2.06}, {110, 2.31}, {180, 2.55}});
  c.cut.shift = extra;
  c.seed = 111;
  combed(s, head, c);
}

// Men: combed straight back to a short, low ponytail.
void manHair3(HairStyle& s, const Head& head, double extra) {
  TiedHair t;
  t.tie = at(106, 180);
  t.tieRadius = 0.11;
  t.columns = 56;
  t.rows = 14;
  t.capLayers = {layer(0.036, 0, dense(), 0), layer(0.068, 0, open(), 0.37)};
  t.knotBand = tie();
  t.tailLength = 1.2 + extra;
  t.tailDrop = 45;
  t.tailWidth = 0.2;
  t.tailDepth = 0.14;
  t.tailStiffness = 0.14;
  t.tailColumns = 16;
  t.tailRows = 24;
  t.tailLayers = {layer(0.7, 0, dense(), 0), layer(1.0, 0, open(), 0.41)};
  tied(s, head, t, " hair", " hair");
}

struct StyleEntry {
  const char* name;
  HeadKind kind;
  void (*build)(HairStyle&, const Head&, double);
  int seat;
};

const StyleEntry kStyles[] = {
    {"PonyTail", HeadKind::Woman, ponyTail, 0},      {"MikiHair", HeadKind::Woman, mikiHair, 81},
    {"PonyHair", HeadKind::Woman, ponyHair, 711},    {"AliceHair", HeadKind::Woman, aliceHair, 477},
    {"MessyHair", HeadKind::Woman, messyHair, 7849}, {"LongHair", HeadKind::Woman, longHair, 11908},
    {"ReiHair", HeadKind::Woman, reiHair, 0},        {"MKHair", HeadKind::Woman, mkHair, 0},
    {"GirlHair", HeadKind::Girl, girlHair, 177},     {"ManHair1", HeadKind::Man, manHair1, 0},
    {"ManHair2", HeadKind::Man, manHair2, 0},        {"ManHair3", HeadKind::Man, manHair3, 0},
};

const StyleEntry& entryOf(const std::string& name) {
  for (const StyleEntry& e : kStyles)
    if (name == e.name) return e;
  throw std::invalid_argument("hair: no style named " + name);
}

HairPicture picture(const HairColours& colours, const StrandLook& look, std::uint64_t seed) {
  return hairPicture(
      kPictureSize, kPictureSize, colours, look,
      {{kDenseRows, BandKind::Dense}, {kOpenRows, BandKind::Open}, {kTieRows, BandKind::Tie}},
      seed);
}

}  // namespace

const std::vector<std::string>& hairStyleNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> out;
    for (const StyleEntry& e : kStyles) out.push_back(e.name);
    return out;
  }();
  return names;
}

HeadKind headKindOf(const std::string& style) {
  return entryOf(style).kind;
}

HairStyle buildHairStyle(const std::string& name, const Head& head, double extra) {
  const StyleEntry& e = entryOf(name);
  HairStyle s;
  s.name = name;
  s.kind = e.kind;
  s.flipV = name == "GirlHair";
  e.build(s, head, extra);
  // A strand pinched to nothing where it meets the scalp covers nothing.
  dropSlivers(s.mesh, kSliverArea);
  // The seat: the vertex right over the body's crown.
  if (e.seat > 0) {
    const Vec3 crown = head.crown();
    const Vec3 up = normalized(crown - head.centre());
    int best = -1;
    double bestScore = 1e30;
    for (std::size_t i = 0; i < s.mesh.vertices.size(); ++i) {
      const Vec3 d = s.mesh.vertices[i] - crown;
      const double along = dot(d, up);
      if (along <= 0) continue;
      const double score = length(d - up * along) + 0.1 * along;
      if (score < bestScore) bestScore = score, best = int(i);
    }
    if (best < 0 || std::size_t(e.seat) > s.mesh.vertices.size())
      throw std::runtime_error("hair: " + name + " has no vertex over the crown for its seat");
    s.mesh.swapVertices(best, e.seat - 1);
    s.seatVertex = e.seat;
  }
  return s;
}

std::vector<StylePicture> hairStylePictures(const std::string& name) {
  StrandLook look;
  auto one = [&](const char* tx, const char* tr, HairColours c, std::uint64_t seed) {
    return StylePicture{tx, tr, picture(c, look, seed)};
  };
  if (name == "PonyTail") {
    const HairColours c{{38, 26, 20}, {72, 49, 34}, {98, 70, 50}, {156, 122, 94}};
    StrandLook tail = look;
    tail.highlightAt = 0.12;
    look.shortest = 0.85;
    std::vector<StylePicture> out = {one("PTHeadTX.jpg", "PTHeadTR.jpg", c, 1)};
    out.push_back({"PTTailTX.jpg", "PTTailTR.jpg", picture(c, tail, 2)});
    return out;
  }
  if (name == "MikiHair")
    return {one("BobHairTX.jpg", "BobHairTR.jpg",
                {{18, 15, 14}, {36, 30, 27}, {54, 46, 41}, {118, 106, 100}}, 3)};
  if (name == "PonyHair")
    return {one("PonyTX.jpg", "PonyTR.jpg",
                {{60, 32, 20}, {118, 66, 38}, {146, 88, 52}, {210, 154, 108}}, 4)};
  if (name == "AliceHair") {
    look.highlightStrength = 0.45;
    return {one("ALiceHairTX.jpg", "AliceHairTR.jpg",
                {{112, 96, 74}, {176, 158, 124}, {206, 190, 156}, {238, 228, 204}}, 5)};
  }
  if (name == "MessyHair") {
    look.widthMin = 4;
    look.widthMax = 16;
    look.shortest = 0.6;
    return {one("MessyHairTX.jpg", "MessyHairTR.jpg",
                {{80, 56, 34}, {150, 112, 70}, {186, 148, 100}, {228, 198, 150}}, 6)};
  }
  if (name == "LongHair") {
    look.highlightAt = 0.15;
    return {one("longblacktx.jpg", "longblacktr.jpg",
                {{12, 11, 12}, {27, 25, 27}, {40, 37, 38}, {102, 100, 108}}, 7)};
  }
  if (name == "ReiHair")
    return {one("ReiHairTX.jpg", "ReiHairTR.jpg",
                {{14, 14, 20}, {29, 31, 44}, {42, 44, 58}, {108, 116, 146}}, 8)};
  if (name == "MKHair") {
    look.wave = 6;
    look.waves = 4;
    return {one("MKHairTX.jpg", "MKHairTR.jpg",
                {{62, 26, 16}, {126, 54, 31}, {154, 74, 44}, {212, 124, 84}}, 9)};
  }
  if (name == "GirlHair")
    return {StylePicture{
        "GirlHair.tga", "",
        picture({{34, 22, 16}, {64, 42, 29}, {88, 60, 42}, {146, 112, 88}}, look, 10)}};
  if (name == "ManHair1")
    return {one("ManHair1TX.jpg", "ManHair1TR.jpg",
                {{30, 22, 18}, {58, 42, 31}, {74, 56, 42}, {126, 104, 88}}, 11)};
  if (name == "ManHair2") {
    look.wave = 3;
    return {one("ManHair2TX.jpg", "ManHair2TR.jpg",
                {{70, 58, 46}, {120, 100, 78}, {144, 124, 98}, {194, 176, 152}}, 12)};
  }
  if (name == "ManHair3")
    return {one("ManHair3TX.jpg", "ManHair3TR.jpg",
                {{16, 14, 14}, {31, 28, 27}, {44, 40, 38}, {104, 100, 100}}, 13)};
  throw std::invalid_argument("hair: no style named " + name);
}

}  // namespace vestora::generate::hair
