// Wavefront OBJ sources with the program's own avatar statements, read in
// two passes: the first counts and creates the groups, the second fills.
#include <cmath>

#include "formats/model_loader.h"
#include "platform/data_path.h"
#include "platform/text_scan.h"

namespace vestora {

FileFetcher diskFetcher() {
  return [](const std::string& path) { return readFileText(path); };
}

namespace {

enum class FaceForm { Vertex, VertexTexture, VertexNormal, VertexTextureNormal };

struct Corner {
  long v = 0, t = 0, n = 0;
};

FaceForm formOf(std::string_view corner) {
  const auto slash = corner.find('/');
  if (slash == std::string_view::npos) return FaceForm::Vertex;
  if (slash + 1 < corner.size() && corner[slash + 1] == '/') return FaceForm::VertexNormal;
  return corner.find('/', slash + 1) == std::string_view::npos ? FaceForm::VertexTexture
                                                               : FaceForm::VertexTextureNormal;
}

bool parseIndex(std::string_view s, long& out) {
  int value = 0;
  if (!parseInt(s, value)) return false;
  out = value;
  return true;
}

// One corner in the face's form ("%d", "%d/%d", "%d//%d" or "%d/%d/%d").
bool parseCorner(std::string_view s, FaceForm form, Corner& c) {
  if (formOf(s) != form) return false;
  const auto a = s.find('/');
  switch (form) {
    case FaceForm::Vertex:
      return parseIndex(s, c.v);
    case FaceForm::VertexTexture:
      return parseIndex(s.substr(0, a), c.v) && parseIndex(s.substr(a + 1), c.t);
    case FaceForm::VertexNormal:
      return parseIndex(s.substr(0, a), c.v) && parseIndex(s.substr(a + 2), c.n);
    case FaceForm::VertexTextureNormal: {
      const auto b = s.find('/', a + 1);
      return parseIndex(s.substr(0, a), c.v) && parseIndex(s.substr(a + 1, b - a - 1), c.t) &&
             parseIndex(s.substr(b + 1), c.n);
    }
  }
  return false;
}

// The corners of a face line (the text after "f"); empty with `error` set
// when a corner cannot be read.
std::vector<Corner> parseFace(std::string_view rest, std::string& error) {
  std::vector<Corner> corners;
  FaceForm form = FaceForm::Vertex;
  std::string_view word;
  while (!(word = firstWord(rest, &rest)).empty()) {
    if (corners.empty()) form = formOf(word);
    Corner c;
    if (!parseCorner(word, form, c)) {
      error = "face corner \"" + std::string(word) + "\" is not a number or does not match the "
              "form of the face's first corner";
      return {};
    }
    if (c.v < 0 || c.t < 0 || c.n < 0) {
      error = "face corner \"" + std::string(word) + "\" uses a negative (relative) index";
      return {};
    }
    corners.push_back(c);
  }
  return corners;
}

bool readFloats(std::string_view rest, float* out, int n) {
  TextScanner scan(rest);
  for (int i = 0; i < n; ++i)
    if (!scan.readFloat(out[i])) return false;
  return true;
}

// Counts of the first pass.
struct ObjCounts {
  std::uint32_t vertices = 0, normals = 0, texcoords = 0, triangles = 0;
};

// What a 128-byte name field of a binary model keeps of a name: at most 127
// characters, and nothing from a zero byte on. Names are stored this way when
// read, so that a model saved and loaded again has the names it had.
std::string fieldText(std::string_view name) {
  name = name.substr(0, name.find('\0'));
  return std::string(name.substr(0, kGlmMaxNameLength));
}

// A group line names its group by the rest of the line, leading blank kept:
// "g head" gives " head".
std::string groupName(std::string_view rest) {
  return fieldText(rest);
}

// Only the "v" lines of a source, in order, into entries 1, 2, 3 … of `out`.
void readVertexLines(std::string_view text, std::vector<float>& out, const std::string& path,
                     std::vector<std::string>& warnings) {
  const std::size_t capacity = out.size() / 3 - 1;
  std::size_t filled = 0;
  bool tooMany = false;
  LineReader lines(text);
  std::string_view line;
  while (lines.next(line)) {
    std::string_view rest;
    if (firstWord(line, &rest) != "v") continue;
    if (filled == capacity) {
      tooMany = true;
      break;
    }
    float xyz[3];
    if (!readFloats(rest, xyz, 3)) {
      warnings.push_back(path + ":" + std::to_string(lines.lineNumber()) +
                         ": vertex line without three numbers; reading stopped");
      return;
    }
    ++filled;
    std::copy(xyz, xyz + 3, &out[3 * filled]);
  }
  if (tooMany || filled < capacity)
    warnings.push_back(path + ": holds " + (tooMany ? "more" : "fewer") + " vertices than the body (" +
                       std::to_string(capacity) + ")");
}

}  // namespace

Result<std::unique_ptr<GlmModel>> ModelLoader::readOBJ(std::string_view text,
                                                       const std::string& path,
                                                       const FileFetcher& fetch,
                                                       std::int32_t& modelTag) {
  warnings.clear();
  auto model = std::make_unique<GlmModel>();
  model->pathname = path;
  auto fail = [&](int line, std::string what) { return makeError(path, std::move(what), line); };

  // ---- first pass: count, create groups, read the material library ----
  ObjCounts counts;
  glmAddGroup(*model, "default");
  std::string faceError;
  LineReader lines(text);
  std::string_view line;
  while (lines.next(line)) {
    std::string_view rest;
    const std::string_view token = firstWord(line, &rest);
    if (token.empty() || token[0] == '#') continue;
    switch (token[0]) {
      case 'v':
        if (token.size() == 1) ++counts.vertices;
        else if (token[1] == 'n') ++counts.normals;
        else if (token[1] == 't') ++counts.texcoords;
        else
          return fail(lines.lineNumber(),
                      "glmFirstPass(): Unknown token \"" + std::string(token) + "\".");
        break;
      case 'f': {
        const auto corners = parseFace(rest, faceError);
        if (!faceError.empty()) return fail(lines.lineNumber(), faceError);
        if (corners.size() >= 3) counts.triangles += static_cast<std::uint32_t>(corners.size() - 2);
        break;
      }
      case 'g':
        if (rest.size() > kGlmMaxNameLength)
          warnings.push_back(path + ":" + std::to_string(lines.lineNumber()) +
                             ": group name cut to 127 characters");
        glmAddGroup(*model, groupName(rest));
        break;
      case 'm': {
        model->mtllibname = fieldText(firstWord(rest));
        if (auto ok = glmReadMTL(*model, model->mtllibname, fetch); !ok) return ok.error();
        break;
      }
      default:
        break;
    }
  }

  model->setVertexCount(counts.vertices);
  model->setNormalCount(counts.normals);
  model->setTexcoordCount(counts.texcoords);
  model->triangles.reserve(counts.triangles);

  // ---- second pass: fill ----
  std::int32_t tag = modelTag;
  int level = -1;
  int normalise = -1;
  std::array<std::vector<int>, 4> marks;
  std::uint32_t nv = 0, nn = 0, nt = 0;
  std::uint32_t material = 0;
  GlmGroup* current = glmFindGroup(*model, "default");
  lines.rewind();
  while (lines.next(line)) {
    const int at = lines.lineNumber();
    std::string_view rest;
    const std::string_view token = firstWord(line, &rest);
    if (token.empty() || token[0] == '#') continue;
    switch (token[0]) {
      case 'v': {
        float xyz[3] = {0, 0, 0};
        if (token.size() == 1) {
          if (!readFloats(rest, xyz, 3)) return fail(at, "vertex line without three numbers");
          for (float c : xyz)
            if (!std::isfinite(c)) return fail(at, "vertex coordinate is not a finite number");
          ++nv;
          std::copy(xyz, xyz + 3, model->vertex(nv));
          current->vertexNumbers.push_back(nv);
        } else if (token[1] == 'n') {
          if (!readFloats(rest, xyz, 3)) return fail(at, "normal line without three numbers");
          ++nn;
          std::copy(xyz, xyz + 3, &model->normals[3 * nn]);
          current->normals.insert(current->normals.end(), xyz, xyz + 3);
        } else {
          if (!readFloats(rest, xyz, 2))
            return fail(at, "texture-coordinate line without two numbers");
          ++nt;
          std::copy(xyz, xyz + 2, &model->texcoords[2 * nt]);
          current->texcoords.insert(current->texcoords.end(), xyz, xyz + 2);
        }
        break;
      }
      case 'u': {
        const std::string name = fieldText(firstWord(rest));
        material = glmFindMaterial(*model, name, &warnings);
        current->material = material;
        if (current->runs.size() == kGlmMaxMaterialRuns)
          return fail(at, "group \"" + current->name + "\" switches material more than 200 times");
        const auto start = current->triangleCount();
        current->runs.push_back({name, start, start});
        break;
      }
      case 'g':
        current = glmFindGroup(*model, groupName(rest));
        current->material = material;
        break;
      case 'f': {
        const auto corners = parseFace(rest, faceError);
        if (corners.size() < 3) {
          warnings.push_back(path + ":" + std::to_string(at) +
                             ": face with fewer than three corners ignored");
          break;
        }
        for (const Corner& c : corners)
          if (c.v == 0 || c.v > long(counts.vertices) || c.n > long(counts.normals) ||
              c.t > long(counts.texcoords))
            return fail(at, "face names a vertex, normal or texture coordinate that the file "
                            "does not have");
        for (std::size_t k = 2; k < corners.size(); ++k) {
          const Corner* fan[3] = {&corners[0], &corners[k - 1], &corners[k]};
          GlmTriangle t;
          for (int i = 0; i < 3; ++i) {
            t.vindices[i] = static_cast<std::uint32_t>(fan[i]->v);
            t.tindices[i] = static_cast<std::uint32_t>(fan[i]->t);
            t.nindices[i] = static_cast<std::uint32_t>(fan[i]->n);
          }
          current->triangles.push_back(model->triangleCount());
          current->triangleCopies.push_back(t);
          model->triangles.push_back(t);
          if (!current->runs.empty()) current->runs.back().end = current->triangleCount();
        }
        break;
      }
      case 'L':
        if (token.size() == 1) {
          TextScanner scan(rest);
          int values[4];
          for (int& v : values)
            if (!scan.readInt(v)) return fail(at, "landmark line without four numbers");
          for (int i = 0; i < 4; ++i) {
            if (marks[i].size() == kLandmarkListCapacity) {
              warnings.push_back(path + ":" + std::to_string(at) +
                                 ": more than 10 landmark lines; this one ignored");
              break;
            }
            marks[i].push_back(values[i]);
          }
        }
        break;
      case 'h':
      case 'i':
        if (token.size() == 1) {
          TextScanner scan(rest);
          int value = 0;
          if (!scan.readInt(value)) return fail(at, "\"" + std::string(token) + "\" line without a number");
          (token[0] == 'h' ? level : normalise) = value;
        }
        break;
      case 'p': {
        TextScanner scan(rest);
        int value = 0;
        if (!scan.readInt(value)) return fail(at, "\"p\" line without a number");
        tag = value;
        break;
      }
      default:
        break;
    }
  }

  // ---- the other weight level of a female body ----
  std::vector<float> low, mid;
  const bool woman = model->modelName == "woman";
  if (woman) {
    low.assign(model->vertices.size(), 0.0f);
    mid.assign(model->vertices.size(), 0.0f);
    if (level == 0 || level == 1) {
      (level == 0 ? low : mid) = model->vertices;
      const std::string other =
          std::string(folderOf(path)) + (level == 0 ? "nv_Mid.obj" : "nv_Low.obj");
      auto otherText = fetch(other);
      if (otherText)
        readVertexLines(otherText.value(), level == 0 ? mid : low, other, warnings);
      else
        warnings.push_back(otherText.error().message() + " (the weight level stays empty)");
    }
  }

  // Only a complete read changes the loader.
  normaliseSwitch = normalise;
  landmarks = std::move(marks);
  if (woman) {
    shapeLevel = level;
    lowShape = std::move(low);
    midShape = std::move(mid);
  }
  modelTag = tag;
  return model;
}

Result<std::unique_ptr<GlmModel>> ModelLoader::glmReadOBJ(const std::string& path,
                                                          std::int32_t& modelTag) {
  auto text = readFileText(path);
  if (!text)
    return makeError(path, "glmReadOBJ() failed: can't open data file \"" + path + "\" (" +
                               text.error().what + ")");
  return readOBJ(text.value(), path, diskFetcher(), modelTag);
}

Result<void> ModelLoader::glmReadMTL(GlmModel& model, const std::string& name,
                                     const FileFetcher& fetch) {
  const std::string path = std::string(folderOf(model.pathname)) + name;
  auto text = fetch(path);
  if (!text)
    return makeError(path, "glmReadMTL() failed: can't open material file \"" + path + "\" (" +
                               text.error().what + ")");
  std::vector<std::string> found;
  parseMTL(model, text.value(), found);
  for (auto& w : found) warnings.push_back(path + ": " + w);
  return {};
}

void parseMTL(GlmModel& model, std::string_view text, std::vector<std::string>& warnings) {
  LineReader lines(text);
  std::string_view line;
  std::size_t count = 1;
  while (lines.next(line)) {
    const auto token = firstWord(line);
    if (!token.empty() && token[0] == 'n') ++count;
  }
  model.materials.assign(count, GlmMaterial{});
  model.materials[0].name = "default";
  model.textureMaps.clear();

  std::size_t current = 0;
  auto where = [&] { return "line " + std::to_string(lines.lineNumber()) + ": "; };
  lines.rewind();
  while (lines.next(line)) {
    std::string_view rest;
    const std::string_view token = firstWord(line, &rest);
    if (token.empty() || token[0] == '#') continue;
    GlmMaterial& mat = model.materials[current];
    switch (token[0]) {
      case 'K': {
        std::array<float, 4>* target = nullptr;
        if (token.size() > 1 && token[1] == 'a') target = &mat.ambient;
        if (token.size() > 1 && token[1] == 'd') target = &mat.diffuse;
        if (token.size() > 1 && token[1] == 's') target = &mat.specular;
        if (!target) break;
        float rgb[3];
        if (!readFloats(rest, rgb, 3)) {
          warnings.push_back(where() + "colour without three numbers ignored");
          break;
        }
        std::copy(rgb, rgb + 3, target->begin());
        break;
      }
      case 'N': {
        // Only "Ns" is the shininess exponent (0 to 1000); "Ni" and the like are not.
        if (token.size() < 2 || token[1] != 's') break;
        float ns = 0;
        if (!readFloats(rest, &ns, 1)) {
          warnings.push_back(where() + "shininess without a number ignored");
          break;
        }
        mat.shininess = ns / 1000.0f * 128.0f;
        break;
      }
      case 'm':
        if (model.textureMaps.size() == 2) {
          warnings.push_back(where() + "more than two texture maps; this one ignored");
          break;
        }
        model.textureMaps.emplace_back(firstWord(rest));
        break;
      case 'n':
      case 't':
        if (current + 1 >= model.materials.size()) {
          warnings.push_back(where() + "no material record left; statement ignored");
          break;
        }
        ++current;
        if (token[0] == 'n')
          model.materials[current].name = fieldText(firstWord(rest));
        break;
      case 'o':
        model.modelName = fieldText(firstWord(rest));
        break;
      default:
        break;
    }
  }
}

}  // namespace vestora
