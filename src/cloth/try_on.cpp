#include "cloth/try_on.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

#include "avatar/triangle_tree.h"
#include "cloth/cloth_build.h"
#include "cloth/garment_files.h"
#include "cloth/garment_fit.h"
#include "cloth/garment_placement.h"

namespace vestora {

namespace {

constexpr std::int32_t kMaxSeamGroups = 10000;
// How far under the worn garment a kept layer is laid where they meet.
constexpr float kLayerGap = 0.02f;
constexpr float kLayerProbe = 0.5f;

Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
float dot(const Vec3& a, const Vec3& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
Vec3 positionOf(const SkinVertex& v) {
  return {v.x, v.y, v.z};
}

std::vector<LayerTriangle> layerTriangles(const GarmentMesh& g) {
  std::vector<LayerTriangle> out;
  const auto n = static_cast<std::int32_t>(g.particles.size());
  for (const GarmentTriangle& t : g.triangles) {
    if (std::any_of(t.vertex.begin(), t.vertex.end(),
                    [&](std::int32_t v) { return v < 0 || v >= n; }))
      continue;
    LayerTriangle r;
    Vec3 sum{0, 0, 0};
    for (int k = 0; k < 3; ++k) {
      const GarmentParticle& p = g.drawParticles.size() == g.particles.size()
                                     ? g.drawParticles[t.vertex[k]]
                                     : g.particles[t.vertex[k]];
      r.corner[k] = p.point;
      if (t.hasUv) {
        r.corner[k].u = t.uv[2 * k];
        r.corner[k].v = t.uv[2 * k + 1];
      }
      r.cornerNormal[k] = g.particles[t.vertex[k]].normal;
      for (int a = 0; a < 3; ++a) sum[a] += r.cornerNormal[k][a];
    }
    const Vec3 a = positionOf(r.corner[0]), b = positionOf(r.corner[1]),
               c = positionOf(r.corner[2]);
    Vec3 f =
        cross({b[0] - a[0], b[1] - a[1], b[2] - a[2]}, {c[0] - a[0], c[1] - a[1], c[2] - a[2]});
    const float len = std::sqrt(dot(f, f));
    if (len > 0) f = {f[0] / len, f[1] / len, f[2] / len};
    if (dot(f, sum) < 0) f = {-f[0], -f[1], -f[2]};
    r.facetNormal = f;
    out.push_back(r);
  }
  return out;
}

}  // namespace

std::vector<SeamGroup> buildSeamGroups(std::vector<SeamPair>& seams,
                                       const std::vector<GarmentParticle>& particles) {
  std::vector<SeamGroup> groups;
  if (seams.empty()) return groups;
  const std::int64_t first = seams.front().seam;
  std::int32_t highest = -1;
  for (SeamPair& pair : seams) {
    const std::int64_t renumbered = static_cast<std::int64_t>(pair.seam) - first;
    pair.seam =
        static_cast<std::int32_t>(std::clamp<std::int64_t>(renumbered, INT32_MIN, INT32_MAX));
    if (pair.seam >= 0 && pair.seam < kMaxSeamGroups) highest = std::max(highest, pair.seam);
  }
  groups.resize(static_cast<std::size_t>(highest + 1));
  for (std::int32_t i = 0; i <= highest; ++i) groups[i].seam = i;
  for (const SeamPair& pair : seams) {
    if (pair.seam < 0 || pair.seam > highest) continue;
    groups[pair.seam].pairs.push_back(pair);
  }
  const auto n = static_cast<std::int32_t>(particles.size());
  for (SeamGroup& group : groups) {
    if (group.pairs.empty()) continue;
    const SeamPair& lead = group.pairs.front();
    const std::int32_t a = lead.a >= 0 && lead.a < n ? particles[lead.a].piece : -1;
    const std::int32_t b = lead.b >= 0 && lead.b < n ? particles[lead.b].piece : -1;
    group.pieces = {std::min(a, b), std::max(a, b)};
  }
  return groups;
}

TryOn::TryOn(Avatar& avatar, UserDialogs& dialogs) : avatar_(avatar), dialogs_(dialogs) {
  if (avatar_.loaded()) floorHeight = avatar_.minimum[1];
  avatar_.onReshaped = [this] { refit(); };
  avatar_.onBodyLoaded = [this](bool clearGarments) {
    bodyBuilt_ = false;
    floorHeight = avatar_.minimum[1];
    if (clearGarments) {
      takeOff();
    } else {
      refit();
    }
  };
}

TryOn::~TryOn() {
  avatar_.onReshaped = nullptr;
  avatar_.onBodyLoaded = nullptr;
}

const BodySurface& TryOn::body() {
  if (!bodyBuilt_ || body_.size() != avatar_.skin.size()) {
    body_ = BodySurface::fromAvatar(avatar_);
    bodyBuilt_ = true;
  } else {
    body_.refresh(avatar_);
  }
  return body_;
}

void TryOn::progress(int step) {
  if (view.progress) view.progress(step);
}

void TryOn::setDisplay(GarmentDisplay display) {
  display_ = display;
  if (view.showDisplay) view.showDisplay(display);
}

bool TryOn::askQuickSew() {
  const bool sew = dialogs_.askYesNo(kQuickSewQuestion, "");
  garment_.gravity = sew ? kQuickSewGravity : kNoGravity;
  return sew;
}

void TryOn::startDrape(DrapeKind kind) {
  abandonDrape();
  if (garment_.particles.empty() || !avatar_.loaded()) return;
  if (kind == DrapeKind::Sew) {
    if (!PlacePiecesAroundBody(garment_, avatar_)) return;
    ComputeParticleNormals(garment_);
    if (view.drapeSound) view.drapeSound();
  }
  auto drape = std::make_unique<ClothDrape>(garment_, body(), kind);
  pendingDrape_ = drape.get();
  pendingKind_ = kind;
  if (view.runDrape) {
    setDisplay(GarmentDisplay::Garment);
    view.runDrape(std::move(drape));
    return;
  }
  while (drape->Step()) {
  }
  finishDrape(*drape);
}

void TryOn::abandonDrape() {
  if (!pendingDrape_) return;
  pendingDrape_ = nullptr;
  if (view.cancelDrape) view.cancelDrape();
}

void TryOn::showDrapeFrame(const std::vector<Vec3>& positions) {
  if (!pendingDrape_ || positions.size() != garment_.particles.size()) return;
  for (std::size_t i = 0; i < positions.size(); ++i) {
    SkinVertex& p = garment_.particles[i].point;
    p.x = positions[i][0];
    p.y = positions[i][1];
    p.z = positions[i][2];
  }
  ComputeParticleNormals(garment_);
  garment_.drawParticles = garment_.particles;
}

void TryOn::finishDrape(const ClothDrape& drape) {
  if (&drape != pendingDrape_) return;
  pendingDrape_ = nullptr;
  drape.WriteBack(garment_);
  // Bound where the cloth came to rest, on the body it was draped on (or
  // the body as it is now, when another body has come since).
  const BodySurface& now = body();
  BindGarmentToBody(garment_, drape.body().size() == now.size() ? drape.body() : now);
  garment_.hasBinding = true;
  FitGarmentToBody(garment_, now);
  ComputeParticleNormals(garment_);
  edgeFlags_.resize(garment_.edges.size(), 0);
  setDisplay(GarmentDisplay::Garment);
  settleLayersUnder();
  if (view.redraw) view.redraw();
}

void TryOn::cancelDrape() {
  if (!pendingDrape_) return;
  const DrapeKind kind = pendingKind_;
  abandonDrape();
  if (garment_.restParticles.size() == garment_.particles.size()) {
    garment_.particles = garment_.restParticles;
    garment_.drawParticles = garment_.restParticles;
  }
  // A re-draped garment keeps the binding it got as loaded.
  if (kind == DrapeKind::Sew) setDisplay(GarmentDisplay::Pattern);
  if (view.redraw) view.redraw();
}

Result<void> TryOn::LoadFittedGarmentCommand(const std::string& path) {
  progress(1);
  float floor = floorHeight;
  GarmentLoadContext ctx{&dialogs_, [this](int step) { progress(step); }, &floor};
  Result<GarmentMesh> loaded = LoadFittedGarment(path, ctx);
  if (!loaded) {
    dialogs_.showMessage(std::string(kGarmentUnreadableMessage) + loaded.error().message(), "",
                         MessageIcon::Warning);
    return loaded.error();
  }
  // A binding made on another body names vertices this body may not have.
  if (loaded->hasBinding) {
    const auto vertices = static_cast<std::int32_t>(avatar_.skin.size());
    for (const BodyBinding& b : loaded->bindings) {
      if (b.sample >= vertices) {
        dialogs_.showMessage(kGarmentUnfitMessage, "", MessageIcon::Warning);
        return makeError(path, "the garment is bound to a body with more vertices than this one");
      }
    }
  }
  progress(100);
  install(std::move(loaded.value()), path);
  floorHeight = floor;
  progress(140);
  bool sew = false;
  if (garment_.hasSeams()) {
    setDisplay(GarmentDisplay::Pattern);
    sew = askQuickSew();
  } else {
    FitGarmentToBody(garment_, body());
    setDisplay(GarmentDisplay::Garment);
    garment_.gravity = kHangingGravity;
  }
  finishLoad();
  if (sew) startDrape(DrapeKind::Sew);
  return {};
}

Result<void> TryOn::LoadPatternMeshCommand(const std::string& path) {
  progress(1);
  float floor = floorHeight;
  GarmentLoadContext ctx{&dialogs_, [this](int step) { progress(step); }, &floor};
  Result<GarmentMesh> loaded = LoadPatternMesh(path, ctx);
  if (!loaded) {
    dialogs_.showMessage(std::string(kGarmentUnreadableMessage) + loaded.error().message(), "",
                         MessageIcon::Warning);
    return loaded.error();
  }
  install(std::move(loaded.value()), path);
  floorHeight = floor;
  std::optional<DrapeKind> drape;
  if (garment_.hasSeams()) {
    setDisplay(GarmentDisplay::Pattern);
    if (askQuickSew()) drape = DrapeKind::Sew;
  } else {
    setDisplay(GarmentDisplay::Garment);
    garment_.gravity = kHangingGravity;
    if (dialogs_.askYesNo(kRedrapeQuestion, "")) {
      BuildClothSystem(garment_, view.drapeSound);
      drape = DrapeKind::Settle;
    }
    BindGarmentToBody(garment_, body());
  }
  finishLoad();
  if (drape) startDrape(*drape);
  return {};
}

// The steps both commands share before the new garment goes on: the idle
// animation stops, the worn garment is kept or taken off, the new one
// replaces it.
void TryOn::install(GarmentMesh loaded, const std::string& path) {
  abandonDrape();
  if (view.stopAnimation) view.stopAnimation();
  if (view.clearOverlays) view.clearOverlays();
  AskKeepGarment();
  garmentPath_ = path;
  ClearGarment(garment_);
  seamGroups_.clear();
  garment_ = std::move(loaded);
  if (!garment_.textureName.empty() && view.loadTexture) view.loadTexture(garment_.textureName);
  displayParameters = {2.0f, 0.03f};
  edgeFlags_.assign(garment_.edges.size(), 0);
}

void TryOn::finishLoad() {
  displayEdges_ = garment_.edges;
  progress(160);
  seamGroups_ = buildSeamGroups(garment_.seams, garment_.particles);
  BuildVertexTriangles(garment_);
  ComputeParticleNormals(garment_);
  SnapshotParticles(garment_);
  settleLayersUnder();
  if (view.redraw) view.redraw();
}

void TryOn::AskKeepGarment() {
  if (garment_.particles.empty() || garment_.edges.empty()) return;
  if (dialogs_.askYesNo(kKeepGarmentQuestion, "")) {
    keepCurrentAsLayer();
  } else {
    garment_.bindings.clear();
    garment_.hasBinding = false;
    if (view.clearOverlays) view.clearOverlays();
  }
}

void TryOn::keepCurrentAsLayer() {
  KeptLayer layer;
  ComputeParticleNormals(garment_);
  layer.triangles = layerTriangles(garment_);
  layer.saved = garment_.drawParticles.size() == garment_.particles.size() ? garment_.drawParticles
                                                                           : garment_.particles;
  ReleaseClothSystem(garment_);
  layer.garment = std::move(garment_);
  layer.garment.particles = layer.saved;
  layers_.push_back(std::move(layer));
  garment_ = GarmentMesh();
  markCovered();
}

void TryOn::markCovered() {
  coveredVertices_.assign(avatar_.skin.size(), 0);
  for (const KeptLayer& layer : layers_) {
    for (const BodyBinding& b : layer.garment.bindings) {
      if (b.sample >= 0 && static_cast<std::size_t>(b.sample) < coveredVertices_.size())
        coveredVertices_[b.sample] = 1;
    }
  }
  coveredTriangles_.assign(avatar_.triangleCount(), 0);
  for (std::size_t t = 0; t < avatar_.triangleCount(); ++t) {
    const auto& v = avatar_.triangles[t].vertex;
    bool all = true;
    for (std::int32_t k : v)
      all = all && k >= 0 && static_cast<std::size_t>(k) < coveredVertices_.size() &&
            coveredVertices_[k];
    coveredTriangles_[t] = all ? 1 : 0;
  }
}

// Where a kept layer and the worn garment meet, the layer is laid just
// under the worn garment, so that it never shows through it. The worn
// garment itself is not moved.
void TryOn::settleLayersUnder() {
  if (layers_.empty() || garment_.triangles.empty()) return;
  TriangleMesh mesh;
  const std::vector<GarmentParticle>& worn =
      garment_.drawParticles.size() == garment_.particles.size() ? garment_.drawParticles
                                                                 : garment_.particles;
  for (const GarmentParticle& p : worn) mesh.vertices.push_back({p.point.x, p.point.y, p.point.z});
  for (const GarmentTriangle& t : garment_.triangles) mesh.triangles.push_back(t.vertex);
  const BodyTriangleTree tree = buildTriangleTree(mesh);
  for (KeptLayer& layer : layers_) {
    GarmentMesh& g = layer.garment;
    ComputeParticleNormals(g);
    std::vector<Point3> starts, ends;
    starts.reserve(g.particles.size());
    ends.reserve(g.particles.size());
    for (const GarmentParticle& p : g.particles) {
      const Vec3& n = p.normal;
      starts.push_back({p.point.x + kLayerProbe * n[0], p.point.y + kLayerProbe * n[1],
                        p.point.z + kLayerProbe * n[2]});
      ends.push_back({p.point.x - kLayerProbe * n[0], p.point.y - kLayerProbe * n[1],
                      p.point.z - kLayerProbe * n[2]});
    }
    const SegmentHits hits = segmentSurfaceHits(tree, tree.mesh(), starts, ends);
    for (std::size_t i = 0; i < g.particles.size() && i < hits.perSegment.size(); ++i) {
      if (!hits.perSegment[i]) continue;
      GarmentParticle& p = g.particles[i];
      const Vec3& n = p.normal;
      if (dot(n, n) == 0) continue;
      const Point3& hit = hits.perSegment[i]->point;
      const float above = dot({hit[0] - p.point.x, hit[1] - p.point.y, hit[2] - p.point.z}, n);
      if (above >= kLayerGap) continue;
      const float move = above - kLayerGap;
      p.point.x += move * n[0];
      p.point.y += move * n[1];
      p.point.z += move * n[2];
    }
    g.drawParticles = g.particles;
  }
}

void TryOn::refit() {
  if (!avatar_.loaded()) return;
  // A garment being draped is fitted to the body when its drape is over.
  const bool worn = garment_.hasBinding && !garment_.particles.empty() && !pendingDrape_;
  const bool anyLayer = std::any_of(layers_.begin(), layers_.end(), [](const KeptLayer& l) {
    return l.flexible && l.garment.hasBinding;
  });
  if (!worn && !anyLayer) return;
  const BodySurface& b = body();
  for (KeptLayer& layer : layers_) {
    if (layer.flexible) FitGarmentToBody(layer.garment, b);
  }
  const auto start = std::chrono::steady_clock::now();
  if (worn) FitGarmentToBody(garment_, b);
  lastFitMs_ =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  settleLayersUnder();
  if (view.redraw) view.redraw();
}

void TryOn::ResetGarment() {
  abandonDrape();
  for (KeptLayer& layer : layers_) {
    layer.garment.particles = layer.saved;
    layer.garment.drawParticles = layer.saved;
  }
  if (!garment_.particles.empty()) {
    if (garment_.restParticles.size() == garment_.particles.size()) {
      garment_.particles = garment_.restParticles;
      garment_.drawParticles = garment_.restParticles;
    }
    garment_.triangles = garment_.sourceTriangles;
    BuildVertexTriangles(garment_);
    if (garment_.hasSeams()) {
      // Unpicked: the stitches of an earlier sewing go, and with them the binding.
      std::erase_if(garment_.edges, [](const GarmentEdge& e) { return e.kind == kStitchEdge; });
      edgeFlags_.resize(garment_.edges.size());
      garment_.hasBinding = false;
      ReleaseClothSystem(garment_);
      setDisplay(GarmentDisplay::Pattern);
      if (askQuickSew()) startDrape(DrapeKind::Sew);
    } else {
      ResetClothSystem(garment_);
      setDisplay(GarmentDisplay::Garment);
      garment_.gravity = kHangingGravity;
    }
  }
  if (!layers_.empty()) {
    const bool flexible = dialogs_.askYesNo(kFlexibleLayerQuestion, "");
    for (KeptLayer& layer : layers_) layer.flexible = flexible;
    if (flexible) markCovered();
  }
}

void TryOn::removeWorn() {
  abandonDrape();
  if (!garment_.particles.empty() && view.takeOffSound) view.takeOffSound();
  ClearGarment(garment_);
  seamGroups_.clear();
  edgeFlags_.clear();
  displayEdges_.clear();
  garmentPath_.clear();
  setDisplay(GarmentDisplay::None);
}

void TryOn::takeOff() {
  abandonDrape();
  if ((!garment_.particles.empty() || !layers_.empty()) && view.takeOffSound) view.takeOffSound();
  ClearGarment(garment_);
  layers_.clear();
  seamGroups_.clear();
  coveredVertices_.clear();
  coveredTriangles_.clear();
  edgeFlags_.clear();
  displayEdges_.clear();
  garmentPath_.clear();
  setDisplay(GarmentDisplay::None);
}

}  // namespace vestora
