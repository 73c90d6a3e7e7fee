// The hair folder of the wardrobe: every hair style and the man's face,
// their pictures and their wardrobe thumbnails. Each style is designed
// where it sits on its head and stored so that the program's own placement
// (normalising, the fixed placement by name, the fit shift and, on the
// girl, the seat) brings it back there; the program's placement is run on
// every model written, and a model that does not land where it was
// designed is refused.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "accessories/hair_checks.h"
#include "accessories/hair_face.h"
#include "accessories/hair_picture.h"
#include "accessories/hair_styles.h"
#include "assets/assets.h"
#include "avatar/accessories.h"
#include "avatar/shipped_numbers.h"
#include "content/generated.h"
#include "formats/model_loader.h"
#include "formats/model_ops.h"

namespace vestora::generate {
namespace {

using namespace hair;

constexpr double kLandingTolerance = 0.02;  // 2 mm
constexpr int kHairJpegQuality = 90;

struct Body {
  std::unique_ptr<Avatar> avatar;
  std::unique_ptr<Head> head;
  std::string kindName;  // the body's model name
};

const char* bodyPath(HeadKind kind) {
  switch (kind) {
    case HeadKind::Woman:
      return "\\model\\ChinaFemale\\nv_High.c3d";
    case HeadKind::Girl:
      return "\\model\\ChinaGirl\\Girl.c3d";
    case HeadKind::Man:
      return "\\model\\ChinaMale\\Dayou.c3d";
  }
  return "";
}

// The linear part of the program's fixed placement of a model of this name
// on this body: columns are the images of the axes.
struct Linear {
  std::array<Vec3, 3> column;
  Vec3 operator*(const Vec3& p) const {
    return column[0] * p.x + column[1] * p.y + column[2] * p.z;
  }
  Linear inverse() const {
    const Vec3 &a = column[0], &b = column[1], &c = column[2];
    const double det = dot(a, cross(b, c));
    if (std::abs(det) < 1e-12)
      throw std::runtime_error("hair: a placement that flattens the model");
    // Rows of the inverse are the cross products over the determinant.
    const Vec3 r0 = cross(b, c) / det, r1 = cross(c, a) / det, r2 = cross(a, b) / det;
    return {{Vec3{r0.x, r1.x, r2.x}, Vec3{r0.y, r1.y, r2.y}, Vec3{r0.z, r1.z, r2.z}}};
  }
};

Linear placementOf(const std::string& name, const Body& body) {
  GlmModel probe;
  probe.modelName = name;
  probe.setVertexCount(4);
  for (int k = 0; k < 3; ++k) probe.vertices[3 * (k + 2) + k] = 1.0f;
  const auto& anchor = body.avatar->loader().headAnchor;
  if (!placeHairStyle(probe, body.kindName, {anchor[0], anchor[1], anchor[2]}))
    throw std::runtime_error("hair: the program does not place a model named " + name);
  const Vec3 o{probe.vertex(1)[0], probe.vertex(1)[1], probe.vertex(1)[2]};
  Linear l;
  for (int k = 0; k < 3; ++k)
    l.column[std::size_t(k)] =
        Vec3{probe.vertex(std::uint32_t(k + 2))[0], probe.vertex(std::uint32_t(k + 2))[1],
             probe.vertex(std::uint32_t(k + 2))[2]} -
        o;
  return l;
}

// The largest extent of the model as stored: normalising scales it to
// 1.76 exactly when it is 1.76 already.
double storedExtent(const HairMesh& mesh, const Linear& back) {
  Vec3 lo{1e30, 1e30, 1e30}, hi{-1e30, -1e30, -1e30};
  for (const Vec3& p : mesh.vertices) {
    const Vec3 q = back * p;
    for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], q[k]), hi[k] = std::max(hi[k], q[k]);
  }
  return std::max({hi.x - lo.x, hi.y - lo.y, hi.z - lo.z});
}

constexpr double kNormalisedExtent = 1.76;

