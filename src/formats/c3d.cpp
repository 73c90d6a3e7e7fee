// The binary model file (.c3d): a straight dump of one GlmModel with its
// groups, then the avatar blocks. Little-endian, no header, no padding; the
// length of the file is implied by its counts.
#include <cmath>
#include <cstring>

#include "formats/model_loader.h"
#include "platform/byte_io.h"

namespace vestora {
namespace {

constexpr std::size_t kRawMaterialSize = 76;
constexpr std::size_t kTriangleSize = sizeof(GlmTriangle);
constexpr std::string_view kWoman = "woman";
constexpr std::string_view kStopGroup = " default";

std::string itemError(std::string_view item) {
  return "file ends inside " + std::string(item) + " (truncated or damaged)";
}

// Checks the corner numbers of one triangle against the model's arrays.
bool triangleInRange(const GlmTriangle& t, std::uint32_t v, std::uint32_t n, std::uint32_t tc,
                     std::uint32_t f) {
  for (int c = 0; c < 3; ++c) {
    if (t.vindices[c] == 0 || t.vindices[c] > v) return false;
    if (t.nindices[c] > n || t.tindices[c] > tc) return false;
  }
  return t.findex <= f;
}

std::string triangleError(const char* where, std::size_t index) {
  return std::string(where) + " " + std::to_string(index) +
         " names a vertex, normal or texture coordinate that the model does not have";
}

// Bytes one group record takes at least, given the model counts.
std::uint64_t minGroupBytes(std::uint64_t v, std::uint64_t n, std::uint64_t t) {
  return kGlmNameField + 4 + 4 + (n + 1) * 12 + 4 + (t + 1) * 8 + 4 + (v + 1) * 4 + 4 + 4;
}

struct Counts {
  std::uint32_t v = 0, n = 0, t = 0, f = 0, r = 0, m = 0;
};

// Reads one group record; `what` receives the reason on failure.
bool readGroup(ByteReader& in, const Counts& c, GlmGroup& g, std::string& what) {
  if (!in.text(kGlmNameField, g.name))
    return what = in.failed() ? itemError("a group") : "a group name is not terminated", false;
  std::uint32_t count = 0;
  if (!in.u32(g.material)) return what = itemError("a group"), false;
  if (g.material >= std::max<std::uint32_t>(c.m, 1))
    return what = "group \"" + g.name + "\" names material " + std::to_string(g.material) +
                  " of " + std::to_string(c.m),
           false;

  // Per-group arrays are stored at full capacity; only `count` entries carry data.
  auto capacityBlock = [&](std::uint64_t capacity, std::size_t width, std::vector<float>& out) {
    if (!in.u32(count) || count > capacity || !in.has(capacity * width, 4)) return false;
    std::vector<float> all(capacity * width);
    in.f32s(all.data(), all.size());
    out.assign(all.begin(), all.begin() + count * width);
    return true;
  };
  if (!capacityBlock(std::uint64_t(c.n) + 1, 3, g.normals))
    return what = "group \"" + g.name + "\": bad normal block", false;
  if (!capacityBlock(std::uint64_t(c.t) + 1, 2, g.texcoords))
    return what = "group \"" + g.name + "\": bad texture-coordinate block", false;

  const std::uint64_t vCapacity = std::uint64_t(c.v) + 1;
  if (!in.u32(count) || count > vCapacity || !in.has(vCapacity, 4))
    return what = "group \"" + g.name + "\": bad vertex-number block", false;
  std::vector<std::uint32_t> numbers(vCapacity);
  in.u32s(numbers.data(), numbers.size());
  g.vertexNumbers.assign(numbers.begin(), numbers.begin() + count);
  for (std::uint32_t number : g.vertexNumbers)
    if (number > c.v) return what = "group \"" + g.name + "\" names vertex " +
                                    std::to_string(number) + " of " + std::to_string(c.v),
                      false;

  std::uint32_t r = 0;
  if (!in.u32(r) || !in.has(r, 4 + kTriangleSize))
    return what = "group \"" + g.name + "\": triangle count runs past the end of the file", false;
  g.triangles.resize(r);
  in.u32s(g.triangles.data(), r);
  for (std::uint32_t index : g.triangles)
    if (index >= c.r) return what = "group \"" + g.name + "\" names triangle " +
                                    std::to_string(index) + " of " + std::to_string(c.r),
                      false;
  g.triangleCopies.resize(r);
  in.raw(g.triangleCopies.data(), r * kTriangleSize);
  for (std::size_t i = 0; i < r; ++i)
    if (!triangleInRange(g.triangleCopies[i], c.v, c.n, c.t, c.f))
      return what = "group \"" + g.name + "\": " + triangleError("triangle copy", i), false;

  std::uint32_t k = 0;
  if (!in.u32(k)) return what = itemError("a group's run count"), false;
  if (k > kGlmMaxMaterialRuns)
    return what = "group \"" + g.name + "\" has " + std::to_string(k) +
                  " material runs (at most 200)",
           false;
  if (!in.has(k, kGlmNameField + 8)) return what = itemError("a group's material runs"), false;
  g.runs.resize(k);
  for (std::uint32_t i = 0; i < k; ++i) {
    auto& run = g.runs[i];
    if (!in.text(kGlmNameField, run.material))
      return what = "a material run name is not terminated", false;
    in.u32(run.first);
    in.u32(run.end);
  }
  // A run ends where the next one starts: the stored end of every run but
  // the last is superseded by its successor's start.
  for (std::uint32_t i = 0; i + 1 < k; ++i) g.runs[i].end = g.runs[i + 1].first;
  for (const auto& run : g.runs)
    if (run.first > run.end || run.end > r)
      return what = "group \"" + g.name + "\" has a material run outside its triangles", false;
  return true;
}

}  // namespace

Result<std::unique_ptr<GlmModel>> ModelLoader::readC3D(Bytes data, const std::string& source,
                                                       std::int32_t& modelTag) {
  warnings.clear();
  ByteReader in(data);
  auto model = std::make_unique<GlmModel>();
  Counts c;
  std::int32_t tag = 0;

  // A count and its 1-based array of count + 1 entries.
  auto oneBased = [&](std::uint32_t& count, std::size_t width, std::vector<float>& out) {
    if (!in.u32(count) || !in.has(std::uint64_t(count) + 1, width * 4)) return false;
    out.resize((std::size_t(count) + 1) * width);
    in.f32s(out.data(), out.size());
    return true;
  };

  if (!in.i32(tag)) return makeError(source, "file is empty or too short to be a model");
  if (!oneBased(c.v, 3, model->vertices))
    return makeError(source, "vertex count runs past the end of the file");
  if (!oneBased(c.n, 3, model->normals))
    return makeError(source, "normal count runs past the end of the file");
  if (!oneBased(c.t, 2, model->texcoords))
    return makeError(source, "texture-coordinate count runs past the end of the file");
  if (!in.u32(c.f)) return makeError(source, itemError("the facet normals"));
  if (c.f > 0) {
    if (!in.has(std::uint64_t(c.f) + 1, 12))
      return makeError(source, "facet-normal count runs past the end of the file");
    model->facetnorms.resize((std::size_t(c.f) + 1) * 3);
    in.f32s(model->facetnorms.data(), model->facetnorms.size());
  }
  for (std::uint32_t i = 1; i <= c.v; ++i)
    for (int k = 0; k < 3; ++k)
      if (!std::isfinite(model->vertex(i)[k]))
        return makeError(source, "vertex " + std::to_string(i) + " is not a finite number");

  if (!in.u32(c.r) || !in.has(c.r, kTriangleSize))
    return makeError(source, "triangle count runs past the end of the file");
  model->triangles.resize(c.r);
  in.raw(model->triangles.data(), std::size_t(c.r) * kTriangleSize);
  for (std::size_t i = 0; i < c.r; ++i)
    if (!triangleInRange(model->triangles[i], c.v, c.n, c.t, c.f))
      return makeError(source, triangleError("triangle", i));

  if (!in.text(kGlmNameField, model->mtllibname))
    return makeError(source, in.failed() ? itemError("the material-library name")
                                         : "material-library name is not terminated");
  if (!in.u32(c.m) || !in.has(c.m, kRawMaterialSize + kGlmNameField))
    return makeError(source, "material count runs past the end of the file");
  model->materials.resize(c.m);
  for (auto& mat : model->materials) {
    std::uint32_t nameHandle = 0;  // a pointer when the file was made; meaningless here
    in.u32(nameHandle);
    in.f32s(mat.diffuse.data(), 4);
    in.f32s(mat.ambient.data(), 4);
    in.f32s(mat.specular.data(), 4);
    in.f32s(mat.emissive.data(), 4);
    in.f32(mat.shininess);
    in.u32(mat.reserved);
  }
  for (auto& mat : model->materials)
    if (!in.text(kGlmNameField, mat.name))
      return makeError(source, "a material name is not terminated");

  if (!in.text(kGlmNameField, model->modelName))
    return makeError(source, in.failed() ? itemError("the model name")
                                         : "model name is not terminated");
  std::uint32_t groupCount = 0;
  if (!in.u32(groupCount) || !in.has(groupCount, minGroupBytes(c.v, c.n, c.t)))
    return makeError(source, "group count runs past the end of the file");
  for (std::uint32_t i = 0; i < groupCount; ++i) {
    // Groups are stored oldest first; putting each at the head rebuilds the list.
    GlmGroup& group = model->groups.emplace_front();
    std::string what;
    if (!readGroup(in, c, group, what))
      return makeError(source, "group " + std::to_string(i) + ": " + what);
  }

  std::vector<float> low, mid;
  const bool woman = model->modelName == kWoman;
  if (woman) {
    const std::size_t n = (std::size_t(c.v) + 1) * 3;
    if (!in.has(2 * n, 4)) return makeError(source, itemError("the weight levels of the body"));
    low.resize(n);
    mid.resize(n);
    in.f32s(low.data(), n);
    in.f32s(mid.data(), n);
  }
  std::array<float, 9> anchor{};
  if (!in.f32s(anchor.data(), anchor.size())) return makeError(source, itemError("the head anchor"));
  if (in.remaining() > 0)
    warnings.push_back(source + ": " + std::to_string(in.remaining()) +
                       " bytes after the end of the model were ignored");

  // The file is good: only now does the loader take its avatar data.
  if (woman) {
    lowShape = std::move(low);
    midShape = std::move(mid);
  }
  headAnchor = anchor;
  // A binary model carries no normalisation switch; one left by an earlier
  // OBJ source must not keep a later body from being normalised.
  normaliseSwitch = -1;
  modelTag = tag;
  return model;
}

Result<std::unique_ptr<GlmModel>> ModelLoader::glmReadC3D(const std::string& path,
                                                          std::int32_t& modelTag) {
  auto bytes = readFileBytes(path);
  if (!bytes) return bytes.error();
  return readC3D(bytes.value(), path, modelTag);
}

namespace {

Result<void> checkWritable(const GlmModel& m, const std::vector<float>& low,
                           const std::vector<float>& mid) {
  const std::uint32_t v = m.vertexCount(), n = m.normalCount(), t = m.texcoordCount(),
                      f = m.facetNormalCount();
  const std::string source = m.pathname.empty() ? "model" : m.pathname;
  for (std::size_t i = 0; i < m.triangles.size(); ++i)
    if (!triangleInRange(m.triangles[i], v, n, t, f))
      return makeError(source, triangleError("triangle", i));
  for (const auto& g : m.groups) {
    if (g.normals.size() > (std::size_t(n) + 1) * 3 || g.texcoords.size() > (std::size_t(t) + 1) * 2 ||
        g.vertexNumbers.size() > std::size_t(v) + 1)
      return makeError(source, "group \"" + g.name + "\" holds more entries than the model");
    if (g.triangleCopies.size() != g.triangles.size())
      return makeError(source, "group \"" + g.name + "\" lacks copies of its triangles");
    if (g.runs.size() > kGlmMaxMaterialRuns)
      return makeError(source, "group \"" + g.name + "\" has more than 200 material runs");
    for (auto index : g.triangles)
      if (index >= m.triangles.size())
        return makeError(source, "group \"" + g.name + "\" names a triangle the model lacks");
  }
  if (m.modelName == kWoman) {
    const std::size_t expect = (std::size_t(v) + 1) * 3;
    if (low.size() != expect || mid.size() != expect)
      return makeError(source, "the body's low and middle weight levels do not match its " +
                                   std::to_string(v) + " vertices");
  }
  return {};
}

void writeGroup(ByteWriter& out, const GlmModel& m, const GlmGroup& g) {
  const std::size_t v = m.vertexCount(), n = m.normalCount(), t = m.texcoordCount();
  out.text(g.name, kGlmNameField);
  out.u32(g.material);
  out.u32(static_cast<std::uint32_t>(g.normals.size() / 3));
  out.f32s(g.normals.data(), g.normals.size());
  out.zeros(((n + 1) * 3 - g.normals.size()) * 4);
  out.u32(static_cast<std::uint32_t>(g.texcoords.size() / 2));
  out.f32s(g.texcoords.data(), g.texcoords.size());
  out.zeros(((t + 1) * 2 - g.texcoords.size()) * 4);
  out.u32(static_cast<std::uint32_t>(g.vertexNumbers.size()));
  out.u32s(g.vertexNumbers.data(), g.vertexNumbers.size());
  out.zeros((v + 1 - g.vertexNumbers.size()) * 4);
  out.u32(g.triangleCount());
  out.u32s(g.triangles.data(), g.triangles.size());
  out.raw(g.triangleCopies.data(), g.triangleCopies.size() * kTriangleSize);
  out.u32(static_cast<std::uint32_t>(g.runs.size()));
  for (const auto& run : g.runs) {
    out.text(run.material, kGlmNameField);
    out.u32(run.first);
    out.u32(run.end);
  }
}

}  // namespace

Result<std::vector<std::uint8_t>> ModelLoader::encodeC3D(const GlmModel& m,
                                                         std::int32_t modelTag) const {
  if (auto ok = checkWritable(m, lowShape, midShape); !ok) return ok.error();
  ByteWriter out;
  out.reserve(64 + 4 * (m.vertices.size() + m.normals.size() + m.texcoords.size() +
                        m.facetnorms.size()) + kTriangleSize * m.triangles.size());
  out.i32(modelTag);
  out.u32(m.vertexCount());
  out.f32s(m.vertices.data(), (std::size_t(m.vertexCount()) + 1) * 3);
  out.u32(m.normalCount());
  out.f32s(m.normals.data(), m.normals.size());
  if (m.normals.empty()) out.zeros(12);
  out.u32(m.texcoordCount());
  out.f32s(m.texcoords.data(), m.texcoords.size());
  if (m.texcoords.empty()) out.zeros(8);
  out.u32(m.facetNormalCount());
  if (m.facetNormalCount() > 0) out.f32s(m.facetnorms.data(), (m.facetNormalCount() + 1) * 3);
  out.u32(m.triangleCount());
  out.raw(m.triangles.data(), m.triangles.size() * kTriangleSize);

  out.text(m.mtllibname, kGlmNameField);
  out.u32(static_cast<std::uint32_t>(m.materials.size()));
  for (const auto& mat : m.materials) {
    out.u32(0);  // name handle: meaningless on disk
    out.f32s(mat.diffuse.data(), 4);
    out.f32s(mat.ambient.data(), 4);
    out.f32s(mat.specular.data(), 4);
    out.f32s(mat.emissive.data(), 4);
    out.f32(mat.shininess);
    out.u32(mat.reserved);
  }
  for (const auto& mat : m.materials) out.text(mat.name, kGlmNameField);
  out.text(m.modelName, kGlmNameField);

  // From the head (newest) down to the first " default" group, not included.
  std::vector<const GlmGroup*> stored;
  for (const auto& g : m.groups) {
    if (g.name == kStopGroup) break;
    stored.push_back(&g);
  }
  out.u32(static_cast<std::uint32_t>(stored.size()));
  for (auto it = stored.rbegin(); it != stored.rend(); ++it) writeGroup(out, m, **it);

  if (m.modelName == kWoman) {
    out.f32s(lowShape.data(), lowShape.size());
    out.f32s(midShape.data(), midShape.size());
  }
  out.f32s(headAnchor.data(), headAnchor.size());
  return std::move(out.bytes());
}

Result<void> ModelLoader::glmWriteC3D(const std::string& path, const GlmModel& model,
                                      std::int32_t modelTag) const {
  auto bytes = encodeC3D(model, modelTag);
  if (!bytes) {
    Error e = bytes.error();
    e.source = path;
    return e;
  }
  return writeFileAtomically(path, bytes.value());
}

Result<void> ModelLoader::exportAvatarC3D(const std::string& path, const GlmModel& model,
                                          const std::array<float, 3>& centre, float scale,
                                          std::int32_t modelTag) const {
  if (!(scale > 0.0f) || !std::isfinite(scale))
    return makeError(path, "the body has no valid unit scale to undo");
  GlmModel authored = model;
  for (std::uint32_t i = 1; i <= authored.vertexCount(); ++i) {
    float* v = authored.vertex(i);
    v[0] = v[0] / scale + centre[0] + 0.089f;
    v[1] = v[1] / scale + centre[1];
    v[2] = v[2] / scale + centre[2];
  }
  return glmWriteC3D(path, authored, modelTag);
}

}  // namespace vestora
