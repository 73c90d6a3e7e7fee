// The worn accessories of the wardrobe's glasses folder: two pairs of
// glasses, a necklace, three pairs of women's shoes, the girl's and the
// man's shoes, ankle socks and a handbag, with their pictures and
// wardrobe thumbnails.
//
// Each is designed where it is worn, on the body it is made for, and stored
// so that the program's own placement (the fixed steps by model name, the
// fit shift, the seat) brings it back there. Every model written is then
// loaded with the program's accessory code and compared with its design;
// one that lands elsewhere, cuts into the body or leaves the skin showing
// through is refused, and the refusal says which fixed number to change.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "accessories/wear_items.h"
#include "accessories/wear_picture.h"
#include "avatar/accessories.h"
#include "avatar/avatar_table.h"
#include "avatar/shipped_numbers.h"
#include "content/generated.h"
#include "formats/model_loader.h"

namespace vestora::generate {
namespace {

using namespace wear;

constexpr double kGlassesTolerance = 0.02;  // 2 mm
constexpr double kFootTolerance = 0.01;     // 1 mm
constexpr double kLowestSole = -8.79;       // the floor's mirror lies at −8.8
constexpr double kNumberTolerance =
    1e-4;  // fixed numbers are kept to 4 decimals: up to √3 · 5e-5 off
constexpr int kJpegQuality = 90;

std::string folderPath(const std::string& file) {
  return std::string(kGlassesFolder) + file;
}

std::string numbers(const Vec3& v) {
  char text[96];
  std::snprintf(text, sizeof text, "%.4ff, %.4ff, %.4ff", v.x + 0.0, v.y + 0.0, v.z + 0.0);
  return text;
}

Vec3 rounded(const Vec3& v) {
  auto r = [](double x) { return std::round(x * 1e4) / 1e4; };
  return {r(v.x), r(v.y), r(v.z)};
}

struct Box {
  Vec3 lo{1e30, 1e30, 1e30}, hi{-1e30, -1e30, -1e30};
  Vec3 centre() const { return (lo + hi) * 0.5; }
  Vec3 size() const { return hi - lo; }
};
Box boxOf(const std::vector<Vec3>& points) {
  Box b;
  for (const Vec3& p : points)
    for (int k = 0; k < 3; ++k) {
      b.lo[k] = std::min(b.lo[k], p[k]);
      b.hi[k] = std::max(b.hi[k], p[k]);
    }
  return b;
}

// A loaded body with what the accessory code needs of it.
struct Body {
  std::unique_ptr<Avatar> avatar;
  std::unique_ptr<Accessories> accessories;
};
Body loadBody(const ContentRoot& root, std::string_view thumbnail) {
  const AvatarEntry* entry = avatarEntryFor(thumbnail);
  if (!entry) throw std::runtime_error("wearables: no avatar entry " + std::string(thumbnail));
  Body b;
  b.avatar = std::make_unique<Avatar>(root.root());
  if (auto loaded = b.avatar->selectAvatar(*entry); !loaded)
    throw std::runtime_error("wearables: " + loaded.error().message());
  b.accessories = std::make_unique<Accessories>(*b.avatar);
  b.accessories->bodyLoaded();
  return b;
}

Vec3 skinPoint(const Avatar& body, int vertex) {
  const SkinVertex& s = body.skin.at(std::size_t(vertex) - 1);
  return {s.x, s.y, s.z};
}

void writeModel(ContentRoot& root, const std::string& file, const GlmModel& model) {
  ModelLoader writer;
  auto bytes = writer.encodeC3D(model, 0);
  if (!bytes) throw std::runtime_error(file + ": " + bytes.error().what);
  root.write(folderPath(file), bytes.value());
}

// The model as stored: every vertex taken back through the placement's
// scales and translation (final = scale · stored + shift).
GlmModel storedModel(const WearMesh& design, const std::string& name,
                     const std::vector<WearMaterial>& materials, const Vec3& scale,
                     const Vec3& shift, bool vFromBottom) {
  WearMesh stored = design;
  stored.transform([&](const Vec3& p) {
    return Vec3{(p.x - shift.x) / scale.x, (p.y - shift.y) / scale.y, (p.z - shift.z) / scale.z};
  });
  return stored.toModel(name, materials, vFromBottom);
}

// How far the program put any vertex from its design.
double deviation(const AccessorySlot& slot, const WearMesh& design, const std::string& what) {
  if (!slot) throw std::runtime_error("wearables: " + what + " was not loaded");
  const GlmModel& m = *slot.model;
  if (m.vertexCount() != design.vertices.size())
    throw std::runtime_error("wearables: " + what + " was loaded with another number of vertices");
  double worst = 0;
  for (std::size_t i = 0; i < design.vertices.size(); ++i) {
    const float* p = m.vertex(std::uint32_t(i + 1));
    worst = std::max(worst, length(Vec3{p[0], p[1], p[2]} - design.vertices[i]));
  }
  return worst;
}

void requireLanding(double worst, double tolerance, const std::string& what,
                    const std::string& why) {
  if (worst > tolerance) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", worst);
    throw std::runtime_error("wearables: " + what + " lands up to " + text +
                             " units from its design" + (why.empty() ? "" : "; " + why));
  }
}

// The fixed numbers that do not match their designs, all listed at the end
// of the run (an item whose number is wrong is not checked further).
using WrongNumbers = std::vector<std::string>;

bool numberMatches(const Vec3& have, const Vec3& want, const std::string& what,
                   WrongNumbers& wrong) {
  if (length(have - want) <= kNumberTolerance) return true;
  wrong.push_back(what + " should be {" + numbers(rounded(want)) + "} (is {" + numbers(have) +
                  "})");
  return false;
}

Vec3 toVec(const std::array<float, 3>& a) {
  return {a[0], a[1], a[2]};
}

// The placed model's vertices.
std::vector<Vec3> placed(const AccessorySlot& slot) {
  std::vector<Vec3> out;
  for (std::uint32_t v = 1; v <= slot.model->vertexCount(); ++v) {
    const float* p = slot.model->vertex(v);
    out.push_back({p[0], p[1], p[2]});
  }
  return out;
}

// The triangles of a mesh as a surface (its parts' triangles).
SurfaceField surfaceOf(const std::vector<Vec3>& vertices, const WearMesh& mesh, double cell) {
  std::vector<std::array<int, 3>> triangles;
  for (const WearPart& p : mesh.parts)
    for (const WearTriangle& t : p.triangles) triangles.push_back(t.v);
  return SurfaceField(vertices, std::move(triangles), cell);
}

// Whether p lies inside a closed surface: the crossings of three rays
// agree in the majority.
bool inside(const SurfaceField& surface, const Vec3& p) {
  int votes = 0;
  for (const Vec3& d : {Vec3{0.31, 0.93, 0.19}, Vec3{-0.57, 0.26, 0.78}, Vec3{0.44, -0.62, -0.65}})
    votes += surface.crossings(p, d, 4.0).size() % 2;
  return votes >= 2;
}

// Footwear seated on a body: every skin vertex round the feet stays
// outside the item, and the item's vertices keep `clearance` from the skin.
void checkFootwear(const Avatar& body, const std::vector<Vec3>& item, const WearMesh& mesh,
                   double clearance, const std::string& what) {
  const SurfaceField skin = feetSkin(body, 1.6);
  double nearest = 1e30;
  for (const Vec3& p : item) nearest = std::min(nearest, skin.distance(p, 0.3, 0.3));
  if (nearest < clearance - 1e-3) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", nearest);
    throw std::runtime_error("wearables: " + what + " comes within " + text + " units of the skin");
  }
  const SurfaceField shell = surfaceOf(item, mesh, 0.04);
  const Box box = boxOf(item);
  for (const SkinVertex& s : body.skin) {
    const Vec3 p{s.x, s.y, s.z};
    if (p.y > box.hi.y || p.x < box.lo.x || p.x > box.hi.x || p.z < box.lo.z || p.z > box.hi.z)
      continue;
    if (inside(shell, p)) throw std::runtime_error("wearables: the skin shows through " + what);
  }
}