// Finds the length that gives the style its size: the secant method on the
// stored extent.
template <class Build>
auto sizedToFit(const std::string& name, const Linear& back, Build&& build) {
  double l0 = 0;
  auto s0 = build(l0);
  double g0 = storedExtent(s0.mesh, back) - kNormalisedExtent;
  if (std::abs(g0) < 2e-4) return s0;
  double l1 = -g0 * length(back.inverse().column[1]);
  for (int i = 0; i < 12; ++i) {
    auto s1 = build(l1);
    const double g1 = storedExtent(s1.mesh, back) - kNormalisedExtent;
    if (std::abs(g1) < 2e-4) return s1;
    if (std::abs(g1 - g0) < 1e-12) break;
    const double next = l1 - g1 * (l1 - l0) / (g1 - g0);
    l0 = l1, g0 = g1, l1 = next;
  }
  throw std::runtime_error("hair: no length of " + name + " gives it the size its placement needs");
}

GlmModel storedModel(const HairMesh& mesh, const Linear& back, const std::string& name,
                     bool flipV) {
  HairMesh stored = mesh;
  for (Vec3& p : stored.vertices) p = back * p;
  return stored.toModel(name, flipV);
}

void writeModelFile(ContentRoot& root, const std::string& path, const GlmModel& model) {
  ModelLoader writer;
  auto bytes = writer.encodeC3D(model, 0);
  if (!bytes) throw std::runtime_error(path + ": " + bytes.error().what);
  root.write(path, bytes.value());
}

void writePictures(ContentRoot& root, const std::vector<StylePicture>& pictures) {
  for (const StylePicture& p : pictures) {
    const std::string folder = kHairFolder;
    if (p.alphaFile.empty()) {
      const auto tga = encodeTga(p.picture.width, p.picture.height, rgbaOf(p.picture));
      root.write(folder + p.colourFile, tga);
    } else {
      root.write(folder + p.colourFile,
                 encodeJpeg(p.picture.width, p.picture.height, p.picture.rgb, kHairJpegQuality));
      root.write(folder + p.alphaFile, encodeJpegGrey(p.picture.width, p.picture.height,
                                                      p.picture.alpha, kHairJpegQuality));
    }
  }
}

std::string numbers(const Vec3& v) {
  char text[96];
  std::snprintf(text, sizeof text, "%.4ff, %.4ff, %.4ff", v.x, v.y, v.z);
  return text;
}

// Loads the model as the program does and compares every vertex with the
// design; the largest distance between the two.
double checkLanding(const Body& body, const std::string& name, const HairMesh& design) {
  Accessories accessories(*body.avatar);
  accessories.bodyLoaded();
  if (auto loaded = accessories.LoadHairStyle(std::string(kHairFolder) + name + ".c3d"); !loaded)
    throw std::runtime_error("hair: " + loaded.error().message());
  const GlmModel& placed = *accessories.hair.model;
  if (placed.vertexCount() != design.vertices.size())
    throw std::runtime_error("hair: " + name + " lost vertices on the way");
  double worst = 0;
  Vec3 mean;
  for (std::size_t i = 0; i < design.vertices.size(); ++i) {
    const float* p = placed.vertex(std::uint32_t(i + 1));
    const Vec3 d = design.vertices[i] - Vec3{p[0], p[1], p[2]};
    worst = std::max(worst, length(d));
    mean += d / double(design.vertices.size());
  }
  if (worst <= kLandingTolerance) return worst;
  std::string why =
      "hair: " + name + " lands up to " + std::to_string(worst) + " units from its design; ";
  if (name == "GirlHair") {
    const auto rule = seatRule(name);
    const Vec3 offset =
        rule ? Vec3{rule->offset[0], rule->offset[1], rule->offset[2]} + mean : mean;
    why += "its seat offset should be {" + numbers(offset) + "}";
  } else {
    const auto shift = fitShift(name);
    why += "its fit shift should be {" + numbers(Vec3{shift[0], shift[1], shift[2]} + mean) + "}";
  }
  throw std::runtime_error(why);
}

