#include "preview.h"

#include <algorithm>
#include <cstdio>

#include "body/base_mesh.h"
#include "body/section.h"
#include "formats/model_loader.h"

namespace vestora::generate {
namespace {

const Vec3 kUp{0, 1, 0};

double tapeAt(const Mesh& m, double y, Vec3 inside) {
  inside.y = y;
  auto loop = loopAround(m, {0, y, 0}, kUp, inside);
  return loop.points.empty() ? 0 : loop.tapeLength(kUp);
}

}  // namespace

int previewFigure(const std::string& kind, const std::string& outPath, double spacing, double fat) {
  FigureShape fig = kind == "man" ? manShape() : kind == "Girl" ? girlShape() : womanShape();
  if (fat != 0) fig = withFat(fig, fat);
  BaseMeshReport report;
  const Mesh mesh = buildBaseMesh(fig, spacing, &report);
  std::printf("%s: %zu vertices, %zu triangles, dropped %d, min angle %.1f, mean edge %.2f cm\n  %s\n",
              kind.c_str(), mesh.positions.size(), mesh.triangles.size(), report.droppedTriangles,
              report.minAngle, report.meanEdge, report.check.summary().c_str());
  double ymin = 1e9, ymax = -1e9;
  for (const Vec3& p : mesh.positions) ymin = std::min(ymin, p.y), ymax = std::max(ymax, p.y);
  std::printf("  height %.1f\n", ymax - ymin);

  const Vec3 legR = mirrorX(fig.leg.hip);
  double crotch = 0;
  for (double y = fig.leg.knee.y; y < fig.pelvis.y + 5; y += 0.1)
    if (loopAround(mesh, {0, y, 0}, kUp, {0, y, fig.pelvis.z}).points.empty()) crotch = y;
  std::printf("  crotch height %.1f\n", crotch);
  double bustY = fig.chestLow.y, front = -1e9;
  for (const Vec3& p : mesh.positions)
    if (p.y > fig.waist.y && p.y < fig.shoulderCentre.y - 5 && std::abs(p.x) < 15 && p.z > front)
      front = p.z, bustY = p.y;
  std::printf("  chest (at the most forward point, y %.1f) %.1f\n", bustY, tapeAt(mesh, bustY, {0, 0, fig.waist.z}));
  double waist = 1e9, waistY = 0;
  for (double y = fig.pelvis.y + 5; y < fig.chestLow.y; y += 0.5) {
    const double g = tapeAt(mesh, y, {0, 0, fig.waist.z});
    if (g > 0 && g < waist) waist = g, waistY = y;
  }
  std::printf("  waist %.1f at %.1f\n", waist, waistY);
  double hip = 0, hipY = 0;
  for (double y = crotch + 1; y < waistY; y += 0.5) {
    const double g = tapeAt(mesh, y, {0, 0, fig.pelvis.z});
    if (g > hip) hip = g, hipY = y;
  }
  std::printf("  hip %.1f at %.1f\n", hip, hipY);
  std::printf("  thigh (3 cm below the crotch) %.1f, mid thigh %.1f\n", tapeAt(mesh, crotch - 3, legR),
              tapeAt(mesh, (crotch + fig.leg.knee.y) / 2, mirrorX(lerp(fig.leg.hip, fig.leg.knee, 0.5))));
  const Vec3 kneeR = mirrorX(fig.leg.knee), ankleR = mirrorX(fig.leg.ankle);
  double calf = 0, calfY = 0;
  for (double y = ankleR.y + 10; y < kneeR.y; y += 0.5) {
    const double g = tapeAt(mesh, y, lerp(ankleR, kneeR, (y - ankleR.y) / (kneeR.y - ankleR.y)));
    if (g > calf) calf = g, calfY = y;
  }
  std::printf("  knee %.1f, calf %.1f at %.1f\n", tapeAt(mesh, kneeR.y, kneeR), calf, calfY);
  double ankle = 1e9;
  for (double y = ankleR.y; y < ankleR.y + 8; y += 0.5) {
    const double g = tapeAt(mesh, y, ankleR);
    if (g > 0) ankle = std::min(ankle, g);
  }
  std::printf("  ankle %.1f\n", ankle);
  const double chin = fig.headTop.y - fig.head.headHeight;
  std::printf("  neck (2 cm under the chin) %.1f\n", tapeAt(mesh, chin - 2, {0, 0, fig.neckBase.z + 1}));
  const Vec3 s = fig.arm.shoulder, e = fig.arm.elbow, w = fig.arm.wrist;
  std::printf("  upper arm %.1f, wrist %.1f\n", tapeAt(mesh, lerp(s, e, 0.5).y, lerp(s, e, 0.5)), tapeAt(mesh, w.y + 1, w));
  double best = -1e9;
  Vec3 acromion;
  for (const Vec3& p : mesh.positions)
    if (p.x > s.x - 3 && p.x < s.x + 5 && p.y > s.y - 5 && p.y + 0.45 * p.x > best) best = p.y + 0.45 * p.x, acromion = p;
  std::printf("  biacromial breadth %.1f\n", 2 * acromion.x);

  GlmModel m;
  m.modelName = "preview";
  m.setVertexCount(static_cast<std::uint32_t>(mesh.positions.size()));
  for (std::size_t i = 0; i < mesh.positions.size(); ++i)
    for (int k = 0; k < 3; ++k) m.vertex(static_cast<std::uint32_t>(i + 1))[k] = float(mesh.positions[i][k]);
  for (const Triangle& t : mesh.triangles) {
    GlmTriangle g;
    for (int c = 0; c < 3; ++c) g.vindices[c] = static_cast<std::uint32_t>(t[c] + 1);
    m.triangles.push_back(g);
  }
  ModelLoader loader;
  auto written = loader.glmWriteC3D(outPath, m, 0);
  if (!written) {
    std::fprintf(stderr, "%s\n", written.error().message().c_str());
    return 1;
  }
  return 0;
}

}  // namespace vestora::generate