// ---- glasses ---------------------------------------------------------

struct GlassesFile {
  const char* file;
  const char* variant;
  FrameKind kind;
  double shiftZ;  // the variant's translation along z in the placement
};
constexpr GlassesFile kGlasses[] = {
    {"blackframe.c3d", "blackframe", FrameKind::BoldRectangle, -0.14},
    {"Glasses.c3d", "Glasses", FrameKind::ThinRound, -0.2}};

// The box centre the placement gives a pair before its fit shift: the
// normalised box's centre (0, 6.847, 0.3) scaled about the floor in y, by
// 0.84 in z, and moved by the variant's translation.
Vec3 placedCentre(double shiftZ) {
  return {0, 0.84 * (6.847 + 8.8) - 8.8 + 3.24, 0.84 * 0.3 + shiftZ};
}

void checkGlasses(const Face& face, const GlassesDesign& d, const std::string& what) {
  for (const WearPart& part : d.mesh.parts) {
    const double need = part.material == "temple" ? 0.0295 : part.material == "lens" ? 0.02 : 0.005;
    for (const WearTriangle& t : part.triangles)
      for (int v : t.v) {
        const double gap = face.head.distance(d.mesh.vertices[std::size_t(v)], 0.5, 0.5);
        if (gap < need)
          throw std::runtime_error("wearables: " + what + ": the " + part.material +
                                   " comes too near the head");
      }
  }
  for (int k = 0; k < 2; ++k)
    if (std::abs(d.lensCentre[std::size_t(k)].y - face.eye[std::size_t(k)].y) > 0.1)
      throw std::runtime_error("wearables: " + what + ": a lens is not in front of its eye");
  const MeshReport r = checkMesh(d.mesh);
  if (!r.closed() || r.degenerate > 0)
    throw std::runtime_error("wearables: " + what + " is not a clean closed mesh");
}