void checkStyle(const Head& head, const std::string& name, const HairMesh& mesh, double landing) {
  auto fail = [&](const std::string& what) {
    throw std::runtime_error("hair: " + name + " " + what);
  };
  const MeshQuality q = meshQuality(mesh, kSliverArea);
  if (q.degenerate > 0) fail("has " + std::to_string(q.degenerate) + " degenerate triangles");
  if (q.missingTexcoords > 0) fail("has corners without texture coordinates");
  const ClearanceReport body = bodyClearance(head, mesh, 0.008);
  if (body.within > 0)
    fail("comes within " + std::to_string(body.closest) + " units of the body at " +
         std::to_string(body.within) + " vertices");
  const CoverageReport cover = scalpCoverage(head, mesh, 0.08, 0.02, 0.3);
  if (cover.scalpPoints == 0) fail("covers no scalp");
  if (cover.inside > 0)
    fail("lies under the scalp or on it at " + std::to_string(cover.inside) + " points");
  if (cover.uncovered > 0)
    fail("leaves " + std::to_string(cover.uncovered) + " of " + std::to_string(cover.scalpPoints) +
         " scalp points bare (farthest hair " + std::to_string(cover.farthest) + ")");
  if (const int n = verticesOverEyes(head, mesh); n > 0)
    fail("hangs over the eyes (" + std::to_string(n) + " vertices)");
  if (std::getenv("VESTORA_GENERATE_DEBUG"))
    std::fprintf(stderr,
                 "    %s: %zu vertices, %d triangles, lands within %.5f, scalp gap %.3f to %.3f, "
                 "body clearance %.3f\n",
                 name.c_str(), mesh.vertices.size(), mesh.triangleCount(), landing, cover.closest,
                 cover.farthest, body.closest);
}

}  // namespace

void generateHair(ContentRoot& root) {
  std::array<Body, 3> bodies;
  auto bodyOf = [&](HeadKind kind) -> Body& {
    Body& b = bodies[std::size_t(kind)];
    if (!b.avatar) {
      b.avatar = std::make_unique<Avatar>(root.root());
      if (auto loaded = b.avatar->loadAvatar(bodyPath(kind)); !loaded)
        throw std::runtime_error("hair: " + loaded.error().message());
      b.kindName = b.avatar->modelName();
      b.head = std::make_unique<Head>(*b.avatar, kind);
    }
    return b;
  };
  const std::string folder = kHairFolder;
  for (const std::string& name : hairStyleNames()) {
    const HeadKind kind = headKindOf(name);
    Body& body = bodyOf(kind);
    const Linear back = placementOf(name, body).inverse();
    HairStyle style = sizedToFit(
        name, back, [&](double length) { return buildHairStyle(name, *body.head, length); });
    writeModelFile(root, folder + name + ".c3d", storedModel(style.mesh, back, name, style.flipV));
    const std::vector<StylePicture> pictures = hairStylePictures(name);
    writePictures(root, pictures);
    if (name == "GirlHair") {
      // The girl's own hair picture is the same.
      const auto& p = pictures.front().picture;
      root.write("\\model\\ChinaGirl\\GirlHair.tga", encodeTga(p.width, p.height, rgbaOf(p)));
    }
    const double landing = checkLanding(body, name, style.mesh);
    checkStyle(*body.head, name, style.mesh, landing);
    root.write(
        folder + name + ".hir.bmp",
        encodeBmp(kThumbnailWidth, kThumbnailHeight,
                  hairThumbnail(*body.head, style, pictures, kThumbnailWidth, kThumbnailHeight)));
  }
  // The man's face.
  {
    Body& body = bodyOf(HeadKind::Man);
    const Linear back = placementOf("ManFace", body).inverse();
    FaceModel face = sizedToFit("ManFace", back,
                                [&](double length) { return buildManFace(*body.head, length); });
    writeModelFile(root, folder + "ManFace.c3d", storedModel(face.mesh, back, "ManFace", false));
    const FacePictures pictures = manFacePictures(*body.head, face);
    root.write(folder + "Bio_UV_Head.jpg", encodeJpeg(pictures.skinWidth, pictures.skinHeight,
                                                      pictures.skin, kHairJpegQuality));
    root.write(folder + "Bio_ETT_Material.jpg",
               encodeJpeg(pictures.eyeWidth, pictures.eyeHeight, pictures.eye, kHairJpegQuality));
    const double landing = checkLanding(body, "ManFace", face.mesh);
    const MeshQuality q = meshQuality(face.mesh, 1e-7);
    if (q.degenerate > 0 || q.missingTexcoords > 0)
      throw std::runtime_error(
          "hair: ManFace has degenerate triangles or corners without texture coordinates");
    if (std::getenv("VESTORA_GENERATE_DEBUG"))
      std::fprintf(stderr, "    ManFace: %zu vertices, %d triangles, lands within %.5f\n",
                   face.mesh.vertices.size(), face.mesh.triangleCount(), landing);
  }
}

}  // namespace vestora::generate
