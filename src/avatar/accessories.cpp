#include "avatar/accessories.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "avatar/avatar.h"
#include "avatar/avatar_table.h"
#include "avatar/matrix.h"
#include "avatar/shipped_numbers.h"
#include "formats/model_ops.h"
#include "platform/data_path.h"

namespace vestora {
namespace {

using Vec = std::array<float, 3>;

Vec sub(const Vec& a, const Vec& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Vec add(const Vec& a, const Vec& b) {
  return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
Vec cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
float dot(const Vec& a, const Vec& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
float norm(const Vec& a) {
  return std::sqrt(dot(a, a));
}

Vec vertexOf(const GlmModel& m, std::uint32_t v) {
  const float* p = m.vertex(v);
  return {p[0], p[1], p[2]};
}

void forEachVertex(GlmModel& m, const auto& f) {
  for (std::uint32_t v = 1; v <= m.vertexCount(); ++v) f(m.vertex(v));
}

void rotateModel(GlmModel& m, float degrees, float x, float y, float z) {
  const Mat4 r = Mat4::rotation(degrees, x, y, z);
  forEachVertex(m, [&](float* p) {
    const Vec q = r.transformPoint({p[0], p[1], p[2]});
    p[0] = q[0], p[1] = q[1], p[2] = q[2];
  });
}

Vec boxCentre(const GlmModel& m) {
  std::array<float, 3> dims{}, maxi{}, mini{};
  glmDimensions(m, dims, maxi, mini);
  return {(maxi[0] + mini[0]) * 0.5f, (maxi[1] + mini[1]) * 0.5f, (maxi[2] + mini[2]) * 0.5f};
}

bool endsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

bool isWomanShoe(std::string_view name) {
  return name == "womanshoe1" || name == "womanshoe2" || name == "womanshoe3";
}

std::string folderOf(const std::string& file) {
  const auto slash = file.find_last_of('/');
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

AccessoryTexture textureFile(const std::string& file) {
  return {textureKindOf(file), file, {}};
}

}  // namespace

std::array<float, 3> HeadMotion::apply(const std::array<float, 3>& p) const {
  const Vec d = sub(p, from);
  Vec out = origin;
  for (int r = 0; r < 3; ++r)
    out[r] +=
        scale * (rotation[3 * r] * d[0] + rotation[3 * r + 1] * d[1] + rotation[3 * r + 2] * d[2]);
  return out;
}

std::array<float, 3> HeadMotion::undo(const std::array<float, 3>& p) const {
  const Vec d = sub(p, origin);
  Vec out = from;
  const float s = scale != 0 ? 1.0f / scale : 1.0f;
  for (int c = 0; c < 3; ++c)
    out[c] += s * (rotation[c] * d[0] + rotation[3 + c] * d[1] + rotation[6 + c] * d[2]);
  return out;
}

std::optional<HeadMotion> headMotion(const std::array<std::array<float, 3>, 3>& a,
                                     const std::array<std::array<float, 3>, 3>& b) {
  // An orthonormal basis on each frame: along the first edge, in the
  // triangle's plane, along its normal.
  auto basis = [](const std::array<Vec, 3>& t) -> std::optional<std::array<Vec, 3>> {
    Vec e1 = sub(t[1], t[0]);
    Vec n = cross(e1, sub(t[2], t[0]));
    const float l1 = norm(e1), ln = norm(n);
    if (!(l1 > 1e-9f) || !(ln > 1e-12f)) return std::nullopt;
    for (float& c : e1) c /= l1;
    for (float& c : n) c /= ln;
    return std::array<Vec, 3>{e1, cross(n, e1), n};
  };
  const auto ba = basis(a), bb = basis(b);
  if (!ba || !bb) return std::nullopt;
  auto perimeter = [](const std::array<Vec, 3>& t) {
    return norm(sub(t[1], t[0])) + norm(sub(t[2], t[1])) + norm(sub(t[0], t[2]));
  };
  HeadMotion m;
  m.from = a[0];
  m.origin = b[0];
  m.scale = perimeter(b) / perimeter(a);
  // R = Σ_k bb[k] ⊗ ba[k]: carries each basis vector of a onto that of b.
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      float s = 0;
      for (int k = 0; k < 3; ++k) s += (*bb)[k][r] * (*ba)[k][c];
      m.rotation[3 * r + c] = s;
    }
  return m;
}

std::array<float, 3> normaliseAccessory(GlmModel& m) {
  if (m.vertexCount() == 0) return {0, 0, 0};
  std::array<float, 3> dims{}, maxi{}, mini{};
  glmDimensions(m, dims, maxi, mini);
  // In double: a model with coordinates near the float range would
  // overflow the box's centre and size and turn every vertex into NaN.
  double c[3], largest = 0;
  for (int k = 0; k < 3; ++k) {
    c[k] = (double(maxi[k]) + double(mini[k])) * 0.5;
    largest = std::max(largest, double(maxi[k]) - double(mini[k]));
  }
  const double s = largest > 0 ? 1.0 / largest : 1.0;
  forEachVertex(m, [&](float* p) {
    for (int k = 0; k < 3; ++k) p[k] = static_cast<float>((p[k] - c[k]) * s);
  });
  glmScale(m, 1.76f);
  glmTranslate(m, 0, 6.847f, 0.3f);
  return boxCentre(m);
}

bool placeHairStyle(GlmModel& m, std::string_view kind, const std::array<float, 3>& a) {
  const std::string_view name = m.modelName;
  const float a1 = a[1], a2 = a[2];
  if (name == "GirlHair") {
    glmScale(m, 2.0296f);
    glmTranslate(m, -0.04f, a1 - 13.49f, a2 - 0.66f);
  } else if (name == "MikiHair") {
    glmScale(m, 1.72f);
    glmTranslate(m, 0, a1 - 5.16f, a2 - 0.66f);
  } else if (name == "PonyTail") {
    if (kind == "woman") {
      glmScaleX(m, 2.056432f);
      glmScaleY(m, 2.056432f);
      glmScaleZ(m, 1.972496f);
      glmTranslate(m, 0, a1 - (a[0] == 0.0f ? 17.1f : 17.15f), a2 - 0.98f);
    } else {
      glmScale(m, 2.0984f);
      glmScaleX(m, 1.02f);
      glmTranslate(m, 0, -8.1f, -1.14f);
    }
  } else if (name == "ManFace" || name == "ManHair1") {
    glmScale(m, 1.5824f);
    glmScale(m, 0.95f);
    glmTranslate(m, 0, -2.66f, -0.52f);
  } else if (name == "ManHair2" || name == "ManHair3") {
    glmScale(m, 1.72f);
    glmScaleZ(m, 1.1f);
    glmTranslate(m, 0.02f, -4.26f, -0.68f);
  } else if (name == "MKHair") {
    glmScale(m, 1.72f);
    glmTranslate(m, 0, a1 - 5.18f, a2 - 0.58f);
  } else if (name == "PonyHair") {
    glmScale(m, 1.548f);
    glmTranslate(m, 0, a1 - 3.7f, a2 - 0.68f);
  } else if (name == "AliceHair") {
    glmScale(m, 1.98144f);
    glmScaleZ(m, 0.95f);
    glmTranslate(m, 0, a1 - 7.16f, a2 - 0.46f);
  } else if (name == "MessyHair") {
    glmScale(m, 1.7888f);
    glmScaleX(m, 0.98f);
    rotateModel(m, 5.0f, 1, 0, 0);
    glmTranslate(m, 0, a1 - 5.5f, a2 + 0.3f);
  } else if (name == "LongHair") {
    glmScale(m, 2.575872f);
    glmTranslate(m, 0, a1 - 11.76f, a2 - 0.86f);
    glmScale(m, 0.98f);
    glmTranslate(m, 0, 0.12f, 0);
  } else if (name == "ReiHair") {
    glmScale(m, 1.420032f);
    glmScaleZ(m, 0.95f);
    glmTranslate(m, 0, a1 - 2.77f, a2 - 0.46f);
  } else {
    return false;
  }
  return true;
}

HairTextures hairTextures(const std::string& root, std::string_view name) {
  auto file = [&](std::string_view f) {
    return dataPath(root, std::string(kHairFolder) + std::string(f));
  };
  auto pair = [&](std::string_view tx, std::string_view tr) {
    return AccessoryTexture{TextureKind::JpegWithAlpha, file(tx), file(tr)};
  };
  struct Pair {
    std::string_view name, tx, tr;
  };
  static constexpr Pair kPairs[] = {
      {"MikiHair", "BobHairTX.jpg", "BobHairTR.jpg"},
      {"ManHair1", "ManHair1TX.jpg", "ManHair1TR.jpg"},
      {"ManHair2", "ManHair2TX.jpg", "ManHair2TR.jpg"},
      {"ManHair3", "ManHair3TX.jpg", "ManHair3TR.jpg"},
      {"MKHair", "MKHairTX.jpg", "MKHairTR.jpg"},
      {"PonyHair", "PonyTX.jpg", "PonyTR.jpg"},
      {"AliceHair", "ALiceHairTX.jpg", "AliceHairTR.jpg"},
      {"MessyHair", "MessyHairTX.jpg", "MessyHairTR.jpg"},
      {"LongHair", "longblacktx.jpg", "longblacktr.jpg"},
      {"ReiHair", "ReiHairTX.jpg", "ReiHairTR.jpg"},
  };
  HairTextures out;
  if (name == "GirlHair") {
    out.main = {TextureKind::Tga, file("GirlHair.tga"), {}};
  } else if (name == "PonyTail") {
    out.main = pair("PTHeadTX.jpg", "PTHeadTR.jpg");
    out.second = pair("PTTailTX.jpg", "PTTailTR.jpg");
  } else if (name == "ManFace") {
    // The face on the head, the eyes by part.
    out.main = {TextureKind::Jpeg, file("Bio_UV_Head.jpg"), {}};
    out.second = {TextureKind::Jpeg, file("Bio_ETT_Material.jpg"), {}};
  } else {
    for (const Pair& p : kPairs)
      if (p.name == name) out.main = pair(p.tx, p.tr);
  }
  return out;
}

std::optional<SeatRule> seatRule(std::string_view modelName) {
  for (const auto& s : shipped::kAccessorySeats)
    if (s.model == modelName) return SeatRule{s.vertex, {s.dx, s.dy, s.dz}};
  return std::nullopt;
}

std::array<float, 3> fitShift(std::string_view modelName) {
  for (const auto& f : shipped::kAccessoryFits)
    if (f.model == modelName) return {f.dx, f.dy, f.dz};
  return {0, 0, 0};
}

TextureKind textureKindOf(std::string_view path) {
  if (path.size() < 3) return TextureKind::None;
  const std::string_view tail = path.substr(path.size() - 3);
  if (tail == "jpg" || tail == "JPG") return TextureKind::Jpeg;
  if (tail == "tga" || tail == "TGA") return TextureKind::Tga;
  return TextureKind::None;
}

// ---------------------------------------------------------------------------

Accessories::Accessories(Avatar& avatar) : avatar_(avatar) {}

std::string Accessories::fullPath(std::string_view path) const {
  if (!path.empty() && path.front() == '/') return std::string(path);
  return dataPath(avatar_.root(), path);
}

void Accessories::bump(AccessorySlot& slot) {
  ++slot.version;
}

void Accessories::select(AccessoryEntry entry) {
  selection.fill(false);
  selection[static_cast<int>(entry) - 1] = true;
}

Result<std::unique_ptr<GlmModel>> Accessories::read(const std::string& file, bool obj) {
  std::int32_t tag = 0;
  auto model = obj ? loader_.glmReadOBJ(file, tag) : loader_.glmReadC3D(file, tag);
  if (!model) {
    Error e = model.error();
    e.what =
        std::string(kAccessoryUnreadable) + std::string(fileNameOf(file)) + "（" + e.what + "）";
    return e;
  }
  return model;
}

std::array<std::array<float, 3>, 3> Accessories::headFrameNow() const {
  std::array<std::array<float, 3>, 3> frame{};
  if (avatar_.triangles.size() <= std::size_t(shipped::kWomanHeadFrame)) return frame;
  const BodyTriangle& t = avatar_.triangles[shipped::kWomanHeadFrame];
  for (int k = 0; k < 3; ++k) frame[k] = {t.corner[k].x, t.corner[k].y, t.corner[k].z};
  return frame;
}

void Accessories::bodyLoaded() {
  // The standard body's frame is the reference; a pose loaded before it
  // (never in the program, which starts on the standard body) stands in.
  const bool woman = avatar_.loaded() && avatar_.modelName() == "woman" &&
                     avatar_.triangleCount() > std::size_t(shipped::kWomanHeadFrame);
  if (woman && ((avatar_.highPose && poseEntry("standard") &&
                 avatar_.modelPath() == poseEntry("standard")->modelPath) ||
                !haveHeadFrame_)) {
    referenceHeadFrame_ = headFrameNow();
    haveHeadFrame_ = true;
  }
  // What was seated on another kind of body does not fit this one.
  if (avatar_.modelName() != bodyKind_) {
    removeWornItem();
    removeShoes();
    removeBag();
    removeSock();
    bodyKind_ = avatar_.modelName();
  }
  if (avatar_.modelName() == "woman") {
    if (avatar_.walkPose || avatar_.standPose) removeShoes();
    if (!avatar_.bagPose) removeBag();
  }
}

// On the woman the hair and the glasses follow the head: when the forehead
// is not where it is on the standard body, the motion that carries the
// standard frame onto the frame now is applied after the fixed placement.
std::optional<HeadMotion> Accessories::headMotionNow() const {
  if (avatar_.modelName() != "woman" || !haveHeadFrame_) return std::nullopt;
  const auto now = headFrameNow();
  const Vec moved = sub(now[0], referenceHeadFrame_[0]);
  if (std::abs(moved[0]) <= 0.001f && std::abs(moved[1]) <= 0.001f &&
      std::abs(moved[2]) <= 0.001f &&
      std::abs(norm(sub(now[1], now[0])) -
               norm(sub(referenceHeadFrame_[1], referenceHeadFrame_[0]))) <= 0.001f)
    return std::nullopt;
  return headMotion(referenceHeadFrame_, now);
}

void Accessories::followHead(AccessorySlot& slot) {
  if (!slot) return;
  const auto motion = headMotionNow();
  if (!motion) return;
  forEachVertex(*slot.model, [&](float* p) {
    const Vec q = motion->apply({p[0], p[1], p[2]});
    p[0] = q[0], p[1] = q[1], p[2] = q[2];
  });
}

std::array<float, 3> Accessories::bodySeatPoint(const AccessorySlot& slot) const {
  const std::string& name = slot.model ? slot.model->modelName : slot.name;
  auto skinPoint = [&](int vertex) -> Vec {
    const std::size_t record = std::size_t(vertex) - 1;
    if (record >= avatar_.skin.size()) return {0, 0, 0};
    const SkinVertex& s = avatar_.skin[record];
    return {s.x, s.y, s.z};
  };
  if (isWomanShoe(name) || name == "sock") return skinPoint(shipped::kWomanShoeSeat);
  if (name == "GirlHair") return skinPoint(shipped::kGirlHairSeat);
  if (name == "GirlShoe") return skinPoint(shipped::kGirlShoeSeat);
  if (name == "Bag") {
    if (avatar_.triangles.size() <= std::size_t(shipped::kWomanBagHandle)) return {0, 0, 0};
    const BodyTriangle& t = avatar_.triangles[shipped::kWomanBagHandle];
    Vec c{0, 0, 0};
    for (const SkinVertex& s : t.corner) c = add(c, {s.x / 3, s.y / 3, s.z / 3});
    return c;
  }
  return {0, 0, 0};
}

// Moves a model so that its seat vertex lands on the body's seat point plus
// the model's seat offset.
void Accessories::seatOnBody(AccessorySlot& slot) {
  if (!slot) return;
  const auto rule = seatRule(slot.model->modelName);
  if (!rule || rule->modelVertex < 1 ||
      std::uint32_t(rule->modelVertex) > slot.model->vertexCount())
    return;
  // The offset of the rule on the first seating; afterwards the slot's own,
  // which the accessory page's moves change.
  if (slot.seatVertex != rule->modelVertex) {
    slot.seatVertex = rule->modelVertex;
    slot.seatOffset = rule->offset;
  }
  const Vec target = add(bodySeatPoint(slot), slot.seatOffset);
  const Vec d = sub(target, vertexOf(*slot.model, std::uint32_t(rule->modelVertex)));
  glmTranslate(*slot.model, d[0], d[1], d[2]);
}

// ---- hair --------------------------------------------------------------

Result<void> Accessories::LoadHairStyle(std::string_view path) {
  const std::string file = fullPath(path);
  auto read = this->read(file, false);
  if (!read) return read.error();
  std::unique_ptr<GlmModel> model = std::move(read).value();

  if (hair) accessoryName.clear();
  hair = {};
  hair.path = std::string(path);
  select(model->modelName == "ManFace" ? AccessoryEntry::Face : AccessoryEntry::Hair);

  const std::array<float, 9>& anchor = avatar_.loader().headAnchor;
  normaliseAccessory(*model);
  placeHairStyle(*model, avatar_.modelName(), {anchor[0], anchor[1], anchor[2]});
  const Vec shift = fitShift(model->modelName);
  glmTranslate(*model, shift[0], shift[1], shift[2]);
  hair.name = model->modelName;
  const HairTextures textures = hairTextures(avatar_.root(), hair.name);
  hair.texture = textures.main;
  hair.secondTexture = textures.second;
  hair.model = std::move(model);
  hair.placedVertices = hair.model->vertices;
  hair.version = ++versions_;
  if (avatar_.modelName() == "woman") {
    followHead(hair);
    // The styles that keep one of their vertices over the crown remember
    // where it sits.
    static constexpr std::pair<std::string_view, int> kSeats[] = {
        {"MikiHair", shipped::kHairSeatMikiHair},
        {"PonyHair", shipped::kHairSeatPonyHair},
        {"AliceHair", shipped::kHairSeatAliceHair},
        {"MessyHair", shipped::kHairSeatMessyHair},
        {"LongHair", shipped::kHairSeatLongHair}};
    for (const auto& [name, vertex] : kSeats)
      if (hair.name == name && std::uint32_t(vertex) <= hair.model->vertexCount() &&
          avatar_.skin.size() >= std::size_t(shipped::kWomanHairSeat)) {
        const SkinVertex& s = avatar_.skin[shipped::kWomanHairSeat - 1];
        hair.seatVertex = vertex;
        hair.seatOffset = sub(vertexOf(*hair.model, std::uint32_t(vertex)), {s.x, s.y, s.z});
      }
  } else {
    seatOnBody(hair);
  }
  return {};
}

void Accessories::removeHair() {
  if (hair) accessoryName.clear();
  hair = {};
  selection[static_cast<int>(AccessoryEntry::Hair) - 1] = false;
  selection[static_cast<int>(AccessoryEntry::Face) - 1] = false;
}

Result<void> Accessories::loadDefaultHair() {
  const KindResources* kind = kindResources(avatar_.modelName());
  if (!kind || kind->hairModel.empty()) {
    removeHair();
    return {};
  }
  return LoadHairStyle(kind->hairModel);
}

Result<bool> Accessories::RestoreDefaultHair() {
  if (!hair) return false;
  const std::string& kind = avatar_.modelName();
  if (kind == "man" || kind == " man") {
    removeHair();
    return true;
  }
  if (kind == "woman") {
    if (auto loaded = LoadHairStyle(kDefaultHairPath); !loaded) return loaded.error();
    return true;
  }
  return false;
}

// ---- worn items --------------------------------------------------------

Result<void> Accessories::LoadWornItem(std::string_view modelPath, std::string_view variant) {
  const std::string file = fullPath(modelPath);
  auto read = this->read(file, false);
  if (!read) return read.error();
  std::unique_ptr<GlmModel> model = std::move(read).value();

  if (wornItem) accessoryName.clear();
  wornItem = {};
  wornItem.path = std::string(modelPath);
  wornItem.argument = std::string(variant);
  select(AccessoryEntry::WornItem);
  accessoryName = model->modelName;
  const std::string& name = model->modelName;
  const std::string folder = folderOf(file);
  auto ownTexture = [&](int index) {
    wornItem.textureIndex = index;
    if (!model->textureMaps.empty() && !model->textureMaps.front().empty())
      wornItem.texture = textureFile(folder + std::string(fileNameOf(model->textureMaps.front())));
    else if (textureKindOf(variant) != TextureKind::None)
      // A .c3d model keeps no texture-map name: the wardrobe's entry names
      // the item's picture beside it instead.
      wornItem.texture = textureFile(folder + std::string(fileNameOf(variant)));
  };
  auto namedTexture = [&](int index, std::string_view texture) {
    wornItem.textureIndex = index;
    wornItem.texture = textureFile(folder + std::string(texture));
  };
  bool followsHead = false;
  if (name == "Glassess") {
    normaliseAccessory(*model);
    glmScaleX(*model, 0.9f);
    glmScaleY(*model, 0.84f);
    glmScaleZ(*model, 0.84f);
    if (variant == "blackframe") {
      glmTranslate(*model, 0, 3.24f, -0.14f);
    } else if (variant == "JamesRoundGlasses") {
      glmScaleX(*model, 1.080352f);
      glmTranslate(*model, 0, 3.21f, -0.22f);
    } else {
      glmTranslate(*model, 0, 3.24f, -0.2f);
    }
    followsHead = true;
  } else if (name == "womanshoe1") {
    glmScale(*model, 0.101f);
    glmScaleZ(*model, 0.99f);
    glmTranslate(*model, 0, 0.38f, -1.57f);
    wornItem.textureIndex = 1;
    wornItem.texture = textureFile(folder + std::string(fileNameOf(variant)));
  } else if (name == "watch") {
    normaliseAccessory(*model);
    rotateModel(*model, -49.0f, 0, 0, 1);
    glmScale(*model, 0.3588f);
    glmTranslate(*model, -1.64f, -1.02f, 0.02f);
    rotateModel(*model, -19.0f, 0, 1, 0);
    glmTranslate(*model, -0.24f, 0, -1.16f);
    ownTexture(6);
  } else if (name == "necklace") {
    normaliseAccessory(*model);
    glmTranslate(*model, 0, -1.82f, -0.24f);
    ownTexture(5);
    followsHead = true;
  } else if (name == "JamesShoes") {
    glmScale(*model, 22.0f);
    glmTranslate(*model, 0, -8.4f, 0);
    namedTexture(1, "JamesShoes.jpg");
  } else if (name == "mikibra" || name == "mikibra2") {
    glmScale(*model, name == "mikibra" ? 27.28f : 26.199713f);
    if (name == "mikibra")
      glmTranslate(*model, 0.62f, -8.42f, 0.42f);
    else
      glmTranslate(*model, 0.4f, -8.92f, -0.36f);
    namedTexture(2, "MSBraC1.jpg");
  } else if (name == "mikishorts" || name == "mikiboot" || name == "LHeel") {
    glmScale(*model, 28.1f);
    glmTranslate(*model, 0.62f, -8.64f, 0.38f);
    if (name == "mikishorts")
      namedTexture(3, "MSShortsC1.jpg");
    else
      namedTexture(4, "MSBootC1.jpg");
  }
  const Vec shift = fitShift(name);
  glmTranslate(*model, shift[0], shift[1], shift[2]);
  wornItem.name = name;
  wornItem.model = std::move(model);
  wornItem.placedVertices = wornItem.model->vertices;
  wornItem.version = ++versions_;
  if (followsHead) followHead(wornItem);
  // The page turns and scales the item about the middle of its box as it
  // sits now.
  wornItem.pivot = boxCentre(*wornItem.model);
  return {};
}

void Accessories::removeWornItem() {
  if (wornItem && accessoryName == wornItem.name) accessoryName.clear();
  wornItem = {};
  selection[static_cast<int>(AccessoryEntry::WornItem) - 1] = false;
}

// ---- shoes, socks and the bag ------------------------------------------

void Accessories::placeShoe(AccessorySlot& slot) {
  GlmModel& m = *slot.model;
  const std::string& name = m.modelName;
  if (name == "womanshoe1" || name == "womanshoe2") {
    glmScale(m, 0.101f);
    glmScaleZ(m, 0.99f);
    glmTranslate(m, 0, 0.38f, -1.57f);
  } else if (name == "womanshoe3") {
    glmScale(m, 0.101f);
    glmScaleZ(m, 1.01f);
    glmTranslate(m, 0, 0.36f, -1.59f);
  } else if (name == "GirlShoe") {
    glmScale(m, 0.1f);
    glmTranslate(m, 0, 0.12f, -1.02f);
  } else if (name == "ManShoe") {
    glmScale(m, 0.1f);
    glmTranslate(m, 0, 0.16f, -1.1f);
  }
  slot.placedVertices = m.vertices;
  seatOnBody(slot);
}

Result<void> Accessories::LoadShoe(std::string_view modelPath, std::string_view texturePath) {
  if (avatar_.modelName() == "woman" && !avatar_.highPose && !avatar_.bagPose) {
    removeShoes();
    return makeError(std::string(modelPath), kShoePoseRefusal);
  }
  const std::string file = fullPath(modelPath);
  auto read = this->read(file, endsWith(file, ".obj") || endsWith(file, ".OBJ"));
  if (!read) return read.error();
  if (shoe && accessoryName == shoe.name) accessoryName.clear();
  shoe = {};
  shoe.model = std::move(read).value();
  shoe.name = shoe.model->modelName;
  shoe.path = std::string(modelPath);
  shoe.argument = std::string(texturePath);
  select(AccessoryEntry::Shoe);
  placeShoe(shoe);
  shoe.bodyPointAtLoad = bodySeatPoint(shoe);
  shoe.texture = textureFile(fullPath(texturePath));
  shoe.pivot = boxCentre(*shoe.model);
  shoe.version = ++versions_;
  return {};
}

void Accessories::removeShoes() {
  if (shoe && accessoryName == shoe.name) accessoryName.clear();
  shoe = {};
  selection[static_cast<int>(AccessoryEntry::Shoe) - 1] = false;
}

Result<void> Accessories::LoadSock(std::string_view modelPath, std::string_view texturePath) {
  auto read = this->read(fullPath(modelPath), false);
  if (!read) return read.error();
  if (sock && accessoryName == sock.name) accessoryName.clear();
  sock = {};
  sock.model = std::move(read).value();
  sock.name = sock.model->modelName;
  sock.path = std::string(modelPath);
  sock.argument = std::string(texturePath);
  select(AccessoryEntry::Sock);
  if (sock.name == "sock") {
    glmScale(*sock.model, 0.1f);
    glmTranslate(*sock.model, 0, 0.16f, -1.08f);
    sock.texture = textureFile(fullPath(texturePath));
  }
  sock.placedVertices = sock.model->vertices;
  sock.bodyPointAtLoad = bodySeatPoint(sock);
  sock.pivot = boxCentre(*sock.model);
  sock.version = ++versions_;
  return {};
}

void Accessories::removeSock() {
  if (sock && accessoryName == sock.name) accessoryName.clear();
  sock = {};
  selection[static_cast<int>(AccessoryEntry::Sock) - 1] = false;
}

void Accessories::placeBag(AccessorySlot& slot) {
  // The bag is authored in centimetres, hanging as it hangs on the arm;
  // its handle's top is seated on the forearm.
  glmScale(*slot.model, 0.1f);
  slot.placedVertices = slot.model->vertices;
  seatOnBody(slot);
}

Result<void> Accessories::LoadBag(std::string_view modelPath, std::string_view texturePath) {
  if (avatar_.modelName() != "woman" || !avatar_.bagPose)
    return makeError(std::string(modelPath), kBagPoseRefusal);
  auto read = this->read(fullPath(modelPath), false);
  if (!read) return read.error();
  if (bag && accessoryName == bag.name) accessoryName.clear();
  bag = {};
  bag.model = std::move(read).value();
  bag.name = bag.model->modelName;
  bag.path = std::string(modelPath);
  bag.argument = std::string(texturePath);
  select(AccessoryEntry::Bag);
  placeBag(bag);
  bag.texture = textureFile(fullPath(texturePath));
  bag.pivot = boxCentre(*bag.model);
  bag.version = ++versions_;
  return {};
}

void Accessories::removeBag() {
  if (bag && accessoryName == bag.name) accessoryName.clear();
  bag = {};
  selection[static_cast<int>(AccessoryEntry::Bag) - 1] = false;
}

// ---- wardrobe entries ---------------------------------------------------

Result<void> Accessories::wearEntry(std::string_view entry) {
  const std::string_view base = fileNameOf(entry);
  if (base.size() <= 4 || base[base.size() - 4] != '.')
    return makeError(std::string(entry), "不是配件");
  const std::string x(base.substr(0, base.size() - 4));
  const std::string_view kind = base.substr(base.size() - 3);
  auto is = [&](std::string_view a, std::string_view b) { return kind == a || kind == b; };
  if (is("hir", "HIR")) return LoadHairStyle(std::string(kHairFolder) + x + ".c3d");
  if (is("gls", "GLS")) return LoadWornItem(std::string(kGlassesFolder) + x + ".c3d", x);
  if (!is("jpg", "JPG") && !is("tga", "TGA")) return makeError(std::string(entry), "不是配件");
  const std::string prefix = x.substr(0, 2);
  if (prefix == "Ma" && avatar_.modelName() != "man") return makeError(x, kMenOnlyRefusal);
  if (prefix == "Ba" && (avatar_.modelName() != "woman" || !avatar_.bagPose))
    return makeError(x, kBagPoseRefusal);
  const std::string model = std::string(kGlassesFolder) + x + (prefix == "Ch" ? ".obj" : ".c3d");
  const std::string texture = std::string(kGlassesFolder) + std::string(base);
  // The model's own name says where it goes.
  ModelLoader peek;
  std::int32_t tag = 0;
  auto read = prefix == "Ch" ? peek.glmReadOBJ(fullPath(model), tag)
                             : peek.glmReadC3D(fullPath(model), tag);
  if (!read) return this->read(fullPath(model), prefix == "Ch").error();
  const std::string name = read.value()->modelName;
  if (name == "womanshoe1" || name == "womanshoe2" || name == "womanshoe3" || name == "GirlShoe" ||
      name == "ManShoe")
    return LoadShoe(model, texture);
  if (name == "sock") return LoadSock(model, texture);
  if (name == "Bag") return LoadBag(model, texture);
  return LoadWornItem(model, std::string(base));
}

// ---- following the body -------------------------------------------------

void Accessories::reseat() {
  // Hair and worn item: placed again as loaded, then carried by the head
  // (or seated again on the girl's and the men's heads).
  auto fromPlaced = [](AccessorySlot& slot) {
    if (slot && slot.placedVertices.size() == slot.model->vertices.size())
      slot.model->vertices = slot.placedVertices;
  };
  if (hair) {
    fromPlaced(hair);
    if (avatar_.modelName() == "woman")
      followHead(hair);
    else
      seatOnBody(hair);
    ++hair.version;
  }
  if (wornItem && (wornItem.name == "Glassess" || wornItem.name == "necklace")) {
    const Vec before = boxCentre(*wornItem.model);
    fromPlaced(wornItem);
    followHead(wornItem);
    const Vec after = boxCentre(*wornItem.model);
    wornItem.pivot = add(wornItem.pivot, sub(after, before));
    ++wornItem.version;
  }
  // Shoes, socks and the bag keep their seats: a seated model by its seat
  // vertex, the others by the body point under them.
  for (AccessorySlot* slot : {&shoe, &sock, &bag}) {
    if (!*slot) continue;
    const Vec before = boxCentre(*slot->model);
    if (seatRule(slot->model->modelName)) {
      seatOnBody(*slot);
    } else {
      const Vec now = bodySeatPoint(*slot);
      const Vec d = sub(now, slot->bodyPointAtLoad);
      glmTranslate(*slot->model, d[0], d[1], d[2]);
      slot->bodyPointAtLoad = now;
    }
    slot->pivot = add(slot->pivot, sub(boxCentre(*slot->model), before));
    ++slot->version;
  }
}

// ---- the accessory page -------------------------------------------------

bool Accessories::transformSelected(float dx, float dy, float dz, float ratio,
                                    const std::array<float, 3>& axis, float da, bool turn) {
  bool moved = false;
  const std::pair<AccessoryEntry, AccessorySlot*> slots[] = {{AccessoryEntry::WornItem, &wornItem},
                                                             {AccessoryEntry::Shoe, &shoe},
                                                             {AccessoryEntry::Bag, &bag},
                                                             {AccessoryEntry::Sock, &sock}};
  for (const auto& [entry, slot] : slots)
    if (selected(entry) && *slot) {
      TransformAccessory(*slot, dx, dy, dz, ratio, axis, da, turn);
      keepPageEdit(*slot);
      moved = true;
    }
  return moved;
}

void Accessories::keepPageEdit(AccessorySlot& slot) {
  // A seated model keeps where the page put it from its seat point.
  if (slot.seatVertex > 0 && std::uint32_t(slot.seatVertex) <= slot.model->vertexCount()) {
    slot.seatOffset =
        sub(vertexOf(*slot.model, std::uint32_t(slot.seatVertex)), bodySeatPoint(slot));
    return;
  }
  // A model carried by the head: its placed vertices become the edited
  // model taken back to the head as it was when the body was loaded.
  if (slot.placedVertices.size() != slot.model->vertices.size()) return;
  slot.placedVertices = slot.model->vertices;
  if (const auto motion = headMotionNow()) {
    for (std::size_t i = 3; i + 2 < slot.placedVertices.size(); i += 3) {
      const Vec q = motion->undo(
          {slot.placedVertices[i], slot.placedVertices[i + 1], slot.placedVertices[i + 2]});
      for (int k = 0; k < 3; ++k) slot.placedVertices[i + std::size_t(k)] = q[std::size_t(k)];
    }
  }
}

void Accessories::TransformAccessory(AccessorySlot& slot, float dx, float dy, float dz, float ratio,
                                     const std::array<float, 3>& axis, float da, bool turn) const {
  if (!slot) return;
  GlmModel& model = *slot.model;
  // Which vertices: the whole model when it is the accessory named last or
  // the one its slot was loaded as, else the groups that share the first two
  // letters of the name.
  std::vector<std::uint8_t> chosen(std::size_t(model.vertexCount()) + 1, 0);
  if (model.modelName == accessoryName || (!slot.name.empty() && model.modelName == slot.name)) {
    std::fill(chosen.begin() + 1, chosen.end(), std::uint8_t{1});
  } else {
    const std::string_view prefix = std::string_view(accessoryName).substr(0, 2);
    for (const GlmGroup& g : model.groups) {
      // Group names keep the blank they were read with: the letters after it count.
      std::string_view name = g.name;
      if (!name.empty() && name.front() == ' ') name.remove_prefix(1);
      if (prefix.empty() || name.substr(0, prefix.size()) != prefix) continue;
      for (std::uint32_t t : g.triangles)
        if (t < model.triangles.size())
          for (std::uint32_t v : model.triangles[t].vindices)
            if (v < chosen.size()) chosen[v] = 1;
    }
  }
  // The pivot goes with the move, so that a moved accessory still turns
  // and scales about its own middle.
  slot.pivot = add(slot.pivot, {dx, dy, dz});
  const Vec c = slot.pivot;
  const float angle = axis[0] != 0 ? da : -da;
  const Mat4 r = Mat4::rotation(angle, axis[0], axis[1], axis[2]);
  const Vec rc = r.transformPoint(c);
  for (std::uint32_t v = 1; v <= model.vertexCount(); ++v) {
    if (!chosen[v]) continue;
    float* p = model.vertex(v);
    Vec q{p[0] + dx, p[1] + dy, p[2] + dz};
    if (ratio > 0)
      for (int k = 0; k < 3; ++k) q[k] = ratio * q[k] + (c[k] - ratio * c[k]);
    if (turn) q = add(r.transformPoint(q), sub(c, rc));
    p[0] = q[0], p[1] = q[1], p[2] = q[2];
  }
  ++slot.version;
}

}  // namespace vestora