void writeGlasses(ContentRoot& root, const Body& woman, WrongNumbers& wrong) {
  const Face face = measureFace(*woman.avatar);
  std::vector<GlassesDesign> designs;
  designs.push_back(designGlasses(face, kGlasses[0].kind, {}));
  // The second pair shares the first's fit shift: its box must sit where
  // the first's does, allowing for the variants' translations. Its temples'
  // bend and tips are moved until it does.
  const Box first = boxOf(designs[0].mesh.vertices);
  const Vec3 want =
      first.centre() - placedCentre(kGlasses[0].shiftZ) + placedCentre(kGlasses[1].shiftZ);
  Vec3 hook;
  GlassesDesign second = designGlasses(face, kGlasses[1].kind, hook);
  for (int i = 0; i < 8; ++i) {
    const Vec3 miss = want - boxOf(second.mesh.vertices).centre();
    if (std::abs(miss.y) < 2e-5 && std::abs(miss.z) < 2e-5) break;
    hook.y += 2 * miss.y;
    hook.z += 2 * miss.z;
    second = designGlasses(face, kGlasses[1].kind, hook);
  }
  designs.push_back(std::move(second));

  const Vec3 fit = first.centre() - placedCentre(kGlasses[0].shiftZ);
  const bool fits = numberMatches(toVec(fitShift("Glassess")), fit,
                                  "the fit shift of \"Glassess\" in kAccessoryFits", wrong);
  for (int i = 0; i < 2; ++i) {
    const GlassesFile& g = kGlasses[i];
    const GlassesDesign& d = designs[std::size_t(i)];
    checkGlasses(face, d, g.file);
    const Vec3 centre = boxOf(d.mesh.vertices).centre();
    if (length(centre - (placedCentre(g.shiftZ) + fit)) > 1e-4)
      throw std::runtime_error(std::string("wearables: ") + g.file +
                               " cannot share the glasses' fit shift");
    writeModel(
        root, g.file,
        storedModel(d.mesh, "Glassess", glassesMaterials(g.kind), {0.9, 0.84, 0.84}, {}, false));
    if (!fits) continue;
    if (auto loaded = woman.accessories->LoadWornItem(folderPath(g.file), g.variant); !loaded)
      throw std::runtime_error("wearables: " + loaded.error().message());
    requireLanding(deviation(woman.accessories->wornItem, d.mesh, g.file), kGlassesTolerance,
                   g.file, "");
    woman.accessories->removeWornItem();
  }
  // The wardrobe's thumbnails: each pair from the front a little to one
  // side, the lenses tinted.
  const char* thumbnails[] = {"blackframe.gls.bmp", "Glasses.gls.bmp"};
  for (int i = 0; i < 2; ++i) {
    const bool bold = kGlasses[i].kind == FrameKind::BoldRectangle;
    Viewpoint view;
    view.azimuth = 28;
    view.elevation = 14;
    view.margin = 0.06;
    view.shadow = false;
    const Image picture =
        drawPicture({PictureItem{&designs[std::size_t(i)].mesh,
                                 [&](const WearPart& p) {
                                   Look l;
                                   l.colour = bold ? rgb(28, 28, 32) : rgb(196, 160, 92);
                                   l.specular = bold ? 0.45 : 0.7;
                                   l.shininess = bold ? 40 : 70;
                                   if (p.material == "lens") {
                                     l.colour = bold ? rgb(150, 170, 190) : rgb(170, 190, 170);
                                     l.opacity = 0.28;
                                     l.specular = 0.9;
                                     l.shininess = 90;
                                   }
                                   return l;
                                 }}},
                    view, kThumbnailWidth, kThumbnailHeight);
    root.write(folderPath(thumbnails[i]), bmpOf(picture));
  }
}

// ---- necklace --------------------------------------------------------

void writeNecklace(ContentRoot& root, const Body& woman, WrongNumbers& wrong) {
  const SurfaceField skin = SurfaceField::ofBody(
      *woman.avatar, [](const Vec3& p) { return p.y > 3.5; }, 0.04);
  constexpr double kExtent = 1.76;  // the placement's largest extent: the chain is made that wide
  const NecklaceDesign d = designNecklace(*woman.avatar, skin, kExtent);
  const Box box = boxOf(d.mesh.vertices);
  const Vec3 size = box.size();
  if (std::abs(size.x - kExtent) > 2e-4 || size.y > kExtent || size.z > kExtent)
    throw std::runtime_error("wearables: the necklace is not its placement's size (" +
                             std::to_string(size.x) + " × " + std::to_string(size.y) + " × " +
                             std::to_string(size.z) + ")");
  const Vec3 fit = box.centre() - Vec3{0, 6.847 - 1.82, 0.3 - 0.24};
  const bool fits = numberMatches(toVec(fitShift("necklace")), fit,
                                  "the fit shift of \"necklace\" in kAccessoryFits", wrong);
  // On the skin: no link nearer than a millimetre, and most of the chain
  // within three.
  double nearest = 1e30;
  int resting = 0;
  for (const Vec3& p : d.mesh.vertices) {
    const double gap = skin.distance(p, 0.3, 0.3);
    nearest = std::min(nearest, gap);
    if (gap <= 0.031) ++resting;
  }
  if (nearest < 0.01 || resting < int(d.mesh.vertices.size() / 10))
    throw std::runtime_error("wearables: the necklace does not lie on the skin");
  const MeshReport r = checkMesh(d.mesh);
  if (!r.closed() || r.degenerate > 0)
    throw std::runtime_error("wearables: the necklace is not a clean closed mesh");

  GlmModel model = d.mesh.toModel(
      "necklace", {WearMaterial{"gold", {0.85f, 0.68f, 0.3f, 1}, {0.9f, 0.8f, 0.5f, 1}, 90}},
      false);
  model.textureMaps = {"nvnecklace.jpg"};
  model.mtllibname = "nvnecklace.mtl";
  writeModel(root, "nvnecklace.c3d", model);
  root.write(folderPath("nvnecklace.jpg"), jpegOf(d.picture, kJpegQuality));
  if (fits) {
    if (auto loaded =
            woman.accessories->LoadWornItem(folderPath("nvnecklace.c3d"), "nvnecklace.jpg");
        !loaded)
      throw std::runtime_error("wearables: " + loaded.error().message());
    requireLanding(deviation(woman.accessories->wornItem, d.mesh, "the necklace"),
                   kGlassesTolerance, "the necklace", "");
    woman.accessories->removeWornItem();
  }

  Viewpoint view;
  view.azimuth = 0;
  view.elevation = 30;
  view.margin = 0.07;
  const Image picture = drawPicture({PictureItem{&d.mesh,
                                                 [&](const WearPart&) {
                                                   Look l;
                                                   l.texture = &d.picture;
                                                   l.specular = 0.8;
                                                   l.shininess = 60;
                                                   return l;
                                                 }}},
                                    view, kThumbnailWidth, kThumbnailHeight);
  root.write(folderPath("nvnecklace.jpg.bmp"), bmpOf(picture));
}

// ---- footwear --------------------------------------------------------

struct FootwearFile {
  const char* model;    // the stored model's name
  const char* file;     // the model file
  const char* picture;  // the texture
  Vec3 scale, shift;    // the placement's fixed steps
  int seatVertex;       // 1-based; 0 when not seated
  int bodySeat;         // the body's seat vertex (1-based)
};

void checkWorn(const FootwearFile& f, const Footwear& item, const FootwearStyle& style, Body& body,
               Body* bagPose) {
  Avatar& avatar = *body.avatar;

  // Worn by the program as the wardrobe puts it on.
  auto wearOn = [&](Body& b) -> const AccessorySlot& {
    Accessories& a = *b.accessories;
    const std::string entry = f.picture;
    if (auto worn = a.wearEntry(entry); !worn)
      throw std::runtime_error("wearables: " + worn.error().message());
    return std::string(f.model) == "sock" ? a.sock : a.shoe;
  };
  const AccessorySlot& slot = wearOn(body);
  requireLanding(deviation(slot, item.mesh, f.file), kFootTolerance, f.file, "");
  const double clearance = std::min(style.innerClearance, 0.02);
  checkFootwear(avatar, placed(slot), item.mesh, clearance, f.file);
  if (bagPose) {
    const AccessorySlot& again = wearOn(*bagPose);
    checkFootwear(*bagPose->avatar, placed(again), item.mesh, clearance,
                  std::string(f.file) + " in the bag pose");
    bagPose->accessories->removeShoes();
  }
  body.accessories->removeShoes();
  body.accessories->removeSock();
}

void writeFootwearThumbnail(ContentRoot& root, const FootwearFile& f, const Footwear& item) {
  // The thumbnail: the pair from the front and the outside, from above.
  Viewpoint view;
  view.azimuth = 35;
  view.elevation = 28;
  view.margin = 0.06;
  const Image picture =
      drawPicture({PictureItem{&item.mesh,
                               [&](const WearPart&) {
                                 Look l;
                                 l.texture = &item.picture;
                                 l.specular = std::string(f.model) == "GirlShoe" ? 0.5 : 0.18;
                                 l.shininess = 30;
                                 return l;
                               }}},
                  view, kThumbnailWidth, kThumbnailHeight);
  root.write(folderPath(std::string(f.picture) + ".bmp"), bmpOf(picture));
}

void writeFootwear(ContentRoot& root, const FootwearFile& f, Body& body, Body* bagPose,
                   WrongNumbers& wrong) {
  Avatar& avatar = *body.avatar;
  const SurfaceField skin = feetSkin(avatar, 1.6);
  const FootwearStyle style = footwearStyle(f.model, measureFoot(avatar, true));
  Footwear item = buildFootwear(avatar, skin, style);
  const MeshReport r = checkMesh(item.mesh);
  if (!r.closed() || r.degenerate > 0)
    throw std::runtime_error(std::string("wearables: ") + f.file + " is not a clean closed mesh");
  const bool tga = std::string(f.picture).ends_with(".tga");

  bool seated = true;
  if (f.seatVertex > 0) {
    // The seat: the vertex at the back of the right heel takes the number
    // the program seats by, and the seat offset is where it lies from the
    // body's seat point.
    if (int(item.mesh.vertices.size()) < f.seatVertex)
      throw std::runtime_error(std::string("wearables: ") + f.file +
                               " has too few vertices for its seat");
    const Vec3 bodySeat = skinPoint(avatar, f.bodySeat);
    const int v = seatVertexNear(item, bodySeat);
    item.mesh.swapVertices(v, f.seatVertex - 1);
    const Vec3 offset = item.mesh.vertices[std::size_t(f.seatVertex - 1)] - bodySeat;
    const auto rule = seatRule(f.model);
    if (!rule || rule->modelVertex != f.seatVertex)
      throw std::runtime_error(std::string("wearables: ") + f.model +
                               " has no seat in kAccessorySeats");
    const Vec3 have = toVec(rule->offset);
    seated = numberMatches(have, offset,
                           std::string("the seat offset of \"") + f.model + "\" in kAccessorySeats",
                           wrong);
    // The last fraction of the rounding: the design moves onto the seat.
    const Vec3 nudge = bodySeat + have - item.mesh.vertices[std::size_t(f.seatVertex - 1)];
    item.mesh.transform([&](const Vec3& p) { return p + nudge; });
  }
  if (item.lowest + (f.seatVertex > 0 ? 1e-3 : 0) <
      (std::string(f.model) == "ManShoe" ? -8.8 : kLowestSole))
    throw std::runtime_error(std::string("wearables: ") + f.file + " reaches below the floor (to " +
                             std::to_string(item.lowest) + ")");

  writeModel(root, f.file,
             storedModel(item.mesh, f.model,
                         {WearMaterial{f.model, {0.8f, 0.8f, 0.8f, 1}, {0.2f, 0.2f, 0.2f, 1}, 30}},
                         f.scale, f.shift, tga));
  root.write(folderPath(f.picture), tga ? tgaOf(item.picture) : jpegOf(item.picture, kJpegQuality));
  if (seated) checkWorn(f, item, style, body, bagPose);
  writeFootwearThumbnail(root, f, item);
}

// ---- bag -------------------------------------------------------------

void writeBag(ContentRoot& root, Body& bagPose, WrongNumbers& wrong) {
  Avatar& avatar = *bagPose.avatar;
  const SurfaceField skin = SurfaceField::ofBody(avatar, {}, 0.06);
  BagDesign d = designBag(avatar, skin);
  const MeshReport r = checkMesh(d.mesh);
  if (!r.closed() || r.degenerate > 0)
    throw std::runtime_error("wearables: the bag is not a clean closed mesh");

  // Clear of the body but for the handles over the forearm.
  for (const WearPart& part : d.mesh.parts) {
    const double need = part.material == "handle" ? 0.005 : 0.05;
    for (const WearTriangle& tri : part.triangles)
      for (int v : tri.v)
        if (const Vec3& p = d.mesh.vertices[std::size_t(v)]; skin.distance(p, 0.3, 0.3) < need)
          throw std::runtime_error("wearables: the bag's " + part.material +
                                   " comes too near the body at (" + numbers(p) + ")");
  }

  const BodyTriangle& t = avatar.triangles.at(std::size_t(shipped::kWomanBagHandle));
  Vec3 seat;
  for (const SkinVertex& c : t.corner) seat += Vec3{c.x, c.y, c.z} / 3.0;
  const auto rule = seatRule("Bag");
  if (!rule || rule->modelVertex != shipped::kBagSeatVertex)
    throw std::runtime_error("wearables: \"Bag\" has no seat in kAccessorySeats");
  const Vec3 have = toVec(rule->offset);
  const bool seated = numberMatches(have, d.mesh.vertices[0] - seat,
                                    "the seat offset of \"Bag\" in kAccessorySeats", wrong);
  const Vec3 nudge = seat + have - d.mesh.vertices[0];
  d.mesh.transform([&](const Vec3& p) { return p + nudge; });

  // Stored in centimetres.
  writeModel(root, "Bag.c3d",
             storedModel(d.mesh, "Bag",
                         {WearMaterial{"leather"}, WearMaterial{"handle"}, WearMaterial{"metal"}},
                         {0.1, 0.1, 0.1}, {}, false));
  root.write(folderPath("Bag.jpg"), jpegOf(d.picture, kJpegQuality));
  if (seated) {
    if (auto worn = bagPose.accessories->wearEntry("Bag.jpg"); !worn)
      throw std::runtime_error("wearables: " + worn.error().message());
    requireLanding(deviation(bagPose.accessories->bag, d.mesh, "Bag.c3d"), kFootTolerance,
                   "Bag.c3d", "");
    bagPose.accessories->removeBag();
  }

  Viewpoint view;
  view.azimuth = 200;
  view.elevation = 12;
  view.margin = 0.07;
  const Image picture = drawPicture({PictureItem{&d.mesh,
                                                 [&](const WearPart& p) {
                                                   Look l;
                                                   l.texture = &d.picture;
                                                   l.specular = p.material == "metal" ? 0.8 : 0.2;
                                                   l.shininess = p.material == "metal" ? 60 : 24;
                                                   return l;
                                                 }}},
                                    view, kThumbnailWidth, kThumbnailHeight);
  root.write(folderPath("Bag.jpg.bmp"), bmpOf(picture));
}

}  // namespace

void generateWearables(ContentRoot& root) {
  Body woman = loadBody(root, "Female.bmp");
  Body bagPose = loadBody(root, "Pose1.bmp");
  Body girl = loadBody(root, "Girl.bmp");
  Body man = loadBody(root, "Male.bmp");

  WrongNumbers wrong;
  writeGlasses(root, woman, wrong);
  writeNecklace(root, woman, wrong);
  const FootwearFile footwear[] = {
      {"womanshoe1",
       "nvshoe1.c3d",
       "nvshoe1.jpg",
       {0.101, 0.101, 0.101 * 0.99},
       {0, 0.38, -1.57},
       shipped::kShoeSeatWomanShoe1,
       shipped::kWomanShoeSeat},
      {"womanshoe2",
       "nvshoe2.c3d",
       "nvshoe2.tga",
       {0.101, 0.101, 0.101 * 0.99},
       {0, 0.38, -1.57},
       shipped::kShoeSeatWomanShoe2,
       shipped::kWomanShoeSeat},
      {"womanshoe3",
       "nvshoe3.c3d",
       "nvshoe3.jpg",
       {0.101, 0.101, 0.101 * 1.01},
       {0, 0.36, -1.59},
       shipped::kShoeSeatWomanShoe3,
       shipped::kWomanShoeSeat},
      {"GirlShoe",
       "GirlShoe.c3d",
       "GirlShoe.jpg",
       {0.1, 0.1, 0.1},
       {0, 0.12, -1.02},
       shipped::kShoeSeatGirlShoe,
       shipped::kGirlShoeSeat},
      {"ManShoe", "ManShoe.c3d", "ManShoe.jpg", {0.1, 0.1, 0.1}, {0, 0.16, -1.1}, 0, 0},
      {"sock", "nvsock.c3d", "nvsock.jpg", {0.1, 0.1, 0.1}, {0, 0.16, -1.08}, 0, 0},
  };
  for (const FootwearFile& f : footwear) {
    const std::string model = f.model;
    Body& body = model == "GirlShoe" ? girl : model == "ManShoe" ? man : woman;
    writeFootwear(root, f, body, model.starts_with("womanshoe") ? &bagPose : nullptr, wrong);
  }
  writeBag(root, bagPose, wrong);
  if (!wrong.empty()) {
    std::string all = "wearables: fixed numbers of shipped_numbers.h do not match the designs:";
    for (const std::string& w : wrong) all += "\n  " + w;
    throw std::runtime_error(all);
  }
}

}  // namespace vestora::generate
